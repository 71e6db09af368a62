#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "move/movefilewindow.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"
#include "widgets/drivelistbox.h"
#include "widgets/filelistbox.h"
#include "widgets/folderlistbox.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace
{
const QString confirmText = QStringLiteral("Are you sure you want to MOVE these files ?");

// The main window on src1 (a, b, keep), src2 (a, c, d) and out (keep, and the folder old),
// the pictures selected in it and the move window opened from its menu.
struct Session : MainSession {
    PictureFolders folders;
    frmMain &main = w;
    MoveFileWindow *window = nullptr;
    bool start(const QStringList &selection, bool manual = false)
    {
        folders.make("src1", { "a.jpg", "b.jpg", "keep.jpg" });
        folders.make("src2", { "a.jpg", "c.jpg", "d.jpg" });
        folders.make("out/old", {});
        folders.make("out", { "keep.jpg" });
        if (!folders.open(main, folders.path("src1")))
            return false;
        main.setThumbnailsManual(manual);
        if (!folders.select(main, selection))
            return false;
        main.mnuMovePictures->trigger();
        window = main.moveWindow();
        return window->isLoaded() && window->isVisible()
            && listTexts(window->List1) == folders.paths(selection);
    }
    QStringList previewOf(const QStringList &selection, const QString &destination) const
    {
        QStringList result;
        for (const QString &file : selection)
            result.append(folders.path(destination + '/' + file.section('/', -1)));
        return result;
    }
};
} // namespace

// The move window driven through its controls and the main window's menu, on real files.
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
    QTest::addColumn<int>("moved"); // the first ones of the selection
    QTest::addColumn<QString>("reason"); // why the others were not
    QTest::addColumn<bool>("manual");
    const auto row = [](const char *tag, const QStringList &selection, const char *destination,
                         int moved, const QString &reason = {}, bool manual = false) {
        QTest::newRow(tag) << selection << QString(destination) << moved << reason << manual;
    };
    const QStringList two = { "src1/a.jpg", "src1/b.jpg" };
    row("three files from two folders", { "src1/b.jpg", "src1/a.jpg", "src2/c.jpg" }, "out", 3);
    row("Move Pictures with an empty preview", two, "", 0, "No destination was chosen.");
    row("manual mode: old grid and marks stay", two, "out", 2, {}, true);
}

