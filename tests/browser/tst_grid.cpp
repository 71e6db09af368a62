#include "browser/imagebox.h"
#include "support/picturefolders.h"
#include "widgets/drivelistbox.h"
#include "widgets/filelistbox.h"
#include "widgets/folderlistbox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QWheelEvent>

using testpictures::write;

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
    void gridGeometry_data();
    void gridGeometry();
    void cacheReadsOnlyWhatChanged();
    void brokenFilesGetCellsAndTheBuildGoesOn();
    void manyPicturesAndScrolling();
    void longNamesAreCutShort();
    void folderList();
    void exitEndsTheProgram();

private:
    std::unique_ptr<PictureFolders> m_folders;
};

namespace
{
QStringList captions(const frmMain &w)
{
    QStringList result;
    for (int i = 0; i < w.Image1.ubound(); ++i) {
        if (w.Label1(i) != nullptr && !w.Label1(i)->caption().isEmpty())
            result.append(w.Label1(i)->caption());
    }
    return result;
}

QColor centreOf(const frmMain &w, int i)
{
    return testpictures::centre(w.Image1(i)->picture().toImage());
}
} // namespace

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
    QCOMPARE(w.ImageFormat, QStringLiteral("*.jpg;*.jpeg;*.bmp;*.gif;*.ico"));
    QVERIFY(w.DeleteRecycle && w.AutoThumbnails && w.ButtonLoadThumbs->isHidden());
    QCOMPARE(w.windowTitle(), QStringLiteral("Ravelin"));
    QCOMPARE(w.centralWidget()->size(), QSize(771, 533));
    // The lists show the folder current at start, matched without regard to case and in
    // alphabetical order; no thumbnails are built yet.
    QCOMPARE(w.Dir1->path(), folder);
    QCOMPARE(w.File1->fileNames(),
        QStringList({ "A.jpg", "a10.jpg", "a2.Jpeg", "b.jpg", "c.JPG", "DSC00001.JPG", "x.ICO",
            "y.GIF", "z.BMP" }));
    QVERIFY(w.Label1(0)->caption().isEmpty());
    QCOMPARE(s.loader.reads(), 0);
    // An unload before any build removes nothing.
    w.UnloadThumbnails();
    QCOMPARE(w.Image1.ubound(), 1);

    // On screen the window keeps its size, menu bar included, and the folder list has the keys.
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.size(), w.minimumSize());
    QCOMPARE(w.centralWidget()->size(), QSize(771, 533));
    QCOMPARE(QApplication::focusWidget(), w.Dir1);
    // Opening the folder shown, which the list highlights, reads it again and builds the grid.
    QCOMPARE(w.Dir1->currentItem()->text(), QStringLiteral("start"));
    QVERIFY(write(QDir(folder).filePath("new.jpg"), Qt::red));
    QTest::keyClick(w.Dir1, Qt::Key_Return);
    QCOMPARE(captions(w),
        QStringList({ "A.jpg", "a10.jpg", "a2.Jpeg", "b.jpg", "c.JPG", "DSC00001.JPG", "new.jpg",
            "x.ICO", "y.GIF", "z.BMP" }));
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
    QVERIFY(!unsure.services.boxesFake.shown[0].text.contains("already running"));
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
    QCOMPARE(w.Dir1->path(), first);
    w.Dir1->setFocus();
    QCOMPARE(w.Drive1->currentIndex(), 0);

    // A drive without a medium: one message, and everything still shows the folder before.
    w.Drive1->setFocus();
    QTest::keyClick(w.Drive1, Qt::Key_Down);
    QTest::keyClick(w.Drive1, Qt::Key_Return);
    QCOMPARE(w.Drive1->currentIndex(), 1);
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
    QCOMPARE(w.ProgressBar1->value(), 100);
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
    QCOMPARE(w.PreviousFileCount, 3);

    w.setThumbnailsManual(true);
    QVERIFY(w.ButtonLoadThumbs->isVisible());
    s.loader.reset();
    QVERIFY(w.Dir1->setPath(first));
    QCOMPARE(w.File1->fileNames(), QStringList({ "a.jpg", "b.jpg" }));
    QCOMPARE(QDir::toNativeSeparators(QDir::currentPath()), first);
    QCOMPARE(captions(w), QStringList({ "c.jpg", "d.jpg", "e.jpg" }));
    QCOMPARE(s.loader.reads(), 0);

    QTest::mouseClick(w.ButtonLoadThumbs, Qt::LeftButton);
    QCOMPARE(captions(w), QStringList({ "a.jpg", "b.jpg" }));
    QCOMPARE(w.PreviousFileCount, 2);
    QCOMPARE(w.Image1.ubound(), 2);

    // Opening the folder shown again reads it; the button builds the grid.
    QVERIFY(write(QDir(first).filePath("c.jpg"), Qt::red));
    QTest::keyClick(w.Dir1, Qt::Key_Return);
    QCOMPARE(w.File1->fileNames(), QStringList({ "a.jpg", "b.jpg", "c.jpg" }));
    QCOMPARE(captions(w), QStringList({ "a.jpg", "b.jpg" }));

    w.setThumbnailsManual(false);
    QVERIFY(w.ButtonLoadThumbs->isHidden());
    QVERIFY(w.Dir1->setPath(second));
    QCOMPARE(captions(w), QStringList({ "c.jpg", "d.jpg", "e.jpg" }));
}

