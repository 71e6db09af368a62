#include "ui/main/filecommands.h"

#include "core/flows/deleteflow.h"
#include "core/flows/journal.h"
#include "core/flows/moveflow.h"
#include "core/flows/recoveryflow.h"
#include "core/flows/undo.h"
#include "core/state/browserstate.h"
#include "ui/move/movefilewindow.h"
#include "ui/widgets/batchrun.h"

#include <QAction>
#include <QCoreApplication>

namespace
{
// "3 were", "1 was": the number of pictures and the verb that goes with it.
QString countWere(qsizetype count)
{
    return count == 1 ? QCoreApplication::translate("FileCommands", "1 was")
                      : QCoreApplication::translate("FileCommands", "%n were", nullptr, int(count));
}
} // namespace

FileCommands::FileCommands(
    platform::Services &services, BrowserState &state, QAction &undo, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_state(state)
    , mnuEditUndo(undo)
{
    connect(&m_state, &BrowserState::lastBatchChanged, this, &FileCommands::updateUndo);
    updateUndo();
}

void FileCommands::mnuEditDelete_Click()
{
    const platform::Answer temp3
        = m_services.boxes().MsgBox(tr("Are you sure you want to DELETE selected files ?"),
            platform::box::OkCancel | platform::box::Question, platform::programTitle);
    if (temp3 != platform::Answer::Ok)
        return;

    journal::Recorder journal(m_services.fs());
    const flows::DeletePlan plan
        = flows::deletePlan(m_state.selection(), m_state.pairs(), m_state.settings().deleteRecycle);
    const jobs::JobReport report = runBatch(m_services.mouse(), tr("Deleting files… %1 of %2"),
        plan.files.size(), [&](jobs::Progress &progress) {
            return flows::deletePictures(plan, m_services.fs(), &journal, &progress);
        });
    m_state.afterJob();

    if (!report.failed.isEmpty()) {
        m_services.boxes().MsgBox(
            jobs::failureList(tr("These files could not be deleted:"), report),
            platform::box::Exclamation, platform::programTitle);
    }
}

void FileCommands::updateUndo()
{
    const journal::Reading reading = journal::read(journal::pathFor(m_services.fs()));
    const bool possible
        = reading.status == journal::Reading::Status::Whole && reading.batch.canUndo();
    mnuEditUndo.setText(possible ? tr("Undo %1").arg(undo::batchName(
                            reading.batch.kind, undo::picturesToUndo(reading.batch)))
                                 : tr("Undo"));
    mnuEditUndo.setEnabled(possible);
}

void FileCommands::mnuEditUndo_Click()
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

void FileCommands::runUndo(const journal::Batch &batch)
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

QString FileCommands::recoveryMessage(const flows::Recovery &found)
{
    const QString aside = found.setAsideAs.isEmpty()
        ? tr("It could not be set aside and stays as %1.").arg(found.journalPath)
        : tr("It was set aside as %1.").arg(found.setAsideAs);
    if (found.found == flows::Recovery::Found::Damaged) {
        // No batch can be recorded, nor undone.
        const QString more = found.inTheWay
            ? tr(" Until it is gone, Ravelin keeps no record of its batches, so they "
                 "cannot be undone.")
            : QString();
        return tr("The record Ravelin keeps of its last batch is damaged, so nothing "
                  "was done with it: %1\n\n%2")
            .arg(found.problem, aside + more);
    }

    const journal::Batch &batch = found.batch;
    const QString name = undo::batchName(batch.kind, found.files);
    const bool undoing = found.undoing;
    QString text = undoing
        ? tr("Ravelin was stopped while it was undoing the last batch, the %1.").arg(name)
        : tr("Ravelin was stopped before it finished the last batch, the %1.").arg(name);
    if (!found.cleaned.isEmpty() && batch.kind == journal::Kind::Move) {
        text += tr("\n\nThe unfinished copies it was making on another drive were "
                   "removed (%1).")
                    .arg(found.cleaned.size());
    }
    if (const qsizetype both = found.copies.finished.size(); both > 0) {
        text += batch.kind == journal::Kind::Rename
            ? (both == 1 ? tr("\n\n1 picture was in both places; its rename was finished.")
                         : tr("\n\n%n pictures were in both places; their renames were "
                              "finished.",
                             nullptr, int(both)))
            : (both == 1 ? tr("\n\n1 picture was in both places; its move was finished.")
                         : tr("\n\n%n pictures were in both places; their moves were finished.",
                             nullptr, int(both)));
    }
    for (const auto &[from, to] : found.copies.kept) {
        text += tr("\n\n%1 and %2 were both there, with different contents; both were kept.")
                    .arg(from, to);
    }
    if (found.found == flows::Recovery::Found::Changed) {
        jobs::JobReport changed;
        changed.failed = found.changed;
        return jobs::failureList(text
                + tr("\n\nSome of its files have changed since, so nothing "
                     "of it will be undone. ")
                + aside + tr("\n\nThe files that changed:"),
            changed);
    }

    const qsizetype left = found.left;
    if (undoing) {
        text += left == 1 ? tr("\n\n1 picture is still to be brought back.")
                          : tr("\n\n%n pictures are still to be brought back.", nullptr, int(left));
    } else {
        const qsizetype steps = found.files;
        text
            += (steps == 1 ? tr("\n\nOf its 1 picture, %1 done and %2 not.")
                           : tr("\n\nOf its %n pictures, %1 done and %2 not.", nullptr, int(steps)))
                   .arg(countWere(found.done))
                   .arg(steps - found.done);
    }
    if (!found.canUndo()) {
        if (batch.kind == journal::Kind::Delete)
            text += tr("\n\nPictures deleted for good cannot be brought back.");
        return text;
    }
    return text
        + (undoing ? tr("\n\nDo you want to bring them back now?")
                   : tr("\n\nDo you want to undo what was done? You "
                        "can also do it later with Edit > Undo."));
}

void FileCommands::recoverUnfinishedBatch()
{
    const flows::Recovery found = flows::recover(m_services.fs());
    if (found.found == flows::Recovery::Found::Nothing)
        return;
    const QString text = recoveryMessage(found);
    if (found.found != flows::Recovery::Found::Stopped) {
        m_services.boxes().MsgBox(text, platform::box::Exclamation, platform::programTitle);
        updateUndo();
        return;
    }
    if (!found.canUndo()) {
        m_services.boxes().MsgBox(text, platform::box::OkOnly, platform::programTitle);
    } else if (m_services.boxes().MsgBox(
                   text, platform::box::OkCancel | platform::box::Question, platform::programTitle)
        == platform::Answer::Ok) {
        runUndo(found.toTakeBack());
        return;
    } else {
        flows::leaveStoppedUndo(found, m_services.fs());
    }
    m_state.afterJob();
}

void FileCommands::moveDroppedFiles(const QStringList &files, const QString &folder)
{
    // The move window's plan, question and report: a pair moves whole, as it would there.
    const flows::MovePlan plan = flows::movePlan(files, folder, m_state.pairs());
    if (plan.problem != flows::MovePlan::Problem::None)
        return;
    if (MoveFileWindow::askAndMove(m_services, plan))
        m_state.afterJob(BrowserState::ManualGrid::Keep);
}
