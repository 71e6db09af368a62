#include "ui/move/movefilewindow.h"

#include "core/flows/jobs.h"
#include "core/flows/journal.h"
#include "core/names/moverules.h"
#include "core/state/browserstate.h"
#include "ui/widgets/batchrun.h"
#include "ui/widgets/drivelistbox.h"
#include "ui/widgets/folderlistbox.h"
#include "ui/widgets/units.h"
#include "ui/widgets/waitcursor.h"

#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

namespace
{
constexpr int clientWidth = 9825;
constexpr int clientHeight = 5385;
} // namespace

MoveFileWindow::MoveFileWindow(platform::Services &services, BrowserState &state, QWidget *parent)
    : SecondaryWindow(parent)
    , m_services(services)
    , m_state(state)
{
    buildControls();
    connectEvents();
}

void MoveFileWindow::buildControls()
{
    setWindowTitle(tr("Move Files"));
    setFixedSize(twips(clientWidth), twips(clientHeight));

    // The frames only group what lies inside them: made first, they are drawn behind it.
    NewFolder = new QGroupBox(tr("Create new Folder"), this);
    NewFolder->setGeometry(twips(240, 120, 4455, 735));
    Frame3 = new QGroupBox(tr("Select New Folder"), this);
    Frame3->setGeometry(twips(240, 960, 4455, 4215));
    Frame1 = new QGroupBox(tr("Current"), this);
    Frame1->setGeometry(twips(5160, 120, 4575, 2055));
    Frame2 = new QGroupBox(tr("Preview"), this);
    Frame2->setGeometry(twips(5160, 2520, 4575, 2055));

    Text4 = new QLineEdit(this);
    Text4->setGeometry(twips(480, 360, 3315, 315));
    Text4->setAccessibleName(NewFolder->title());
    MakeDir = new QPushButton(tr("OK"), this);
    MakeDir->setGeometry(twips(4080, 360, 480, 375));

    Drive2 = new DriveListBox(m_services.drives(), this);
    Drive2->setGeometry(twips(480, 1320, 3975, 315));
    Drive2->setAccessibleName(tr("Drive"));
    Dir2 = new FolderListBox(this);
    Dir2->setGeometry(twips(480, 1800, 3960, 2565));
    Dir2->setAccessibleName(Frame3->title());
    Text5 = new QLineEdit(this);
    Text5->setGeometry(twips(480, 4560, 3975, 330));
    Text5->setReadOnly(true);
    Text5->setAccessibleName(tr("Destination folder"));

    List1 = new QListWidget(this);
    List1->setGeometry(twips(5400, 480, 3975, 1425));
    List1->setAccessibleName(Frame1->title());
    List2 = new QListWidget(this);
    List2->setGeometry(twips(5400, 2880, 3975, 1425));
    List2->setAccessibleName(Frame2->title());

    MoveFolderOK = new QPushButton(tr("Move Pictures"), this);
    MoveFolderOK->setGeometry(twips(5160, 4800, 1815, 375));
    Command1 = new QPushButton(tr("Cancel"), this);
    Command1->setGeometry(twips(8040, 4800, 1695, 375));

    setTabOrder(Drive2, Command1);
    setTabOrder(Command1, MoveFolderOK);
    setTabOrder(MoveFolderOK, Dir2);
    setTabOrder(Dir2, Text5);
    setTabOrder(Text5, Text4);
    setTabOrder(Text4, MakeDir);
    setTabOrder(MakeDir, List1);
    setTabOrder(List1, List2);
}

void MoveFileWindow::connectEvents()
{
    connect(Drive2, &DriveListBox::changed, this, &MoveFileWindow::Drive2_Change);
    connect(Dir2, &FolderListBox::changed, this, &MoveFileWindow::Dir2_Change);
    connect(Dir2, &FolderListBox::openFailed, this, &MoveFileWindow::openFailed);
    connect(MakeDir, &QPushButton::clicked, this, &MoveFileWindow::MakeDir_Click);
    connect(Command1, &QPushButton::clicked, this, &MoveFileWindow::Command1_Click);
    connect(MoveFolderOK, &QPushButton::clicked, this, &MoveFileWindow::MoveFolderOK_Click);
}

