#include "core/flows/journal.h"
#include "core/pictures/picturecache.h"
#include "core/state/gridcells.h"
#include "support/picturefolders.h"
#include "ui/widgets/drivelistbox.h"
#include "ui/widgets/filelistbox.h"
#include "ui/widgets/folderlistbox.h"

#include <QApplication>
#include <QDir>
#include <QFontMetricsF>
#include <QMutex>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSemaphore>
#include <QTest>
#include <QWheelEvent>

using testpictures::write;

namespace
{
// A loader that reads a picture only when the test lets it, and notes the order of reads.
class GatedLoader : public PictureLoader
{
public:
    LoadedPicture load(const QString &path, QSize size) const override
    {
        {
            const QMutexLocker lock(&m_mutex);
            m_asked.append(QFileInfo(path).fileName());
        }
        m_gate.acquire();
        return m_real.load(path, size);
    }
    void let(int reads) const { m_gate.release(reads); }
    QStringList asked() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_asked;
    }

private:
    QtPictureLoader m_real;
    mutable QSemaphore m_gate;
    mutable QMutex m_mutex;
    mutable QStringList m_asked;
};

// A main window whose grid is read on one thread, a picture at a time as the test lets it.
struct GatedSession {
    FakeServices services;
    GatedLoader loader;
    frmMain w { services, loader };
    GatedSession() { w.pictureCache().setThreadCount(1); }
    ~GatedSession() { loader.let(1 << 20); }
};

QStringList captions(const frmMain &w)
{
    const auto &view = control<ThumbnailView>(w, "picInner");
    QStringList result;
    for (int i = 0; i < view.cellCount(); ++i)
        result.append(view.name(i));
    return result;
}

QColor centreOf(const frmMain &w, int i)
{
    return testpictures::centre(control<ThumbnailGrid>(w).cells().cell(i).image);
}

QStringList numbered(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0')));
    return names;
}

// Many small pictures, quickly: one encoded picture written under every name.
QString tinyPictures(const PictureFolders &folders, const QString &name, int count)
{
    const QString folder = folders.path(name);
    QDir().mkpath(folder);
    const QByteArray bytes = testpictures::jpegBytes(testpictures::filled({ 8, 8 }, Qt::darkCyan));
    for (const QString &file : numbered(count)) {
        if (!testpictures::writeBytes(QDir(folder).filePath(file), bytes))
            return {};
    }
    return folder;
}

// Counts the paints a widget gets.
struct PaintCounter : QObject {
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int count = 0;
};

void clickAt(frmMain &w, QPoint at)
{
    QTest::mouseClick(&control<ThumbnailView>(w, "picInner"), Qt::LeftButton, {}, at);
}
} // namespace

// The main window's start, folder navigation and thumbnail grid, driven as a user would.
class TestGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_folders = std::make_unique<PictureFolders>(); }
    void cleanup() { m_folders.reset(); }
    void startsWithNoGrid();
    void secondCopyIsRefused();
    void drives();
    void gridGeometryAndHits_data();
    void gridGeometryAndHits();
    void answersWhileTheGridBuilds();
    void folderChangeCancelsTheBuild();
    void heldThumbnailsStayNearTheScreen();
    void sameNameInTwoFolders();
    void longNamesAreCutShort();
    void goneFolderLeavesTheList();

private:
    // Opens a folder as PictureFolders::open does, without waiting for its grid.
    bool openUnbuilt(frmMain &w, const QString &folder)
    {
        QDir::setCurrent(m_folders->path());
        if (!w.Form_Load())
            return false;
        w.show();
        w.activateWindow();
        return QTest::qWaitForWindowActive(&w) && control<FolderListBox>(w, "Dir1").setPath(folder);
    }

    std::unique_ptr<PictureFolders> m_folders;
};

