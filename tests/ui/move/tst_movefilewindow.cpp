#include "support/picturefolders.h"
#include "ui/main/frmmain.h"
#include "ui/main/imagebox.h"
#include "ui/move/movefilewindow.h"
#include "ui/widgets/drivelistbox.h"
#include "ui/widgets/filelistbox.h"
#include "ui/widgets/folderlistbox.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace
{
const QString confirmText = QStringLiteral("Are you sure you want to MOVE these files ?");

// The main window on src1 (a, b, keep), src2 (a, c) and out (keep, and the folder old), the
// pictures selected in it and the move window opened from its menu.
struct Session : MainSession {
    PictureFolders folders;
    MoveFileWindow *window = nullptr;
    bool start(const QStringList &selection, bool manual = false)
    {
        folders.make("src1", { "a.jpg", "b.jpg", "keep.jpg" });
        folders.make("src2", { "a.jpg", "c.jpg" });
        folders.make("out/old", {});
        folders.make("out", { "keep.jpg" });
        if (!folders.open(w, folders.path("src1")))
            return false;
        w.state().setThumbManual(manual);
        if (!folders.select(w, selection))
            return false;
        control<QAction>(w, "mnuMovePictures").trigger();
        window = w.moveWindow();
        return window->isVisible() && listTexts(window->List1) == folders.paths(selection);
    }
};
} // namespace

// The move window driven through its controls and the main window's menu, on real files: it
// hands the move what the user chose, shows the outcome and leaves the main window in use.
class TestMoveFileWindow : public QObject
{
    Q_OBJECT

private slots:
    void moves_data();
    void moves();
    void withoutMoving();
};

void TestMoveFileWindow::moves_data()
{
    QTest::addColumn<QStringList>("selection");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QStringList>("after"); // every file, sorted
    QTest::addColumn<bool>("manual");
    QTest::addColumn<bool>("made"); // the destination made in the window
    const QStringList two = { "src1/a.jpg", "src1/b.jpg" };
    QTest::newRow("three files from two folders")
        << QStringList { "src1/b.jpg", "src1/a.jpg", "src2/c.jpg" } << "out"
        << QStringList { "out/a.jpg", "out/b.jpg", "out/c.jpg", "out/keep.jpg", "src1/keep.jpg",
               "src2/a.jpg" }
        << false << false;
    QTest::newRow("manual mode: old grid and marks stay")
        << two << "out"
        << QStringList { "out/a.jpg", "out/b.jpg", "out/keep.jpg", "src1/keep.jpg", "src2/a.jpg",
               "src2/c.jpg" }
        << true << false;
    // Its undo takes the folder back too.
    QTest::newRow("into a folder made for it")
        << two << "out/New"
        << QStringList { "out/New/a.jpg", "out/New/b.jpg", "out/keep.jpg", "src1/keep.jpg",
               "src2/a.jpg", "src2/c.jpg" }
        << false << true;
}

void TestMoveFileWindow::moves()
{
    QFETCH(QStringList, selection);
    QFETCH(QString, destination);
    QFETCH(QStringList, after);
    QFETCH(bool, manual);
    QFETCH(bool, made);
    Session s;
    QVERIFY(s.start(selection, manual));
    const QStringList before = s.folders.files();
    const QStringList grid = control<ThumbnailGrid>(s.w).cells().names();
    if (made) {
        QVERIFY(s.window->Dir2->setPath(s.folders.path("out")));
        QTest::keyClicks(s.window->Text4, "New");
        QTest::mouseClick(s.window->MakeDir, Qt::LeftButton);
    }
    QVERIFY(s.window->Dir2->setPath(s.folders.path(destination)) && s.w.close());
    QTest::mouseClick(s.window->MoveFolderOK, Qt::LeftButton);

    const auto &shown = s.services.boxesFake.shown;
    QCOMPARE(shown[0], (FakeBoxes::Shown { confirmText, 33, "Tessary" }));
    QCOMPARE(shown[1].text, QStringLiteral("%1 Files moved!").arg(selection.size()));
    QCOMPARE(shown.size(), 2u);
    QCOMPARE(s.folders.files(), after);

    // The main window, closed meanwhile, is back in use, with no selection and its folder re-read.
    QVERIFY(!s.window->isLoaded() && s.window->isHidden());
    QVERIFY(s.w.isEnabled() && s.w.isVisible());
    QCOMPARE(control<QListWidget>(s.w, "List1").count(), 0);
    const QStringList listed = QDir(control<FolderListBox>(s.w, "Dir1").path())
                                   .entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    QCOMPARE(control<FileListBox>(s.w, "File1").fileNames(), listed);
    QCOMPARE(s.services.mouseFake.depth, 0);
    if (!manual) {
        QCOMPARE(control<ThumbnailGrid>(s.w).cells().names(), listed);
        if (made) {
            control<QAction>(s.w, "mnuEditUndo").trigger();
            QCOMPARE(s.folders.files(), before);
            QVERIFY(!QFileInfo::exists(s.folders.path(destination)));
        }
        return;
    }
    // By hand, the old thumbnails stay until the grid is next built; their marks show the
    // selection, which is empty.
    QCOMPARE(control<ThumbnailGrid>(s.w).cells().names(), grid);
    for (const QString &file : selection)
        QVERIFY(!control<ThumbnailView>(s.w, "picInner")
                     .isMarked(static_cast<int>(grid.indexOf(file.section('/', -1)))));
}

