#include "core/state/savedsettings.h"

#include "core/pictures/pictureformats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>

#include <optional>

namespace savedsettings
{

namespace
{
    // The version of the file's keys and values; a file of another version is not read.
    constexpr int version = 1;
    // Far above what the keys take: a larger file is not ours.
    constexpr qint64 maxFileBytes = 64 * 1024;

    const QString versionKey = QStringLiteral("version");
    const QString rememberKey = QStringLiteral("remember");
    const QString formatsKey = QStringLiteral("formats");
    const QString trashKey = QStringLiteral("deleteToTrash");
    const QString manualKey = QStringLiteral("loadThumbnailsManually");
    const QString pairsKey = QStringLiteral("keepPairs");
    const QString takenKey = QStringLiteral("orderByTimeTaken");
    const QString proportionsKey = QStringLiteral("keepProportions");

    QString flag(bool on)
    {
        return on ? QStringLiteral("true") : QStringLiteral("false");
    }

    // A value as the file writes it: plain text.
    std::optional<QString> text(const QSettings &store, const QString &key)
    {
        const QVariant value = store.value(key);
        if (value.typeId() != QMetaType::QString)
            return std::nullopt;
        return value.toString();
    }

    // A choice the file names, which must be "true" or "false"; the start value when it does
    // not name it.
    bool readFlag(const QSettings &store, const QString &key, bool start, bool &valid)
    {
        if (!store.contains(key))
            return start;
        const std::optional<QString> value = text(store, key);
        if (value == QStringLiteral("true"))
            return true;
        valid = valid && value == QStringLiteral("false");
        return false;
    }

    // A pattern the options window can make: wildcards "*.ext" of formats the program shows,
    // each once.
    bool isPattern(const QString &pattern)
    {
        QSet<QString> seen;
        for (const QString &wildcard : pattern.split(QLatin1Char(';'))) {
            if (!wildcard.startsWith(QLatin1String("*."))
                || !pictureformats::pictureExtensions().contains(wildcard.mid(2))
                || seen.contains(wildcard))
                return false;
            seen.insert(wildcard);
        }
        return true;
    }
} // namespace

QString standardFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("ravelin/ravelin.conf"));
}

BrowserSettings load(const QString &file)
{
    const BrowserSettings start;
    const QFileInfo info(file);
    if (!info.isFile() || info.size() > maxFileBytes)
        return start;
    const QSettings store(file, QSettings::IniFormat);
    if (store.status() != QSettings::NoError || text(store, versionKey) != QString::number(version)
        || text(store, rememberKey) != QStringLiteral("true"))
        return start;
    BrowserSettings kept;
    kept.rememberChoices = true;
    bool valid = true;
    if (store.contains(formatsKey)) {
        const std::optional<QString> formats = text(store, formatsKey);
        valid = formats && isPattern(*formats);
        if (valid)
            kept.imageFormat = *formats;
    }
    kept.deleteRecycle = readFlag(store, trashKey, start.deleteRecycle, valid);
    kept.thumbManual = readFlag(store, manualKey, start.thumbManual, valid);
    kept.keepPairs = readFlag(store, pairsKey, start.keepPairs, valid);
    kept.orderByTaken = readFlag(store, takenKey, start.orderByTaken, valid);
    kept.keepProportions = readFlag(store, proportionsKey, start.keepProportions, valid);
    return valid ? kept : start;
}

namespace
{
    QSettings::Status write(const QString &file, const BrowserSettings &settings)
    {
        QSettings store(file, QSettings::IniFormat);
        store.clear();
        // Every value as text, as it reads back from the file.
        store.setValue(versionKey, QString::number(version));
        store.setValue(rememberKey, flag(settings.rememberChoices));
        if (settings.rememberChoices) {
            store.setValue(formatsKey, settings.imageFormat);
            store.setValue(trashKey, flag(settings.deleteRecycle));
            store.setValue(manualKey, flag(settings.thumbManual));
            store.setValue(pairsKey, flag(settings.keepPairs));
            store.setValue(takenKey, flag(settings.orderByTaken));
            store.setValue(proportionsKey, flag(settings.keepProportions));
        }
        store.sync();
        return store.status();
    }
} // namespace

bool save(const QString &file, const BrowserSettings &settings)
{
    QSettings::Status status = write(file, settings);
    // A file that cannot be read is not written over: the damaged one goes, and a new one
    // takes its place.
    if (status == QSettings::FormatError && QFile::remove(file))
        status = write(file, settings);
    return status == QSettings::NoError;
}

} // namespace savedsettings
