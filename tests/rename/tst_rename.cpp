#include "app/filelistbox.h"
#include "app/folderlistbox.h"
#include "app/rules.h"
#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "rename/rename.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"

#include <QAction>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
const QString confirmText = QStringLiteral("Are you sure you want to RENAME these files ?");
const QString failureText = QStringLiteral("Unable to Rename. File may already exist!");

// A distinct colour for each picture, so a renamed file can be told by its content.
QColor colourOf(int index)
{
    return QColor::fromHsv((index * 47) % 360, 220, 220);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList entries(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QString path(const QString &folder, const QString &name)
{
    return rules::joinPath(QDir::toNativeSeparators(folder), name);
}

bool shows(const QString &file, QColor colour)
{
    const QImage image(file);
    return !image.isNull() && testpictures::near(testpictures::centre(image), colour);
}

// The main window showing a folder, and the rename window opened from its menu.
struct Session {
    FakeServices services;
    CountingLoader loader;
    frmMain main { services, loader };

    bool start(const QString &folder)
    {
        if (!main.Form_Load())
            return false;
        main.show();
        return openFolder(folder);
    }
    bool openFolder(const QString &folder)
    {
        return main.Dir1->setPath(QDir::toNativeSeparators(folder));
    }
    void click(int thumbnail) { QTest::mouseClick(main.Image1(thumbnail), Qt::LeftButton); }
    Rename *openRename()
    {
        main.mnuRename->trigger();
        return main.renameWindow();
    }
};

// Writes the pictures, shows their folder in the main window, selects them all and opens
// the rename window; null when any step fails.
Rename *openOn(
    Session &s, const QString &folder, const QStringList &names, QSize size = QSize(64, 48))
{
    for (int i = 0; i < names.size(); ++i) {
        if (!testpictures::write(QDir(folder).filePath(names[i]), colourOf(i), size))
            return nullptr;
    }
    if (!s.start(folder))
        return nullptr;
    s.main.mnuEditSelectAll->trigger();
    return s.main.List1->count() == names.size() ? s.openRename() : nullptr;
}

const QStringList twoPictures = { QStringLiteral("a.jpg"), QStringLiteral("b.jpg") };

void preview(Rename *window, const QString &prefix, const QString &count)
{
    window->Text2->clear();
    window->Text3->clear();
    QTest::keyClicks(window->Text2, prefix);
    QTest::keyClicks(window->Text3, count);
    QTest::mouseClick(window->Command1, Qt::LeftButton);
}
} // namespace

class TestRename : public QObject
{
    Q_OBJECT
private slots:
    void renamesTheSelection_data();
    void renamesTheSelection();
    void startFiveWith120Files();
    void twoFoldersShareOneCounter();
    void hostilePrefixIsRefused_data();
    void hostilePrefixIsRefused();
    void unsoundPreviewIsRefusedBeforeRenaming();
    void goWithoutPreviewRenamesNothing();
    void existingNameStopsHalfWay();
    void cancelKeepsEverything();
    void stalePreviewIsAppliedAsShown();
    void openingAgainOnlyShows();
};

void TestRename::renamesTheSelection_data()
{
    QTest::addColumn<QString>("subfolder");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("expected");
    const QStringList three = { "a.jpg", "b.jpg", "c.jpg" };
    QTest::newRow("one file") << "" << QStringList { "DSC01234.jpg" } << "Holiday"
                              << "7" << QStringList { "Holiday.jpg" };
    QTest::newRow("many files") << "" << three << "Holiday"
                                << "7"
                                << QStringList { "Holiday 007.jpg", "Holiday 008.jpg",
                                       "Holiday 009.jpg" };
    QTest::newRow("empty count") << "" << three << "Holiday"
                                 << ""
                                 << QStringList { "Holiday 000.jpg", "Holiday 001.jpg",
                                        "Holiday 002.jpg" };
    QTest::newRow("empty prefix") << "" << three << ""
                                  << "1" << QStringList { " 001.jpg", " 002.jpg", " 003.jpg" };
    QTest::newRow("count takes two characters")
        << "" << three << "X"
        << "123" << QStringList { "X 012.jpg", "X 013.jpg", "X 014.jpg" };
    QTest::newRow("count of a half rounds to even")
        << "" << three << "X"
        << ".5" << QStringList { "X 000.jpg", "X 001.jpg", "X 002.jpg" };
    QTest::newRow("count with a leading blank")
        << "" << three << "X"
        << " 5" << QStringList { "X 005.jpg", "X 006.jpg", "X 007.jpg" };
    QTest::newRow("count not a number")
        << "" << three << "X"
        << "ab" << QStringList { "X 000.jpg", "X 001.jpg", "X 002.jpg" };
    QTest::newRow("negative count")
        << "" << three << "X"
        << "-2" << QStringList { "X -02.jpg", "X -01.jpg", "X 000.jpg" };
    QTest::newRow("whole extensions")
        << "" << QStringList { "a.jpeg", "b.bmp", "c.ico" } << "Y"
        << "1" << QStringList { "Y 001.jpeg", "Y 002.bmp", "Y 003.ico" };
    QTest::newRow("dot in the folder name")
        << "my.pics" << QStringList { "IMG.jpeg", "x.jpg" } << "Z"
        << "" << QStringList { "Z 000.jpeg", "Z 001.jpg" };
}

void TestRename::renamesTheSelection()
{
    QFETCH(QString, subfolder);
    QFETCH(QStringList, files);
    QFETCH(QString, prefix);
    QFETCH(QString, count);
    QFETCH(QStringList, expected);
    QTemporaryDir root;
    const QString folder = subfolder.isEmpty() ? root.path() : root.filePath(subfolder);
    QVERIFY(QDir().mkpath(folder));
    Session s;
    Rename *window = openOn(s, folder, files);
    QVERIFY(window != nullptr);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Rename"));
    QCOMPARE(entries(window->List1), entries(s.main.List1));

    preview(window, prefix, count);
    QStringList expectedPaths;
    for (const QString &name : expected)
        expectedPaths.append(path(folder, name));
    QCOMPARE(entries(window->List2), expectedPaths);
    QCOMPARE(s.services.mouseFake.depth, 0);
    QVERIFY(s.services.mouseFake.hourglasses > 0);

    QTest::mouseClick(window->Go, Qt::LeftButton);
    QCOMPARE(s.services.boxesFake.texts(), QStringList { confirmText });
    QCOMPARE(s.services.boxesFake.shown[0].code, 33);
    QCOMPARE(s.services.boxesFake.shown[0].title, QStringLiteral("Ravelin"));

    // Each file has the name previewed beside it, and its own picture.
    QStringList sortedExpected = expected;
    sortedExpected.sort();
    QCOMPARE(filesIn(folder), sortedExpected);
    for (int i = 0; i < expected.size(); ++i)
        QVERIFY2(shows(expectedPaths[i], colourOf(i)), qPrintable(expectedPaths[i]));

    // The window stays open and empty; the main window lists the new names, has no
    // selection and no grid, and its commands keep their state.
    QVERIFY(window->isVisible());
    QCOMPARE(window->List1->count(), 0);
    QCOMPARE(window->List2->count(), 0);
    QCOMPARE(s.main.List1->count(), 0);
    QStringList listed = s.main.File1->fileNames();
    listed.sort();
    QCOMPARE(listed, sortedExpected);
    QVERIFY(s.main.Label1(0)->caption().isEmpty());
    QVERIFY(s.main.gridNames().isEmpty());
    QVERIFY(s.main.mnuRename->isEnabled());
}

void TestRename::startFiveWith120Files()
{
    constexpr int files = 120;
    QTemporaryDir dir;
    QStringList names;
    for (int i = 0; i < files; ++i)
        names.append(QStringLiteral("p%1.bmp").arg(i, 3, 10, QChar('0')));
    Session s;
    Rename *window = openOn(s, dir.path(), names, QSize(4, 4));
    QVERIFY(window != nullptr);
    preview(window, QStringLiteral("Party"), QStringLiteral("5"));

    QCOMPARE(window->List2->count(), files);
    for (int i = 0; i < files; ++i) {
        QCOMPARE(window->List2->item(i)->text(),
            path(dir.path(), QStringLiteral("Party %1.bmp").arg(i + 5, 3, 10, QChar('0'))));
    }
    QTest::mouseClick(window->Go, Qt::LeftButton);
    QCOMPARE(s.services.boxesFake.texts(), QStringList { confirmText });
    const QStringList result = filesIn(dir.path());
    QCOMPARE(result.size(), files);
    QCOMPARE(result.first(), QStringLiteral("Party 005.bmp"));
    QCOMPARE(result.last(), QStringLiteral("Party 124.bmp"));
    QVERIFY(shows(dir.filePath(QStringLiteral("Party 124.bmp")), colourOf(files - 1)));
}

void TestRename::twoFoldersShareOneCounter()
{
    QTemporaryDir root;
    const QString first = root.filePath(QStringLiteral("first"));
    const QString second = root.filePath(QStringLiteral("second"));
    QVERIFY(QDir().mkpath(first) && QDir().mkpath(second));
    QVERIFY(testpictures::write(QDir(first).filePath("a.jpg"), colourOf(0)));
    QVERIFY(testpictures::write(QDir(first).filePath("b.jpg"), colourOf(1)));
    QVERIFY(testpictures::write(QDir(second).filePath("c.jpg"), colourOf(2)));

    Session s;
    QVERIFY(s.start(first));
    s.main.mnuEditSelectAll->trigger();
    QVERIFY(s.openFolder(second));
    s.click(0);
    QCOMPARE(s.main.List1->count(), 3);

    Rename *window = s.openRename();
    preview(window, QStringLiteral("Trip"), QStringLiteral("1"));
    const QStringList expected = { path(first, "Trip 001.jpg"), path(first, "Trip 002.jpg"),
        path(second, "Trip 003.jpg") };
    QCOMPARE(entries(window->List2), expected);

    QTest::mouseClick(window->Go, Qt::LeftButton);
    QCOMPARE(filesIn(first), (QStringList { "Trip 001.jpg", "Trip 002.jpg" }));
    QCOMPARE(filesIn(second), QStringList { "Trip 003.jpg" });
    QVERIFY(shows(expected[2], colourOf(2)));
    // The file list re-reads the folder it shows.
    QCOMPARE(s.main.File1->fileNames(), QStringList { "Trip 003.jpg" });
}

void TestRename::hostilePrefixIsRefused_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("message");
    const QString outside = QStringLiteral(
        "The Prefix can not contain \\ or /: the pictures are renamed in their own folders.");
    const QString parent = QStringLiteral(
        "The Prefix can not contain \"..\": the pictures are renamed in their own folders.");
    QTest::newRow("up a folder") << "../escaped" << outside;
    QTest::newRow("into a subfolder") << "sub/x" << outside;
    QTest::newRow("backslash") << "sub\\x" << outside;
    QTest::newRow("an absolute path") << "/tmp/x" << outside;
    QTest::newRow("two dots") << ".." << parent;
    QTest::newRow("two dots inside") << "x..y" << parent;
}

