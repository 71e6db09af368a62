#include "support/picturefolders.h"
#include "ui/main/frmmain.h"
#include "ui/rename/rename.h"
#include "ui/widgets/filelistbox.h"
#include "ui/widgets/folderlistbox.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSemaphore>
#include <QtTest>

namespace
{
const QString confirmText = QStringLiteral("Are you sure you want to RENAME these files ?");
// Long enough for the test to let a held rename go on before this gives up on it.
constexpr int heldRenameMs = 5000;
const QStringList threePictures
    = { QStringLiteral("p/a.jpg"), QStringLiteral("p/b.jpg"), QStringLiteral("p/c.jpg") };

// The main window on folders of real pictures (each of its own colour, so a renamed file is
// told by its bytes), a selection made in it and the rename window opened from its menu.
struct Session : MainSession {
    PictureFolders folders;
    Rename *window = nullptr;

    // Makes the pictures ("folder/name") and the others beside them, selects the pictures in
    // their order and opens the window.
    bool start(const QStringList &files, const QStringList &others = {})
    {
        for (const QString &file : files + others)
            folders.make(file.section('/', 0, -2), { file.section('/', -1) });
        if (!folders.open(w, folders.path(files.first().section('/', 0, -2)))
            || !folders.select(w, files))
            return false;
        control<QAction>(w, "mnuRename").trigger();
        window = w.renameWindow();
        return window->isVisible() && listTexts(window->List1) == folders.paths(files);
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
} // namespace

// The rename window driven through its controls and the main window, on real files: the
// names it previews, what it hands the rename, and what it shows of the outcome.
class TestRename : public QObject
{
    Q_OBJECT
private slots:
    void renames_data();
    void renames();
    void refused_data();
    void refused();
    void openingAgainOnlyShows();
    void pairsKeepTheirExtensions();
};

void TestRename::renames_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("byDate"); // the pictures in the order taken, their names dated
    QTest::newRow("one file, no number")
        << QStringList { "p/DSC01234.jpg" } << QStringList { "p/Holiday.jpg" } << false;
    QTest::newRow("two folders share one counter")
        << QStringList { "first/b.jpg", "first/a.jpg", "second/c.jpg" }
        << QStringList { "first/Holiday 007.jpg", "first/Holiday 008.jpg",
               "second/Holiday 009.jpg" }
        << false;
    // Without EXIF, by the day and time each was last changed: b before a.
    QTest::newRow("by date") << QStringList { "p/a.jpg", "p/b.jpg" }
                             << QStringList { "p/2023-05-02 Holiday 008.jpg",
                                    "p/2023-05-01 Holiday 007.jpg" }
                             << true;
}

void TestRename::renames()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, expected);
    QFETCH(bool, byDate);
    Session s;
    QVERIFY(s.start(files));
    const QByteArrayList before = s.folders.bytes(files);
    if (byDate) {
        for (int i = 0; i < files.size(); ++i)
            QVERIFY(testpictures::setModified(
                s.folders.path(files[i]), QDateTime(QDate(2023, 5, 2 - i), QTime(10, 0))));
        BrowserSettings settings = s.w.state().settings();
        settings.orderByTaken = true;
        s.w.state().setSettings(settings);
        s.window->close();
        control<QAction>(s.w, "mnuRename").trigger();
        QTest::mouseClick(s.window->DateTaken, Qt::LeftButton);
    }

    s.preview("Holiday", "7");
    // The new names in the order the window lists the files.
    QStringList previewed;
    for (const QString &from : listTexts(s.window->List1))
        previewed.append(s.folders.path(expected[s.folders.paths(files).indexOf(from)]));
    QCOMPARE(listTexts(s.window->List2), previewed);
    // The last rename is held: meanwhile the windows paint, take no keys and show the count.
    QSemaphore held;
    s.services.fsFake.fault = [&](auto, auto &, const QString &to) {
        if (to == previewed.last())
            held.tryAcquire(1, heldRenameMs);
        return std::optional<platform::FsResult>();
    };
    const auto shown = [] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == "batchProgress" && window->isVisible())
                return window->findChild<QLabel *>()->text();
        }
        return QString();
    };
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QTRY_COMPARE(
            shown(), QString("Renaming files… %1 of %2").arg(files.size() - 1).arg(files.size()));
        QTest::keyClicks(s.window->Text2, "x");
        seen = s.services.mouseFake.depth == 1;
        held.release();
    });
    s.go();
    QVERIFY(seen);
    QCOMPARE(s.window->Text2->text(), "Holiday");

    QCOMPARE(s.services.boxesFake.shown,
        std::vector<FakeBoxes::Shown>({ { confirmText, 33, "Ravelin" } }));
    // Each file has the name previewed beside it, and its own picture.
    QCOMPARE(s.folders.bytes(expected), before);
    QCOMPARE(s.folders.files().size(), files.size());
    QCOMPARE(s.services.mouseFake.depth, 0);
    // The window stays open and empty; the main window lists and shows the new names of its
    // folder, and has no selection for Rename to work on.
    QVERIFY(s.window->isVisible());
    QCOMPARE(s.window->List1->count() + s.window->List2->count()
            + control<QListWidget>(s.w, "List1").count(),
        0);
    QCOMPARE(control<FileListBox>(s.w, "File1").fileNames(),
        QDir(control<FolderListBox>(s.w, "Dir1").path())
            .entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
    QCOMPARE(control<ThumbnailGrid>(s.w).cells().names(),
        control<FileListBox>(s.w, "File1").fileNames());
    QVERIFY(!control<QAction>(s.w, "mnuRename").isEnabled());
}