void TestMoveFileWindow::moves()
{
    QFETCH(QStringList, selection);
    QFETCH(QString, destination);
    QFETCH(int, moved);
    QFETCH(QString, reason);
    QFETCH(bool, manual);
    Session s;
    QVERIFY(s.start(selection, manual));
    const QStringList files = s.folders.files();
    const QByteArrayList before = s.folders.bytes(files);
    const QStringList grid = s.main.gridNames();
    const QStringList targets = s.previewOf(selection, destination);
    if (!destination.isEmpty()) {
        QVERIFY(s.window->Dir2->setPath(s.folders.path(destination)));
        QCOMPARE(s.window->Text5->text(), s.folders.path(destination));
        QCOMPARE(listTexts(s.window->List2), targets);
    }
    QTest::mouseClick(s.window->MoveFolderOK, Qt::LeftButton);

    // The count is of files moved; the others are listed with the reason, and kept.
    const auto &shown = s.services.boxesFake.shown;
    QCOMPARE(shown.size(), moved == selection.size() ? 2u : 3u);
    QCOMPARE(shown[0].text, confirmText);
    QCOMPARE(shown[0].code, 33);
    QCOMPARE(shown[0].title, QStringLiteral("Tessary"));
    QCOMPARE(shown[1].text, QStringLiteral("%1 Files moved!").arg(moved));
    QCOMPARE(shown.back().title, QStringLiteral("Ravelin"));
    QStringList expectedFiles = files;
    for (qsizetype i = 0; i < selection.size(); ++i) {
        if (i < moved) {
            const qsizetype at = files.indexOf(selection[i]);
            expectedFiles[at] = QDir(s.folders.path()).relativeFilePath(targets[i]);
        } else {
            QVERIFY(shown[2].text.contains(s.folders.path(selection[i]) + '\n' + reason));
        }
    }
    // Every file is whole in its place, and nothing else is left anywhere.
    QCOMPARE(s.folders.bytes(expectedFiles), before);
    expectedFiles.sort();
    QCOMPARE(s.folders.files(), expectedFiles);

    // The main window is back in use, with no selection and its folder re-read.
    QVERIFY(!s.window->isLoaded() && s.window->isHidden());
    QVERIFY(s.main.isEnabled() && s.main.isVisible());
    QCOMPARE(s.main.List1->count(), 0);
    const QStringList listed
        = QDir(s.main.Dir1->path()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    QCOMPARE(s.main.File1->fileNames(), listed);
    QCOMPARE(s.services.mouseFake.depth, 0);
    if (!manual) {
        QCOMPARE(s.main.gridNames(), listed);
        return;
    }
    // By hand, the old thumbnails stay until the grid is next built; their marks show the
    // selection, which is empty.
    QCOMPARE(s.main.gridNames(), grid);
    for (const QString &file : selection)
        QVERIFY(!s.main.Label1(static_cast<int>(grid.indexOf(file.section('/', -1))))->isOpaque());
}

void TestMoveFileWindow::withoutMoving()
{
    Session s;
    s.services.drivesFake.list
        = { { "here", s.folders.path() }, { "x: [no disc]", s.folders.path("no-disc") } };
    const QStringList two = { "src1/a.jpg", "src1/b.jpg" };
    QVERIFY(s.start(two));
    const QStringList files = s.folders.files();
    QVERIFY(s.window->Dir2->setPath(s.folders.path("out")));
    const auto &shown = s.services.boxesFake.shown;
    const auto makeFolder = [&](const QString &typed) {
        const size_t before = shown.size();
        s.window->Text4->clear();
        QTest::keyClicks(s.window->Text4, typed);
        QTest::mouseClick(s.window->MakeDir, Qt::LeftButton);
        return shown.size() - before;
    };

    // Folders are made inside the destination, never the current folder (src1).
    QCOMPARE(makeFolder("New"), 0u);
    QVERIFY(!s.window->Dir2->findItems("New", Qt::MatchEndsWith).isEmpty());
    QCOMPARE(makeFolder("old/New"), 0u);
    for (const char *refused : { "old", "none/New", "   " })
        QCOMPARE(makeFolder(refused), 1u);
    QCOMPARE(shown.back().text, QStringLiteral("Folder may already Exist"));
    QCOMPARE(shown.back().title, QStringLiteral("Can not create folder"));
    const auto folders = [&](const char *in) {
        return QDir(s.folders.path(in)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    };
    QCOMPARE(folders("out"), QStringList({ "New", "old" }));
    QCOMPARE(folders("out/old"), QStringList { "New" });
    QCOMPARE(folders("src1"), QStringList());

    // A drive without a medium is refused; the destination and its preview stay.
    QTest::keyClick(s.window->Drive2, Qt::Key_Down);
    QTest::keyClick(s.window->Drive2, Qt::Key_Return);
    QCOMPARE(shown.back().text, QStringLiteral("Drive Can not be found."));
    QCOMPARE(shown.back().title, QStringLiteral("Brindle"));
    QCOMPARE(listTexts(s.window->List2), s.previewOf(two, "out"));

    // Cancel in the confirmation keeps the window as it was.
    s.services.boxesFake.answer = platform::Answer::Cancel;
    QTest::mouseClick(s.window->MoveFolderOK, Qt::LeftButton);
    QCOMPARE(shown.back().text, confirmText);
    QVERIFY(s.window->isVisible());
    QCOMPARE(listTexts(s.window->List1), s.folders.paths(two));
    QCOMPARE(listTexts(s.window->List2), s.previewOf(two, "out"));

    // The Cancel button and the close box unload it; it opens again afresh.
    QTest::mouseClick(s.window->Command1, Qt::LeftButton);
    QVERIFY(!s.window->isLoaded() && s.window->isHidden());
    // It starts at the folder shown, whatever the current folder is.
    QVERIFY(QDir::setCurrent(s.folders.path("out")));
    s.main.mnuMovePictures->trigger();
    QCOMPARE(s.window->List2->count(), 0);
    QCOMPARE(s.window->Text5->text(), s.folders.path("src1"));
    QVERIFY(s.window->close());
    QVERIFY(!s.window->isLoaded() && s.window->isHidden());
    QCOMPARE(shown.size(), 5u);
    QCOMPARE(s.folders.files(), files);
    QVERIFY(s.main.isEnabled());
    QCOMPARE(listTexts(s.main.List1), s.folders.paths(two));
    QVERIFY(s.main.Label1(0)->isOpaque());
}

QTEST_MAIN(TestMoveFileWindow)
#include "tst_movefilewindow.moc"