void TestGrid::startsWithNoGrid()
{
    const QString folder = m_folders->make("start", { "b.jpg", "A.jpg", "notes.png" });
    QDir::setCurrent(folder);
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(w.Form_Load());
    // The lists show the folder current at start; no thumbnails are built yet.
    QCOMPARE(control<FolderListBox>(w, "Dir1").path(), folder);
    QCOMPARE(control<FileListBox>(w, "File1").fileNames(), QStringList({ "A.jpg", "b.jpg" }));
    QVERIFY(captions(w).isEmpty());
    QCOMPARE(s.loader.reads(), 0);

    // On screen the folder list has the keys; opening the folder it shows builds the grid.
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), &control<FolderListBox>(w, "Dir1"));
    QVERIFY(write(QDir(folder).filePath("new.jpg"), Qt::red));
    QTest::keyClick(&control<FolderListBox>(w, "Dir1"), Qt::Key_Return);
    QCOMPARE(captions(w), QStringList({ "A.jpg", "b.jpg", "new.jpg" }));

    QTest::keyClick(&w, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(s.services.programFake.ended, 1);
    QVERIFY(!w.isVisible());
}

void TestGrid::secondCopyIsRefused()
{
    MainSession s;
    s.services.instanceFake.anotherRunning = true;
    QVERIFY(!s.w.Form_Load());
    QVERIFY(s.services.boxesFake.shown
        == std::vector<FakeBoxes::Shown>({ { "Ravelin is already running!", 48, "Ravelin" } }));
    QCOMPARE(s.services.programFake.ended, 1);

    // A lock that cannot be taken is not another copy: the user is told why, and it starts.
    MainSession unsure;
    unsure.services.instanceFake.failure = "Its lock file cannot be made.";
    QVERIFY(unsure.w.Form_Load());
    QCOMPARE(unsure.services.boxesFake.texts().size(), 1);
    QVERIFY(unsure.services.boxesFake.texts()[0].endsWith(unsure.services.instanceFake.failure));
    QCOMPARE(unsure.services.programFake.ended, 0);
    // Nor does it take up a batch that copy may be running.
    QVERIFY(testpictures::writeBytes(journal::pathFor(unsure.services.fsFake), "hello\n"));
    unsure.w.recoverUnfinishedBatch();
    QCOMPARE(unsure.services.boxesFake.texts().size(), 1);
}

void TestGrid::drives()
{
    const QString first = m_folders->make("first", { "a.jpg" });
    const QString second = m_folders->make("second", { "x.jpg" });
    MainSession s;
    frmMain &w = s.w;
    const auto &shown = s.services.boxesFake.shown;
    s.services.drivesFake.list = { { "c: [disk]", m_folders->path() },
        { "z: [no disc]", m_folders->path("gone") }, { "d: [card]", second } };
    control<DriveListBox>(w, "Drive1").refresh();
    QVERIFY(m_folders->open(w, first));

    // Keys and the wheel only move through the drives until Enter; leaving the list shows the
    // drive of the folder again.
    control<DriveListBox>(w, "Drive1").setFocus();
    QTest::keyClick(&control<DriveListBox>(w, "Drive1"), Qt::Key_Down);
    QWheelEvent wheel(QPointF(5, 5), control<DriveListBox>(w, "Drive1").mapToGlobal(QPointF(5, 5)),
        {}, { 0, -120 }, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&control<DriveListBox>(w, "Drive1"), &wheel);
    QCOMPARE(control<DriveListBox>(w, "Drive1").currentIndex(), 1);
    control<FolderListBox>(w, "Dir1").setFocus();
    QCOMPARE(control<DriveListBox>(w, "Drive1").currentIndex(), 0);

    // A drive without a medium: one message, and everything still shows the folder before.
    control<DriveListBox>(w, "Drive1").setFocus();
    QTest::keyClick(&control<DriveListBox>(w, "Drive1"), Qt::Key_Down);
    QTest::keyClick(&control<DriveListBox>(w, "Drive1"), Qt::Key_Return);
    QVERIFY(
        shown == std::vector<FakeBoxes::Shown>({ { "Drive Can not be found.", 16, "Ravelin" } }));
    QCOMPARE(control<FileListBox>(w, "File1").path(), first);
    QCOMPARE(captions(w), QStringList({ "a.jpg" }));

    // A drive with a medium opens its root; up from there the list shows the drive holding it.
    QTest::keyClick(&control<DriveListBox>(w, "Drive1"), Qt::Key_Down);
    QTest::keyClick(&control<DriveListBox>(w, "Drive1"), Qt::Key_Return);
    QCOMPARE(control<FolderListBox>(w, "Dir1").path(), second);
    QCOMPARE(captions(w), QStringList({ "x.jpg" }));
    QCOMPARE(s.services.mouseFake.depth, 0);
    QTest::keyClick(&control<FolderListBox>(w, "Dir1"), Qt::Key_Up);
    QTest::keyClick(&control<FolderListBox>(w, "Dir1"), Qt::Key_Return);
    QCOMPARE(control<DriveListBox>(w, "Drive1").currentText(), QStringLiteral("c: [disk]"));

    // A card put in after the start is there when the list opens.
    s.services.drivesFake.list.push_back({ "e: [new card]", first });
    QTest::keyClick(&control<DriveListBox>(w, "Drive1"), Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(control<DriveListBox>(w, "Drive1").count(), 4);
}

void TestGrid::gridGeometryAndHits_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("scrollMax");
    QTest::newRow("empty folder") << 0 << 0;
    QTest::newRow("seven pictures") << 7 << 0;
    // The canvas, 30 * count + 110 high, scrolls until its foot meets the viewport's.
    QTest::newRow("two screens") << 30 << 30 * 30 + 110 - 505;
}

