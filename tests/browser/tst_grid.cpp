#include "browser/gridcells.h"
#include "browser/picturecache.h"
#include "support/picturefolders.h"
#include "widgets/drivelistbox.h"
#include "widgets/filelistbox.h"
#include "widgets/folderlistbox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
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
    QStringList result;
    for (int i = 0; i < w.Image1.ubound(); ++i) {
        if (!w.Label1(i)->caption().isEmpty())
            result.append(w.Label1(i)->caption());
    }
    return result;
}

QColor centreOf(const frmMain &w, int i)
{
    return testpictures::centre(w.Image1(i)->picture().toImage());
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
    QImage tiny(8, 8, QImage::Format_RGB32);
    tiny.fill(Qt::darkCyan);
    const QByteArray bytes = testpictures::jpegBytes(tiny);
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
    QTest::mouseClick(w.picInner, Qt::LeftButton, {}, at);
}
} // namespace

// The main window's start, folder navigation and thumbnail grid, driven as a user would.
class TestGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_folders = std::make_unique<PictureFolders>(); }
    void cleanup() { m_folders.reset(); }
    void startsWithSettingsAndNoGrid();
    void secondCopyIsRefused();
    void drives();
    void automaticAndManualLoading();
    void gridGeometryAndHits_data();
    void gridGeometryAndHits();
    void answersWhileTheGridBuilds();
    void folderChangeCancelsTheBuild();
    void heldThumbnailsStayNearTheScreen();
    void cacheReadsOnlyWhatChanged();
    void brokenFilesGetCellsAndTheBuildGoesOn();
    void longNamesAreCutShort();
    void folderList();

private:
    // Opens a folder as PictureFolders::open does, without waiting for its grid.
    bool openUnbuilt(frmMain &w, const QString &folder)
    {
        QDir::setCurrent(m_folders->path());
        if (!w.Form_Load())
            return false;
        w.show();
        w.activateWindow();
        return QTest::qWaitForWindowActive(&w) && w.Dir1->setPath(folder);
    }

    std::unique_ptr<PictureFolders> m_folders;
};

void TestGrid::startsWithSettingsAndNoGrid()
{
    const QString folder = m_folders->make("start",
        { "b.jpg", "A.jpg", "c.JPG", "a10.jpg", "a2.Jpeg", "DSC00001.JPG", "x.ICO", "y.GIF",
            "z.BMP", "notes.png" });
    QVERIFY(testpictures::writeBytes(QDir(folder).filePath("b.txt"), "text"));
    QDir::setCurrent(folder);
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(w.Form_Load());
    // The lists show the folder current at start, matched without regard to case and in
    // alphabetical order; no thumbnails are built yet.
    QCOMPARE(w.Dir1->path(), folder);
    QCOMPARE(w.File1->fileNames(),
        QStringList({ "A.jpg", "a10.jpg", "a2.Jpeg", "b.jpg", "c.JPG", "DSC00001.JPG", "x.ICO",
            "y.GIF", "z.BMP" }));
    QVERIFY(w.Label1(0)->caption().isEmpty());
    QCOMPARE(s.loader.reads(), 0);

    // On screen the folder list has the keys.
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), w.Dir1);
    // Opening the folder shown, which the list highlights, reads it again and builds the grid.
    QVERIFY(write(QDir(folder).filePath("new.jpg"), Qt::red));
    QTest::keyClick(w.Dir1, Qt::Key_Return);
    QCOMPARE(captions(w),
        QStringList({ "A.jpg", "a10.jpg", "a2.Jpeg", "b.jpg", "c.JPG", "DSC00001.JPG", "new.jpg",
            "x.ICO", "y.GIF", "z.BMP" }));

    // File > Exit ends the program.
    w.mnuFileExit->trigger();
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
    unsure.services.instanceFake.failure
        = "Its lock file /run/user/1000/ravelin.lock cannot be made.";
    QVERIFY(unsure.w.Form_Load());
    QCOMPARE(unsure.services.boxesFake.shown.size(), size_t(1));
    QVERIFY(unsure.services.boxesFake.shown[0].text.endsWith(unsure.services.instanceFake.failure));
    QCOMPARE(unsure.services.programFake.ended, 0);
}

