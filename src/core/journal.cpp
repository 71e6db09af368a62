#include "core/journal.h"

#include "core/filesystem_os.h"

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
    // A journal is the plan of one batch of pictures: far more than any batch is damage.
    constexpr qint64 largestJournal = qint64(256) << 20;

    const QString fileName = QStringLiteral("last-batch.journal");
    // Records of files done are made durable together: at most this many at a time, or as
    // old as this.
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

    // Reads the records of a whole journal into a batch; the problem when they do not make
    // one.
    QString readRecords(const QList<QJsonObject> &records, Batch &batch)
    {
        if (records.isEmpty())
            return QCoreApplication::translate("journal", "It is empty.");
        const QJsonObject head = records.first();
        if (head.value("r").toString() != QLatin1String("batch"))
            return QCoreApplication::translate("journal", "It does not start with a batch.");
        if (head.value("version").toInt() != version)
            return QCoreApplication::translate(
                "journal", "It was written by another version of Ravelin.");
        if (!kindOf(head.value("kind").toString(), batch.kind))
            return QCoreApplication::translate("journal", "It names no known kind of batch.");
        batch.madeFolder = head.value("made").toString();
        const qsizetype files = head.value("files").toInteger(-1);
        if (files < 0 || files + 1 > records.size())
            return QCoreApplication::translate("journal", "Its plan is cut short.");
        for (qsizetype i = 0; i < files; ++i) {
            const QJsonObject plan = records.at(i + 1);
            Step step;
            step.from = plan.value("from").toString();
            step.to = plan.value("to").toString();
            if (plan.value("r").toString() != QLatin1String("plan")
                || plan.value("i").toInteger(-1) != i || step.from.isEmpty()
                || !readState(plan.value("before"), step.before))
                return QCoreApplication::translate("journal", "Its plan is damaged.");
            batch.steps.append(step);
        }
        for (qsizetype n = files + 1; n < records.size(); ++n) {
            const QJsonObject record = records.at(n);
            const QString type = record.value("r").toString();
            const qsizetype i = record.value("i").toInteger(-1);
            Step *step = i >= 0 && i < batch.steps.size() ? &batch.steps[i] : nullptr;
            if (type == QLatin1String("done") && step != nullptr && !step->done
                && !batch.finished) {
                step->done = true;
                step->placedAt = record.value("at").toString();
                if (!readState(record.value("after"), step->after))
                    return QCoreApplication::translate(
                        "journal", "A record of a file done is damaged.");
            } else if (type == QLatin1String("end") && !batch.finished) {
                batch.finished = true;
            } else if (type == QLatin1String("undo") && batch.finished && !batch.undoBegun) {
                batch.undoBegun = true;
            } else if (type == QLatin1String("undone") && step != nullptr && step->done
                && !step->undone && batch.undoBegun && !batch.undoFinished) {
                step->undone = true;
            } else if (type == QLatin1String("undo-end") && batch.undoBegun
                && !batch.undoFinished) {
                batch.undoFinished = true;
            } else {
                return QCoreApplication::translate("journal", "Its record %1 makes no sense.")
                    .arg(n + 1);
            }
        }
        return {};
    }
} // namespace

Found stateOf(const QString &path)
{
    const platform::os::Stamp stamp = platform::os::stampOf(path);
    if (!stamp.exists)
        return {};
    const QString folder = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return { true, { stamp.link, stamp.size, stamp.modified, folder } };
}

qsizetype Batch::toUndo() const
{
    return std::count_if(
        steps.begin(), steps.end(), [](const Step &step) { return step.done && !step.undone; });
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
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return reading;
    reading.status = Reading::Status::Damaged;
    if (file.size() > largestJournal) {
        reading.problem = QCoreApplication::translate("journal", "It is far too large.");
        return reading;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        reading.problem = file.errorString();
        return reading;
    }
    const QByteArray bytes = file.readAll();
    if (!bytes.isEmpty() && !bytes.endsWith('\n')) {
        reading.problem = QCoreApplication::translate("journal", "It is cut short.");
        return reading;
    }
    QList<QJsonObject> records;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype n = 0; n + 1 < lines.size(); ++n) {
        const QByteArray &text = lines.at(n);
        const QByteArray json = text.mid(checksumDigits + 1);
        QJsonParseError error {};
        const QJsonDocument document = QJsonDocument::fromJson(json, &error);
        if (text.size() <= checksumDigits + 1 || text.at(checksumDigits) != ' '
            || text.left(checksumDigits) != checksum(json)
            || error.error != QJsonParseError::NoError || !document.isObject()) {
            reading.problem
                = QCoreApplication::translate("journal", "Its line %1 is damaged.").arg(n + 1);
            return reading;
        }
        records.append(document.object());
    }
    reading.problem = readRecords(records, reading.batch);
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
    for (qsizetype i = 0; i < from.size(); ++i) {
        const Found source = stateOf(from.at(i));
        plan += line({ { "r", "plan" }, { "i", qint64(i) }, { "from", from.at(i) },
            { "to", i < to.size() ? to.at(i) : QString() },
            { "before", stateRecord(source.state) } });
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

void Recorder::done(qsizetype index, const QString &placedAt)
{
    if (!m_recording)
        return;
    append({ { "r", "done" }, { "i", qint64(index) }, { "at", placedAt },
               { "after", stateRecord(stateOf(placedAt).state) } },
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
        = sync == Sync::Now || m_unsynced >= syncEvery || m_sinceSync.elapsed() >= syncAfterMs;
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
