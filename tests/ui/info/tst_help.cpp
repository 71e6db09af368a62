#include "support/picturefolders.h"
#include "ui/info/help.h"
#include "ui/info/helpbrowser.h"
#include "ui/main/frmmain.h"
#include "ui/widgets/colours.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

// The help window driven through its buttons and links, on pages in a temporary program folder.
class TestHelp : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    FakeServices m_services;
    CountingLoader m_loader;
    std::unique_ptr<frmMain> m_main;
    Help *m_help = nullptr;

    void open()
    {
        control<QAction>(*m_main, "mnuHelpContents").trigger();
        m_help = m_main->helpWindow();
    }
    QUrl page(const char *name) const { return QUrl::fromLocalFile(m_folder.filePath(name)); }
    QUrl shown() const { return m_help->WebBrowser1->source(); }
    // Clicks the link with the given text where it shows in the viewer.
    bool clickLink(const QString &text)
    {
        QTextCursor cursor = m_help->WebBrowser1->document()->find(text);
        if (cursor.isNull())
            return false;
        cursor.setPosition(cursor.selectionStart() + 1);
        const QPoint at = m_help->WebBrowser1->cursorRect(cursor).center() + QPoint(2, 0);
        QTest::mouseClick(m_help->WebBrowser1->viewport(), Qt::LeftButton, {}, at);
        return true;
    }
    void press(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    static QString shippedPages()
    {
        return QFileInfo(testpictures::data("../../resources")).absoluteFilePath();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testpictures::writeBytes(m_folder.filePath("help.html"),
            "<h1>Start page</h1><p><a href=\"second.html\">Second page</a></p>"
            "<p><a href=\"gone.html\">Missing page</a></p>"
            "<p><a href=\"https://example.org/more\">Web page</a></p>"));
        QVERIFY(testpictures::writeBytes(m_folder.filePath("second.html"), "<h1>Page two</h1>"));
        m_services.fsFake.programFolderPath = m_folder.path();
    }
    void init()
    {
        m_main = std::make_unique<frmMain>(m_services, m_loader);
        QVERIFY(m_main->Form_Load());
        open();
    }
    void cleanup() { m_main.reset(); }

    // Links, Home, Back and Forward; showing it again keeps the page, closing it forgets the
    // page and the history; web links go to the user's browser, or are told with the address.
    void browsing()
    {
        QVERIFY(m_help->isVisible() && m_main->isEnabled());
        press(m_help->Command1);
        press(m_help->Command2);
        QCOMPARE(shown(), page("help.html"));
        QVERIFY(clickLink("Second page"));
        QVERIFY(m_help->WebBrowser1->toPlainText().contains("Page two"));
        open();
        QCOMPARE(shown(), page("second.html"));
        press(m_help->Command3);
        QCOMPARE(shown(), page("help.html"));
        press(m_help->Command1);
        QCOMPARE(shown(), page("second.html"));
        press(m_help->Command2);
        QCOMPARE(shown(), page("help.html"));

        QVERIFY(clickLink("Web page"));
        QCOMPARE(m_services.programFake.opened, std::vector { QUrl("https://example.org/more") });
        QCOMPARE(shown(), page("help.html"));
        QVERIFY(m_services.boxesFake.shown.empty());
        m_services.programFake.browser = false;
        QVERIFY(clickLink("Web page"));
        m_services.programFake.browser = true;
        QCOMPARE(m_services.boxesFake.shown.size(), 1u);
        QVERIFY(m_services.boxesFake.shown[0].text.contains("https://example.org/more"));
        QCOMPARE(shown(), page("help.html"));

        // A missing page says so in the viewer, not in a box.
        QVERIFY(clickLink("Missing page"));
        QVERIFY(m_help->WebBrowser1->toPlainText().contains("cannot be found"));
        QCOMPARE(m_services.boxesFake.shown.size(), 1u);

        press(m_help->Command4);
        QVERIFY(!m_help->isVisible() && !m_help->isLoaded());
        open();
        QCOMPARE(shown(), page("help.html"));
        press(m_help->Command1);
        QCOMPARE(shown(), page("help.html"));
    }

    void theShippedPageLeadsToEachOfItsSections()
    {
        const QString resources = shippedPages();
        for (const char *name : { "/help.html", "/help.de.html" }) {
            const QString html = QString::fromUtf8(testpictures::bytes(resources + name));
            int links = 0;
            for (const auto &link : QRegularExpression("href=\"#([^\"]+)\"").globalMatch(html)) {
                ++links;
                QVERIFY2(html.contains(QString("name=\"%1\"").arg(link.captured(1))),
                    qPrintable(name + link.captured(1)));
            }
            QVERIFY(links >= 10);
        }
        m_services.fsFake.programFolderPath = resources;
        press(m_help->Command3);
        m_services.fsFake.programFolderPath = m_folder.path();
        QVERIFY(clickLink("Deleting pictures"));
        QCOMPARE(shown().fragment(), QStringLiteral("delete"));
        QVERIFY(m_help->WebBrowser1->verticalScrollBar()->value() > 0);
    }

    // The shipped page's headings and links stand out on the page in a light and in a dark
    // scheme, also when the scheme changes while the page is shown.
    void readableInEachScheme_data()
    {
        QTest::addColumn<QColor>("page");
        QTest::addColumn<QColor>("text");
        QTest::newRow("light") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("dark") << QColor(0x39, 0x39, 0x41) << QColor(0xd3, 0xd3, 0xd3);
    }
    void readableInEachScheme()
    {
        QFETCH(QColor, page);
        QFETCH(QColor, text);
        m_services.fsFake.programFolderPath = shippedPages();
        press(m_help->Command3);
        m_services.fsFake.programFolderPath = m_folder.path();
        QPalette palette = m_help->WebBrowser1->palette();
        palette.setColor(QPalette::Base, page);
        palette.setColor(QPalette::Text, text);
        m_help->WebBrowser1->setPalette(palette);
        int headings = 0;
        int links = 0;
        for (QTextBlock block = m_help->WebBrowser1->document()->begin(); block.isValid();
             block = block.next()) {
            const bool heading = block.blockFormat().headingLevel() != 0;
            headings += heading;
            for (auto piece = block.begin(); !piece.atEnd(); ++piece) {
                const QTextCharFormat format = piece.fragment().charFormat();
                if (!(heading && piece == block.begin()) && !format.isAnchor())
                    continue;
                links += format.isAnchor();
                const QBrush brush = format.foreground();
                const QColor shown = brush.style() == Qt::NoBrush ? text : brush.color();
                QVERIFY2(
                    colours::contrast(shown, page) >= 4.5, qPrintable(piece.fragment().text()));
            }
        }
        QVERIFY(headings >= 10);
        QVERIFY(links >= 10);
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