void TestGrid::drives()
{
    const QString first = m_folders->make("first", { "a.jpg", "b.jpg" });
    const QString second = m_folders->make("second", { "x.jpg", "y.bmp" });
    MainSession s;
    frmMain &w = s.w;
    const auto &shown = s.services.boxesFake.shown;
    s.services.drivesFake.list = { { "c: [disk]", m_folders->path() },
        { "z: [no disc]", m_folders->path("gone") }, { "d: [card]", second } };
    w.Drive1->refresh();
    QVERIFY(m_folders->open(w, first));
    QCOMPARE(w.Drive1->currentIndex(), 0);

    // Keys and the wheel only move through the drives until Enter; leaving the list shows the
    // drive of the folder again.
    w.Drive1->setFocus();
    QTest::keyClick(w.Drive1, Qt::Key_Down);
    QWheelEvent wheel(QPointF(5, 5), w.Drive1->mapToGlobal(QPointF(5, 5)), {}, { 0, -120 },
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.Drive1, &wheel);
    QCOMPARE(w.Drive1->currentIndex(), 1);
    QVERIFY(shown.empty());
    w.Dir1->setFocus();
    QCOMPARE(w.Drive1->currentIndex(), 0);

    // A drive without a medium: one message, and everything still shows the folder before.
    w.Drive1->setFocus();
    QTest::keyClick(w.Drive1, Qt::Key_Down);
    QTest::keyClick(w.Drive1, Qt::Key_Return);
    QVERIFY(
        shown == std::vector<FakeBoxes::Shown>({ { "Drive Can not be found.", 16, "Ravelin" } }));
    QCOMPARE(w.Dir1->path(), first);
    QCOMPARE(w.File1->path(), first);
    QCOMPARE(captions(w), QStringList({ "a.jpg", "b.jpg" }));

    // A drive with a medium opens its root, which becomes the current folder.
    QTest::keyClick(w.Drive1, Qt::Key_Down);
    QTest::keyClick(w.Drive1, Qt::Key_Return);
    QCOMPARE(shown.size(), 1u);
    QCOMPARE(w.Dir1->path(), second);
    QCOMPARE(QDir::toNativeSeparators(QDir::currentPath()), second);
    QCOMPARE(captions(w), QStringList({ "x.jpg", "y.bmp" }));
    QVERIFY(s.services.mouseFake.hourglasses > 0);
    QCOMPARE(s.services.mouseFake.depth, 0);

    // Up from the card's root the list shows the drive that holds the folder.
    QTest::keyClick(w.Dir1, Qt::Key_Up);
    QTest::keyClick(w.Dir1, Qt::Key_Return);
    QCOMPARE(w.Dir1->path(), m_folders->path());
    QCOMPARE(w.Drive1->currentText(), QStringLiteral("c: [disk]"));

    // A card put in after the start is there when the list opens, and can be chosen.
    s.services.drivesFake.list.push_back({ "e: [new card]", first });
    QTest::keyClick(w.Drive1, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(w.Drive1->count(), 4);
    QTest::keyClick(w.Drive1->view(), Qt::Key_End);
    QTest::keyClick(w.Drive1->view(), Qt::Key_Return);
    QCOMPARE(w.Dir1->path(), first);
    QCOMPARE(w.Drive1->currentText(), QStringLiteral("e: [new card]"));
}

void TestGrid::automaticAndManualLoading()
{
    const QString first = m_folders->make("first", { "a.jpg", "b.jpg" });
    const QString second = m_folders->make("second", { "c.jpg", "d.jpg", "e.jpg" });
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, second));
    QCOMPARE(captions(w), QStringList({ "c.jpg", "d.jpg", "e.jpg" }));

    w.setThumbnailsManual(true);
    QVERIFY(w.ButtonLoadThumbs->isVisible());
    s.loader.reset();
    QVERIFY(w.Dir1->setPath(first));
    QCOMPARE(w.File1->fileNames(), QStringList({ "a.jpg", "b.jpg" }));
    QCOMPARE(captions(w), QStringList({ "c.jpg", "d.jpg", "e.jpg" }));
    QCOMPARE(s.loader.reads(), 0);

    QTest::mouseClick(w.ButtonLoadThumbs, Qt::LeftButton);
    QCOMPARE(captions(w), QStringList({ "a.jpg", "b.jpg" }));

    w.setThumbnailsManual(false);
    QVERIFY(w.ButtonLoadThumbs->isHidden());
    QVERIFY(w.Dir1->setPath(second));
    QCOMPARE(captions(w), QStringList({ "c.jpg", "d.jpg", "e.jpg" }));
}

