#include "core/names/namerules.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace rules
{

namespace
{
    // The counter text has at least this many characters after its blank.
    constexpr int counterWidth = 3;

    bool isAsciiDigit(QChar c)
    {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    }

    bool isValBlank(QChar c)
    {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
            || c == QLatin1Char('\r');
    }

    bool isControl(QChar c)
    {
        return c.unicode() < 0x20 || c.unicode() == 0x7f;
    }

    bool isAnySeparator(QChar c)
    {
        return c == QLatin1Char('/') || c == QLatin1Char('\\');
    }

    // The characters Windows refuses in a file name, besides control characters.
    bool isWindowsForbidden(QChar c)
    {
        return QStringLiteral("\\/:*?\"<>|").contains(c);
    }

    // Windows treats these as devices, whatever extension follows them.
    bool isReservedDeviceName(const QString &name)
    {
        QString base = name.left(name.indexOf(QLatin1Char('.')));
        while (base.endsWith(QLatin1Char(' ')))
            base.chop(1);
        base = base.toUpper();
        static const QStringList fixed
            = { QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                  QStringLiteral("NUL"), QStringLiteral("CONIN$"), QStringLiteral("CONOUT$") };
        if (fixed.contains(base))
            return true;
        if (base.size() != 4
            || !(base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))))
            return false;
        const QChar number = base.at(3);
        // COM1 to COM9, and the superscript digits Windows also reserves.
        return (number >= QLatin1Char('1') && number <= QLatin1Char('9')) || number == QChar(0x00b9)
            || number == QChar(0x00b2) || number == QChar(0x00b3);
    }
} // namespace

NameCount startCount(const QString &text)
{
    // Gather the number's characters, dropping blanks as Val() does, up to the first
    // character that cannot continue it.
    QString number;
    bool digitsSeen = false;
    bool pointSeen = false;
    bool exponentSeen = false;
    bool exponentDigits = false;
    for (const QChar c : text) {
        if (isValBlank(c))
            continue;
        const QChar last = number.isEmpty() ? QChar() : number.back();
        if (isAsciiDigit(c)) {
            number.append(c);
            (exponentSeen ? exponentDigits : digitsSeen) = true;
        } else if ((c == QLatin1Char('+') || c == QLatin1Char('-'))
            && (number.isEmpty() || last == QLatin1Char('e'))) {
            number.append(c);
        } else if (c == QLatin1Char('.') && !pointSeen && !exponentSeen) {
            number.append(c);
            pointSeen = true;
        } else if (QStringLiteral("eEdD").contains(c) && digitsSeen && !exponentSeen) {
            number.append(QLatin1Char('e'));
            exponentSeen = true;
        } else {
            break;
        }
    }
    if (!digitsSeen)
        return 0;
    if (exponentSeen && !exponentDigits) {
        // An exponent without digits ("1e", "1e-") is no exponent.
        number.truncate(number.lastIndexOf(QLatin1Char('e')));
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok && !std::isinf(value))
        return 0;
    // Default rounding is to the nearest, a half to the even neighbour.
    const double rounded = std::nearbyint(value);
    constexpr double limit = 9.0e18;
    if (rounded >= limit)
        return static_cast<NameCount>(limit);
    if (rounded <= -limit)
        return -static_cast<NameCount>(limit);
    return static_cast<NameCount>(rounded);
}

QString counterText(NameCount counter)
{
    const bool negative = counter < 0;
    // Built from the unsigned magnitude, so even the lowest value has no overflow.
    const quint64 magnitude
        = negative ? 0 - static_cast<quint64>(counter) : static_cast<quint64>(counter);
    const QString digits = QString::number(magnitude);
    const qsizetype width = negative ? counterWidth - 1 : counterWidth;
    return QLatin1Char(' ') + (negative ? QStringLiteral("-") : QString())
        + digits.rightJustified(width, QLatin1Char('0'));
}

