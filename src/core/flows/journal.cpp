#include "core/flows/journal.h"

#include "core/files/filesystem_os.h"
#include "core/pictures/pictureformats.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <utility>

#include <zlib.h>

namespace journal
{

namespace
{
    constexpr int version = 1;
    constexpr qsizetype checksumDigits = 8;
    // A journal is the plan of one batch of pictures: 100,000 pictures with long names take
    // far less than this, and more is damage.
    constexpr qint64 largestJournal = qint64(64) << 20;
    // A record names two paths and little more.
    constexpr qint64 largestLine = qint64(64) << 10;

    const QString fileName = QStringLiteral("last-batch.journal");
    // Records of files done are written as they come, and made durable together once this
    // many wait and the last were made durable this long ago, and at the end.
    constexpr qsizetype syncEvery = 64;
    constexpr qint64 syncAfterMs = 100;

    QString kindName(Kind kind)
    {
        switch (kind) {
        case Kind::Rename:
            return QStringLiteral("rename");
        case Kind::Move:
            return QStringLiteral("move");
        case Kind::Trash:
            return QStringLiteral("trash");
        case Kind::Delete:
            return QStringLiteral("delete");
        }
        return {};
    }

    bool kindOf(const QString &name, Kind &kind)
    {
        for (const Kind known : { Kind::Rename, Kind::Move, Kind::Trash, Kind::Delete }) {
            if (name == kindName(known)) {
                kind = known;
                return true;
            }
        }
        return false;
    }

    // CRC-32: a batch of 1,000 files writes 2,000 records, and a cryptographic hash of each
    // took a tenth of the time of the renames themselves. It is there to tell damage, not
    // tampering: a record is checked for sense as it is read.
    QByteArray checksum(const QByteArray &json)
    {
        const uLong crc = crc32(crc32(0L, nullptr, 0),
            reinterpret_cast<const Bytef *>(json.constData()), uInt(json.size()));
        return QByteArray::number(quint32(crc), 16).rightJustified(checksumDigits, '0');
    }

    // The checksum of the versions before, which a journal left by one still carries.
    QByteArray olderChecksum(const QByteArray &json)
    {
        return QCryptographicHash::hash(json, QCryptographicHash::Sha256)
            .left(checksumDigits / 2)
            .toHex();
    }

    QByteArray lineOf(const QByteArray &json)
    {
        return checksum(json) + ' ' + json + '\n';
    }

    // A record written straight out as compact JSON, which QJsonDocument reads back: a batch
    // of 1,000 files writes 2,000 records, and building each as a QJsonObject first took
    // more time than the renames themselves.
    class Record
    {
    public:
        Record &text(const char *key, QStringView value)
        {
            addKey(key);
            addString(value);
            return *this;
        }
        // Sizes and times are kept as decimal text: JSON numbers lose nanoseconds.
        Record &decimal(const char *key, qint64 value)
        {
            addKey(key);
            m_json += '"' + QByteArray::number(value) + '"';
            return *this;
        }
        Record &number(const char *key, qint64 value)
        {
            addKey(key);
            m_json += QByteArray::number(value);
            return *this;
        }
        Record &flag(const char *key, bool value)
        {
            addKey(key);
            m_json += value ? "true" : "false";
            return *this;
        }
        Record &object(const char *key, const Record &value)
        {
            addKey(key);
            m_json += value.json();
            return *this;
        }
        [[nodiscard]] QByteArray json() const { return '{' + m_json + '}'; }

    private:
        void addKey(const char *key)
        {
            if (!m_json.isEmpty())
                m_json += ',';
            m_json += '"';
            m_json += key;
            m_json += "\":";
        }
        // A quote, a backslash, a control character and each half of a pair of UTF-16 units
        // escaped, the rest as UTF-8.
        void addString(QStringView text)
        {
            m_json += '"';
            qsizetype plain = 0;
            for (qsizetype i = 0; i < text.size(); ++i) {
                const char16_t unit = text[i].unicode();
                if (unit >= 0x20 && unit != u'"' && unit != u'\\' && !QChar::isSurrogate(unit))
                    continue;
                m_json += text.mid(plain, i - plain).toUtf8();
                m_json += unit == u'"' ? QByteArray("\\\"")
                    : unit == u'\\'    ? QByteArray("\\\\")
                                    : "\\u" + QByteArray::number(unit, 16).rightJustified(4, '0');
                plain = i + 1;
            }
            m_json += text.mid(plain).toUtf8();
            m_json += '"';
        }

