#pragma once

#include "core/files/fserrors.h"
#include "core/flows/jobs.h"
#include "core/flows/journal.h"

#include <optional>

// Taking back the last batch from its journal, and what is left to tell and to clear up of a
// batch the program did not finish.
namespace undo
{

// What the batch was, for the user: "Rename of 300 Pictures", "Delete of 1 Picture".
[[nodiscard]] QString batchName(journal::Kind kind, qsizetype pictures);

// The pictures of the batch that were dealt with and not yet taken back: a RAW file or a
// sidecar that went along with its picture is not one more.
[[nodiscard]] qsizetype picturesToUndo(const journal::Batch &batch);

// Why the file a step put in its place cannot be taken back now, or nothing: it must be where
// the step left it and as it was then, in the same folders, and the name it came from must
// lie in the folder it came from.
[[nodiscard]] std::optional<platform::FsError> cannotTakeBack(
    journal::Kind kind, const journal::Step &step);

// Takes back, last first, every file of the batch that was dealt with and not yet taken back,
// with the operations that never replace a file: a file that cannot be taken back stays where
// it is and is reported; a folder made for a move is removed when it is left empty. The undo
// goes into the journal as it runs, and each file taken back or not into the progress given.
[[nodiscard]] jobs::JobReport undoBatch(const journal::Batch &batch, platform::FileSystem &fs,
    journal::Recorder &recorder, jobs::Progress *progress = nullptr);

// A batch, or the undo of one, that the program did not finish.
[[nodiscard]] bool interrupted(const journal::Batch &batch);

// What the disk says of an interrupted batch: the step under way when the program stopped
// may have been done without its record, and the files may have changed since.
struct Examined {
    // The batch with the steps found done on disk (or found taken back) marked so.
    journal::Batch batch;
    // The indexes of the steps so found.
    QList<qsizetype> foundDone;
    QList<qsizetype> foundUndone;
    // Files the batch dealt with that are no longer as it left them.
    QList<jobs::Failure> changed;
};
[[nodiscard]] Examined examine(const journal::Batch &batch);

// The steps of a stopped rename or move whose file is both at its source and at its target,
// as the plan saw it: where the two hold the same bytes the step had made its copy, and is
// finished by removing the source; otherwise both are kept.
struct Finished {
    // The targets of the steps finished.
    QStringList finished;
    // The source and the target of each step whose two files differ.
    QList<std::pair<QString, QString>> kept;
};
[[nodiscard]] Finished finishCopies(const journal::Batch &batch, platform::FileSystem &fs);

// Removes the partial copies a move to another drive left behind when it was stopped: only
// plain files of the move's own temporary names, only in the folders the batch moved to;
// and the empty records a stopped delete to the trash began for files that never went there.
// Returns the files removed.
[[nodiscard]] QStringList removePartialCopies(
    const journal::Batch &batch, platform::FileSystem &fs);

} // namespace undo
