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

    QByteArray checksum(const QByteArray &json)
    {
        return QCryptographicHash::hash(json, QCryptographicHash::Sha256)
            .toHex()
            .left(checksumDigits);
    }

    // Sizes and times are kept as decimal text: JSON numbers lose nanoseconds.
    QJsonObject stateRecord(const FileState &state)
    {
        return { { "link", state.link }, { "size", QString::number(state.size) },
            { "modified", QString::number(state.modified) }, { "folder", state.folder } };
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
    const QByteArray json = QJsonDocument(record).toJson(QJsonDocument::Compact);
    return checksum(json) + ' ' + json + '\n';
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
        if (!framed || text.left(checksumDigits) != checksum(json)
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

bool Recorder::begin(
    Kind kind, const QStringList &from, const QStringList &to, const QString &madeFolder)
{
    m_recording = false;
    if (m_path.isEmpty())
        return false;
    QJsonObject head { { "r", "batch" }, { "version", version }, { "kind", kindName(kind) },
        { "files", qint64(from.size()) } };
    if (!madeFolder.isEmpty())
        head.insert("made", madeFolder);
    QByteArray plan = line(head);
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
        plan += line({ { "r", "plan" }, { "i", qint64(i) }, { "from", from.at(i) },
            { "to", target }, { "before", stateRecord(before) } });
    }
    m_recording = bool(m_fs.replaceFileDurably(m_path, plan));
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
    m_recording = !m_path.isEmpty() && QFileInfo(m_path).isFile();
    m_unsynced = 0;
    m_sinceSync.start();
    return m_recording;
}

void Recorder::done(qsizetype index, const QString &placedAt, const std::optional<FileState> &after)
{
    if (!m_recording)
        return;
    append({ { "r", "done" }, { "i", qint64(index) }, { "at", placedAt },
               { "after", stateRecord(after ? *after : stateOf(placedAt, &m_folders).state) } },
        Sync::Later);
}

void Recorder::finish()
{
    append({ { "r", "end" } }, Sync::Now);
}

void Recorder::undoBegun()
{
    append({ { "r", "undo" } }, Sync::Now);
}

void Recorder::undone(qsizetype index)
{
    append({ { "r", "undone" }, { "i", qint64(index) } }, Sync::Later);
}

void Recorder::undoFinished()
{
    append({ { "r", "undo-end" } }, Sync::Now);
}

void Recorder::append(const QJsonObject &record, Sync sync)
{
    if (!m_recording)
        return;
    ++m_unsynced;
    const bool durable
        = sync == Sync::Now || (m_unsynced >= syncEvery && m_sinceSync.elapsed() >= syncAfterMs);
    if (durable) {
        m_unsynced = 0;
        m_sinceSync.start();
    }
    if (!m_fs.appendToFile(m_path, line(record), durable)) {
        m_recording = false;
        const platform::FsResult removed = m_fs.removeFile(m_path);
        Q_UNUSED(removed);
    }
}

} // namespace journal