void TestRename::hostilePrefixIsRefused()
{
    QFETCH(QString, prefix);
    QFETCH(QString, message);
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("pics"));
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(QDir(folder).filePath("sub")));
    Session s;
    Rename *window = openOn(s, folder, twoPictures);
    QVERIFY(window != nullptr);
    preview(window, QStringLiteral("Good"), QString());
    QCOMPARE(window->List2->count(), 2);

    // A refused prefix leaves no preview, not even the earlier one.
    preview(window, prefix, QString());
    QCOMPARE(s.services.boxesFake.texts(), QStringList { message });
    QCOMPARE(s.services.boxesFake.shown[0].code, 48);
    QCOMPARE(window->List2->count(), 0);
    QCOMPARE(s.services.mouseFake.depth, 0);

    // Going on anyway renames nothing.
    QTest::mouseClick(window->Go, Qt::LeftButton);
    QCOMPARE(s.services.boxesFake.texts().last(), failureText);
    QVERIFY(s.services.fsFake.renamed.empty());
    QCOMPARE(filesIn(folder), (QStringList { "a.jpg", "b.jpg" }));
    QCOMPARE(filesIn(root.path()), QStringList());
    QCOMPARE(filesIn(QDir(folder).filePath("sub")), QStringList());
}

void TestRename::unsoundPreviewIsRefusedBeforeRenaming()
{
    QTemporaryDir dir;
    Session s;
    Rename *window = openOn(s, dir.path(), twoPictures);
    QVERIFY(window != nullptr);
    preview(window, QStringLiteral("Fine"), QString());
    // The second name leaves the folder: neither file may be renamed.
    window->List2->item(1)->setText(path(dir.path(), QStringLiteral("../b.jpg")));

    QTest::mouseClick(window->Go, Qt::LeftButton);
    QCOMPARE(s.services.boxesFake.texts(),
        QStringList { QStringLiteral("The new names must stay in the folder of each picture. "
                                     "Please build the Preview again.") });
    QVERIFY(s.services.fsFake.renamed.empty());
    QCOMPARE(filesIn(dir.path()), (QStringList { "a.jpg", "b.jpg" }));
    QCOMPARE(window->List1->count(), 2);
}