void TestGrid::gridGeometry_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("empty folder") << 0;
    QTest::newRow("one picture") << 1;
    QTest::newRow("six pictures") << 6;
    QTest::newRow("seven pictures") << 7;
}

void TestGrid::gridGeometry()
{
    QFETCH(int, count);
    QStringList files;
    for (int i = 0; i < count; ++i)
        files.append(QStringLiteral("p%1.jpg").arg(i));
    const QString folder = m_folders->make("grid", files);
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, folder));

    // The canvas, 30 * count + 110 high, fits in the viewport: there is nothing to scroll to.
    QCOMPARE(w.VBar->maximum(), 0);
    QWheelEvent wheel(QPointF(50, 50), w.picOuter->mapToGlobal(QPointF(50, 50)), {}, { 0, -120 },
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.picOuter, &wheel);
    QCOMPARE(w.picInner->y(), 10);
    QCOMPARE(w.ProgressBar1->value(), 100);
    QCOMPARE(w.Image1.ubound(), qMax(1, count));
    QCOMPARE(captions(w), files);
    if (count == 0) {
        QVERIFY(w.Image1(0)->picture().isNull());
        return;
    }
    for (int i = 0; i < count; ++i) {
        QCOMPARE(w.Image1(i)->geometry(), QRect(110 * (i % 5), 150 * (i / 5), 100, 100));
        QCOMPARE(w.Label1(i)->geometry(), QRect(110 * (i % 5), 150 * (i / 5) + 100, 101, 33));
        QVERIFY(!w.Image1(i)->picture().isNull());
        QVERIFY(w.Image1(i)->isVisible());
    }
    QCOMPARE(w.picInner->geometry(), QRect(10, 10, 545, 30 * count + 110));
    QCOMPARE(w.picOuter->geometry(), QRect(192, 8, 561, 505));
    QCOMPARE(w.VBar->geometry(), QRect(752, 8, 17, 505));
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
    QCOMPARE(s.loader.reads(), 2);
    QVERIFY(w.Dir1->setPath(second));
    QVERIFY(testpictures::near(centreOf(w, 0), Qt::blue));
    QVERIFY(w.Dir1->setPath(first));
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
    QVERIFY(!w.Image1(0)->isBroken() && !w.Image1(5)->isBroken());
    QVERIFY(!w.Image1(5)->picture().isNull());
    QVERIFY(w.Image1(2)->isBroken() && w.Image1(3)->isBroken() && w.Image1(4)->isBroken());
    QVERIFY(w.Image1(3)->toolTip().contains(QStringLiteral("too large")));
    // A truncated JPEG decodes as far as it goes, or is marked: either way it has a cell.
    QVERIFY(w.Image1(1)->isBroken() || !w.Image1(1)->picture().isNull());
}

void TestGrid::manyPicturesAndScrolling()
{
    const QString folder = m_folders->path("big");
    QDir().mkpath(folder);
    QImage tiny(8, 8, QImage::Format_RGB32);
    tiny.fill(Qt::darkCyan);
    const QByteArray bytes = testpictures::jpegBytes(tiny);
    // More than a thousand: every picture gets its cell.
    constexpr int count = 1005;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
        QVERIFY(testpictures::writeBytes(QDir(folder).filePath(name), bytes));
    }
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, folder));
    QCOMPARE(w.Image1.ubound(), count);
    QCOMPARE(w.Label1(count - 1)->caption(), QStringLiteral("IMG_1004.JPG"));
    QVERIFY(!w.Image1(count - 1)->picture().isNull());
    QCOMPARE(w.Image1(count - 1)->pos(), QPoint(440, 150 * 200));
    // Scrolled to the end, the canvas's foot meets the viewport's, the last cell in view.
    QCOMPARE(w.VBar->maximum(), 30 * count + 110 - 505);

    w.VBar->setValue(300);
    QCOMPARE(w.picInner->y(), 10 - 300);
    w.VBar->setValue(w.VBar->maximum());
    QCOMPARE(w.picInner->geometry().bottom(), w.picOuter->height() + 10 - 1);
    const CellLabel *last = w.Label1(count - 1);
    QVERIFY(w.picOuter->rect().contains(QRect(last->mapTo(w.picOuter, QPoint()), last->size())));
    // A new grid starts at its top.
    QVERIFY(w.Dir1->setPath(m_folders->path()));
    QCOMPARE(w.VBar->value(), 0);
    QCOMPARE(w.picInner->y(), 10);
    QCOMPARE(w.Image1.ubound(), 1);
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
    for (int i = 0; i < names.size(); ++i) {
        const CellLabel *label = w.Label1(i);
        const QStringList lines = label->shownLines();
        // Only whole lines, none wider than the caption; the tip gives the whole name.
        const QFontMetricsF metrics(label->font());
        QVERIFY(lines.size() * metrics.lineSpacing() <= label->height() - 2);
        for (const QString &line : lines)
            QVERIFY2(metrics.horizontalAdvance(line) <= label->width() - 4, qPrintable(line));
        QCOMPARE(shownTip(label->toolTip()), names[i]);
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
    QCOMPARE(w.Dir1->path(), pics);
}

void TestGrid::exitEndsTheProgram()
{
    MainSession s;
    QVERIFY(s.w.Form_Load());
    s.w.show();
    s.w.mnuFileExit->trigger();
    QCOMPARE(s.services.programFake.ended, 1);
    QVERIFY(!s.w.isVisible());
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
