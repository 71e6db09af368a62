#include "core/flows/journal.h"
#include "core/flows/recoveryflow.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"
#include "ui/info/frmsplash.h"
#include "ui/info/help.h"
#include "ui/main/filecommands.h"
#include "ui/main/frmmain.h"
#include "ui/move/movefilewindow.h"
#include "ui/options/frmoptions.h"
#include "ui/rename/rename.h"
#include "ui/widgets/folderlistbox.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
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

// The texts of a window that do not show whole inside it, with their indicators, whichever
// font stands in for the design's. (A push button's own hint asks for more room than its text
// needs; a label that wraps needs its height at its width.)
QStringList cutOff(const QWidget *window)
{
    QStringList texts;
    for (const QWidget *child : window->findChildren<QWidget *>()) {
        const auto *label = qobject_cast<const QLabel *>(child);
        const auto *button = qobject_cast<const QAbstractButton *>(child);
        const QString text = label ? label->text() : button ? button->text() : QString();
        QSize needed = child->sizeHint();
        if (qobject_cast<const QPushButton *>(child))
            needed = { child->fontMetrics().horizontalAdvance(QString(text).remove('&')), 0 };
        else if (label != nullptr && label->wordWrap())
            needed = { 0, label->heightForWidth(label->width()) };
        const QRect place(child->mapTo(window, QPoint(0, 0)), child->size());
        if (!text.isEmpty() && child->isVisibleTo(window)
            && (child->width() < needed.width() || child->height() < needed.height()
                || !window->rect().contains(place)))
            texts.append(QStringLiteral("%1 (%2 pt)").arg(text).arg(child->font().pointSizeF()));
    }
    return texts;
}
} // namespace

Q_DECLARE_METATYPE(flows::Recovery)

// The main window's menu bar: its keys, and that every secondary window it opens exists
// once, shows its texts whole, and ends the program when it is the last one unloaded.
class TestMenus : public QObject
{
    Q_OBJECT

private:
    PictureFolders m_pictures;
    std::optional<MainSession> m_session;
    frmMain *m_main = nullptr;

    // Selects a picture, then shows the window of the class by its menu command.
    QAction *openWith(const QByteArray &className)
    {
        if (control<QListWidget>(*m_main, "List1").count() == 0)
            clickThumbnail(*m_main, 0);
        const std::map<QByteArray, QAction *> commands {
            { "Rename", &control<QAction>(*m_main, "mnuRename") },
            { "MoveFileWindow", &control<QAction>(*m_main, "mnuMovePictures") },
            { "frmOptions", &control<QAction>(*m_main, "mnuToolsOptions") },
            { "Help", &control<QAction>(*m_main, "mnuHelpContents") },
            { "About", &control<QAction>(*m_main, "mnuHelpAbout") }
        };
        QAction *command = commands.at(className);
        command->trigger();
        return command;
    }

private slots:
    // The main window on screen and active, showing two pictures.
    void init()
    {
        m_session.emplace();
        m_main = &m_session->w;
        QVERIFY(m_pictures.open(*m_main, m_pictures.make("pics", { "a.jpg", "b.jpg" })));
        QCOMPARE(control<ThumbnailGrid>(*m_main).cells().names().size(), 2);
    }
    void cleanup() { m_session.reset(); }