void MoveFileWindow::Form_Load()
{
    m_pictures = m_state.selection();
    // The destination starts at the main window's folder, with the preview still empty.
    showPlan({});
    Drive2->refresh();
    {
        const QSignalBlocker blocker(Dir2);
        if (Dir2->setPath(m_state.folder()))
            Dir2->refresh();
    }
    Drive2->showDriveOf(Dir2->path());
    Text5->setText(Dir2->path());
}

void MoveFileWindow::Form_Unload()
{
    List1->clear();
    List2->clear();
    Text4->clear();
    Text5->clear();
    m_pictures.clear();
    m_plan = {};
    m_madeFolders.clear();
}

void MoveFileWindow::showPlan(const QString &destination)
{
    m_plan = flows::movePlan(m_pictures, destination, m_state.pairs());
    // A folder made here is taken back with the move's undo.
    if (m_madeFolders.contains(QDir::cleanPath(destination)))
        m_plan.madeFolder = destination;
    List1->clear();
    List2->clear();
    for (const jobs::Target &file : std::as_const(m_plan.files)) {
        List1->addItem(file.from);
        if (!file.to.isEmpty())
            List2->addItem(file.to);
    }
}

void MoveFileWindow::Drive2_Change()
{
    // Setting the folder list's path raises Dir2_Change, which rebuilds the preview.
    if (!Dir2->setPath(Drive2->root())) {
        m_services.boxes().MsgBox(
            tr("Drive Can not be found."), platform::box::Critical, QStringLiteral("Brindle"));
    }
}

void MoveFileWindow::Dir2_Change()
{
    Drive2->showDriveOf(Dir2->path());
    Text5->setText(Dir2->path());
    showPlan(Text5->text());
}

void MoveFileWindow::openFailed(const QString &path)
{
    m_services.boxes().MsgBox(
        FolderListBox::cannotOpenText(path), platform::box::Critical, platform::programTitle);
}

void MoveFileWindow::MakeDir_Click()
{
    // The name is taken inside the destination folder, never the current directory, which
    // the main window's thumbnails depend on.
    const QString folder = rules::newFolderPath(Dir2->path(), Text4->text());
    if (folder.isEmpty() || !m_services.fs().makeFolder(folder)) {
        m_services.boxes().MsgBox(
            tr("Folder may already Exist"), platform::box::Critical, tr("Can not create folder"));
        return;
    }
    m_madeFolders.insert(QDir::cleanPath(folder));
    Dir2->refresh();
    m_state.folderMade();
}

void MoveFileWindow::Command1_Click()
{
    unload();
    m_state.backInUse();
}

void MoveFileWindow::MoveFolderOK_Click()
{
    // Without a destination nothing can move, and the window stays as it is.
    if (m_plan.problem == flows::MovePlan::Problem::NoDestination) {
        m_services.boxes().MsgBox(
            tr("No destination was chosen."), platform::box::Exclamation, platform::programTitle);
        return;
    }
    if (!askAndMove(m_services, m_plan, [this] {
            List1->clear();
            List2->clear();
        }))
        return;
    // In manual mode the old thumbnails and their marks stay until the next build.
    m_state.afterJob(BrowserState::ManualGrid::Keep);
    m_state.backInUse();
    Q_EMIT moved();
    unload();
}

bool MoveFileWindow::askAndMove(platform::Services &services, const flows::MovePlan &plan,
    const std::function<void()> &beforeReport)
{
    if (services.boxes().MsgBox(tr("Are you sure you want to MOVE these files ?"),
            platform::box::OkCancel | platform::box::Question, QStringLiteral("Tessary"))
        != platform::Answer::Ok)
        return false;
    journal::Recorder journal(services.fs());
    const jobs::JobReport report = runBatch(services.mouse(), tr("Moving files… %1 of %2"),
        plan.files.size(), [&](jobs::Progress &progress) {
            return flows::move(plan, services.fs(), &journal, &progress);
        });
    if (beforeReport)
        beforeReport();
    services.boxes().MsgBox(QString::number(report.done.size()) + tr(" Files moved!"),
        platform::box::OkOnly, platform::programTitle);
    if (!report.failed.isEmpty()) {
        services.boxes().MsgBox(jobs::failureList(tr("These files were not moved:"), report),
            platform::box::Exclamation, platform::programTitle);
    }
    return true;
}