        QByteArray m_json;
    };

    Record stateRecord(const FileState &state)
    {
        return Record()
            .flag("link", state.link)
            .decimal("size", state.size)
            .decimal("modified", state.modified)
            .text("folder", state.folder);
    }

    bool readState(const QJsonValue &value, FileState &state)
    {
        const QJsonObject object = value.toObject();
        bool sizeOk = false;
        bool timeOk = false;
        state.link = object.value("link").toBool();
        state.size = object.value("size").toString().toLongLong(&sizeOk);
        state.modified = object.value("modified").toString().toLongLong(&timeOk);
        state.folder = object.value("folder").toString();
        return sizeOk && timeOk && object.value("link").isBool();
    }

    // A name the program may have dealt with: a picture, a file that goes with one, or one of
    // its own temporary names. A journal that names anything else was not written by it.
    bool ownName(const QString &path)
    {
        const QString name = QFileInfo(path).fileName();
        return pictureformats::isPictureOrCompanion(name)
            || name.startsWith(QLatin1String(".ravelin-"));
    }

    // Takes the records of a journal, one at a time, into a batch; each call gives the
    // problem when they do not make one.
    class Records
    {
    public:
        explicit Records(Batch &batch)
            : m_batch(batch)
        {
        }
        QString add(const QJsonObject &record);
        // After the last record.
        [[nodiscard]] QString end() const;

    private:
        QString head(const QJsonObject &record);
        QString plan(const QJsonObject &record);
        QString event(const QJsonObject &record);

        Batch &m_batch;
        qsizetype m_count = 0;
        qsizetype m_files = -1;
    };

    QString Records::add(const QJsonObject &record)
    {
        ++m_count;
        if (m_count == 1)
            return head(record);
        if (m_count <= m_files + 1)
            return plan(record);
        return event(record);
    }

    QString Records::end() const
    {
        if (m_count == 0)
            return QCoreApplication::translate("journal", "It is empty.");
        if (m_count < m_files + 1)
            return QCoreApplication::translate("journal", "Its plan is cut short.");
        return {};
    }

    QString Records::head(const QJsonObject &record)
    {
        if (record.value("r").toString() != QLatin1String("batch"))
            return QCoreApplication::translate("journal", "It does not start with a batch.");
        if (record.value("version").toInt() != version)
            return QCoreApplication::translate(
                "journal", "It was written by another version of Ravelin.");
        if (!kindOf(record.value("kind").toString(), m_batch.kind))
            return QCoreApplication::translate("journal", "It names no known kind of batch.");
        m_batch.madeFolder = record.value("made").toString();
        m_files = record.value("files").toInteger(-1);
        if (m_files < 0)
            return QCoreApplication::translate("journal", "Its plan is cut short.");
        return {};
    }

    QString Records::plan(const QJsonObject &record)
    {
        Step step;
        step.from = record.value("from").toString();
        step.to = record.value("to").toString();
        if (record.value("r").toString() != QLatin1String("plan")
            || record.value("i").toInteger(-1) != m_batch.steps.size() || step.from.isEmpty()
            || !readState(record.value("before"), step.before))
            return QCoreApplication::translate("journal", "Its plan is damaged.");
        const bool renamed = m_batch.kind == Kind::Rename;
        if (!ownName(step.from) || (!step.to.isEmpty() && !ownName(step.to))
            || (renamed
                && QFileInfo(step.to).absolutePath() != QFileInfo(step.from).absolutePath()))
            return QCoreApplication::translate(
                "journal", "Its plan names a file that is not a picture of a batch: %1")
                .arg(step.from);
        m_batch.steps.append(step);
        return {};
    }

    // Where a step may have put its file: its target, a trash's folder of files, or nowhere.
    bool placedWherePlanned(Kind kind, const Step &step, const QString &at)
    {
        switch (kind) {
        case Kind::Rename:
        case Kind::Move:
            return at == step.to;
        case Kind::Trash:
            return QFileInfo(at).dir().dirName() == QLatin1String("files") && at != step.from;
        case Kind::Delete:
            return at.isEmpty();
        }
        return false;
    }