void TestGrid::gridGeometryAndHits_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("scrollMax");
    QTest::newRow("empty folder") << 0 << 0;
    QTest::newRow("one picture") << 1 << 0;
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
    QCOMPARE(w.VBar->maximum(), scrollMax);

    // Only a picture takes a click: not its caption, nor the gaps, nor the space past the end.
    const int last = count - 1;
    struct Hit {
        QPoint at;
        int cell;
    };
    const std::vector<Hit> hits
        = { { { 1, 1 }, count > 0 ? 0 : -1 }, { { 50, 120 }, -1 }, { { 105, 50 }, -1 },
              { { 544, 50 }, -1 }, { { 110 * (last % 5) + 99, 150 * (last / 5) + 99 }, last },
              { { 110 * (last % 5 + 1) + 50, 150 * (last / 5) + 50 }, -1 } };
    for (const Hit &hit : hits) {
        w.mnuEditSelectNone->setEnabled(true);
        w.mnuEditSelectNone->trigger();
        clickAt(w, hit.at);
        const QStringList expected = hit.cell < 0
            ? QStringList()
            : QStringList(QDir(w.gridFolder()).filePath(w.gridNames()[hit.cell]));
        QCOMPARE(listTexts(w.List1), expected);
        if (hit.cell >= 0)
            QVERIFY(w.Label1(hit.cell)->isOpaque() && w.Image1(hit.cell)->hasBorder());
    }

    // The wheel and the scroll bar move the canvas; a new grid starts at its top.
    QWheelEvent wheel(QPointF(50, 50), w.picOuter->mapToGlobal(QPointF(50, 50)), {}, { 0, -120 },
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.picOuter, &wheel);
    QCOMPARE(w.picInner->y(), 10 - std::min(90, scrollMax));
    w.scrollToCell(last);
    if (count > 0) {
        const QRect cell = w.Image1(last)->geometry().translated(w.picInner->pos());
        QVERIFY(w.picOuter->rect().contains(cell));
    }
    w.ButtonLoadThumbs_Click();
    QCOMPARE(w.picInner->y(), 10);
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
    QVERIFY(w.Image1(0)->isPending());
    QCOMPARE(w.ProgressBar1->value(), 0);
    QCOMPARE(w.picOuter->cursor().shape(), Qt::BusyCursor);

    // A click on a cell not read yet selects it, at once; so does Select All.
    clickAt(w, w.Image1(7)->geometry().center());
    QCOMPARE(listTexts(w.List1), QStringList(QDir(folder).filePath("IMG_00007.JPG")));
    QVERIFY(w.Label1(7)->isOpaque());
    w.mnuEditSelectAll->trigger();
    QCOMPARE(w.List1->count(), 60);

    // The rows on screen are read first; scrolled to the end, the last rows go next.
    s.loader.let(20);
    QTRY_COMPARE(w.gridCells().done(), 20);
    QCOMPARE(s.loader.asked().mid(0, 20), numbered(20));
    QVERIFY(w.ProgressBar1->value() > 0 && w.ProgressBar1->value() < 100);
    w.VBar->setValue(w.VBar->maximum());
    s.loader.let(22);
    QTRY_COMPARE(w.gridCells().done(), 42);
    // Cells 20 and 21 were under way when the grid scrolled.
    QCOMPARE(s.loader.asked().mid(22, 15), numbered(60).mid(45, 15));

    s.loader.let(1 << 20);
    QVERIFY(w.gridCells().waitUntilBuilt());
    QCOMPARE(w.ProgressBar1->value(), 100);
    QCOMPARE(w.picOuter->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!w.Image1(59)->picture().isNull());
}