void TestMoveFileWindow::withoutMoving()
{
    Session s;
    s.services.drivesFake.list
        = { { "here", s.folders.path() }, { "x: [no disc]", s.folders.path("no-disc") } };
    const QStringList two = { "src1/a.jpg", "src1/b.jpg" };
    QVERIFY(s.start(two));
    const QStringList files = s.folders.files();
    const auto &shown = s.services.boxesFake.shown;

    // Before a destination is chosen nothing moves, and nothing is asked or cleared.
    QTest::mouseClick(s.window->MoveFolderOK, Qt::LeftButton);
    QCOMPARE(
        shown, (std::vector<FakeBoxes::Shown> { { "No destination was chosen.", 48, "Ravelin" } }));
    QVERIFY(s.window->isVisible());
    QCOMPARE(listTexts(s.window->List1), s.folders.paths(two));
    QCOMPARE(listTexts(&control<QListWidget>(s.w, "List1")), s.folders.paths(two));

    QVERIFY(s.window->Dir2->setPath(s.folders.path("out")));
    const QStringList preview = s.folders.paths({ "out/a.jpg", "out/b.jpg" });
    QCOMPARE(listTexts(s.window->List2), preview);

    // Folders are made inside the destination, never the current folder (src1).
    for (const char *typed : { "New", "old" }) {
        s.window->Text4->clear();
        QTest::keyClicks(s.window->Text4, typed);
        QTest::mouseClick(s.window->MakeDir, Qt::LeftButton);
    }
    QCOMPARE(QDir(s.folders.path("out")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
        QStringList({ "New", "old" }));
    QCOMPARE(shown.back(),
        (FakeBoxes::Shown {
            "Folder may already Exist", platform::box::Critical, "Can not create folder" }));

    // A drive without a medium is refused; the destination and its preview stay.
    QTest::keyClick(s.window->Drive2, Qt::Key_Down);
    QTest::keyClick(s.window->Drive2, Qt::Key_Return);
    QCOMPARE(shown.back().text, QStringLiteral("Drive Can not be found."));
    QCOMPARE(listTexts(s.window->List2), preview);

    // Cancel in the confirmation keeps the window as it was.
    s.services.boxesFake.answer = platform::Answer::Cancel;
    QTest::mouseClick(s.window->MoveFolderOK, Qt::LeftButton);
    QCOMPARE(shown.back().text, confirmText);
    QCOMPARE(listTexts(s.window->List2), preview);

    // The Cancel button unloads it; it opens again afresh, at the folder shown, whatever the
    // current folder is.
    QTest::mouseClick(s.window->Command1, Qt::LeftButton);
    QVERIFY(!s.window->isLoaded() && s.window->isHidden());
    QVERIFY(QDir::setCurrent(s.folders.path("out")));
    control<QAction>(s.w, "mnuMovePictures").trigger();
    QCOMPARE(s.window->List2->count(), 0);
    QCOMPARE(s.window->Text5->text(), s.folders.path("src1"));
    QCOMPARE(shown.size(), 4u);
    QCOMPARE(s.folders.files(), files);
    QCOMPARE(listTexts(&control<QListWidget>(s.w, "List1")), s.folders.paths(two));
}

QTEST_MAIN(TestMoveFileWindow)
#include "tst_movefilewindow.moc"