void TestRename::refused_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("messages"); // "<p>" for the pictures' folder
    QTest::addColumn<QStringList>("files");
    const auto row = [](const char *tag, const char *how, const char *prefix,
                         const QStringList &messages, const QStringList &files = threePictures) {
        QTest::newRow(tag) << QString(how) << QString(prefix) << messages << files;
    };
    // The run stops at the first file, which has no new name.
    const QStringList failed = { confirmText,
        "Unable to Rename. File may already exist!\n\n<p>/a.jpg\nNo new name was given." };
    row("Go without a preview", "none", "", failed);
    row("Cancel", "cancel", "", { confirmText });
    // A refused prefix leaves no preview, not even the earlier one; going on renames nothing.
    row("a separator", "prefix", "../escaped",
        QStringList { "The Prefix can not contain \\ or /: the pictures are renamed in their "
                      "own folders." }
            + failed);
    const QString hidden = QStringLiteral("A new name can not start with a dot: the picture "
                                          "would be hidden. Please change the Prefix.");
    row(".hidden", "prefix", ".hidden", QStringList { hidden } + failed);
    row("one picture, empty prefix", "prefix", "", QStringList { hidden } + failed, { "p/a.jpg" });
    // A memory card keeps Windows rules.
    row("a colon on a card", "exfat", "Trip: Rome",
        QStringList { "A file name can not hold the characters \\ / : * ? \" < > | or control "
                      "characters. Please change the Prefix." }
            + failed);
}

void TestRename::refused()
{
    QFETCH(QString, how);
    QFETCH(QString, prefix);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, files);
    Session s;
    QVERIFY(s.start(files));
    if (how == "exfat")
        s.services.fsFake.fileSystem = QStringLiteral("exfat");
    const QStringList listed = control<FileListBox>(s.w, "File1").fileNames();
    if (how != "none")
        s.preview("Old", "3");
    if (how == "prefix" || how == "exfat")
        s.preview(prefix, "");
    const QStringList shown = listTexts(s.window->List2);
    s.go(how == "cancel" ? platform::Answer::Cancel : platform::Answer::Ok);

    messages.replaceInStrings("<p>", s.folders.path("p"));
    QCOMPARE(s.services.boxesFake.texts(), messages);
    QCOMPARE(s.folders.files(), files);
    // Both windows stay as they were.
    QCOMPARE(listTexts(s.window->List1), s.folders.paths(files));
    QCOMPARE(listTexts(s.window->List2), shown);
    QCOMPARE(listTexts(&control<QListWidget>(s.w, "List1")), s.folders.paths(files));
    QCOMPARE(control<ThumbnailGrid>(s.w).cells().names(), listed);
}

void TestRename::openingAgainOnlyShows()
{
    Session s;
    QVERIFY(s.start({ "p/a.jpg" }, { "p/b.jpg" }));
    s.preview("Kept", "");

    // A selection change does not reach the open window, nor does opening it again.
    QVERIFY(s.folders.select(s.w, { "p/b.jpg" }));
    control<QAction>(s.w, "mnuRename").trigger();
    QCOMPARE(listTexts(s.window->List1), s.folders.paths({ "p/a.jpg" }));
    QCOMPARE(s.window->List2->count(), 1);

    // Exit unloads it; the next opening copies the selection afresh.
    QTest::mouseClick(s.window->Command2, Qt::LeftButton);
    QVERIFY(!s.window->isVisible());
    control<QAction>(s.w, "mnuRename").trigger();
    QCOMPARE(listTexts(s.window->List1), s.folders.paths({ "p/a.jpg", "p/b.jpg" }));
    QVERIFY(s.window->Text2->text().isEmpty() && s.window->List2->count() == 0);
}

void TestRename::pairsKeepTheirExtensions()
{
    // With pairs kept together the preview lists every file that changes, a RAW file and a
    // sidecar under their picture's number; the batch counts the pictures.
    Session s;
    const QStringList shoot { "p/IMG_1.JPG", "p/IMG_1.CR2", "p/IMG_1.xmp", "p/img_2.jpg" };
    QVERIFY(testpictures::writeOwnPaths(s.folders.path(), shoot));
    QVERIFY(s.w.Form_Load());
    s.w.state().setSettings({ .keepPairs = true });
    s.w.state().showFolder(s.folders.path("p"));
    s.w.state().select(s.folders.paths({ "p/IMG_1.JPG", "p/img_2.jpg" }));
    control<QAction>(s.w, "mnuRename").trigger();
    s.window = s.w.renameWindow();
    s.preview("Trip", "1");
    const QStringList renamed { "p/Trip 001.CR2", "p/Trip 001.JPG", "p/Trip 001.xmp",
        "p/Trip 002.jpg" };
    QCOMPARE(listTexts(s.window->List2),
        s.folders.paths({ renamed[1], renamed[0], renamed[2], renamed[3] }));
    s.go();
    QCOMPARE(s.folders.files(), renamed);
    QCOMPARE(s.folders.bytes({ renamed[0] }).first(), "p/IMG_1.CR2");
    QCOMPARE(control<QAction>(s.w, "mnuEditUndo").text(), "Undo Rename of 2 Pictures");
}

QTEST_MAIN(TestRename)
#include "tst_rename.moc"