QString keptExtension(const QString &path, QChar separator)
{
    const QString name = filePart(path, separator);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

QString renamedPath(
    const QString &path, const QString &prefix, std::optional<NameCount> counter, QChar separator)
{
    QString result = folderPart(path, separator) + prefix;
    if (counter)
        result += counterText(*counter);
    return result + keptExtension(path, separator);
}

QString datedPrefix(const QString &prefix, const QDateTime &taken, const QDateTime &modified)
{
    // The camera's reading as it is: turned into another zone it could name another day.
    const QDate day = taken.isValid() ? taken.date() : modified.toLocalTime().date();
    if (!day.isValid())
        return prefix;
    const QString date = day.toString(QStringLiteral("yyyy-MM-dd"));
    return prefix.isEmpty() ? date : date + QLatin1Char(' ') + prefix;
}

NameRules platformNameRules()
{
#ifdef Q_OS_WIN
    return NameRules::Windows;
#else
    return NameRules::Unix;
#endif
}

NameRules nameRulesFor(const QString &fileSystem)
{
#ifdef Q_OS_WIN
    Q_UNUSED(fileSystem);
    return NameRules::Windows;
#else
    QString kind = fileSystem.toLower();
    // A FUSE driver names its kind after a dot ("fuseblk.exfat"). The block-device drivers
    // that name none (ntfs-3g, exfat-fuse) are all for Windows volumes.
    if (kind == QLatin1String("fuseblk"))
        return NameRules::Windows;
    if (kind.startsWith(QLatin1String("fuseblk.")) || kind.startsWith(QLatin1String("fuse.")))
        kind = kind.section(QLatin1Char('.'), 1);
    static const QStringList windowsKinds
        = { QStringLiteral("vfat"), QStringLiteral("msdos"), QStringLiteral("exfat"),
              QStringLiteral("ntfs"), QStringLiteral("ntfs3"), QStringLiteral("ntfs-3g") };
    return windowsKinds.contains(kind) ? NameRules::Windows : platformNameRules();
#endif
}

qint64 nameLength(const QString &name, NameRules nameRules)
{
    return nameRules == NameRules::Windows ? name.size() : QFile::encodeName(name).size();
}

qint64 longestName(NameRules nameRules, qint64 reported)
{
    constexpr qint64 windowsLongest = 255;
    return nameRules == NameRules::Windows ? std::min(reported, windowsLongest) : reported;
}

NameProblem prefixProblem(const QString &prefix, NameRules nameRules)
{
    for (const QChar c : prefix) {
        if (isAnySeparator(c))
            return NameProblem::Separator;
    }
    for (const QChar c : prefix) {
        if (isControl(c) || (nameRules == NameRules::Windows && isWindowsForbidden(c)))
            return NameProblem::Character;
    }
    if (nameRules == NameRules::Windows && isReservedDeviceName(prefix))
        return NameProblem::ReservedName;
    return NameProblem::None;
}

NameProblem fileNameProblem(const QString &name, NameRules nameRules)
{
    if (name.isEmpty())
        return NameProblem::Empty;
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return NameProblem::DotName;
#ifndef Q_OS_WIN
    // Whatever the volume, a Unix system hides such a file from the grid and file managers.
    if (name.startsWith(QLatin1Char('.')))
        return NameProblem::Hidden;
#endif
    const bool windows = nameRules == NameRules::Windows;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || (windows && c == QLatin1Char('\\')))
            return NameProblem::Separator;
    }
    for (const QChar c : name) {
        if (isControl(c) || (windows && isWindowsForbidden(c)))
            return NameProblem::Character;
    }
    if (windows && (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' '))))
        return NameProblem::TrailingDotOrBlank;
    if (windows && isReservedDeviceName(name))
        return NameProblem::ReservedName;
    return NameProblem::None;
}

NameProblem renameProblem(
    const QString &from, const QString &to, NameRules nameRules, QChar separator)
{
    if (to.isEmpty())
        return NameProblem::None;
    if (folderPart(to, separator) != folderPart(from, separator))
        return NameProblem::OtherFolder;
    return fileNameProblem(filePart(to, separator), nameRules);
}

