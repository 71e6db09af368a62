#include "ui/info/help.h"

#include "core/state/helpaddress.h"
#include "ui/info/helpbrowser.h"
#include "ui/widgets/units.h"

#include <QPushButton>

namespace
{
constexpr int clientWidth = 7605;
constexpr int clientHeight = 6225;
constexpr QSize iconSize(32, 32);

QPushButton *pictureButton(const QString &icon, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setIcon(QIcon(icon));
    button->setIconSize(iconSize);
    // The buttons carry no caption or tip; screen readers still need a name.
    button->setAccessibleName(name);
    return button;
}

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("mailto");
}
} // namespace

Help::Help(platform::Services &services, QWidget *parent)
    : SecondaryWindow(parent)
    , m_services(services)
{
    buildControls();
    connectEvents();
}

void Help::buildControls()
{
    setWindowTitle(tr("Help"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/house.svg")));
    resize(twips(clientWidth), twips(clientHeight));

    WebBrowser1 = new HelpBrowser(this);
    WebBrowser1->setGeometry(twips(0, 0, 7575, 5415));
    WebBrowser1->setAccessibleName(tr("Help page"));
    // Links are followed here, so that web pages go to the user's browser.
    WebBrowser1->setOpenLinks(false);
    WebBrowser1->setOpenExternalLinks(false);

    Command1 = pictureButton(QStringLiteral(":/icons/arrowleft.svg"), tr("Back"), this);
    Command1->setGeometry(twips(0, 5520, 495, 495));
    Command2 = pictureButton(QStringLiteral(":/icons/arrowright.svg"), tr("Forward"), this);
    Command2->setGeometry(twips(600, 5520, 495, 495));
    Command3 = pictureButton(QStringLiteral(":/icons/house.svg"), tr("Home"), this);
    Command3->setGeometry(twips(1200, 5520, 495, 495));
    Command4 = pictureButton(QStringLiteral(":/icons/door.svg"), tr("Close"), this);
    Command4->setGeometry(twips(7080, 5520, 495, 495));

    setTabOrder(WebBrowser1, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);
}

void Help::connectEvents()
{
    connect(Command1, &QPushButton::clicked, this, &Help::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Help::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Help::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Help::Command4_Click);
    connect(WebBrowser1, &QTextBrowser::anchorClicked, this, &Help::followLink);
}

QString Help::helpAddress() const
{
    // Each translation names the page in its language.
    return rules::locateHelpPage(m_services.fs().programFolder(),
        tr("help.html", "the file name of the help page in this language"));
}

void Help::Form_Load()
{
    // Each opening starts on the help page with no pages before or after it.
    navigate(helpAddress());
    WebBrowser1->clearHistory();
}

void Help::Form_Unload()
{
    // Unloading discards the pages and their history; the next opening starts afresh.
    WebBrowser1->clearHistory();
    WebBrowser1->clear();
}

void Help::navigate(const QString &address)
{
    WebBrowser1->setSource(rules::helpUrl(address));
}

void Help::Command1_Click()
{
    // With no earlier page this does nothing, which is all the button should do then.
    WebBrowser1->backward();
}

void Help::Command2_Click()
{
    WebBrowser1->forward();
}

void Help::Command3_Click()
{
    navigate(helpAddress());
}

void Help::Command4_Click()
{
    unload();
}

void Help::followLink(const QUrl &url)
{
    if (isWebAddress(url)) {
        if (!m_services.program().openExternal(url)) {
            m_services.boxes().MsgBox(
                tr("No web browser could be started to show %1. Please open this "
                   "address in your web browser.")
                    .arg(url.toDisplayString()),
                platform::box::Exclamation, platform::programTitle);
        }
        return;
    }
    WebBrowser1->setSource(url);
}
