#pragma once

#include "core/flows/jobs.h"
#include "core/flows/journal.h"
#include "core/flows/undo.h"

// What is left of a batch the program did not finish, found at the next start: the journal
// is read, a damaged one set aside, what the disk shows done recorded, what the batch left
// half-made finished or removed. The window only words the report and asks about the undo.
namespace flows
{

struct Recovery {
    enum class Found {
        Nothing, // no journal, or the journal of a batch that ended
        Damaged, // the journal cannot be read: nothing was done with it
        Changed, // files of the batch changed since: nothing of it will be undone
        Stopped, // a batch, or its undo, was stopped: it can be undone
    };
    Found found = Found::Nothing;
    QString journalPath;
    // Damaged: why the journal cannot be read, and whether something still stands in its
    // place, where no batch can be recorded.
    QString problem;
    bool inTheWay = false;
    // Damaged or Changed: the name it was set aside as, empty when it could not be.
    QString setAsideAs;

    // Changed or Stopped: the batch as the disk shows it.
    journal::Batch batch;
    bool undoing = false;
    // The partial copies and empty trash records removed.
    QStringList cleaned;
    // The copies in place finished by removing their source, or kept with it.
    undo::Finished copies;
    // Changed: the files no longer as the batch left them.
    QList<jobs::Failure> changed;
    // The files of the batch (one renamed by way of a temporary name once), those done (at
    // their new names); Stopped: those still to be brought back.
    qsizetype files = 0;
    qsizetype done = 0;
    qsizetype left = 0;

    // Whether what was done can be taken back now: the batch to hand to the undo.
    [[nodiscard]] bool canUndo() const
    {
        return found == Found::Stopped && batch.kind != journal::Kind::Delete && left > 0;
    }
    [[nodiscard]] journal::Batch toTakeBack() const;
};

// Reads the journal of the last batch and deals with what it left.
[[nodiscard]] Recovery recover(platform::FileSystem &fs);

// A stopped undo the user chose not to finish: its journal counts it as ended, so no later
// start asks again and Edit > Undo offers nothing; what it had not brought back stays as it is.
void leaveStoppedUndo(const Recovery &recovery, platform::FileSystem &fs);

} // namespace flows
