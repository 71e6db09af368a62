#include "ui/main/frmmain.h"

#include "core/flows/deleteflow.h"
#include "core/flows/journal.h"
#include "ui/widgets/batchrun.h"

void frmMain::mnuEditDelete_Click()
{
    DeleteSelectedPictures();
}

void frmMain::DeleteSelectedPictures()
{
    const platform::Answer temp3
        = m_services.boxes().MsgBox(tr("Are you sure you want to DELETE selected files ?"),
            platform::box::OkCancel | platform::box::Question, platform::programTitle);
    if (temp3 != platform::Answer::Ok)
        return;

    journal::Recorder journal(m_services.fs());
    const flows::DeletePlan plan
        = flows::deletePlan(m_state.selection(), m_state.pairs(), DeleteRecycle);
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
