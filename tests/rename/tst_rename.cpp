#include "browser/frmmain.h"
#include "rename/rename.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"
#include "widgets/filelistbox.h"
#include "widgets/folderlistbox.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
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
        // Typed a key at a time, letters beyond ASCII too.
        for (const QChar c : prefix)
            QTest::sendKeyEvent(QTest::Click, window->Text2, Qt::Key_unknown, c, {});
        QTest::keyClicks(window->Text3, count);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
    }
    void go(platform::Answer answer = platform::Answer::Ok)
    {
        services.boxesFake.answer = answer;
        QTest::mouseClick(window->Go, Qt::LeftButton);
    }
};

// A memory card: an exFAT image in the temporary folder, mounted on "card" through a loop
// device, by the kernel's driver or the FUSE one.
struct Card {
    QString mounted;
    ~Card()
    {
        if (!mounted.isEmpty()) {
            // The main window may still be in a folder of the card.
            QDir::setCurrent(QDir::tempPath());
            QProcess::execute("umount", { "-l", mounted });
        }
    }
    // Returns why the card could not be mounted: it needs root, mkfs.exfat and a driver.
    QString mount(PictureFolders &folders)
    {
        const QString image = folders.path("card.img");
        QFile file(image);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(8 << 20))
            return "Cannot make the card image";
        file.close();
        QProcess run;
        // What the program said, or why it did not run.
        const auto output = [&run] {
            return run.error() == QProcess::UnknownError
                ? QString(run.readAllStandardError().trimmed())
                : run.errorString();
        };
        run.start("mkfs.exfat", { image });
        if (!run.waitForFinished() || run.exitCode() != 0)
            return "Cannot make an exFAT card image (mkfs.exfat from exfatprogs): " + output();
        const QString at = folders.make("card", {});
        for (const char *driver : { "exfat", "exfat-fuse" }) {
            run.start("mount", { "-o", "loop", "-t", driver, image, at });
            if (run.waitForFinished() && run.exitCode() == 0) {
                mounted = at;
                return {};
            }
        }
        return "Cannot mount an exFAT card image (needs root, loop devices and an exFAT "
               "driver, the kernel's or exfat-fuse): "
            + output();
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
    void memoryCard();
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
    row("count takes two characters", three, "X", "123",
        { "p/X 012.jpg", "p/X 013.jpg", "p/X 014.jpg" });
    row("two folders share one counter", { "first/b.jpg", "first/a.jpg", "second/c.jpg" }, "Trip",
        "1", { "first/Trip 001.jpg", "first/Trip 002.jpg", "second/Trip 003.jpg" });
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
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("prefix");
    // The texts of the boxes shown, "<p>" standing for the pictures' folder.
    QTest::addColumn<QStringList>("messages");
    // Where the pictures are afterwards.
    QTest::addColumn<QStringList>("after");
    const auto row
        = [](const char *tag, const char *how, const char *prefix, const QStringList &messages,
              const QStringList &after = threePictures, const QStringList &files = threePictures) {
              QTest::newRow(tag) << files << QString(how) << QString(prefix) << messages << after;
          };
    // The run stops at the first file, which has no new name.
    const QStringList failed
        = { confirmText, failureText + "\n\n<p>/a.jpg\nNo new name was given." };
    row("Go without a preview", "none", "", failed);
    row("preview edited out of the folder", "edited", "",
        { "The new names must stay in the folder of each picture. Please build the Preview "
          "again." });
    row("Cancel, then the stale preview as shown", "cancel", "", { confirmText });
    // A refused prefix leaves no preview, not even the earlier one; going on renames nothing.
    const QString separator = QStringLiteral(
        "The Prefix can not contain \\ or /: the pictures are renamed in their own folders.");
    for (const char *prefix : { "../escaped", "sub/x", "sub\\x", "/tmp/x" })
        row(prefix, "prefix", prefix, QStringList { separator } + failed);
    // A name that starts with a dot would hide the picture.
    const QString hidden = QStringLiteral(
        "A new name can not start with a dot: the picture would be hidden. Please change the "
        "Prefix.");
    for (const char *prefix : { ".hidden", ".." })
        row(prefix, "prefix", prefix, QStringList { hidden } + failed);
    row("one picture, empty prefix", "prefix", "", QStringList { hidden } + failed, { "p/a.jpg" },
        { "p/a.jpg" });
    // A memory card keeps Windows rules.
    row("a colon on a card", "exfat", "Trip: Rome",
        QStringList { "A file name can not hold the characters \\ / : * ? \" < > | or control "
                      "characters. Please change the Prefix." }
            + failed);
}

