#include "ui/main/frmmain.h"

#include "core/flows/journal.h"
#include "core/flows/undo.h"
#include "ui/widgets/batchrun.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>

namespace
{
// "3 were", "1 was": the number of pictures and the verb that goes with it.
QString countWere(qsizetype count)
{
    return count == 1 ? QCoreApplication::translate("frmMain", "1 was")
                      : QCoreApplication::translate("frmMain", "%n were", nullptr, int(count));
}
} // namespace

void frmMain::updateUndo()
{
    const journal::Reading reading = journal::read(journal::pathFor(m_services.fs()));
    const bool possible
        = reading.status == journal::Reading::Status::Whole && reading.batch.canUndo();
    mnuEditUndo->setText(possible ? tr("Undo %1").arg(undo::batchName(
                             reading.batch.kind, undo::picturesToUndo(reading.batch)))
                                  : tr("Undo"));
    mnuEditUndo->setEnabled(possible);
}

void frmMain::mnuEditUndo_Click()
{
    // The journal is read again: another copy of the program or the user may have changed
    // it since the menu was shown.
    const journal::Reading reading = journal::read(journal::pathFor(m_services.fs()));
    if (reading.status != journal::Reading::Status::Whole || !reading.batch.canUndo()) {
        updateUndo();
        return;
    }
    const platform::Answer answer = m_services.boxes().MsgBox(
        tr("Are you sure you want to UNDO the %1 ?")
            .arg(undo::batchName(reading.batch.kind, undo::picturesToUndo(reading.batch))),
        platform::box::OkCancel | platform::box::Question, platform::programTitle);
    if (answer == platform::Answer::Ok)
        runUndo(reading.batch);
}

void frmMain::runUndo(const journal::Batch &batch)
{
    const QString name = undo::batchName(batch.kind, undo::picturesToUndo(batch));
    journal::Recorder recorder(m_services.fs());
    recorder.resume();
    const jobs::JobReport report = runBatch(m_services.mouse(),
        tr("Undoing the %1… %2 of %3").arg(name, QStringLiteral("%1"), QStringLiteral("%2")),
        batch.toUndo(), [&](jobs::Progress &progress) {
            return undo::undoBatch(batch, m_services.fs(), recorder, &progress);
        });
    m_state.afterJob();
    if (report.failed.isEmpty()) {
        m_services.boxes().MsgBox(
            tr("The %1 was undone.").arg(name), platform::box::OkOnly, platform::programTitle);
        return;
    }
    m_services.boxes().MsgBox(
        jobs::failureList(tr("Undo of the %1: %2 brought back. These were not:")
                              .arg(name, countWere(report.done.size())),
            report),
        platform::box::Exclamation, platform::programTitle);
}

