#include "browser/frmmain.h"

namespace
{
// A failure report lists at most this many files, then says how many more there were.
constexpr int maxListedFailures = 15;
} // namespace

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

    QStringList failures;
    for (const QString &path : m_state.selection()) {
        const platform::FsResult done
            = DeleteRecycle ? m_services.fs().moveToTrash(path) : m_services.fs().removeFile(path);
        if (!done)
            failures.append(QStringLiteral("%1 (%2)").arg(path, done.error));
    }
    m_state.afterJob();

    if (!failures.isEmpty()) {
        const qsizetype more = failures.size() - maxListedFailures;
        if (more > 0) {
            failures = failures.mid(0, maxListedFailures);
            failures.append(QStringLiteral("... and %1 more.").arg(more));
        }
        m_services.boxes().MsgBox(QStringLiteral("These files could not be deleted:\n\n")
                + failures.join(QLatin1Char('\n')),
            platform::box::Exclamation, platform::programTitle);
    }
}