void TestGrid::gridGeometryAndHits()
{
    QFETCH(int, count);
    QFETCH(int, scrollMax);
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, m_folders->make("grid", numbered(count))));
    QCOMPARE(captions(w), numbered(count));
    QCOMPARE(control<QScrollBar>(w, "VBar").maximum(), scrollMax);

    // Only a picture takes a click: not its caption, nor the gaps, nor the space past the end.
    const int last = count - 1;
    const std::vector<std::pair<QPoint, int>> hits
        = { { { 1, 1 }, count > 0 ? 0 : -1 }, { { 50, 120 }, -1 }, { { 105, 50 }, -1 },
              { { 544, 50 }, -1 }, { { 110 * (last % 5) + 99, 150 * (last / 5) + 99 }, last },
              { { 110 * (last % 5 + 1) + 50, 150 * (last / 5) + 50 }, -1 } };
    for (const auto &[at, cell] : hits) {
        w.state().clearSelection();
        clickAt(w, at);
        QCOMPARE(listTexts(&control<QListWidget>(w, "List1")),
            cell < 0 ? QStringList()
                     : QStringList(QDir(control<FolderListBox>(w, "Dir1").path())
                                       .filePath(numbered(count)[cell])));
    }

    // The wheel and the scroll bar move the canvas; a new grid starts at its top.
    QWheelEvent wheel(QPointF(50, 50), control<QWidget>(w, "picOuter").mapToGlobal(QPointF(50, 50)),
        {}, { 0, -120 }, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&control<QWidget>(w, "picOuter"), &wheel);
    QCOMPARE(control<ThumbnailView>(w, "picInner").y(), 10 - std::min(90, scrollMax));
    control<ThumbnailGrid>(w).ButtonLoadThumbs_Click();
    QCOMPARE(control<ThumbnailView>(w, "picInner").y(), 10);
}

