#include "browser/frmmain.h"

#include "app/filelistbox.h"
#include "app/jobs.h"

#include <QListWidget>

void frmMain::mnuEditDelete_Click()
{
    DeleteSelectedPictures();
}

void frmMain::DeleteSelectedPictures()
{
    const platform::Answer temp3 = m_services.boxes().MsgBox(
        QStringLiteral("Are you sure you want to DELETE selected files ?"),
        platform::box::OkCancel | platform::box::Question, platform::programTitle);
    if (temp3 != platform::Answer::Ok)
        return;

    QStringList paths;
    for (int i = 0; i < List1->count(); ++i)
        paths.append(List1->item(i)->text());
    const jobs::JobReport report = jobs::deleteFiles(paths, DeleteRecycle, m_services.fs());
    List1->clear();
    refreshFiles();

    if (!report.failed.isEmpty()) {
        m_services.boxes().MsgBox(
            jobs::failureList(QStringLiteral("These files could not be deleted:"), report),
            platform::box::Exclamation, platform::programTitle);
    }
}