void TestGrid::folderChangeCancelsTheBuild()
{
    const QString big = tinyPictures(*m_folders, "big", 200);
    const QString small = m_folders->make("small", { "a.jpg", "b.jpg" });
    GatedSession s;
    frmMain &w = s.w;
    QVERIFY(openUnbuilt(w, big));
    s.loader.let(3);
    QTRY_COMPARE(w.gridCells().done(), 3);

    QVERIFY(w.Dir1->setPath(small));
    QCOMPARE(captions(w), QStringList({ "a.jpg", "b.jpg" }));
    s.loader.let(1 << 20);
    QVERIFY(w.gridCells().waitUntilBuilt());
    QVERIFY(!w.Image1(1)->picture().isNull());
    QCOMPARE(w.ProgressBar1->value(), 100);
    // Only the reads already under way were finished of the folder left.
    const QStringList asked = s.loader.asked();
    QVERIFY2(asked.size() <= 3 + 2 + 2, qPrintable(asked.join(' ')));
    QCOMPARE(asked.mid(asked.size() - 2), QStringList({ "a.jpg", "b.jpg" }));
}

void TestGrid::heldThumbnailsStayNearTheScreen()
{
    const QString folder = tinyPictures(*m_folders, "large", 400);
    MainSession s;
    frmMain &w = s.w;
    GridCells &cells = w.gridCells();
    cells.setMargin(25);
    w.pictureCache().setBudget(0);
    QVERIFY(m_folders->open(w, folder));
    QCOMPARE(cells.done(), 400);
    // The screen's 20 cells and 25 after them hold their thumbnails; the rest let go of them.
    QCOMPARE(cells.heldThumbnails(), 45);
    QVERIFY(w.Image1(399)->picture().isNull() && !w.Image1(399)->isBroken());

    // Scrolled to the end, the cells there read theirs again and those at the top let go.
    w.VBar->setValue(w.VBar->maximum());
    QVERIFY(cells.waitUntilBuilt());
    QVERIFY(!w.Image1(399)->picture().isNull());
    QVERIFY(w.Image1(0)->picture().isNull());
    QVERIFY(cells.heldThumbnails() <= 20 + 25);

    // Select All is one repaint of the grid, whatever its size.
    PaintCounter paints(w.picInner);
    w.mnuEditSelectAll->trigger();
    QCOMPARE(w.List1->count(), 400);
    QTRY_VERIFY(paints.count > 0);
    QTest::qWait(20);
    QCOMPARE(paints.count, 1);

    // Leaving the folder lets go of its cells and their thumbnails; the cache keeps only what
    // its budget allows.
    QVERIFY(w.Dir1->setPath(m_folders->path()));
    QCOMPARE(cells.count(), 0);
    QCOMPARE(cells.heldThumbnails(), 0);
    QCOMPARE(w.pictureCache().size(), 0);
}

void TestGrid::cacheReadsOnlyWhatChanged()
{
    // Cameras reuse names: the same name in two folders is two pictures.
    const QString first = m_folders->make("first", { "IMG_0001.JPG", "IMG_0002.JPG" });
    const QString second = m_folders->path("second");
    QDir().mkpath(second);
    QVERIFY(write(QDir(second).filePath("IMG_0001.JPG"), Qt::blue));
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, first));
    const QColor firstColour = centreOf(w, 0);
    QCOMPARE(s.loader.reads(), 2);

    // Rebuilding an unchanged folder reads no file at all.
    w.ButtonLoadThumbs_Click();
    QVERIFY(w.gridCells().waitUntilBuilt());
    QCOMPARE(s.loader.reads(), 2);
    QVERIFY(w.Dir1->setPath(second));
    QVERIFY(w.gridCells().waitUntilBuilt());
    QVERIFY(testpictures::near(centreOf(w, 0), Qt::blue));
    QVERIFY(w.Dir1->setPath(first));
    QVERIFY(w.gridCells().waitUntilBuilt());
    QVERIFY(testpictures::near(centreOf(w, 0), firstColour));
    QCOMPARE(s.loader.reads(), 3);

    // A file replaced by another picture is read again, and only that one.
    const QString changed = QDir(first).filePath("IMG_0002.JPG");
    QVERIFY(write(changed, Qt::green, QSize(80, 80)));
    QFile file(changed);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(
        QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    file.close();
    s.loader.reset();
    w.ButtonLoadThumbs_Click();
    QVERIFY(w.gridCells().waitUntilBuilt());
    QCOMPARE(s.loader.paths(), QStringList({ changed }));
    QVERIFY(testpictures::near(centreOf(w, 1), Qt::green));
}

