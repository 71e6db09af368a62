#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "info/help.h"
#include "move/movefilewindow.h"
#include "options/frmoptions.h"
#include "rename/rename.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"
#include "widgets/folderlistbox.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace
{
// The top-level windows of a class, all of them or only those on screen.
int windows(const QByteArray &className, bool shownOnly = false)
{
    int count = 0;
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (className == window->metaObject()->className() && (!shownOnly || window->isVisible()))
            ++count;
    }
    return count;
}
} // namespace

// The main window's menu bar: its keys, and that every secondary window it opens exists
// once.
class TestMenus : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_pictures;
    FakeServices m_services;
    CountingLoader m_loader;
    std::unique_ptr<frmMain> m_main;

private slots:
    void initTestCase()
    {
        QVERIFY(testpictures::write(m_pictures.filePath("a.jpg"), Qt::red));
        QVERIFY(testpictures::write(m_pictures.filePath("b.jpg"), Qt::blue));
    }
    // The main window on screen and active, showing the two pictures.
    void init()
    {
        m_services.boxesFake.shown.clear();
        // The window starts in the current folder: elsewhere, so that opening the pictures'
        // folder is a change.
        QVERIFY(QDir::setCurrent(QDir::tempPath()));
        m_main = std::make_unique<frmMain>(m_services, m_loader);
        QVERIFY(m_main->Form_Load());
        m_main->show();
        m_main->activateWindow();
        QTRY_VERIFY(m_main->isActiveWindow());
        QVERIFY(m_main->Dir1->setPath(m_pictures.path()));
        QCOMPARE(m_main->gridNames().size(), 2);
    }
    void cleanup() { m_main.reset(); }

    void keysWorkOnlyForCommandsThatCanBeChosen()
    {
        QTest::keyClick(m_main.get(), Qt::Key_R, Qt::ControlModifier);
        QTest::keyClick(m_main.get(), Qt::Key_M, Qt::ControlModifier);
        QTest::keyClick(m_main.get(), Qt::Key_Delete);
        QCOMPARE(windows("Rename") + windows("MoveFileWindow"), 0);
        QVERIFY(m_services.boxesFake.shown.empty());

        QTest::keyClick(m_main.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(m_main->List1->count(), 2);
        QTest::keyClick(m_main.get(), Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(windows("Rename", true), 1);
        QVERIFY(m_main->renameWindow()->close());
        QTest::keyClick(m_main.get(), Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(windows("MoveFileWindow", true), 1);
        QTest::mouseClick(m_main->moveWindow()->Command1, Qt::LeftButton);
        QTest::keyClick(m_main.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(m_main->List1->count(), 0);

        QTest::keyClick(m_main.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(windows("frmOptions", true), 1);
        QVERIFY(m_main->optionsWindow()->close());
        m_main->activateWindow();
        QTRY_VERIFY(m_main->isActiveWindow());
        QTest::keyClick(m_main.get(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(m_services.programFake.ended, 1);
    }

    void eachSecondaryWindowStaysOne_data()
    {
        QTest::addColumn<QByteArray>("className");
        QTest::newRow("Rename") << QByteArray("Rename");
        QTest::newRow("Move") << QByteArray("MoveFileWindow");
        QTest::newRow("Options") << QByteArray("frmOptions");
        QTest::newRow("Contents") << QByteArray("Help");
        QTest::newRow("About") << QByteArray("About");
    }

    void eachSecondaryWindowStaysOne()
    {
        QFETCH(QByteArray, className);
        QAction *command = openWith(className);
        QVERIFY(command->isEnabled());
        command->trigger();
        QCOMPARE(windows(className, true), 1);
        QCOMPARE(windows(className), 1);
        QVERIFY(m_main->isVisible());
    }

    // The main window closed by its close box leaves the other window open, as designed; that
    // window's own button, which unloads it, then ends the program as its close box does.
    void lastWindowUnloadedEndsTheProgram_data()
    {
        QTest::addColumn<QByteArray>("className");
        QTest::newRow("Rename's Exit") << QByteArray("Rename");
        QTest::newRow("Move's Cancel") << QByteArray("MoveFileWindow");
        QTest::newRow("Help's door") << QByteArray("Help");
    }

    void lastWindowUnloadedEndsTheProgram()
    {
        QFETCH(QByteArray, className);
        openWith(className);
        const std::map<QByteArray, QPushButton *> buttons { { "Rename",
                                                                m_main->renameWindow()->Command2 },
            { "MoveFileWindow", m_main->moveWindow()->Command1 },
            { "Help", m_main->helpWindow()->Command4 } };
        QPushButton *button = buttons.at(className);
        QVERIFY(m_main->close());
        QCOMPARE(windows(className, true), 1);

        QTimer stillRunning;
        connect(&stillRunning, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        stillRunning.start(5000);
        QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(windows(className, true), 0);
    }

private:
    // Selects a picture, then shows the window of the class by its menu command; gives the
    // command.
    QAction *openWith(const QByteArray &className)
    {
        clickThumbnail(*m_main, 0);
        const std::map<QByteArray, QAction *> commands { { "Rename", m_main->mnuRename },
            { "MoveFileWindow", m_main->mnuMovePictures },
            { "frmOptions", m_main->mnuToolsOptions }, { "Help", m_main->mnuHelpContents },
            { "About", m_main->mnuHelpAbout } };
        QAction *command = commands.at(className);
        command->trigger();
        return command;
    }
};

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
