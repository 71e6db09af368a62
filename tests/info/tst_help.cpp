#include "browser/frmmain.h"
#include "info/help.h"
#include "info/helpaddress.h"
#include "info/helpbrowser.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

namespace
{
const QByteArray startPage = "<html><head><title>Start</title></head><body>"
                             "<h1>Start page</h1>"
                             "<p><a href=\"second.html\">Second page</a></p>"
                             "<p><a href=\"https://example.org/more\">Web page</a></p>"
                             "</body></html>";
const QByteArray secondPage = "<html><body><h1>Second page here</h1>"
                              "<p><a href=\"help.html\">Start again</a></p></body></html>";

// Clicks the link whose text is given, where it shows in the viewer.
bool clickLink(Help *help, const QString &text)
{
    QTextCursor cursor = help->WebBrowser1->document()->find(text);
    if (cursor.isNull())
        return false;
    cursor.setPosition(cursor.selectionStart() + 1);
    const QPoint at = help->WebBrowser1->cursorRect(cursor).center() + QPoint(2, 0);
    QTest::mouseClick(help->WebBrowser1->viewport(), Qt::LeftButton, {}, at);
    return true;
}

QString shownText(const Help *help)
{
    return help->WebBrowser1->toPlainText();
}
} // namespace

// The help window driven through its buttons and links, on pages in a temporary program folder.
class TestHelp : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QUrl m_start;
    QUrl m_second;

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        QVERIFY(testpictures::writeBytes(m_folder.filePath("help.html"), startPage));
        QVERIFY(testpictures::writeBytes(m_folder.filePath("second.html"), secondPage));
        m_start = QUrl::fromLocalFile(m_folder.filePath("help.html"));
        m_second = QUrl::fromLocalFile(m_folder.filePath("second.html"));
    }

    void opensTheHelpPageAndIgnoresBackAndForwardWithoutHistory()
    {
        FakeServices services;
        services.fsFake.programFolderPath = m_folder.path();
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());

        w.mnuHelpContents->trigger();
        Help *help = w.helpWindow();
        QVERIFY(help->isVisible());
        QVERIFY(w.isEnabled());
        QCOMPARE(help->helpAddress(), m_folder.path() + "/help.html");
        QCOMPARE(help->WebBrowser1->source(), m_start);
        QVERIFY(shownText(help).contains("Start page"));

        QTest::mouseClick(help->Command1, Qt::LeftButton);
        QTest::mouseClick(help->Command2, Qt::LeftButton);
        QCOMPARE(help->WebBrowser1->source(), m_start);
        QVERIFY(shownText(help).contains("Start page"));
        QVERIFY(services.boxesFake.shown.empty());
    }

    void linkHomeBackAndForward()
    {
        FakeServices services;
        services.fsFake.programFolderPath = m_folder.path();
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        w.mnuHelpContents->trigger();
        Help *help = w.helpWindow();

        QVERIFY(clickLink(help, "Second page"));
        QCOMPARE(help->WebBrowser1->source(), m_second);
        QVERIFY(shownText(help).contains("Second page here"));

        QTest::mouseClick(help->Command3, Qt::LeftButton);
        QCOMPARE(help->WebBrowser1->source(), m_start);
        QVERIFY(shownText(help).contains("Start page"));

        QTest::mouseClick(help->Command1, Qt::LeftButton);
        QCOMPARE(help->WebBrowser1->source(), m_second);
        QTest::mouseClick(help->Command2, Qt::LeftButton);
        QCOMPARE(help->WebBrowser1->source(), m_start);
        QTest::mouseClick(help->Command2, Qt::LeftButton);
        QCOMPARE(help->WebBrowser1->source(), m_start);
        QVERIFY(services.programFake.opened.empty());
    }

    void webLinksOpenInTheUsersBrowser()
    {
        FakeServices services;
        services.fsFake.programFolderPath = m_folder.path();
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        w.mnuHelpContents->trigger();
        Help *help = w.helpWindow();

        QVERIFY(clickLink(help, "Web page"));
        QCOMPARE(
            services.programFake.opened, std::vector<QUrl> { QUrl("https://example.org/more") });
        QCOMPARE(help->WebBrowser1->source(), m_start);
        QVERIFY(shownText(help).contains("Start page"));
    }

    void showingAgainKeepsThePageAndClosingForgetsIt()
    {
        FakeServices services;
        services.fsFake.programFolderPath = m_folder.path();
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        w.mnuHelpContents->trigger();
        Help *help = w.helpWindow();
        QVERIFY(clickLink(help, "Second page"));

        w.mnuHelpContents->trigger();
        QCOMPARE(help->WebBrowser1->source(), m_second);

        QTest::mouseClick(help->Command4, Qt::LeftButton);
        QVERIFY(!help->isVisible());
        QVERIFY(!help->isLoaded());

        w.mnuHelpContents->trigger();
        QCOMPARE(help->WebBrowser1->source(), m_start);
        QVERIFY(shownText(help).contains("Start page"));
        QTest::mouseClick(help->Command1, Qt::LeftButton);
        QCOMPARE(help->WebBrowser1->source(), m_start);

        // Closed on the help page itself, it still shows the page on the next opening.
        QTest::mouseClick(help->Command4, Qt::LeftButton);
        w.mnuHelpContents->trigger();
        QVERIFY(shownText(help).contains("Start page"));
    }

    void aMissingHelpPageSaysSoInTheViewer()
    {
        QTemporaryDir empty;
        QVERIFY(empty.isValid());
        FakeServices services;
        services.fsFake.programFolderPath = empty.path();
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());

        w.mnuHelpContents->trigger();
        QVERIFY(w.helpWindow()->isVisible());
        QVERIFY(shownText(w.helpWindow()).contains("cannot be found"));
        QVERIFY(services.boxesFake.shown.empty());
    }

    void helpAddress_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QUrl>("url");

        QTest::newRow("folder") << "/opt/ravelin" << QChar('/') << "/opt/ravelin/help.html"
                                << QUrl("file:///opt/ravelin/help.html");
        QTest::newRow("root") << "/" << QChar('/') << "//help.html" << QUrl("file:///help.html");
        QTest::newRow("windows folder")
            << "C:\\Program Files\\Ravelin" << QChar('\\') << "C:\\Program Files\\Ravelin/help.html"
            << QUrl::fromLocalFile("C:/Program Files/Ravelin/help.html");
        QTest::newRow("drive root")
            << "C:\\" << QChar('\\') << "C:\\/help.html" << QUrl("file:///C:/help.html");
        QTest::newRow("network share")
            << "\\\\server\\share" << QChar('\\') << "\\\\server\\share/help.html"
            << QUrl("file://server/share/help.html");
    }

    void helpAddress()
    {
        QFETCH(QString, folder);
        QFETCH(QChar, separator);
        QFETCH(QString, address);
        QFETCH(QUrl, url);

        QCOMPARE(rules::helpAddress(folder), address);
        QCOMPARE(rules::helpUrl(address, separator), url);
    }

    void everyContentsLinkOfTheShippedPageHasItsPlace()
    {
        QFile file(testpictures::data("../../resources/help.html"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(file.readAll());

        const QRegularExpression links(QStringLiteral("href=\"#([^\"]+)\""));
        QStringList targets;
        for (const QRegularExpressionMatch &link : links.globalMatch(page))
            targets.append(link.captured(1));
        QVERIFY(targets.size() >= 10);
        for (const QString &target : targets)
            QVERIFY2(page.contains(QStringLiteral("name=\"%1\"").arg(target)), qPrintable(target));
    }

    void theShippedPageLeadsToItsSections()
    {
        FakeServices services;
        services.fsFake.programFolderPath
            = QFileInfo(testpictures::data("../../resources")).absoluteFilePath();
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        w.mnuHelpContents->trigger();
        Help *help = w.helpWindow();
        QVERIFY(shownText(help).contains("Ravelin Help"));

        QVERIFY(clickLink(help, "Deleting pictures"));
        QCOMPARE(help->WebBrowser1->source().fragment(), QStringLiteral("delete"));
        QVERIFY(help->WebBrowser1->verticalScrollBar()->value() > 0);
        QTest::mouseClick(help->Command3, Qt::LeftButton);
        QCOMPARE(help->WebBrowser1->source().fragment(), QString());
        QCOMPARE(help->WebBrowser1->verticalScrollBar()->value(), 0);
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