void TestRename::goWithoutPreviewRenamesNothing()
{
    QTemporaryDir dir;
    Session s;
    Rename *window = openOn(s, dir.path(), twoPictures);
    QVERIFY(window != nullptr);
    QTest::keyClicks(window->Text2, QStringLiteral("Never previewed"));

    QTest::mouseClick(window->Go, Qt::LeftButton);
    QCOMPARE(s.services.boxesFake.texts(), (QStringList { confirmText, failureText }));
    QCOMPARE(s.services.boxesFake.shown[1].code, 0);
    QCOMPARE(s.services.boxesFake.shown[1].title, QStringLiteral("Ravelin"));
    QVERIFY(s.services.fsFake.renamed.empty());
    QCOMPARE(filesIn(dir.path()), (QStringList { "a.jpg", "b.jpg" }));
    QCOMPARE(window->List1->count(), 2);
    QCOMPARE(s.main.List1->count(), 2);
}

void TestRename::existingNameStopsHalfWay()
{
    QTemporaryDir dir;
    // Listed case-insensitively: a, b, c, then the picture that is in the way.
    const QStringList names = { "a.jpg", "b.jpg", "c.jpg", "Holiday 001.jpg" };
    for (int i = 0; i < names.size(); ++i)
        QVERIFY(testpictures::write(dir.filePath(names[i]), colourOf(i)));
    Session s;
    QVERIFY(s.start(dir.path()));
    QCOMPARE(s.main.File1->fileNames(), names);
    s.click(0);
    s.click(1);
    s.click(2);
    const QStringList selection = entries(s.main.List1);
    QCOMPARE(selection.size(), 3);

    Rename *window = s.openRename();
    preview(window, QStringLiteral("Holiday"), QStringLiteral("0"));
    const QStringList previewed = entries(window->List2);
    QTest::mouseClick(window->Go, Qt::LeftButton);

    QCOMPARE(s.services.boxesFake.texts(), (QStringList { confirmText, failureText }));
    // a was renamed; b met the existing picture and stopped the run; c was not tried.
    QCOMPARE(filesIn(dir.path()),
        (QStringList { "Holiday 000.jpg", "Holiday 001.jpg", "b.jpg", "c.jpg" }));
    QVERIFY(shows(dir.filePath("Holiday 000.jpg"), colourOf(0)));
    QVERIFY(shows(dir.filePath("Holiday 001.jpg"), colourOf(3)));
    QVERIFY(shows(dir.filePath("b.jpg"), colourOf(1)));
    // Everything else stays as it was.
    QCOMPARE(entries(window->List1), selection);
    QCOMPARE(entries(window->List2), previewed);
    QCOMPARE(entries(s.main.List1), selection);
    QCOMPARE(s.main.File1->fileNames(), names);
    QCOMPARE(s.main.gridNames(), names);
    QCOMPARE(s.main.Label1(0)->caption(), QStringLiteral("a.jpg"));
}

