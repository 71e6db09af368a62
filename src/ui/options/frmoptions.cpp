#include "ui/options/frmoptions.h"

#include "core/pictures/pictureformats.h"
#include "core/state/browserstate.h"
#include "core/state/savedsettings.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/units.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

#include <algorithm>

namespace
{
struct Format {
    const char *caption;
    const char *pattern;
    int top;
};
// The formats in the order of the check boxes, with each box's place in its frame.
constexpr std::array<Format, frmOptions::formatCount> formats { {
    { "JPEG", "*.jpeg;*.jpg", 360 },
    { "BMP", "*.bmp", 720 },
    { "GIF", "*.gif", 1080 },
    { "ICO", "*.ico;*.icon", 1440 },
} };
// The formats beyond the design's four, in a frame of their own below them, in two columns.
struct MoreFormat {
    const char *caption;
    const char *pattern; // nullptr: the camera RAW files
    int left;
    int top;
};
constexpr std::array<MoreFormat, frmOptions::moreFormatCount> moreFormats { {
    { "PNG", "*.png", 120, 360 },
    { "WebP", "*.webp", 120, 720 },
    { "TIFF", "*.tif;*.tiff", 120, 1080 },
    { "HEIC / AVIF", "*.heic;*.heif;*.avif", 2520, 360 },
    { QT_TRANSLATE_NOOP("frmOptions", "Camera RAW"), nullptr, 2520, 720 },
} };
// The new frame takes this much room above the thumbnail frame, which moves down by it.
constexpr int moreFramePush = 2040;
// The box that keeps the pictures' proportions lies below the thumbnail frame, the box that
// keeps the choices below it, and "OK" moves down by both.
constexpr int proportionsTop = 3615 + moreFramePush;
constexpr int proportionsPush = 360;
constexpr int rememberTop = proportionsTop + proportionsPush;
constexpr int rememberPush = 360;
// The box that orders the grid by the time taken lies below that one, and "OK" moves down again.
constexpr int orderTop = rememberTop + rememberPush;
constexpr int orderPush = 360;
constexpr int checkLeft = 120;
constexpr int checkWidth = 1815;
constexpr int checkHeight = 195;
constexpr int clientWidth = 5085;
constexpr int clientHeight = 4290 + moreFramePush + proportionsPush + rememberPush + orderPush;
constexpr int margin = 120;
constexpr double fontPoints = 8;

// Whether a pattern lists a format: any of the format's wildcards is one of the pattern's.
bool lists(const QString &pattern, const QString &format)
{
    const QStringList listed = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const QStringList wildcards = format.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return std::any_of(wildcards.begin(), wildcards.end(),
        [&](const QString &wildcard) { return listed.contains(wildcard, Qt::CaseInsensitive); });
}

int rightOfChildren(const QWidget *container)
{
    int right = 0;
    for (const QWidget *child : container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        right = std::max(right, child->geometry().right() + 1);
    return right;
}

void widenToChildren(QWidget *container)
{
    const int width = std::max(container->width(), rightOfChildren(container) + twips(margin));
    container->resize(width, container->height());
}
} // namespace

frmOptions::frmOptions(platform::Services &services, BrowserState &state, QWidget *parent)
    : SecondaryWindow(parent)
    , m_services(services)
    , m_state(state)
{
    buildControls();
    connectEvents();
}

frmOptions::~frmOptions()
{
    // The main window must never stay out of use, even when the program ends with this open.
    unload();
}

void frmOptions::buildControls()
{
    setWindowTitle(tr("Options"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(QIcon(QStringLiteral(":/icons/camera.svg")));
    QFont font = this->font();
    font.setPointSizeF(fontPoints);
    setFont(font);
    resize(twips(clientWidth), twips(clientHeight));

    Frame4 = new QGroupBox(tr("Picture Format"), this);
    Frame4->setGeometry(twips(120, 120, 2295, 1815));
    auto *first = new QCheckBox(Frame4);
    Check1 = ControlArray<QCheckBox>(first, [this] { return new QCheckBox(Frame4); });
    for (int i = 0; i < formatCount; ++i) {
        QCheckBox *box = Check1.load(i);
        const Format &format = formats[static_cast<size_t>(i)];
        box->setText(QString::fromLatin1(format.caption));
        box->setGeometry(twips(checkLeft, format.top, checkWidth, checkHeight));
        box->setChecked(true);
        box->show();
    }

    Frame5 = new QGroupBox(tr("More formats"), this);
    Frame5->setGeometry(twips(120, 2160, 4815, 1815));
    auto *firstMore = new QCheckBox(Frame5);
    Check2 = ControlArray<QCheckBox>(firstMore, [this] { return new QCheckBox(Frame5); });
    for (int i = 0; i < moreFormatCount; ++i) {
        QCheckBox *box = Check2.load(i);
        const MoreFormat &format = moreFormats[static_cast<size_t>(i)];
        box->setText(tr(format.caption));
        box->setGeometry(twips(format.left, format.top, checkWidth, checkHeight));
        box->show();
    }
    KeepPairs = new QCheckBox(tr("Keep RAW and JPEG pairs together"), Frame5);
    KeepPairs->setGeometry(twips(checkLeft, 1440, 4575, checkHeight));

    Frame1 = new QGroupBox(tr("Delete"), this);
    Frame1->setGeometry(twips(2640, 120, 2295, 1215));
    ToRecycle = new QRadioButton(tr("Recycle Bin"), Frame1);
    ToRecycle->setGeometry(twips(240, 360, 1215, 195));
    ToRecycle->setChecked(true);
    PermDel = new QRadioButton(tr("Permenant Delete"), Frame1);
    PermDel->setGeometry(twips(240, 720, 1815, 195));

    Frame3 = new QGroupBox(tr("Thumbnails"), this);
    Frame3->setGeometry(twips(120, 2160 + moreFramePush, 4815, 1335));
    AutoThumb
        = new QRadioButton(tr("Automatically Load Thumbnails when navigating Folders."), Frame3);
    AutoThumb->setGeometry(twips(240, 360, 4335, 255));
    AutoThumb->setChecked(true);
    ManualThumb = new QRadioButton(tr("Manually Load Thumbnails."), Frame3);
    ManualThumb->setGeometry(twips(240, 720, 2415, 255));

    KeepProportions = new QCheckBox(tr("Keep each picture's proportions"), this);
    KeepProportions->setGeometry(twips(240, proportionsTop, 4575, checkHeight));
    growToText(KeepProportions);

    RememberChoices = new QCheckBox(tr("Remember these choices at the next start"), this);
    RememberChoices->setGeometry(twips(240, rememberTop, 4575, checkHeight));
    growToText(RememberChoices);
    OrderByTaken = new QCheckBox(tr("Order pictures by the time they were taken"), this);
    OrderByTaken->setGeometry(twips(240, orderTop, 4575, checkHeight));
    growToText(OrderByTaken);

    Command3 = new QPushButton(tr("OK"), this);
    Command3->setGeometry(
        twips(1800, 3720 + moreFramePush + proportionsPush + rememberPush + orderPush, 1335, 375));

    // A caption is never cut off: a control grows to its text, a frame or the window to its
    // contents.
    for (QGroupBox *frame : { Frame4, Frame5, Frame1, Frame3 }) {
        for (QWidget *control : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            growToText(control);
        widenToChildren(frame);
    }
    // The right-hand frames end together, and "OK" stays in the middle, as designed.
    const int right = std::max(
        { Frame1->geometry().right(), Frame3->geometry().right(), Frame5->geometry().right() });
    for (QGroupBox *frame : { Frame1, Frame3, Frame5 })
        frame->resize(right + 1 - frame->x(), frame->height());
    widenToChildren(this);
    if (width() > twips(clientWidth))
        Command3->move(Command3->x() + (width() - twips(clientWidth)) / 2, Command3->y());
    setFixedSize(size());

    setTabOrder(ManualThumb, AutoThumb);
    setTabOrder(AutoThumb, PermDel);
    setTabOrder(PermDel, ToRecycle);
    setTabOrder(ToRecycle, Command3);
    setTabOrder(Command3, Check1(3));
    setTabOrder(Check1(3), Check1(2));
    setTabOrder(Check1(2), Check1(1));
    setTabOrder(Check1(1), Check1(0));
    setTabOrder(Check1(0), Check2(0));
    for (int i = 1; i < moreFormatCount; ++i)
        setTabOrder(Check2(i - 1), Check2(i));
    setTabOrder(Check2(moreFormatCount - 1), KeepPairs);
    setTabOrder(KeepPairs, KeepProportions);
    setTabOrder(KeepProportions, RememberChoices);
    setTabOrder(RememberChoices, OrderByTaken);
}

void frmOptions::connectEvents()
{
    connect(Command3, &QPushButton::clicked, this, &frmOptions::Command3_Click);
}

void frmOptions::Form_Load()
{
    // Option buttons of a group cannot be cleared directly, so the other one is selected.
    const BrowserSettings &settings = m_state.settings();
    (settings.deleteRecycle ? ToRecycle : PermDel)->setChecked(true);
    (settings.autoThumbnails() ? AutoThumb : ManualThumb)->setChecked(true);
    KeepPairs->setChecked(settings.keepPairs);
    KeepProportions->setChecked(settings.keepProportions);
    RememberChoices->setChecked(settings.rememberChoices);
    OrderByTaken->setChecked(settings.orderByTaken);
    m_state.holdOutOfUse(true);
    for (std::size_t i = 0; i < formats.size(); ++i) {
        FormatPattern[i] = QString::fromLatin1(formats[i].pattern);
        Check1(static_cast<int>(i))->setChecked(lists(settings.imageFormat, FormatPattern[i]));
    }
    for (std::size_t i = 0; i < moreFormats.size(); ++i) {
        MoreFormatPattern[i] = moreFormats[i].pattern != nullptr
            ? QString::fromLatin1(moreFormats[i].pattern)
            : pictureformats::rawPattern();
        Check2(static_cast<int>(i))->setChecked(lists(settings.imageFormat, MoreFormatPattern[i]));
    }
    Q_EMIT loaded();
    ManualThumb->setFocus();
}

void frmOptions::Command3_Click()
{
    QStringList patterns;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        if (Check1(static_cast<int>(i))->isChecked())
            patterns.append(FormatPattern[i]);
    }
    for (std::size_t i = 0; i < moreFormats.size(); ++i) {
        if (Check2(static_cast<int>(i))->isChecked())
            patterns.append(MoreFormatPattern[i]);
    }
    // Without a format the main window would list nothing useful, so nothing is applied.
    if (patterns.isEmpty()) {
        m_services.boxes().MsgBox(
            tr("You must select a Picture Format"), platform::box::Exclamation, tr("Options"));
        return;
    }
    BrowserSettings settings = m_state.settings();
    settings.imageFormat = patterns.join(QLatin1Char(';'));
    settings.deleteRecycle = ToRecycle->isChecked();
    settings.thumbManual = ManualThumb->isChecked();
    settings.keepPairs = KeepPairs->isChecked();
    settings.keepProportions = KeepProportions->isChecked();
    settings.rememberChoices = RememberChoices->isChecked();
    settings.orderByTaken = OrderByTaken->isChecked();
    const bool kept = m_state.settings().rememberChoices;
    m_state.setSettings(settings);
    // Kept as they are applied, and forgotten when they are no longer to be kept; a user who
    // never asked for it finds nothing written.
    const QString file = savedsettings::standardFile();
    if ((settings.rememberChoices || kept) && !savedsettings::save(file, settings)) {
        m_services.boxes().MsgBox(tr("Your choices apply now, but Ravelin cannot keep them for "
                                     "the next start: %1 cannot be written.")
                                      .arg(QDir::toNativeSeparators(file)),
            platform::box::Exclamation, tr("Options"));
    }
    unload();
}

void frmOptions::keyPressEvent(QKeyEvent *event)
{
    // Esc is the close box: nothing is applied.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    SecondaryWindow::keyPressEvent(event);
}

void frmOptions::Form_Unload()
{
    m_state.holdOutOfUse(false);
    Q_EMIT unloaded();
}