    QString Records::event(const QJsonObject &record)
    {
        Batch &batch = m_batch;
        const QString type = record.value("r").toString();
        const qsizetype i = record.value("i").toInteger(-1);
        Step *step = i >= 0 && i < batch.steps.size() ? &batch.steps[i] : nullptr;
        if (type == QLatin1String("done") && step != nullptr && !step->done && !batch.finished
            && placedWherePlanned(batch.kind, *step, record.value("at").toString())) {
            step->done = true;
            step->placedAt = record.value("at").toString();
            if (!readState(record.value("after"), step->after))
                return QCoreApplication::translate(
                    "journal", "A record of a file done is damaged.");
        } else if (type == QLatin1String("end") && !batch.finished) {
            batch.finished = true;
        } else if (type == QLatin1String("undo") && batch.finished && !batch.undoBegun) {
            batch.undoBegun = true;
        } else if (type == QLatin1String("undone") && step != nullptr && step->done && !step->undone
            && batch.undoBegun && !batch.undoFinished) {
            step->undone = true;
        } else if (type == QLatin1String("undo-end") && batch.undoBegun && !batch.undoFinished) {
            batch.undoFinished = true;
        } else {
            return QCoreApplication::translate("journal", "Its record %1 makes no sense.")
                .arg(m_count);
        }
        return {};
    }
} // namespace

Found stateOf(const QString &path, QHash<QString, QString> *folders)
{
    const platform::os::Stamp stamp = platform::os::stampOf(path);
    if (!stamp.exists)
        return {};
    const QString absolute = QFileInfo(path).absolutePath();
    const auto known = folders != nullptr ? folders->constFind(absolute)
                                          : QHash<QString, QString>::const_iterator();
    QString folder = folders != nullptr && known != folders->cend()
        ? *known
        : QFileInfo(absolute).canonicalFilePath();
    if (folders != nullptr)
        folders->insert(absolute, folder);
    return { true, { stamp.link, stamp.size, stamp.modified, folder } };
}

bool isTemporaryName(const QString &path)
{
    return QFileInfo(path).fileName().startsWith(QLatin1String(".ravelin-rename-"));
}

qsizetype Batch::toUndo() const
{
    return std::count_if(steps.begin(), steps.end(),
        [](const Step &step) { return step.done && !step.undone && !isTemporaryName(step.from); });
}

bool Batch::canUndo() const
{
    return kind != Kind::Delete && finished && !undoBegun && toUndo() > 0;
}

QString pathFor(const platform::FileSystem &fs)
{
    const QString folder = fs.stateFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(fileName);
}

QByteArray line(const QJsonObject &record)
{
    return lineOf(QJsonDocument(record).toJson(QJsonDocument::Compact));
}

Reading read(const QString &path)
{
    Reading reading;
    const QFileInfo info(path);
    if (path.isEmpty() || (!info.exists() && !info.isSymLink()))
        return reading;
    reading.status = Reading::Status::Damaged;
    QFile file(path);
    if (const platform::FsResult opened = platform::os::openOwnFile(file, QIODevice::ReadOnly);
        !opened) {
        reading.problem = opened.error;
        return reading;
    }
    if (file.size() > largestJournal) {
        reading.problem = QCoreApplication::translate("journal", "It is far too large.");
        return reading;
    }
    // A line at a time: the journal is never held whole, nor its records.
    Records records(reading.batch);
    for (qsizetype n = 1; !file.atEnd(); ++n) {
        const QByteArray text = file.readLine(largestLine + 1);
        if (!text.endsWith('\n')) {
            reading.problem = text.size() > largestLine
                ? QCoreApplication::translate("journal", "Its line %1 is damaged.").arg(n)
                : QCoreApplication::translate("journal", "It is cut short.");
            return reading;
        }
        // A checksum, a space, the record and the line's end.
        const bool framed = text.size() > checksumDigits + 2 && text.at(checksumDigits) == ' ';
        const QByteArray json = framed ? text.mid(checksumDigits + 1).chopped(1) : QByteArray();
        QJsonParseError error {};
        const QJsonDocument document = QJsonDocument::fromJson(json, &error);
        const QByteArray sum = text.left(checksumDigits);
        if (!framed || (sum != checksum(json) && sum != olderChecksum(json))
            || error.error != QJsonParseError::NoError || !document.isObject()) {
            reading.problem
                = QCoreApplication::translate("journal", "Its line %1 is damaged.").arg(n);
            return reading;
        }
        reading.problem = records.add(document.object());
        if (!reading.problem.isEmpty())
            return reading;
    }
    reading.problem = records.end();
    if (reading.problem.isEmpty())
        reading.status = Reading::Status::Whole;
    return reading;
}

QString setAside(platform::FileSystem &fs, const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    for (int n = 0; n < 100; ++n) {
        const QString aside = path + QStringLiteral(".damaged-") + stamp
            + (n == 0 ? QString() : QStringLiteral("-%1").arg(n));
        if (fs.renameFile(path, aside))
            return aside;
        if (!QFileInfo::exists(path))
            break;
    }
    return {};
}

Recorder::Recorder(platform::FileSystem &fs, const QString &path)
    : m_fs(fs)
    , m_path(path)
{
}

Recorder::Recorder(platform::FileSystem &fs)
    : Recorder(fs, pathFor(fs))
{
}

Recorder::~Recorder()
{
    writePending(false);
}

bool Recorder::open()
{
    // Only a file that is there: a record after the start of one that is gone is no use.
    m_file.setFileName(m_path);
    return bool(platform::os::openOwnFile(
        m_file, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered));
}

bool Recorder::begin(
    Kind kind, const QStringList &from, const QStringList &to, const QString &madeFolder)
{
    writePending(false);
    m_recording = false;
    m_file.close();
    if (m_path.isEmpty())
        return false;
    Record head;
    head.text("r", u"batch")
        .number("version", version)
        .text("kind", kindName(kind))
        .number("files", from.size());
    if (!madeFolder.isEmpty())
        head.text("made", madeFolder);
    QByteArray plan = lineOf(head.json());
    // A file an earlier step puts where a later one takes it from (a temporary name) is, for
    // the later step, as it was before the earlier one.
    QHash<QString, FileState> putThere;
    for (qsizetype i = 0; i < from.size(); ++i) {
        const QString target = i < to.size() ? to.at(i) : QString();
        const auto earlier = putThere.constFind(from.at(i));
        const FileState before
            = earlier != putThere.cend() ? *earlier : stateOf(from.at(i), &m_folders).state;
        if (!target.isEmpty())
            putThere.insert(target, before);
        plan += lineOf(Record()
                           .text("r", u"plan")
                           .number("i", i)
                           .text("from", from.at(i))
                           .text("to", target)
                           .object("before", stateRecord(before))
                           .json());
    }
    m_recording = m_fs.replaceFileDurably(m_path, plan) && open();
    m_unsynced = 0;
    m_sinceSync.start();
    // The journal of an older batch must not pass for this one's.
    if (!m_recording && QFileInfo::exists(m_path)) {
        const platform::FsResult removed = m_fs.removeFile(m_path);
        Q_UNUSED(removed);
    }
    return m_recording;
}

bool Recorder::resume()
{
    writePending(false);
    m_file.close();
    m_recording = !m_path.isEmpty() && open();
    m_unsynced = 0;
    m_sinceSync.start();
    return m_recording;
}

void Recorder::done(qsizetype index, const QString &placedAt, const std::optional<FileState> &after)
{
    if (!m_recording)
        return;
    append(Record()
               .text("r", u"done")
               .number("i", index)
               .text("at", placedAt)
               .object("after", stateRecord(after ? *after : stateOf(placedAt, &m_folders).state))
               .json(),
        Sync::Later);
}

void Recorder::finish()
{
    append(Record().text("r", u"end").json(), Sync::Now);
}

void Recorder::undoBegun()
{
    append(Record().text("r", u"undo").json(), Sync::Now);
}

void Recorder::undone(qsizetype index)
{
    append(Record().text("r", u"undone").number("i", index).json(), Sync::Later);
}

void Recorder::undoFinished()
{
    append(Record().text("r", u"undo-end").json(), Sync::Now);
}

// Records of files done wait in memory and reach the file together, each time they are made
// durable: a program stopped half-way may lose the last of them, and its recovery finds on
// the disk what they would have said.
void Recorder::append(const QByteArray &json, Sync sync)
{
    if (!m_recording)
        return;
    m_pending += lineOf(json);
    ++m_unsynced;
    if (sync == Sync::Later && (m_unsynced < syncEvery || m_sinceSync.elapsed() < syncAfterMs))
        return;
    m_unsynced = 0;
    m_sinceSync.start();
    writePending(true);
}

void Recorder::writePending(bool durably)
{
    const QByteArray bytes = std::exchange(m_pending, {});
    if (!m_recording || bytes.isEmpty())
        return;
    if (m_file.write(bytes) != bytes.size() || (durably && !platform::os::flushToDisk(m_file))) {
        m_recording = false;
        m_file.close();
        const platform::FsResult removed = m_fs.removeFile(m_path);
        Q_UNUSED(removed);
    }
}

} // namespace journal