void TestGrid::answersWhileTheGridBuilds()
{
    const QString folder = tinyPictures(*m_folders, "many", 60);
    GatedSession s;
    frmMain &w = s.w;
    QVERIFY(openUnbuilt(w, folder));

    // The folder is open at once: every cell with its caption, no picture read yet, and the
    // pointer says the window is busy but usable.
    QCOMPARE(captions(w), numbered(60));
    QVERIFY((control<ThumbnailGrid>(w).cells().cell(0).shown == GridCells::Shown::Pending));
    QCOMPARE(control<QProgressBar>(w, "ProgressBar1").value(), 0);
    QCOMPARE(control<QWidget>(w, "picOuter").cursor().shape(), Qt::BusyCursor);

    // A click on a cell not read yet selects it, at once; so does Select All.
    clickAt(w, ThumbnailView::pictureRect(7).center());
    QCOMPARE(listTexts(&control<QListWidget>(w, "List1")),
        QStringList(QDir(folder).filePath("IMG_00007.JPG")));
    QVERIFY(control<ThumbnailView>(w, "picInner").isMarked(7));
    control<QAction>(w, "mnuEditSelectAll").trigger();
    QCOMPARE(control<QListWidget>(w, "List1").count(), 60);

    // The rows on screen are read first; scrolled to the end, the last rows go next.
    s.loader.let(20);
    QTRY_COMPARE(control<ThumbnailGrid>(w).cells().done(), 20);
    QCOMPARE(s.loader.asked().mid(0, 20), numbered(20));
    QVERIFY(control<QProgressBar>(w, "ProgressBar1").value() > 0
        && control<QProgressBar>(w, "ProgressBar1").value() < 100);
    control<QScrollBar>(w, "VBar").setValue(control<QScrollBar>(w, "VBar").maximum());
    s.loader.let(22);
    QTRY_COMPARE(control<ThumbnailGrid>(w).cells().done(), 42);
    // Cells 20 and 21 were under way when the grid scrolled.
    QCOMPARE(s.loader.asked().mid(22, 15), numbered(60).mid(45, 15));

    s.loader.let(1 << 20);
    QVERIFY(control<ThumbnailGrid>(w).cells().waitUntilBuilt());
    QCOMPARE(control<QProgressBar>(w, "ProgressBar1").value(), 100);
    QCOMPARE(control<QWidget>(w, "picOuter").cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!control<ThumbnailGrid>(w).cells().cell(59).image.isNull());
}

void TestGrid::folderChangeCancelsTheBuild()
{
    const QString big = tinyPictures(*m_folders, "big", 200);
    // Enough cells that the reads left under way would fit into the new grid.
    const QStringList names = { "a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg" };
    const QString small = m_folders->make("small", names);
    GatedSession s;
    frmMain &w = s.w;
    QVERIFY(openUnbuilt(w, big));
    s.loader.let(3);
    QTRY_COMPARE(control<ThumbnailGrid>(w).cells().done(), 3);

    QVERIFY(control<FolderListBox>(w, "Dir1").setPath(small));
    QCOMPARE(captions(w), names);
    s.loader.let(1 << 20);
    QVERIFY(control<ThumbnailGrid>(w).cells().waitUntilBuilt());
    QCOMPARE(control<QProgressBar>(w, "ProgressBar1").value(), 100);
    // Every cell shows its own picture, none of the folder left.
    for (int i = 0; i < names.size(); ++i) {
        const QColor own = testpictures::centre(QImage(QDir(small).filePath(names[i])));
        QVERIFY2(testpictures::near(centreOf(w, i), own), qPrintable(names[i]));
    }
    // Only the reads already under way were finished of the folder left.
    const QStringList asked = s.loader.asked();
    QVERIFY2(asked.size() <= 3 + 2 + 5, qPrintable(asked.join(' ')));
    QCOMPARE(asked.mid(asked.size() - 5), names);
}