BatchCheck batchProblem(const std::vector<PlannedRename> &batch, QChar separator)
{
    const auto key = [](const QString &path, NameRules nameRules) {
        return nameRules == NameRules::Windows ? path.toCaseFolded() : path;
    };
    const qsizetype count = qsizetype(batch.size());
    // Where each path first appears as a source and as a target.
    QHash<QString, qsizetype> sources;
    QHash<QString, qsizetype> targets;
    for (qsizetype i = count - 1; i >= 0; --i)
        sources.insert(key(batch[i].from, batch[i].nameRules), i);
    // The shots in the batch's order, and for each file the file of another shot that has
    // its new name now.
    std::vector<std::vector<qsizetype>> shots;
    std::vector<qsizetype> shotOf(batch.size());
    std::vector<qsizetype> holder(batch.size(), -1);
    std::vector<bool> unchanged(batch.size(), false);
    for (qsizetype i = 0; i < count; ++i) {
        const PlannedRename &file = batch[i];
        if (i == 0 || file.shot != batch[i - 1].shot)
            shots.emplace_back();
        shots.back().push_back(i);
        shotOf[i] = qsizetype(shots.size()) - 1;
        if (file.to.isEmpty())
            continue;
        const auto problem = [i](BatchProblem p) { return BatchCheck { p, i, {} }; };
        if (nameLength(filePart(file.to, separator), file.nameRules)
            > longestName(file.nameRules, file.maxNameLength))
            return problem(BatchProblem::TooLong);
        const QString target = key(file.to, file.nameRules);
        if (targets.contains(target))
            return problem(BatchProblem::SameAsOther);
        targets.insert(target, i);
        const auto source = sources.constFind(target);
        if (source == sources.cend()) {
            if (file.targetExists)
                return problem(BatchProblem::Taken);
        } else if (*source != i) {
            holder[i] = *source;
        } else if (file.to == file.from) {
            unchanged[i] = true;
        }
    }

    // Each shot waits for the shots that have its new names; of the shots that wait for none,
    // the first in the batch goes next.
    const qsizetype shotCount = qsizetype(shots.size());
    std::vector<qsizetype> waits(shots.size(), 0);
    std::vector<std::vector<qsizetype>> waiting(shots.size());
    std::vector<std::vector<qsizetype>> waitsFor(shots.size());
    for (qsizetype i = 0; i < count; ++i) {
        if (holder[i] >= 0 && shotOf[holder[i]] != shotOf[i]) {
            ++waits[shotOf[i]];
            waiting[shotOf[holder[i]]].push_back(shotOf[i]);
            waitsFor[shotOf[i]].push_back(shotOf[holder[i]]);
        }
    }
    std::set<qsizetype> ready;
    for (qsizetype s = 0; s < shotCount; ++s) {
        if (waits[s] == 0)
            ready.insert(s);
    }
    // A shot is placed once renamed to its new names, parked while it has temporary ones.
    std::vector<bool> placed(shots.size(), false);
    std::vector<bool> parked(shots.size(), false);
    const auto gone = [&](qsizetype s) { return placed[s] || parked[s]; };
    BatchCheck check;
    const auto add = [&](qsizetype s, Leg leg) {
        for (const qsizetype i : shots[s]) {
            if (!unchanged[i])
                check.order.push_back({ i, leg });
        }
    };
    // The shots waiting for these names may go once no other holds them up.
    const auto release = [&](qsizetype s) {
        for (const qsizetype next : waiting[s]) {
            if (--waits[next] == 0)
                ready.insert(next);
        }
    };
    for (qsizetype placedCount = 0; placedCount < shotCount;) {
        if (ready.empty()) {
            // Every shot left waits for another that is left: going from the first along whom
            // it waits for comes back to a shot on a circle, which gives its names up first.
            qsizetype s = 0;
            while (gone(s))
                ++s;
            std::set<qsizetype> seen;
            while (seen.insert(s).second)
                s = *std::find_if(waitsFor[s].begin(), waitsFor[s].end(),
                    [&](qsizetype other) { return !gone(other); });
            add(s, Leg::ToTemporary);
            parked[s] = true;
            release(s);
            continue;
        }
        const qsizetype s = *ready.begin();
        ready.erase(ready.begin());
        add(s, parked[s] ? Leg::FromTemporary : Leg::Straight);
        if (!parked[s])
            release(s);
        placed[s] = true;
        ++placedCount;
    }
    return check;
}

} // namespace rules