    void keysWorkOnlyForCommandsThatCanBeChosen()
    {
        const auto key = [this](Qt::Key pressed, Qt::KeyboardModifiers modifiers = {}) {
            m_main->activateWindow();
            QTRY_VERIFY(m_main->isActiveWindow());
            QTest::keyClick(m_main, pressed, modifiers);
        };
        key(Qt::Key_R, Qt::ControlModifier);
        key(Qt::Key_M, Qt::ControlModifier);
        key(Qt::Key_Delete);
        QCOMPARE(windows("Rename") + windows("MoveFileWindow"), 0);
        QVERIFY(m_session->services.boxesFake.shown.empty());

        key(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(control<QListWidget>(*m_main, "List1").count(), 2);
        key(Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(windows("Rename", true), 1);
        QVERIFY(m_main->renameWindow()->close());
        key(Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(windows("MoveFileWindow", true), 1);
        QTest::mouseClick(m_main->moveWindow()->Command1, Qt::LeftButton);
        key(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(control<QListWidget>(*m_main, "List1").count(), 0);
        key(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(windows("frmOptions", true), 1);
        QVERIFY(m_main->optionsWindow()->close());
        // Ctrl+Q ends the program as well as the design's Ctrl+X (tst_grid presses that).
        key(Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(m_session->services.programFake.ended, 1);
    }

    void eachSecondaryWindowStaysOne_data()
    {
        QTest::addColumn<QByteArray>("className");
        for (const char *name : { "Rename", "MoveFileWindow", "frmOptions", "Help", "About" })
            QTest::newRow(name) << QByteArray(name);
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
        // The splash does nothing of its own.
        frmSplash splash;
        splash.show();
        QTest::mouseClick(splash.lblProductName, Qt::LeftButton);
        QTest::keyClick(&splash, Qt::Key_Escape);
        QVERIFY(splash.isVisible());
    }

    // Every window shows its texts whole with the desktop's font at the common sizes.
    void textsShowWholeAtEachFontSize_data()
    {
        QTest::addColumn<int>("points");
        for (int points = 9; points <= 12; ++points)
            QTest::addRow("%d pt", points) << points;
    }
    void textsShowWholeAtEachFontSize()
    {
        QFETCH(int, points);
        const QFont desktop = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(desktop); });
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), points));
        cleanup();
        init();
        QStringList cut = cutOff(m_main);
        for (const char *name : { "Rename", "MoveFileWindow", "frmOptions", "Help", "About" }) {
            openWith(name);
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (window->isVisible() && QByteArray(name) == window->metaObject()->className()) {
                    cut += cutOff(window);
                    window->close();
                }
            }
        }
        frmSplash splash;
        splash.show();
        cut += cutOff(&splash);
        QCOMPARE(cut, QStringList());
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
    // What the start tells of a stopped batch, from what the recovery found; names as they are.
    void recoveryWording_data()
    {
        QTest::addColumn<flows::Recovery>("found");
        QTest::addColumn<QString>("told");
        const auto stopped = [](journal::Kind kind, qsizetype files, qsizetype done) {
            flows::Recovery found;
            found.found = flows::Recovery::Found::Stopped;
            found.batch.kind = kind;
            found.files = files;
            found.done = found.left = done;
            return found;
        };
        const QString undoLater = "\n\nDo you want to undo what was done? You can also do it "
                                  "later with Edit > Undo.";
        flows::Recovery found = stopped(journal::Kind::Move, 2, 1);
        found.cleaned = QStringList { "/out/.ravelin-move-1" };
        QTest::newRow("copies removed") << found
                                        << "Ravelin was stopped before it finished the last "
                                           "batch, the Move of 2 Pictures.\n\nThe unfinished "
                                           "copies it was making on another drive were removed "
                                           "(1).\n\nOf its 2 pictures, 1 was done and 1 not."
                + undoLater;
        found = stopped(journal::Kind::Move, 3, 3);
        found.copies.finished = QStringList { "/out/a.jpg", "/out/b.jpg" };
        QTest::newRow("moves finished") << found
                                        << "Ravelin was stopped before it finished the last "
                                           "batch, the Move of 3 Pictures.\n\n2 pictures were "
                                           "in both places; their moves were finished.\n\nOf "
                                           "its 3 pictures, 3 were done and 0 not."
                + undoLater;
        found = stopped(journal::Kind::Move, 1, 0);
        found.copies.kept = { { "/pics/<b>a</b>.jpg", "/out/<b>a</b>.jpg" } };
        QTest::newRow("both kept") << found
                                   << "Ravelin was stopped before it finished the last batch, "
                                      "the Move of 1 Picture.\n\n/pics/<b>a</b>.jpg and "
                                      "/out/<b>a</b>.jpg were both there, with different "
                                      "contents; both were kept.\n\nOf its 1 picture, 0 were "
                                      "done and 1 not.";
        found = stopped(journal::Kind::Rename, 2, 2);
        found.found = flows::Recovery::Found::Changed;
        found.changed = { { "/pics/n1.jpg", "It has changed since." } };
        found.setAsideAs = "/state/last-batch.journal.damaged-1";
        QTest::newRow("changed since")
            << found
            << "Ravelin was stopped before it finished the last batch, the Rename of 2 "
               "Pictures.\n\nSome of its files have changed since, so nothing of it will be "
               "undone. It was set aside as /state/last-batch.journal.damaged-1.\n\nThe files "
               "that changed:\n\n/pics/n1.jpg\nIt has changed since.";
        found = stopped(journal::Kind::Rename, 3, 2);
        found.undoing = true;
        QTest::newRow("still to be brought back")
            << found
            << "Ravelin was stopped while it was undoing the last batch, the Rename of 3 "
               "Pictures.\n\n2 pictures are still to be brought back.\n\nDo you want to bring "
               "them back now?";
    }
    void recoveryWording()
    {
        QFETCH(flows::Recovery, found);
        QFETCH(QString, told);
        QCOMPARE(FileCommands::recoveryMessage(found), told);
    }
    // Edit > Undo names the last batch, Ctrl+Z asks and takes it back, and after an undo or a
    // delete for good it offers nothing. The start words what a stopped batch left and takes
    // it back on the user's word, and tells of a damaged journal.
    void undoAndRecovery()
    {
        frmMain &w = *m_main;
        auto &boxes = m_session->services.boxesFake;
        const QString journalPath = journal::pathFor(m_session->services.fsFake);
        const auto run = [&](const QString &job, const QStringList &files) {
            QVERIFY(m_pictures.select(w, files));
            if (job == "rename") {
                control<QAction>(w, "mnuRename").trigger();
                QTest::keyClicks(w.renameWindow()->Text2, QStringLiteral("Holiday"));
                QTest::keyClicks(w.renameWindow()->Text3, QStringLiteral("1"));
                QTest::mouseClick(w.renameWindow()->Command1, Qt::LeftButton);
                QTest::mouseClick(w.renameWindow()->Go, Qt::LeftButton);
            } else {
                w.state().setSettings({ .deleteRecycle = job == "trash" });
                control<QAction>(w, "mnuEditDelete").trigger();
            }
            boxes.shown.clear();
        };
        const QStringList both { "pics/a.jpg", "pics/b.jpg" };
        QCOMPARE(control<QAction>(w, "mnuEditUndo").text(), "Undo");
        QVERIFY(!control<QAction>(w, "mnuEditUndo").isEnabled());
        run("rename", both);
        QCOMPARE(m_pictures.files().filter("pics/"),
            QStringList({ "pics/Holiday 001.jpg", "pics/Holiday 002.jpg" }));
        QCOMPARE(control<QAction>(w, "mnuEditUndo").text(), "Undo Rename of 2 Pictures");
        QVERIFY(control<QAction>(w, "mnuEditUndo").isEnabled());
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(boxes.texts(),
            QStringList({ "Are you sure you want to UNDO the Rename of 2 Pictures ?",
                "The Rename of 2 Pictures was undone." }));
        QCOMPARE(m_pictures.files().filter("pics/"), both);
        QCOMPARE(control<QAction>(w, "mnuEditUndo").text(), "Undo");
        QVERIFY(!control<QAction>(w, "mnuEditUndo").isEnabled());

        // Its end not recorded: stopped with every file done.
        run("trash", both);
        QByteArrayList lines = testpictures::bytes(journalPath).split('\n');
        lines.removeAt(lines.size() - 2);
        QVERIFY(testpictures::writeBytes(journalPath, lines.join('\n')));
        w.recoverUnfinishedBatch();
        QCOMPARE(boxes.texts(),
            QStringList({ "Ravelin was stopped before it finished the last batch, the Delete of "
                          "2 Pictures.\n\nOf its 2 pictures, 2 were done and 0 not.\n\nDo you "
                          "want to undo what was done? You can also do it later with Edit > "
                          "Undo.",
                "The Delete of 2 Pictures was undone." }));
        QCOMPARE(m_pictures.files().filter("pics/"), both);

        run("trash", { "pics/a.jpg" });
        QCOMPARE(control<QAction>(w, "mnuEditUndo").text(), "Undo Delete of 1 Picture");
        run("delete", { "pics/b.jpg" });
        QCOMPARE(control<QAction>(w, "mnuEditUndo").text(), "Undo");
        QVERIFY(!control<QAction>(w, "mnuEditUndo").isEnabled());

        const QString damaged = "The record Ravelin keeps of its last batch is damaged, so "
                                "nothing was done with it: ";
        QVERIFY(testpictures::writeBytes(journalPath, "hello\n"));
        w.recoverUnfinishedBatch();
        QVERIFY(QDir().mkpath(journalPath + "/inside"));
        w.recoverUnfinishedBatch();
        const QStringList texts = boxes.texts();
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts[0].startsWith(damaged + "Its line 1 is damaged.\n\nIt was set aside as "
                     + journalPath + ".damaged-"),
            qPrintable(texts[0]));
        QCOMPARE(texts[1],
            damaged
                + "It is not a plain file of your own.\n\nIt could not be set aside and stays as "
                + journalPath
                + ". Until it is gone, Ravelin keeps no record of its batches, so they cannot be "
                  "undone.");
        QVERIFY(QDir(journalPath).removeRecursively());
    }
};

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
