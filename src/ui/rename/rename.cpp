#include "ui/rename/rename.h"

#include "core/buildinfo.h"
#include "core/flows/journal.h"
#include "core/pictures/takentime.h"
#include "core/state/browserstate.h"
#include "ui/widgets/batchrun.h"
#include "ui/widgets/colours.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/units.h"
#include "ui/widgets/waitcursor.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace
{
// The window's client area, in twips.
constexpr int clientWidth = 8580;
constexpr int clientHeight = 7170;
// The box for the date lies below the design's controls; the window grows by its row.
constexpr int dateTop = 7170;
constexpr int datePush = 360;
constexpr int dateMargin = 120;
constexpr int startCountLength = 2;
constexpr QSize iconSize(32, 32);
constexpr double captionPoints = 9.75;
constexpr double smallPoints = 8.25;
constexpr int stretchStep = 5;
constexpr QColor previewBack(238, 237, 252);

QFont captionFont()
{
    QFont font(QStringLiteral("Trebuchet MS"));
    font.setPointSizeF(captionPoints);
    font.setBold(true);
    return font;
}

// The label's own plain font (not the frame's bold caption), narrowed where a substitute
// font is wider than the design's, so the caption is not cut off.
QFont fittedFont(const QString &text, int width)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(smallPoints);
    font.setBold(false);
    for (int stretch = QFont::Unstretched;
         stretch > QFont::ExtraCondensed && QFontMetrics(font).horizontalAdvance(text) > width;
         stretch -= stretchStep)
        font.setStretch(stretch - stretchStep);
    return font;
}

QIcon icon(const char *name)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}

// A button that shows only a picture: it carries the tip given (none is allowed), and a name
// for screen readers in any case.
QPushButton *pictureButton(
    QWidget *parent, const char *iconName, const QString &tip, const QString &name)
{
    auto *button = new QPushButton(parent);
    button->setIcon(icon(iconName));
    button->setIconSize(iconSize);
    button->setToolTip(tip);
    button->setAccessibleName(name);
    return button;
}
} // namespace

Rename::Rename(platform::Services &services, BrowserState &state, QWidget *parent)
    : SecondaryWindow(parent)
    , m_services(services)
    , m_state(state)
{
    buildControls();
    connectEvents();
}

void Rename::buildControls()
{
    setWindowTitle(tr("Rename"));
    setWindowIcon(icon("renamefolder"));
    resize(twips(clientWidth), twips(clientHeight + datePush));

    Frame1 = new QGroupBox(tr("Current File Names"), this);
    Frame1->setGeometry(twips(120, 120, 8295, 1815));
    Frame1->setFont(captionFont());
    List1 = new QListWidget(this);
    List1->setGeometry(twips(360, 480, 7815, 1230));
    List1->setAccessibleName(Frame1->title());

    Frame4 = new QGroupBox(this);
    Frame4->setGeometry(twips(120, 2400, 8295, 3975));

    Frame3 = new QGroupBox(tr("Prefix"), this);
    Frame3->setGeometry(twips(360, 2640, 7815, 855));
    Frame3->setFont(captionFont());
    Label1 = new QLabel(tr("Count Start"), Frame3);
    Label1->setGeometry(twips(4080, 480, 855, 255));
    Label1->setFont(fittedFont(Label1->text(), Label1->width()));

    Text2 = new QLineEdit(this);
    Text2->setGeometry(twips(480, 3000, 3375, 330));
    Text2->setAccessibleName(Frame3->title());
    colours::setBaseColour(Text2, Qt::white);
    Text3 = new QLineEdit(this);
    Text3->setGeometry(twips(5400, 3000, 375, 330));
    Text3->setMaxLength(startCountLength);
    Text3->setAccessibleName(Label1->text());
    QFont count(QStringLiteral("Comic Sans MS"));
    count.setPointSizeF(smallPoints);
    Text3->setFont(count);
    colours::setBaseColour(Text3, Qt::white);

    Frame2 = new QGroupBox(tr("Preview"), this);
    Frame2->setGeometry(twips(360, 3600, 7815, 2415));
    Frame2->setFont(captionFont());
    Command1 = pictureButton(this, "binoculars", QString(), tr("Preview the new names"));
    Command1->setGeometry(twips(480, 3960, 615, 495));
    List2 = new QListWidget(this);
    List2->setGeometry(twips(480, 4560, 7575, 1230));
    List2->setAccessibleName(Frame2->title());
    colours::setBaseColour(List2, previewBack);

    Image1 = new QLabel(this);
    Image1->setGeometry(twips(240, 6600, 480, 480));
    Image1->setPixmap(icon("camera").pixmap(iconSize));
    Image1->setScaledContents(true);
    Label2 = new QLabel(QStringLiteral("Ravelin V" RAVELIN_VERSION), this);
    Label2->setGeometry(twips(840, 6720, 1815, 255));
    Label2->setFont(captionFont());
    colours::setNavyText(Label2);

    Command2 = pictureButton(this, "prohibition", tr("Exit"), tr("Exit"));
    Command2->setGeometry(twips(7080, 6480, 615, 615));
    Go = pictureButton(this, "renamefolder", tr("Rename"), tr("Rename"));
    Go->setGeometry(twips(7800, 6480, 615, 615));

    DateTaken = new QCheckBox(tr("Begin each name with the date taken"), this);
    DateTaken->setGeometry(twips(240, dateTop, 4575, 195));
    growToText(DateTaken);
    // The window grows with a box taller than its row, so the text is never cut off.
    resize(width(), std::max(height(), DateTaken->geometry().bottom() + 1 + twips(dateMargin)));

    setTabOrder(Command1, Text2);
    setTabOrder(Text2, Go);
    setTabOrder(Go, List2);
    setTabOrder(List2, Text3);
    setTabOrder(Text3, List1);
    setTabOrder(List1, Command2);
    setTabOrder(Command2, DateTaken);
}

