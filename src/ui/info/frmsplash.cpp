#include "ui/info/frmsplash.h"

#include "core/buildinfo.h"
#include "core/files/platform.h"
#include "ui/info/logo.h"
#include "ui/widgets/units.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <algorithm>

namespace
{
constexpr int clientWidth = 6855;
constexpr int clientHeight = 3570;
// The dialog border drawn around the client area, in pixels.
constexpr int borderWidth = 2;
constexpr double loadingPoints = 12;
constexpr double productPoints = 29.25;
constexpr double versionPoints = 12;

QFont splashFont(double points, bool bold)
{
    QFont font(QStringLiteral("Trebuchet MS"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
} // namespace

frmSplash::frmSplash(QWidget *parent)
    : QFrame(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    buildControls();
}

void frmSplash::buildControls()
{
    setFrameStyle(QFrame::WinPanel | QFrame::Raised);
    setLineWidth(borderWidth);
    setFixedSize(twips(clientWidth) + 2 * borderWidth, twips(clientHeight) + 2 * borderWidth);

    auto *client = new QWidget(this);
    client->setGeometry(borderWidth, borderWidth, twips(clientWidth), twips(clientHeight));

    fraMainFrame = new QGroupBox(client);
    fraMainFrame->setGeometry(twips(45, -15, 6780, 3510));

    picLogo = new QLabel(fraMainFrame);
    picLogo->setGeometry(twips(510, 720, 1575, 1425));
    picLogo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picLogo->setPixmap(logoPicture());

    Label1 = new QLabel(tr("Loading ..."), fraMainFrame);
    Label1->setGeometry(twips(720, 2760, 1215, 375));
    Label1->setFont(splashFont(loadingPoints, false));
    // The design's width was made for a narrower font: the text is never cut off.
    Label1->resize(std::max(Label1->width(), Label1->sizeHint().width()), Label1->height());

    lblProductName = new QLabel(platform::programTitle, fraMainFrame);
    lblProductName->setGeometry(twips(3120, 720, 3450, 720));
    lblProductName->setFont(splashFont(productPoints, true));
    lblProductName->adjustSize();

    // Sized to its text, it keeps its right edge where the design puts it.
    lblVersion = new QLabel(tr("Version %1").arg(QStringLiteral(RAVELIN_VERSION)), fraMainFrame);
    const QRect version = twips(5280, 1800, 1290, 330);
    lblVersion->setFont(splashFont(versionPoints, true));
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblVersion->adjustSize();
    lblVersion->move(version.right() + 1 - lblVersion->width(), version.top());

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
