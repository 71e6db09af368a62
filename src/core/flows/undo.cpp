#include "core/flows/undo.h"

#include "core/files/filesystem.h"
#include "core/files/safemove.h"
#include "core/pictures/pictureformats.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUrl>

#include <algorithm>

#include <unistd.h>

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
    // Another file may have come where it was since, as a circle of renames taken back does.
    bool backWhereItWas(const journal::Step &step)
    {
        const journal::Found there = journal::stateOf(step.placedAt);
        const journal::Found back = journal::stateOf(step.from);
        return (!there.exists || !sameFile(there.state, step.after)) && back.exists
            && sameFile(back.state, step.after) && back.state.folder == step.before.folder;
    }

    // The copy a move to a FAT drive makes keeps its time only to the two seconds that FAT
    // keeps.
    constexpr qint64 coarsestTimeNs = qint64(2'000'000'000);

    // The file a step planned to deal with, as the plan saw it, is at path: the same kind,
    // size and time (a copy's time as close as its drive keeps it).
    bool asPlanned(const QString &path, const journal::FileState &before, bool copied)
    {
        if (path.isEmpty())
            return false;
        const journal::Found found = journal::stateOf(path);
        if (!found.exists || found.state.link != before.link || found.state.size != before.size)
            return false;
        return copied ? qAbs(found.state.modified - before.modified) < coarsestTimeNs
                      : found.state.modified == before.modified;
    }

    // A step whose record was not written, as the disk shows it: a file renamed or moved is
    // at its target, as it was, and no longer at its source; a file deleted for good is gone.
    // A file at its target and nothing at its source was put there by the step and changed
    // since, unless another step takes a file from that name (a batch gives no other name a
    // file has): it is done, as it was when the step left it, so that it is named and left
    // alone.
    std::optional<journal::Step> doneWithoutRecord(
        Kind kind, const journal::Step &step, const QSet<QString> &sources)
    {
        journal::Step done = step;
        done.done = true;
        if (kind == Kind::Delete) {
            if (journal::stateOf(step.from).exists)
                return std::nullopt;
            return done;
        }
        if (kind != Kind::Rename && kind != Kind::Move)
            return std::nullopt;
        done.placedAt = step.to;
        const journal::Found there = journal::stateOf(step.to);
        if (!asPlanned(step.from, step.before, false)
            && asPlanned(step.to, step.before, kind == Kind::Move)) {
            done.after = there.state;
            return done;
        }
        if (!there.exists || there.state.link || sources.contains(step.to)
            || journal::stateOf(step.from).exists)
            return std::nullopt;
        done.after = step.before;
        done.after.folder = there.state.folder;
        return done;
    }

    // The trash folders a file may have gone to: the user's, and those at the top of its
    // volume (".Trash-1000", ".Trash/1000").
    QStringList trashFoldersFor(const QString &path)
    {
        QStringList folders { QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/Trash") };
        const QStorageInfo volume(QFileInfo(path).absolutePath());
        if (!volume.isValid())
            return folders;
        const QDir top(volume.rootPath());
        for (const QString &trash : top.entryList(
                 { QStringLiteral(".Trash-*") }, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks))
            folders.append(top.filePath(trash));
        const QDir shared(top.filePath(QStringLiteral(".Trash")));
        for (const QString &user :
            shared.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks))
            folders.append(shared.filePath(user));
        return folders;
    }

    // The records in a trash folder that may be of the file at path: those whose names begin
    // with its own.
    QFileInfoList trashRecordsFor(const QString &trash, const QString &path)
    {
        const QString stem = QFileInfo(path).completeBaseName();
        QFileInfoList records;
        const QFileInfoList entries = QDir(trash + QStringLiteral("/info"))
                                          .entryInfoList({ QStringLiteral("*.trashinfo") },
                                              QDir::Files | QDir::Hidden | QDir::System);
        for (const QFileInfo &entry : entries) {
            if (entry.fileName().startsWith(stem))
                records.append(entry);
        }
        return records;
    }

    // A step to the trash whose record was not written: the file is no longer at its source,
    // and is in a trash, as it was, with a record that names its source. Its place there, or
    // nothing.
    QString trashedWithoutRecord(Kind kind, const journal::Step &step)
    {
        if (kind != Kind::Trash || asPlanned(step.from, step.before, false))
            return {};
        for (const QString &trash : trashFoldersFor(step.from)) {
            for (const QFileInfo &record : trashRecordsFor(trash, step.from)) {
                const QString inTrash = trash + QStringLiteral("/files/")
                    + record.fileName().chopped(int(qstrlen(".trashinfo")));
                if (asPlanned(inTrash, step.before, false)
                    && recordNames(record.filePath(), step.from))
                    return inTrash;
            }
        }
        return {};
    }

    // Whether two files hold the same bytes, read a block at a time.
    bool sameBytes(const QString &a, const QString &b)
    {
        QFile first(a);
        QFile second(b);
        if (QFileInfo(a).isSymLink() || QFileInfo(b).isSymLink() || !first.open(QIODevice::ReadOnly)
            || !second.open(QIODevice::ReadOnly) || first.size() != second.size())
            return false;
        constexpr qint64 block = qint64(1) << 20;
        while (!first.atEnd()) {
            const QByteArray one = first.read(block);
            if (one.isEmpty() || one != second.read(block))
                return false;
        }
        return second.atEnd();
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
        // A file at a temporary name is counted by the step that put it there.
        if (batch.steps.at(i).done && !batch.steps.at(i).undone
            && !journal::isTemporaryName(batch.steps.at(i).from))
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
        if (progress != nullptr && !journal::isTemporaryName(step.from))
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
    QList<journal::Step> &steps = found.batch.steps;
    QSet<QString> sources;
    for (const journal::Step &step : steps)
        sources.insert(step.from);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        journal::Step &step = steps[i];
        if (!step.done && !batch.finished) {
            const QString trashed = trashedWithoutRecord(batch.kind, step);
            if (!trashed.isEmpty()) {
                step.done = true;
                step.placedAt = trashed;
                step.after = journal::stateOf(trashed).state;
                found.foundDone.append(i);
            } else if (const std::optional<journal::Step> done
                = doneWithoutRecord(batch.kind, step, sources)) {
                step = *done;
                found.foundDone.append(i);
            }
        }
    }
    // Where a later step took a file from, as from a temporary name, the step that put it
    // there was done, and the undo of the later one puts it back there.
    QSet<QString> refilled;
    for (qsizetype i = steps.size() - 1; i >= 0; --i) {
        journal::Step &step = steps[i];
        if (!step.done && !batch.finished && refilled.contains(step.to)) {
            step.done = true;
            step.placedAt = step.to;
            step.after = step.before;
            found.foundDone.append(i);
        }
        if (step.done && !step.undone)
            refilled.insert(step.from);
    }
    std::sort(found.foundDone.begin(), found.foundDone.end());
    refilled.clear();
    for (qsizetype i = steps.size() - 1; i >= 0; --i) {
        journal::Step &step = steps[i];
        if (step.done && !step.undone && batch.undoBegun && !batch.undoFinished
            && backWhereItWas(step)) {
            step.undone = true;
            found.foundUndone.append(i);
        }
        if (step.done && !step.undone && batch.kind != Kind::Delete
            && !refilled.contains(step.placedAt)) {
            if (const std::optional<FsError> problem = cannotTakeBack(batch.kind, step))
                found.changed.append({ step.placedAt, platform::errorText(*problem) });
        }
        if (step.done && !step.undone)
            refilled.insert(step.from);
    }
    std::sort(found.foundUndone.begin(), found.foundUndone.end());
    std::reverse(found.changed.begin(), found.changed.end());
    return found;
}

