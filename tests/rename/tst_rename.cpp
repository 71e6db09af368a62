#include "app/filelistbox.h"
#include "app/folderlistbox.h"
#include "browser/frmmain.h"
#include "rename/rename.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace
{
const QString confirmText = QStringLiteral("Are you sure you want to RENAME these files ?");
const QString failureText = QStringLiteral("Unable to Rename. File may already exist!");

// The main window on folders of real pictures (each of its own colour, so a renamed file is
// told by its bytes), a selection made in it and the rename window opened from its menu.
struct Session : MainSession {
    PictureFolders folders;
    frmMain &main = w;
    Rename *window = nullptr;

    // Makes the pictures ("folder/name") and the others beside them, selects the pictures in
    // their order and opens the window.
    bool start(const QStringList &files, const QStringList &others = {})
    {
        for (const QString &file : files + others)
            folders.make(file.section('/', 0, -2), { file.section('/', -1) });
        if (!folders.open(main, folders.path(files.first().section('/', 0, -2)))
            || !folders.select(main, files))
            return false;
        main.mnuRename->trigger();
        window = main.renameWindow();
        return window->isVisible() && listTexts(window->List1) == listTexts(main.List1)
            && main.List1->count() == files.size();
    }
    void preview(const QString &prefix, const QString &count)
    {
        window->Text2->clear();
        window->Text3->clear();
        QTest::keyClicks(window->Text2, prefix);
        QTest::keyClicks(window->Text3, count);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
    }
    void go(platform::Answer answer = platform::Answer::Ok)
    {
        services.boxesFake.answer = answer;
        QTest::mouseClick(window->Go, Qt::LeftButton);
    }
};

const QStringList threePictures
    = { QStringLiteral("p/a.jpg"), QStringLiteral("p/b.jpg"), QStringLiteral("p/c.jpg") };
} // namespace

// The rename window driven through its controls and the main window, on real files.
class TestRename : public QObject
{
    Q_OBJECT
private slots:
    void renames_data();
    void renames();
    void refusedBeforeRenaming_data();
    void refusedBeforeRenaming();
    void openingAgainOnlyShows();
};

void TestRename::renames_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("expected");
    const auto row = [](const char *tag, const QStringList &files, const char *prefix,
                         const char *count, const QStringList &expected) {
        QTest::newRow(tag) << files << QString(prefix) << QString(count) << expected;
    };
    const QStringList three = { "p/a.jpg", "p/b.jpg", "p/c.jpg" };
    row("one file", { "p/DSC01234.jpg" }, "Holiday", "7", { "p/Holiday.jpg" });
    row("many files", three, "Holiday", "7",
        { "p/Holiday 007.jpg", "p/Holiday 008.jpg", "p/Holiday 009.jpg" });
    row("empty count", three, "H", "", { "p/H 000.jpg", "p/H 001.jpg", "p/H 002.jpg" });
    row("empty prefix", three, "", "1", { "p/ 001.jpg", "p/ 002.jpg", "p/ 003.jpg" });
    row("count takes two characters", three, "X", "123",
        { "p/X 012.jpg", "p/X 013.jpg", "p/X 014.jpg" });
    row("two folders share one counter", { "first/b.jpg", "first/a.jpg", "second/c.jpg" }, "Trip",
        "1", { "first/Trip 001.jpg", "first/Trip 002.jpg", "second/Trip 003.jpg" });
    row("whole extensions, dot in the folder",
        { "my.pics/a.jpeg", "my.pics/b.bmp", "my.pics/c.ico" }, "Y", "",
        { "my.pics/Y 000.jpeg", "my.pics/Y 001.bmp", "my.pics/Y 002.ico" });
    QStringList many;
    QStringList renamed;
    for (int i = 0; i < 120; ++i) {
        many.append(QStringLiteral("p/p%1.bmp").arg(i, 3, 10, QChar('0')));
        renamed.append(QStringLiteral("p/Party %1.bmp").arg(i + 5, 3, 10, QChar('0')));
    }
    row("start 5 with 120 files", many, "Party", "5", renamed);
}