void TestGrid::brokenFilesGetCellsAndTheBuildGoesOn()
{
    const QString folder = m_folders->make("mixed", { "a.jpg", "z.jpg" });
    QVERIFY(QFile::copy(testpictures::data("bad/truncated_jpeg.jpg"), folder + "/b.jpg"));
    QVERIFY(QFile::copy(testpictures::data("bad/empty.jpg"), folder + "/c.jpg"));
    QVERIFY(QFile::copy(testpictures::data("bad/sof-30000x30000-baseline.jpg"), folder + "/d.jpg"));
    QVERIFY(QFile::copy(testpictures::data("bad/readme.bmp"), folder + "/e.bmp"));
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, folder));

    QCOMPARE(captions(w), QStringList({ "a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.bmp", "z.jpg" }));
    QVERIFY(s.services.boxesFake.shown.empty());
    QVERIFY(!w.Image1(0)->isBroken() && !w.Image1(5)->picture().isNull());
    QVERIFY(w.Image1(2)->isBroken() && w.Image1(3)->isBroken() && w.Image1(4)->isBroken());
    QVERIFY(w.Image1(3)->toolTip().contains(QStringLiteral("too large")));
    // A truncated JPEG decodes as far as it goes, or is marked: either way it has a cell.
    QVERIFY(w.Image1(1)->isBroken() || !w.Image1(1)->picture().isNull());
}

void TestGrid::longNamesAreCutShort()
{
    // In the grid's order.
    const QStringList names = { "A walk by the river on a sunny afternoon in May.jpg", "a.jpg",
        "Landscape_0000000000001.jpg" };
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, m_folders->make("long", names)));
    QCOMPARE(captions(w), names);
    QList<QStringList> shown;
    const QFontMetricsF metrics(w.picInner->font());
    for (int i = 0; i < names.size(); ++i) {
        const QStringList lines = w.Label1(i)->shownLines();
        // Only whole lines, none wider than the caption; the tip gives the whole name.
        QVERIFY(lines.size() * metrics.lineSpacing() <= 33 - 2);
        for (const QString &line : lines)
            QVERIFY2(metrics.horizontalAdvance(line) <= 101 - 4, qPrintable(line));
        QCOMPARE(shownTip(w.Label1(i)->captionTip()), names[i]);
        shown.append(lines);
    }
    QCOMPARE(shown[1], QStringList({ "a.jpg" }));
    // A word too long for a line is cut short, not broken inside.
    QCOMPARE(shown[2].size(), 1);
    QVERIFY(shown[2][0].startsWith("Landscape_0") && shown[2][0].endsWith(QChar(0x2026)));
    // A long name takes the lines that fit, the last one cut short.
    QVERIFY(shown[0].size() >= 2);
    QVERIFY(shown[0].last().endsWith(QChar(0x2026)));
    QString start = shown[0].join(' ');
    start.chop(1);
    QVERIFY2(names[0].startsWith(start), qPrintable(start));
}

void TestGrid::folderList()
{
    const QString pics = m_folders->make("pics", { "a.jpg" });
    for (const char *sub : { "apple", "trip", "tree" })
        QDir(pics).mkdir(sub);
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, pics));
    FolderListBox *list = w.Dir1;

    // Typing a name finds it; the open folders have another outline than the closed ones.
    QTest::keyClicks(list, "tri");
    QCOMPARE(list->currentItem()->text(), QStringLiteral("trip"));
    const auto outline = [](const QListWidgetItem *item) {
        return item->icon().pixmap(16).toImage().createAlphaMask();
    };
    QVERIFY(outline(list->item(0)) != outline(list->currentItem()));
    QCOMPARE(outline(list->findItems("pics", Qt::MatchExactly)[0]), outline(list->item(0)));

    // A folder gone since the list was read: the message, then the list as the disk has it,
    // at the folder shown.
    QVERIFY(QDir(pics).rmdir("trip"));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(s.services.boxesFake.shown.size(), 1u);
    QVERIFY(s.services.boxesFake.shown[0].text.contains(QDir(pics).filePath("trip")));
    QVERIFY(list->findItems("trip", Qt::MatchExactly).isEmpty());
    QCOMPARE(list->currentItem()->text(), QStringLiteral("pics"));
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