void TestRename::cancelKeepsEverything()
{
    QTemporaryDir dir;
    Session s;
    Rename *window = openOn(s, dir.path(), twoPictures);
    QVERIFY(window != nullptr);
    preview(window, QStringLiteral("Holiday"), QString());
    s.services.boxesFake.answer = platform::Answer::Cancel;

    QTest::mouseClick(window->Go, Qt::LeftButton);
    QCOMPARE(s.services.boxesFake.texts(), QStringList { confirmText });
    QVERIFY(s.services.fsFake.renamed.empty());
    QCOMPARE(filesIn(dir.path()), (QStringList { "a.jpg", "b.jpg" }));
    QCOMPARE(window->List1->count(), 2);
    QCOMPARE(window->List2->count(), 2);
    QCOMPARE(s.main.List1->count(), 2);
}

void TestRename::stalePreviewIsAppliedAsShown()
{
    QTemporaryDir dir;
    Session s;
    Rename *window = openOn(s, dir.path(), twoPictures);
    QVERIFY(window != nullptr);
    preview(window, QStringLiteral("Old"), QStringLiteral("3"));
    const QStringList shown = entries(window->List2);

    // Typing does not rebuild the preview; only the button does.
    window->Text2->clear();
    QTest::keyClicks(window->Text2, QStringLiteral("New"));
    QTest::keyClicks(window->Text3, QStringLiteral("9"));
    QCOMPARE(entries(window->List2), shown);

    QTest::mouseClick(window->Go, Qt::LeftButton);
    QCOMPARE(filesIn(dir.path()), (QStringList { "Old 003.jpg", "Old 004.jpg" }));
}