void TestRename::renames()
{
    QFETCH(QStringList, files);
    QFETCH(QString, prefix);
    QFETCH(QString, count);
    QFETCH(QStringList, expected);
    Session s;
    QVERIFY(s.start(files));
    const QByteArrayList before = s.folders.bytes(files);

    s.preview(prefix, count);
    QCOMPARE(listTexts(s.window->List2), s.folders.paths(expected));
    s.go();

    QCOMPARE(s.services.boxesFake.texts(), QStringList { confirmText });
    QCOMPARE(s.services.boxesFake.shown[0].code, 33);
    // Each file has the name previewed beside it, and its own picture.
    QStringList sorted = expected;
    sorted.sort();
    QCOMPARE(s.folders.files(), sorted);
    QCOMPARE(s.folders.bytes(expected), before);
    QCOMPARE(s.services.mouseFake.depth, 0);

    // The window stays open and empty; the main window lists and shows the new names of its
    // folder, and has no selection for Rename to work on.
    QVERIFY(s.window->isVisible());
    QCOMPARE(s.window->List1->count() + s.window->List2->count() + s.main.List1->count(), 0);
    QCOMPARE(s.main.File1->fileNames(),
        QDir(s.main.Dir1->path()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
    QCOMPARE(s.main.gridNames(), s.main.File1->fileNames());
    QVERIFY(!s.main.mnuRename->isEnabled());
}

void TestRename::refusedBeforeRenaming_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("messages");
    // Where the pictures a, b, c and "Old 004.jpg" (when there is one) are afterwards.
    QTest::addColumn<QStringList>("after");
    const auto row = [](const char *tag, const char *how, const char *prefix,
                         const QStringList &messages, const QStringList &after = threePictures) {
        QTest::newRow(tag) << QString(how) << QString(prefix) << messages << after;
    };
    const QStringList failed = { confirmText, failureText };
    row("Go without a preview", "none", "", failed);
    row("preview edited out of the folder", "edited", "",
        { "The new names must stay in the folder of each picture. Please build the Preview "
          "again." });
    row("Cancel, then the stale preview as shown", "cancel", "", { confirmText });
    // a was renamed; b met the picture in the way and stopped the run; c was not tried.
    row("a previewed name taken half-way", "taken", "", failed,
        { "p/Old 003.jpg", "p/b.jpg", "p/c.jpg", "p/Old 004.jpg" });
    // A refused prefix leaves no preview, not even the earlier one; going on renames nothing.
    const QString refused = QStringLiteral(
        "The Prefix can not contain %1: the pictures are renamed in their own folders.");
    for (const char *prefix : { "../escaped", "sub/x", "sub\\x", "/tmp/x" })
        row(prefix, "prefix", prefix, QStringList { refused.arg("\\ or /") } + failed);
    for (const char *prefix : { "..", "x..y" })
        row(prefix, "prefix", prefix, QStringList { refused.arg("\"..\"") } + failed);
}

void TestRename::refusedBeforeRenaming()
{
    QFETCH(QString, how);
    QFETCH(QString, prefix);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, after);
    Session s;
    const QStringList taken = how == "taken" ? QStringList { "p/Old 004.jpg" } : QStringList {};
    QVERIFY(s.start(threePictures, taken));
    s.folders.make("p/sub", {});
    const QByteArrayList before = s.folders.bytes(threePictures + taken);
    const QStringList listed = s.main.File1->fileNames();
    if (how != "none")
        s.preview("Old", "3");
    if (how == "edited") {
        s.window->List2->item(1)->setText(s.folders.path("b.jpg"));
    } else if (how == "prefix") {
        s.preview(prefix, "");
    } else {
        // Typing does not rebuild the preview; only the button does.
        s.window->Text2->clear();
        QTest::keyClicks(s.window->Text2, "New");
        QTest::keyClicks(s.window->Text3, "9");
    }
    const QStringList shown = listTexts(s.window->List2);
    s.go(how == "cancel" ? platform::Answer::Cancel : platform::Answer::Ok);

    QCOMPARE(s.services.boxesFake.texts(), messages);
    QCOMPARE(s.folders.bytes(after), before);
    after.sort();
    QCOMPARE(s.folders.files(), after);
    // Both windows stay as they were.
    QCOMPARE(listTexts(s.window->List1), s.folders.paths(threePictures));
    QCOMPARE(listTexts(s.window->List2), shown);
    QCOMPARE(listTexts(s.main.List1), s.folders.paths(threePictures));
    QCOMPARE(s.main.File1->fileNames(), listed);
    QCOMPARE(s.main.gridNames(), listed);
    if (how == "cancel") {
        s.go();
        QCOMPARE(
            s.folders.files(), QStringList({ "p/Old 003.jpg", "p/Old 004.jpg", "p/Old 005.jpg" }));
    }
}

void TestRename::openingAgainOnlyShows()
{
    Session s;
    QVERIFY(s.start({ "p/a.jpg" }, { "p/b.jpg" }));
    s.preview("Kept", "");

    // A selection change does not reach the open window, nor does opening it again.
    QVERIFY(s.folders.select(s.main, { "p/b.jpg" }));
    s.main.mnuRename->trigger();
    QCOMPARE(listTexts(s.window->List1), s.folders.paths({ "p/a.jpg" }));
    QCOMPARE(s.window->Text2->text(), QStringLiteral("Kept"));
    QCOMPARE(s.window->List2->count(), 1);

    // Exit unloads it; the next opening copies the selection afresh.
    QTest::mouseClick(s.window->Command2, Qt::LeftButton);
    QVERIFY(!s.window->isVisible());
    s.main.mnuRename->trigger();
    QCOMPARE(s.main.renameWindow(), s.window);
    QCOMPARE(listTexts(s.window->List1), s.folders.paths({ "p/a.jpg", "p/b.jpg" }));
    QVERIFY(s.window->Text2->text().isEmpty());
    QCOMPARE(s.window->List2->count(), 0);
}

QTEST_MAIN(TestRename)
#include "tst_rename.moc"
