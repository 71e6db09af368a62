#include "app/folderlistbox.h"
#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "options/frmoptions.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
// One line per item as the user sees it: caption, keys and whether it can be chosen.
QStringList describe(const QMenu *menu)
{
    QStringList items;
    for (const QAction *action : menu->actions()) {
        if (action->isSeparator()) {
            items.append(QStringLiteral("-"));
            continue;
        }
        items.append(action->text() + '|' + action->shortcut().toString(QKeySequence::PortableText)
            + '|' + (action->isEnabled() ? "on" : "off"));
    }
    return items;
}

// The visible top-level windows of a class.
int shownWindows(const char *className)
{
    int count = 0;
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (qstrcmp(window->metaObject()->className(), className) == 0 && window->isVisible())
            ++count;
    }
    return count;
}

int windowsOfClass(const char *className)
{
    int count = 0;
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (qstrcmp(window->metaObject()->className(), className) == 0)
            ++count;
    }
    return count;
}
} // namespace

// The main window's menu bar: what it shows at start, its keys, and that every secondary
// window it opens exists once.
class TestMenus : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_pictures;

    // A main window on screen and active, showing a folder of two pictures.
    static void start(frmMain &w, const QString &folder)
    {
        QVERIFY(w.Form_Load());
        w.show();
        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());
        QVERIFY(w.Dir1->setPath(folder));
        QCOMPARE(w.gridNames().size(), 2);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_pictures.isValid());
        QVERIFY(testpictures::write(m_pictures.filePath("a.jpg"), Qt::red));
        QVERIFY(testpictures::write(m_pictures.filePath("b.jpg"), Qt::blue));
    }

    void menuBarAtStart_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("items");

        QTest::newRow("File") << 0 << "&File" << QStringList { "E&xit|Ctrl+X|on" };
        QTest::newRow("Edit") << 1 << "&Edit"
                              << QStringList { "Select All|Ctrl+A|on", "Select None|Ctrl+N|off",
                                     "-", "Delete|Del|off", "-", "Rename|Ctrl+R|off",
                                     "Move|Ctrl+M|off" };
        QTest::newRow("Tools") << 2 << "&Tools" << QStringList { "&Options...|Ctrl+O|on" };
        QTest::newRow("Help") << 3 << "&Help"
                              << QStringList { "&Contents||on", "-", "&About ||on" };
    }

    void menuBarAtStart()
    {
        QFETCH(int, index);
        QFETCH(QString, title);
        QFETCH(QStringList, items);

        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());

        const QList<QAction *> menus = w.menuBar()->actions();
        QCOMPARE(menus.size(), 4);
        const QMenu *menu = menus[index]->menu();
        QVERIFY(menu != nullptr);
        QCOMPARE(menu->title(), title);
        QCOMPARE(describe(menu), items);
    }

    void greyedCommandsIgnoreTheirKeys()
    {
        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        start(w, m_pictures.path());

        QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
        QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier);
        QTest::keyClick(&w, Qt::Key_Delete);
        QCOMPARE(windowsOfClass("Rename"), 0);
        QCOMPARE(windowsOfClass("MoveFileWindow"), 0);
        QVERIFY(services.boxesFake.shown.empty());
        QVERIFY(QFile::exists(m_pictures.filePath("a.jpg")));
        QVERIFY(QFile::exists(m_pictures.filePath("b.jpg")));
    }

    void commandsAnswerTheirKeys()
    {
        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        start(w, m_pictures.path());

        QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w.List1->count(), 2);
        QVERIFY(w.mnuEditSelectNone->isEnabled());
        QVERIFY(w.mnuRename->isEnabled());
        QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(w.List1->count(), 0);

        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(shownWindows("frmOptions"), 1);
        QVERIFY(!w.isEnabled());
        QVERIFY(w.optionsWindow()->close());
        QVERIFY(w.isEnabled());

        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());
        QTest::keyClick(&w, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(services.programFake.ended, 1);
    }

    void eachSecondaryWindowStaysOne_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("className");

        QTest::newRow("Rename") << "mnuRename" << QByteArray("Rename");
        QTest::newRow("Move") << "mnuMovePictures" << QByteArray("MoveFileWindow");
        QTest::newRow("Options") << "mnuToolsOptions" << QByteArray("frmOptions");
        QTest::newRow("Contents") << "mnuHelpContents" << QByteArray("Help");
        QTest::newRow("About") << "mnuHelpAbout" << QByteArray("About");
    }

    void eachSecondaryWindowStaysOne()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, className);

        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        start(w, m_pictures.path());
        // Rename and Move need a selection.
        QTest::mouseClick(w.Image1(0), Qt::LeftButton);
        QCOMPARE(w.List1->count(), 1);

        const std::map<QString, QAction *> commands {
            { "mnuRename", w.mnuRename },
            { "mnuMovePictures", w.mnuMovePictures },
            { "mnuToolsOptions", w.mnuToolsOptions },
            { "mnuHelpContents", w.mnuHelpContents },
            { "mnuHelpAbout", w.mnuHelpAbout },
        };
        QAction *action = commands.at(command);
        QVERIFY(action->isEnabled());
        action->trigger();
        QCOMPARE(shownWindows(className.constData()), 1);
        action->trigger();
        QCOMPARE(shownWindows(className.constData()), 1);
        QCOMPARE(windowsOfClass(className.constData()), 1);
        QVERIFY(w.isVisible());
    }
};

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