void Rename::connectEvents()
{
    connect(Command1, &QPushButton::clicked, this, &Rename::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Rename::Command2_Click);
    connect(Go, &QPushButton::clicked, this, &Rename::Go_Click);
}

void Rename::Form_Load()
{
    QStringList files = m_state.jobFiles();
    if (m_state.settings().orderByTaken) {
        const WaitCursor busy(m_services.mouse());
        files = flows::inTakenOrder(
            files, m_state.pairs(), [this](const QString &path) { return taken(path); });
    }
    m_plan = flows::unnamed(files, m_state.pairs());
    for (const jobs::Target &file : std::as_const(m_plan.files))
        List1->addItem(file.from);
    Command1->setFocus();
}

void Rename::Form_Unload()
{
    List1->clear();
    List2->clear();
    Text2->clear();
    Text3->clear();
    m_plan = {};
    m_taken.clear();
}

QDateTime Rename::taken(const QString &path)
{
    auto known = m_taken.constFind(path);
    if (known == m_taken.cend())
        known = m_taken.insert(path, takenTime(path));
    return *known;
}

void Rename::Command1_Click()
{
    List2->clear();
    QStringList files;
    for (const jobs::Target &file : std::as_const(m_plan.files))
        files.append(file.from);
    {
        const WaitCursor busy(m_services.mouse());
        m_plan = flows::renamePlan(files, Text2->text(), Text3->text(), m_state.pairs(),
            m_services.fs(),
            DateTaken->isChecked()
                ? flows::TakenTime([this](const QString &path) { return taken(path); })
                : flows::TakenTime());
    }
    if (m_plan.problem != rules::NameProblem::None) {
        refuseName(m_plan.problem, m_plan.nameRules);
        return;
    }
    for (const jobs::Target &file : std::as_const(m_plan.files))
        List2->addItem(file.to);
}

void Rename::Command2_Click()
{
    unload();
}

void Rename::Go_Click()
{
    const platform::Answer answer
        = m_services.boxes().MsgBox(tr("Are you sure you want to RENAME these files ?"),
            platform::box::OkCancel | platform::box::Question, platform::programTitle);
    if (answer != platform::Answer::Ok)
        return;

    journal::Recorder journal(m_services.fs());
    const jobs::JobReport report = runBatch(m_services.mouse(), tr("Renaming files… %1 of %2"),
        m_plan.files.size(), [&](jobs::Progress &progress) {
            return flows::rename(m_plan, m_services.fs(), &journal, &progress);
        });
    if (!report.failed.isEmpty()) {
        const jobs::Failure &failure = report.failed.first();
        // The files before the failure have their new names, which Edit > Undo takes back.
        if (!report.done.isEmpty())
            m_state.batchRan();
        m_services.boxes().MsgBox(tr("Unable to Rename. File may already exist!\n\n") + failure.path
                + QLatin1Char('\n') + failure.reason,
            platform::box::OkOnly, platform::programTitle);
        return;
    }

    List1->clear();
    List2->clear();
    m_plan = {};
    m_state.afterJob();
}

void Rename::refuseName(rules::NameProblem problem, rules::NameRules nameRules)
{
    QString text;
    switch (problem) {
    case rules::NameProblem::None:
        return;
    case rules::NameProblem::Empty:
        text = tr("The new file name would be empty. Please type a Prefix.");
        break;
    case rules::NameProblem::DotName:
        text = tr("A file can not be named \".\" or \"..\". Please change the "
                  "Prefix.");
        break;
    case rules::NameProblem::Hidden:
        text = tr("A new name can not start with a dot: the picture would be "
                  "hidden. Please change the Prefix.");
        break;
    case rules::NameProblem::Separator:
        text = tr("The Prefix can not contain \\ or /: the pictures are renamed in "
                  "their own folders.");
        break;
    case rules::NameProblem::Character:
        text = nameRules == rules::NameRules::Windows
            ? tr("A file name can not hold the characters \\ / : * ? \" < > | or "
                 "control characters. Please change the Prefix.")
            : tr("A file name can not hold control characters. Please change the "
                 "Prefix.");
        break;
    case rules::NameProblem::TrailingDotOrBlank:
        text = tr("A file name can not end in a dot or a blank. Please change the "
                  "Prefix.");
        break;
    case rules::NameProblem::ReservedName:
        text = tr("The Prefix is a device name (such as CON, PRN, AUX, NUL, COM1 or "
                  "LPT1) that can not name a file. Please change the Prefix.");
        break;
    case rules::NameProblem::OtherFolder:
        text = tr("The new names must stay in the folder of each picture. Please "
                  "build the Preview again.");
        break;
    }
    m_services.boxes().MsgBox(text, platform::box::Exclamation, platform::programTitle);
}