void TestRename::refusedBeforeRenaming()
{
    QFETCH(QStringList, files);
    QFETCH(QString, how);
    QFETCH(QString, prefix);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, after);
    Session s;
    QVERIFY(s.start(files));
    s.folders.make("p/sub", {});
    if (how == "exfat")
        s.services.fsFake.fileSystem = QStringLiteral("exfat");
    const QByteArrayList before = s.folders.bytes(files);
    const QStringList listed = s.main.File1->fileNames();
    if (how != "none")
        s.preview("Old", "3");
    if (how == "edited") {
        s.window->List2->item(1)->setText(s.folders.path("b.jpg"));
    } else if (how == "prefix" || how == "exfat") {
        s.preview(prefix, "");
    } else {
        // Typing does not rebuild the preview; only the button does.
        s.window->Text2->clear();
        QTest::keyClicks(s.window->Text2, "New");
        QTest::keyClicks(s.window->Text3, "9");
    }
    const QStringList shown = listTexts(s.window->List2);
    s.go(how == "cancel" ? platform::Answer::Cancel : platform::Answer::Ok);

    messages.replaceInStrings("<p>", s.folders.path("p"));
    QCOMPARE(s.services.boxesFake.texts(), messages);
    QCOMPARE(s.folders.bytes(after), before);
    after.sort();
    QCOMPARE(s.folders.files(), after);
    // Both windows stay as they were.
    QCOMPARE(listTexts(s.window->List1), s.folders.paths(files));
    QCOMPARE(listTexts(s.window->List2), shown);
    QCOMPARE(listTexts(s.main.List1), s.folders.paths(files));
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

// A real card: its names keep Windows rules, their length is counted as the card counts it,
// and a name differing only in case is taken.
void TestRename::memoryCard()
{
    Session s;
    Card card;
    if (const QString why = card.mount(s.folders); !why.isEmpty())
        QSKIP(qPrintable(why));
    const QStringList files = { "card/a.jpg", "card/b.jpg", "card/x 001.JPG" };
    QVERIFY(s.start(files));
    const QByteArrayList before = s.folders.bytes(files);

    s.preview("Trip: Rome", "");
    QCOMPARE(s.window->List2->count(), 0);
    // "X 001.jpg" is the third picture's name on the card, which is renamed only later.
    s.preview("X", "");
    s.go();
    // 130 letters of two bytes each: too long for a Linux disk, not for the card.
    const QString letters(130, QChar(0xe9));
    s.preview(letters, "");
    s.go();

    QCOMPARE(s.services.boxesFake.texts(),
        QStringList({ "A file name can not hold the characters \\ / : * ? \" < > | or control "
                      "characters. Please change the Prefix.",
            confirmText,
            failureText + "\n\n" + s.folders.path("card/b.jpg")
                + "\nIts new name, X 001.jpg, is still taken by a picture further down the "
                  "list.\n\nNo picture was renamed.",
            confirmText }));
    const QStringList renamed = { "card/" + letters + " 000.jpg", "card/" + letters + " 001.jpg",
        "card/" + letters + " 002.JPG" };
    QCOMPARE(s.folders.bytes(renamed), before);
}

QTEST_MAIN(TestRename)
#include "tst_rename.moc"