Finished finishCopies(const journal::Batch &batch, platform::FileSystem &fs)
{
    Finished finished;
    if (batch.finished || (batch.kind != Kind::Rename && batch.kind != Kind::Move))
        return finished;
    for (const journal::Step &step : batch.steps) {
        if (step.done || !asPlanned(step.from, step.before, false)
            || !asPlanned(step.to, step.before, batch.kind == Kind::Move))
            continue;
        if (sameBytes(step.from, step.to) && fs.removeFile(step.from))
            finished.finished.append(step.to);
        else
            finished.kept.append({ step.from, step.to });
    }
    return finished;
}

QStringList removePartialCopies(const journal::Batch &batch, platform::FileSystem &fs)
{
    QStringList removed;
    if (batch.kind == Kind::Trash) {
        // A record begun in the trash for a file that never went there.
        for (const journal::Step &step : batch.steps) {
            for (const QString &trash : trashFoldersFor(step.from)) {
                for (const QFileInfo &record : trashRecordsFor(trash, step.from)) {
                    const QString inTrash = trash + QStringLiteral("/files/")
                        + record.fileName().chopped(int(qstrlen(".trashinfo")));
                    if (record.size() == 0 && !record.isSymLink()
                        && !journal::stateOf(inTrash).exists && fs.removeFile(record.filePath()))
                        removed.append(record.filePath());
                }
            }
        }
        return removed;
    }
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
