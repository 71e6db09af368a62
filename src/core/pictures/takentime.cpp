#include "core/pictures/takentime.h"

#include "core/pictures/pictureloader.h"

#include <QTimeZone>

#include <algorithm>
#include <numeric>

QDateTime takenTime(const QString &path)
{
    // Its decoder workers, if any, are kept for the next call, and end with the program.
    static const QtPictureLoader loader;
    return loader.takenTime(path);
}

namespace takentime
{

QDateTime fromExif(QByteArrayView date, QByteArrayView subSeconds)
{
    constexpr qsizetype dateLength = 19; // "YYYY:MM:DD HH:MM:SS"
    constexpr qsizetype millisecondDigits = 3;
    const QByteArray text = date.toByteArray().replace('\0', ' ').trimmed();
    if (text.size() != dateLength)
        return {};
    const QDate day = QDate::fromString(QString::fromLatin1(text.left(10)), u"yyyy:MM:dd");
    QTime time = QTime::fromString(QString::fromLatin1(text.mid(11)), u"HH:mm:ss");
    if (!day.isValid() || !time.isValid() || text[10] != ' ')
        return {};
    const QByteArray digits = subSeconds.toByteArray().replace('\0', ' ').trimmed();
    bool number = !digits.isEmpty();
    for (const char digit : digits)
        number = number && digit >= '0' && digit <= '9';
    if (number)
        time = time.addMSecs(
            digits.left(millisecondDigits).leftJustified(millisecondDigits, '0').toInt());
    return QDateTime(day, time, QTimeZone::utc());
}

std::vector<int> order(const std::vector<Key> &pictures)
{
    std::vector<int> positions(pictures.size());
    std::iota(positions.begin(), positions.end(), 0);
    std::stable_sort(positions.begin(), positions.end(), [&pictures](int a, int b) {
        const Key &first = pictures[size_t(a)];
        const Key &second = pictures[size_t(b)];
        if (first.taken.isValid() != second.taken.isValid())
            return first.taken.isValid();
        if (first.taken.isValid())
            return first.taken < second.taken;
        return first.modified < second.modified;
    });
    return positions;
}

} // namespace takentime
