#include "ui/info/about.h"

#include "ui/widgets/colours.h"

#include "core/buildinfo.h"
#include "ui/info/logo.h"
#include "ui/widgets/units.h"

#include <QLabel>

#include <algorithm>

namespace
{
constexpr int clientWidth = 5490;
constexpr int clientHeight = 3855;
constexpr double namePoints = 21.75;
constexpr double boldPoints = 12;
constexpr double copyrightPoints = 9;
const QString webAddress = QStringLiteral("ravelin.example");

QLabel *navyLabel(
    const QString &text, const QRect &place, double points, bool bold, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(place);
    QFont font(QStringLiteral("Trebuchet MS"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    label->setFont(font);
    colours::setNavyText(label);
    // The design's widths were made for a narrower font: the text is never cut off.
    label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    return label;
}
} // namespace

About::About(platform::Services &services, QWidget *parent)
    : SecondaryWindow(parent)
{
    Q_UNUSED(services);
    buildControls();
}

void About::buildControls()
{
    setWindowTitle(tr("About"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(QIcon(QStringLiteral(":/icons/camera.svg")));
    setFixedSize(twips(clientWidth), twips(clientHeight));

    Picture1 = new QLabel(this);
    Picture1->setGeometry(twips(120, 120, 1575, 1455));
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setPixmap(logoPicture());

    Label1 = navyLabel(platform::programTitle, twips(2640, 240, 2775, 615), namePoints, true, this);
    Label2 = navyLabel(tr("Version %1").arg(QStringLiteral(RAVELIN_VERSION)),
        twips(2640, 840, 1455, 375), boldPoints, true, this);
    Label3 = navyLabel(tr("Copyright \u00a9 2026 the Ravelin developers."),
        twips(240, 1920, 5055, 300), copyrightPoints, false, this);
    Label4 = navyLabel(tr("Provided as it is, without warranty of any kind."),
        twips(240, 2280, 5055, 300), copyrightPoints, false, this);
    Label5 = navyLabel(webAddress, twips(240, 3240, 2775, 375), boldPoints, true, this);
}