void frmMain::recoverUnfinishedBatch()
{
    // The journal may be that of a batch another copy is running now.
    if (!m_alone)
        return;
    platform::FileSystem &fs = m_services.fs();
    const QString path = journal::pathFor(fs);
    const journal::Reading reading = journal::read(path);
    const auto setAsideText = [&] {
        const QString aside = journal::setAside(fs, path);
        return aside.isEmpty() ? tr("It could not be set aside and stays as %1.").arg(path)
                               : tr("It was set aside as %1.").arg(aside);
    };
    if (reading.status == journal::Reading::Status::Damaged) {
        QString aside = setAsideText();
        // A folder, say, where the journal goes: no batch can be recorded, nor undone.
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            aside += tr(" Until it is gone, Ravelin keeps no record of its batches, so they "
                        "cannot be undone.");
        m_services.boxes().MsgBox(
            tr("The record Ravelin keeps of its last batch is damaged, so nothing "
               "was done with it: %1\n\n%2")
                .arg(reading.problem, aside),
            platform::box::Exclamation, platform::programTitle);
        updateUndo();
        return;
    }
    if (reading.status != journal::Reading::Status::Whole || !undo::interrupted(reading.batch))
        return;

    // A copy put in place before its source was removed is finished first: then it shows
    // as done.
    const undo::Finished copies = undo::finishCopies(reading.batch, fs);
    const undo::Examined found = undo::examine(reading.batch);
    const journal::Batch &batch = found.batch;
    const QString name = undo::batchName(batch.kind, batch.steps.size());
    const QStringList removed = undo::removePartialCopies(batch, fs);
    const bool undoing = batch.undoBegun;
    QString text = undoing
        ? tr("Ravelin was stopped while it was undoing the last batch, the %1.").arg(name)
        : tr("Ravelin was stopped before it finished the last batch, the %1.").arg(name);
    if (!removed.isEmpty() && batch.kind == journal::Kind::Move) {
        text += tr("\n\nThe unfinished copies it was making on another drive were "
                   "removed (%1).")
                    .arg(removed.size());
    }
    if (const qsizetype both = copies.finished.size(); both > 0) {
        text += batch.kind == journal::Kind::Rename
            ? (both == 1 ? tr("\n\n1 picture was in both places; its rename was finished.")
                         : tr("\n\n%n pictures were in both places; their renames were "
                              "finished.",
                             nullptr, int(both)))
            : (both == 1 ? tr("\n\n1 picture was in both places; its move was finished.")
                         : tr("\n\n%n pictures were in both places; their moves were finished.",
                             nullptr, int(both)));
    }
    for (const auto &[from, to] : copies.kept) {
        text += tr("\n\n%1 and %2 were both there, with different contents; both were kept.")
                    .arg(from, to);
    }
    if (!found.changed.isEmpty()) {
        jobs::JobReport changed;
        changed.failed = found.changed;
        m_services.boxes().MsgBox(
            jobs::failureList(text
                    + tr("\n\nSome of its files have changed since, so nothing "
                         "of it will be undone. ")
                    + setAsideText() + tr("\n\nThe files that changed:"),
                changed),
            platform::box::Exclamation, platform::programTitle);
        updateUndo();
        return;
    }

    // What the disk showed done goes into the journal before anything else happens.
    journal::Recorder recorder(fs, path);
    recorder.resume();
    for (const qsizetype i : found.foundDone)
        recorder.done(i, batch.steps.at(i).placedAt);
    for (const qsizetype i : found.foundUndone)
        recorder.undone(i);
    if (!batch.finished)
        recorder.finish();

    const qsizetype left = batch.toUndo();
    if (undoing) {
        text += left == 1 ? tr("\n\n1 picture is still to be brought back.")
                          : tr("\n\n%n pictures are still to be brought back.", nullptr, int(left));
    } else {
        qsizetype done = 0;
        for (const journal::Step &step : batch.steps)
            done += step.done ? 1 : 0;
        const qsizetype steps = batch.steps.size();
        text
            += (steps == 1 ? tr("\n\nOf its 1 picture, %1 done and %2 not.")
                           : tr("\n\nOf its %n pictures, %1 done and %2 not.", nullptr, int(steps)))
                   .arg(countWere(done))
                   .arg(steps - done);
    }
    journal::Batch toTakeBack = batch;
    toTakeBack.finished = true;
    if (batch.kind == journal::Kind::Delete || left == 0) {
        if (batch.kind == journal::Kind::Delete)
            text += tr("\n\nPictures deleted for good cannot be brought back.");
        if (undoing)
            recorder.undoFinished();
        m_services.boxes().MsgBox(text, platform::box::OkOnly, platform::programTitle);
    } else if (m_services.boxes().MsgBox(text
                       + (undoing ? tr("\n\nDo you want to bring them back now?")
                                  : tr("\n\nDo you want to undo what was done? You "
                                       "can also do it later with Edit > Undo.")),
                   platform::box::OkCancel | platform::box::Question, platform::programTitle)
        == platform::Answer::Ok) {
        runUndo(toTakeBack);
        return;
    } else if (undoing) {
        recorder.undoFinished();
    }
    m_state.afterJob();
}
