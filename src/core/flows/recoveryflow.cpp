#include "core/flows/recoveryflow.h"

#include <QFileInfo>

namespace flows
{

journal::Batch Recovery::toTakeBack() const
{
    journal::Batch whole = batch;
    whole.finished = true;
    return whole;
}

Recovery recover(platform::FileSystem &fs)
{
    Recovery report;
    report.journalPath = journal::pathFor(fs);
    const QString &path = report.journalPath;
    const journal::Reading reading = journal::read(path);
    if (reading.status == journal::Reading::Status::Damaged) {
        report.found = Recovery::Found::Damaged;
        report.problem = reading.problem;
        report.setAsideAs = journal::setAside(fs, path);
        // A folder, say, where the journal goes.
        report.inTheWay = QFileInfo::exists(path) || QFileInfo(path).isSymLink();
        return report;
    }
    if (reading.status != journal::Reading::Status::Whole || !undo::interrupted(reading.batch))
        return report;

    // A copy put in place before its source was removed is finished first: then it shows
    // as done.
    report.copies = undo::finishCopies(reading.batch, fs);
    const undo::Examined found = undo::examine(reading.batch);
    report.batch = found.batch;
    const journal::Batch &batch = report.batch;
    report.undoing = batch.undoBegun;
    report.cleaned = undo::removePartialCopies(batch, fs);
    for (const journal::Step &step : batch.steps) {
        if (!journal::isTemporaryName(step.to)) {
            ++report.files;
            report.done += step.done ? 1 : 0;
        }
    }
    if (!found.changed.isEmpty()) {
        report.found = Recovery::Found::Changed;
        report.changed = found.changed;
        report.setAsideAs = journal::setAside(fs, path);
        return report;
    }
    report.found = Recovery::Found::Stopped;

    // What the disk showed done goes into the journal before anything else happens.
    journal::Recorder recorder(fs, path);
    recorder.resume();
    for (const qsizetype i : found.foundDone)
        recorder.done(i, batch.steps.at(i).placedAt, batch.steps.at(i).after);
    for (const qsizetype i : found.foundUndone)
        recorder.undone(i);
    if (!batch.finished)
        recorder.finish();

    report.left = batch.toUndo();
    if (report.undoing && !report.canUndo())
        recorder.undoFinished();
    return report;
}

void leaveStoppedUndo(const Recovery &recovery, platform::FileSystem &fs)
{
    if (!recovery.undoing || !recovery.canUndo())
        return;
    journal::Recorder recorder(fs, recovery.journalPath);
    recorder.resume();
    recorder.undoFinished();
}

} // namespace flows
