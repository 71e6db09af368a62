#include "core/undo.h"

#include "browser/pictureformats.h"
#include "core/filesystem.h"
#include "core/safemove.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace undo
{

namespace
{
    using journal::Kind;
    using platform::FsError;

    // A record in the trash is a few lines; anything much larger is not one.
    constexpr qint64 largestTrashRecord = 64 * 1024;

    QString canonicalFolderOf(const QString &path)
    {
        return QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    }

    // The record names the file's original place: absolute, or relative to the top of the
    // volume that holds the trash; escaped as in a URL, or as it is (as earlier versions
    // wrote it).
    bool recordNames(const QString &record, const QString &original)
    {
        QFile file(record);
        if (QFileInfo(record).isSymLink() || !QFileInfo(record).isFile()
            || file.size() > largestTrashRecord || !file.open(QIODevice::ReadOnly))
            return false;
        const QList<QByteArray> lines = file.readAll().split('\n');
        const auto path = std::find_if(lines.begin(), lines.end(),
            [](const QByteArray &line) { return line.startsWith("Path="); });
        if (path == lines.end())
            return false;
        const QByteArray value = path->mid(5).trimmed();
        const QString top = platform::trashTop(QFileInfo(record).dir().filePath(".."));
        const QString wanted = QDir::cleanPath(QDir::fromNativeSeparators(original));
        const auto names = [&](const QString &named) {
            if (QDir::isAbsolutePath(named))
                return QDir::cleanPath(named) == wanted;
            return !named.isEmpty() && !top.isEmpty()
                && QDir::cleanPath(top + QLatin1Char('/') + named) == wanted;
        };
        return names(QFile::decodeName(QByteArray::fromPercentEncoding(value)))
            || names(QFile::decodeName(value));
    }

    bool sameFile(const journal::FileState &now, const journal::FileState &then)
    {
        return now.link == then.link && now.size == then.size && now.modified == then.modified;
    }

    // The file left where it came from, as it was when the step took it: a step taken back.
    bool backWhereItWas(const journal::Step &step)
    {
        const journal::Found there = journal::stateOf(step.placedAt);
        const journal::Found back = journal::stateOf(step.from);
        return !there.exists && back.exists && sameFile(back.state, step.after)
            && back.state.folder == step.before.folder;
    }

    // A rename or move whose record was not written: the file is at its target, as it was,
    // and no longer at its source.
    bool doneWithoutRecord(Kind kind, const journal::Step &step)
    {
        if (kind != Kind::Rename && kind != Kind::Move)
            return false;
        const journal::Found source = journal::stateOf(step.from);
        const journal::Found target = journal::stateOf(step.to);
        return !source.exists && target.exists && sameFile(target.state, step.before);
    }

    platform::FsResult takeBack(Kind kind, const journal::Step &step, platform::FileSystem &fs)
    {
        if (const std::optional<FsError> problem = cannotTakeBack(kind, step))
            return platform::failure(*problem);
        switch (kind) {
        case Kind::Rename:
            return fs.renameFile(step.placedAt, step.from);
        case Kind::Move:
            return fs.moveFile(step.placedAt, step.from);
        case Kind::Trash: {
            const platform::FsResult back = fs.moveFile(step.placedAt, step.from);
            const QString record = platform::trashRecordOf(step.placedAt);
            if (back && !record.isEmpty()) {
                // The file is back; a record left behind would only show a file not there.
                const platform::FsResult removed = fs.removeFile(record);
                Q_UNUSED(removed);
            }
            return back;
        }
        case Kind::Delete:
            break;
        }
        return platform::FsResult::failure(
            QCoreApplication::translate("undo", "A file deleted for good cannot be brought back."));
    }
} // namespace

QString batchName(journal::Kind kind, qsizetype pictures)
{
    // Whole phrases, one for each kind and count: the parts do not combine in every language.
    const int n = int(pictures);
    switch (kind) {
    case Kind::Rename:
        return n == 1 ? QCoreApplication::translate("undo", "Rename of 1 Picture")
                      : QCoreApplication::translate("undo", "Rename of %n Pictures", nullptr, n);
    case Kind::Move:
        return n == 1 ? QCoreApplication::translate("undo", "Move of 1 Picture")
                      : QCoreApplication::translate("undo", "Move of %n Pictures", nullptr, n);
    case Kind::Trash:
    case Kind::Delete:
        break;
    }
    return n == 1 ? QCoreApplication::translate("undo", "Delete of 1 Picture")
                  : QCoreApplication::translate("undo", "Delete of %n Pictures", nullptr, n);
}

qsizetype picturesToUndo(const journal::Batch &batch)
{
    QStringList files;
    for (const journal::Step &step : batch.steps)
        files.append(step.from);
    const QList<qsizetype> shots = pictureformats::shotsOf(files, true);
    QSet<qsizetype> left;
    for (qsizetype i = 0; i < batch.steps.size(); ++i) {
        if (batch.steps.at(i).done && !batch.steps.at(i).undone)
            left.insert(shots.at(i));
    }
    return left.size();
}

std::optional<platform::FsError> cannotTakeBack(journal::Kind kind, const journal::Step &step)
{
    if (kind == Kind::Delete)
        return FsError::Gone;
    const journal::Found now = journal::stateOf(step.placedAt);
    if (step.placedAt.isEmpty() || !now.exists)
        return kind == Kind::Trash ? FsError::OutOfTrash : FsError::Gone;
    if (!sameFile(now.state, step.after))
        return FsError::ChangedSince;
    // A folder on the way that is now a link, or another folder, would take the file
    // elsewhere.
    if (now.state.folder != step.after.folder)
        return FsError::FolderChanged;
    const QString home = canonicalFolderOf(step.from);
    if (home.isEmpty())
        return FsError::NoFolder;
    if (home != step.before.folder)
        return FsError::FolderChanged;
    if (kind == Kind::Trash) {
        const QString record = platform::trashRecordOf(step.placedAt);
        if (!record.isEmpty() && !recordNames(record, step.from))
            return FsError::TrashRecordChanged;
    }
    return std::nullopt;
}

jobs::JobReport undoBatch(const journal::Batch &batch, platform::FileSystem &fs,
    journal::Recorder &recorder, jobs::Progress *progress)
{
    jobs::JobReport report;
    if (!batch.undoBegun)
        recorder.undoBegun();
    // Last first: a rename may have given a file the name another one had just left.
    for (qsizetype i = batch.steps.size() - 1; i >= 0; --i) {
        const journal::Step &step = batch.steps.at(i);
        if (!step.done || step.undone)
            continue;
        const platform::FsResult back = takeBack(batch.kind, step, fs);
        if (progress != nullptr)
            progress->add();
        if (back) {
            recorder.undone(i);
            report.done.append(step.from);
        } else {
            report.failed.append({ step.placedAt, back.error });
        }
    }
    // A folder made for the move goes too, unless something is in it now.
    if (batch.kind == Kind::Move && !batch.madeFolder.isEmpty()) {
        const platform::FsResult removed = fs.removeEmptyFolder(batch.madeFolder);
        Q_UNUSED(removed);
    }
    recorder.undoFinished();
    return report;
}

bool interrupted(const journal::Batch &batch)
{
    return !batch.finished || (batch.undoBegun && !batch.undoFinished);
}

Examined examine(const journal::Batch &batch)
{
    Examined found;
    found.batch = batch;
    for (qsizetype i = 0; i < batch.steps.size(); ++i) {
        journal::Step &step = found.batch.steps[i];
        if (!step.done && !batch.finished && doneWithoutRecord(batch.kind, step)) {
            step.done = true;
            step.placedAt = step.to;
            step.after = journal::stateOf(step.to).state;
            found.foundDone.append(i);
        }
        if (step.done && !step.undone && batch.undoBegun && !batch.undoFinished
            && backWhereItWas(step)) {
            step.undone = true;
            found.foundUndone.append(i);
        }
        if (step.done && !step.undone && batch.kind != Kind::Delete) {
            if (const std::optional<FsError> problem = cannotTakeBack(batch.kind, step))
                found.changed.append({ step.placedAt, platform::errorText(*problem) });
        }
    }
    return found;
}

QStringList removePartialCopies(const journal::Batch &batch, platform::FileSystem &fs)
{
    QStringList removed;
    if (batch.kind != Kind::Move)
        return removed;
    QSet<QString> folders;
    for (const journal::Step &step : batch.steps) {
        if (!step.to.isEmpty())
            folders.insert(QFileInfo(step.to).absolutePath());
    }
    for (const QString &folder : folders) {
        const QDir dir(folder);
        const QStringList names
            = dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
        for (const QString &name : names) {
            const QString path = dir.filePath(name);
            const journal::Found file = journal::stateOf(path);
            if (!platform::isPartialCopyName(name) || !file.exists || file.state.link)
                continue;
            if (fs.removeFile(path))
                removed.append(path);
        }
    }
    return removed;
}

} // namespace undo