void TestGrid::heldThumbnailsStayNearTheScreen()
{
    const QString folder = tinyPictures(*m_folders, "large", 400);
    MainSession s;
    frmMain &w = s.w;
    GridCells &cells = control<ThumbnailGrid>(w).cells();
    cells.setMargin(25);
    w.pictureCache().setBudget(0);
    QVERIFY(m_folders->open(w, folder));
    QCOMPARE(cells.done(), 400);
    // The screen's 20 cells and 25 after them hold their thumbnails; the rest let go of them.
    QCOMPARE(cells.heldThumbnails(), 45);
    QVERIFY(cells.cell(399).image.isNull() && cells.cell(399).shown != GridCells::Shown::Broken);

    // Scrolled to the end, the cells there read theirs again and those at the top let go.
    control<QScrollBar>(w, "VBar").setValue(control<QScrollBar>(w, "VBar").maximum());
    QVERIFY(cells.waitUntilBuilt());
    QVERIFY(!cells.cell(399).image.isNull() && cells.cell(0).image.isNull());
    QVERIFY(cells.heldThumbnails() <= 20 + 25);

    // Select All is one repaint of the grid, whatever its size.
    PaintCounter paints(&control<ThumbnailView>(w, "picInner"));
    control<QAction>(w, "mnuEditSelectAll").trigger();
    QCOMPARE(control<QListWidget>(w, "List1").count(), 400);
    QTRY_VERIFY(paints.count > 0);
    QTest::qWait(20);
    QCOMPARE(paints.count, 1);

    // Leaving the folder lets go of its cells and their thumbnails; the cache keeps only what
    // its budget allows.
    QVERIFY(control<FolderListBox>(w, "Dir1").setPath(m_folders->path()));
    QCOMPARE(cells.count(), 0);
    QCOMPARE(cells.heldThumbnails(), 0);
    QCOMPARE(w.pictureCache().size(), 0);
}

void TestGrid::sameNameInTwoFolders()
{
    // Cameras reuse names: the same name in two folders is two pictures, each read once.
    const QString first = m_folders->make("first", { "IMG_0001.JPG" });
    const QString second = m_folders->path("second");
    QDir().mkpath(second);
    QVERIFY(write(QDir(second).filePath("IMG_0001.JPG"), Qt::blue));
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, first));
    const QColor firstColour = centreOf(w, 0);
    QVERIFY(control<FolderListBox>(w, "Dir1").setPath(second));
    QVERIFY(control<ThumbnailGrid>(w).cells().waitUntilBuilt());
    QVERIFY(testpictures::near(centreOf(w, 0), Qt::blue));
    QVERIFY(control<FolderListBox>(w, "Dir1").setPath(first));
    QVERIFY(control<ThumbnailGrid>(w).cells().waitUntilBuilt());
    QVERIFY(testpictures::near(centreOf(w, 0), firstColour));
    QCOMPARE(s.loader.reads(), 2);
}

void TestGrid::longNamesAreCutShort()
{
    const QStringList names
        = { "A walk by the river on a sunny afternoon in May.jpg", "Landscape_0000000000001.jpg" };
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, m_folders->make("long", names)));
    const auto &view = control<ThumbnailView>(w, "picInner");
    const QFontMetricsF metrics(view.font());
    for (int i = 0; i < names.size(); ++i) {
        const QStringList lines = view.captionLines(names[i]);
        // Only whole lines, none wider than the caption, the last cut short; the tip gives the
        // whole name.
        QVERIFY(lines.size() * metrics.lineSpacing() <= 33 - 2);
        for (const QString &line : lines)
            QVERIFY2(metrics.horizontalAdvance(line) <= 101 - 4, qPrintable(line));
        QVERIFY(lines.last().endsWith(QChar(0x2026)));
        QCOMPARE(shownTip(view.captionTip(i)), names[i]);
    }
    // A long name takes the lines that fit; a word too long for a line is not broken inside.
    QVERIFY(view.captionLines(names[0]).size() >= 2);
    QCOMPARE(view.captionLines(names[1]).size(), 1);
}

void TestGrid::goneFolderLeavesTheList()
{
    const QString pics = m_folders->make("pics", { "a.jpg" });
    QVERIFY(QDir(pics).mkdir("trip"));
    MainSession s;
    QVERIFY(m_folders->open(s.w, pics));
    auto &Dir1 = control<FolderListBox>(s.w, "Dir1");
    // A folder gone since the list was read: the message, then the list as the disk has it,
    // at the folder shown.
    QVERIFY(QDir(pics).rmdir("trip"));
    Dir1.setCurrentItem(Dir1.findItems("trip", Qt::MatchExactly).value(0));
    QTest::keyClick(&Dir1, Qt::Key_Return);
    QCOMPARE(s.services.boxesFake.shown.size(), 1u);
    QVERIFY(Dir1.findItems("trip", Qt::MatchExactly).isEmpty());
    QCOMPARE(Dir1.currentItem()->text(), QStringLiteral("pics"));
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