void TestRename::openingAgainOnlyShows()
{
    QTemporaryDir dir;
    QVERIFY(testpictures::write(dir.filePath("a.jpg"), colourOf(0)));
    QVERIFY(testpictures::write(dir.filePath("b.jpg"), colourOf(1)));
    Session s;
    QVERIFY(s.start(dir.path()));
    s.click(0);
    Rename *window = s.openRename();
    QCOMPARE(entries(window->List1), QStringList { path(dir.path(), "a.jpg") });
    preview(window, QStringLiteral("Kept"), QString());

    // A selection change does not reach the open window, nor does opening it again.
    s.click(1);
    QCOMPARE(s.openRename(), window);
    QCOMPARE(entries(window->List1), QStringList { path(dir.path(), "a.jpg") });
    QCOMPARE(window->Text2->text(), QStringLiteral("Kept"));
    QCOMPARE(window->List2->count(), 1);

    // Exit unloads it; the next opening copies the selection afresh.
    QCOMPARE(window->Command2->toolTip(), QStringLiteral("Exit"));
    QCOMPARE(window->Go->toolTip(), QStringLiteral("Rename"));
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(s.openRename(), window);
    QCOMPARE(entries(window->List1),
        (QStringList { path(dir.path(), "a.jpg"), path(dir.path(), "b.jpg") }));
    QVERIFY(window->Text2->text().isEmpty());
    QCOMPARE(window->List2->count(), 0);
}

QTEST_MAIN(TestRename)
#include "tst_rename.moc"
