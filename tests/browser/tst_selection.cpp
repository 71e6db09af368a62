#include "app/filelistbox.h"
#include "app/folderlistbox.h"
#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"

#include <QAction>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

// Selecting thumbnails, the selection commands and the large preview, driven by mouse and
// keys on the real main window.
class TestSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void clickTogglesAndMarks();
    void selectAllAfterSomeClicks();
    void selectNoneAcrossFolders();
    void rebuildRemarksSelectedFiles();
    void commandsFollowTheSelection();
    void similarPathIsNotTheSameFile();
    void thumbnailStandsForTheFileItShows();
    void previewOpensAndCloses_data();
    void previewOpensAndCloses();
    void previewFallsBackToTheThumbnail();

private:
    std::unique_ptr<PictureFolders> m_folders;
};

void TestSelection::init()
{
    m_folders = std::make_unique<PictureFolders>();
}

void TestSelection::cleanup()
{
    m_folders.reset();
}

namespace
{
QStringList entries(const frmMain &w)
{
    QStringList result;
    for (int i = 0; i < w.List1->count(); ++i)
        result.append(w.List1->item(i)->text());
    return result;
}

bool marked(const frmMain &w, int i)
{
    return w.Label1(i)->isOpaque() && w.Label1(i)->hasBorder() && w.Image1(i)->hasBorder();
}

bool unmarked(const frmMain &w, int i)
{
    return !w.Label1(i)->isOpaque() && !w.Label1(i)->hasBorder() && !w.Image1(i)->hasBorder();
}

void click(frmMain &w, int i)
{
    QTest::mouseClick(w.Image1(i), Qt::LeftButton, {}, QPoint(50, 50));
}

// What the system delivers for a double-click: press, release, double-click, release.
void doubleClick(QWidget *widget)
{
    const QPoint at(50, 50);
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

bool commandsEnabled(const frmMain &w)
{
    return w.mnuEditSelectNone->isEnabled() && w.mnuEditDelete->isEnabled()
        && w.mnuRename->isEnabled() && w.mnuMovePictures->isEnabled();
}

bool commandsDisabled(const frmMain &w)
{
    return !w.mnuEditSelectNone->isEnabled() && !w.mnuEditDelete->isEnabled()
        && !w.mnuRename->isEnabled() && !w.mnuMovePictures->isEnabled();
}
} // namespace

void TestSelection::clickTogglesAndMarks()
{
    const QString folder = m_folders->make("pics", { "a.jpg", "b.jpg", "c.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, folder));

    click(w, 1);
    QCOMPARE(entries(w), QStringList({ QDir(folder).filePath("b.jpg") }));
    QVERIFY(marked(w, 1));
    QVERIFY(unmarked(w, 0));
    QCOMPARE(w.Label1(1)->backColor(), QColor(255, 255, 192));
    click(w, 1);
    QVERIFY(entries(w).isEmpty());
    QVERIFY(unmarked(w, 1));
    QVERIFY(commandsDisabled(w));
}

void TestSelection::selectAllAfterSomeClicks()
{
    const QString folder = m_folders->make("pics", { "a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, folder));
    click(w, 3);
    click(w, 1);
    QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
    const QDir dir(folder);
    QCOMPARE(entries(w),
        QStringList({ dir.filePath("d.jpg"), dir.filePath("b.jpg"), dir.filePath("a.jpg"),
            dir.filePath("c.jpg"), dir.filePath("e.jpg") }));
    for (int i = 0; i < 5; ++i)
        QVERIFY(marked(w, i));
    QVERIFY(commandsEnabled(w));
    // Again: nothing is added twice.
    w.mnuEditSelectAll->trigger();
    QCOMPARE(w.List1->count(), 5);
}

void TestSelection::selectNoneAcrossFolders()
{
    const QString first = m_folders->make("first", { "a.jpg", "b.jpg" });
    const QString second = m_folders->make("second", { "c.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, first));
    click(w, 0);
    click(w, 1);
    QVERIFY(w.Dir1->setPath(second));
    click(w, 0);
    QCOMPARE(w.List1->count(), 3);
    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(w.List1->count(), 0);
    QVERIFY(unmarked(w, 0));
    QVERIFY(commandsDisabled(w));
    QVERIFY(w.Dir1->setPath(first));
    QVERIFY(unmarked(w, 0));
    QVERIFY(unmarked(w, 1));
}

void TestSelection::rebuildRemarksSelectedFiles()
{
    const QString first = m_folders->make("first", { "a.jpg", "b.jpg", "c.jpg" });
    const QString second = m_folders->make("second", { "a.jpg", "b.jpg", "c.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, first));
    click(w, 0);
    click(w, 2);
    // The same names in another folder are other files: not marked.
    QVERIFY(w.Dir1->setPath(second));
    QVERIFY(unmarked(w, 0));
    QVERIFY(unmarked(w, 2));
    QVERIFY(commandsEnabled(w));
    QVERIFY(w.Dir1->setPath(first));
    QVERIFY(marked(w, 0));
    QVERIFY(unmarked(w, 1));
    QVERIFY(marked(w, 2));
}

void TestSelection::commandsFollowTheSelection()
{
    const QString folder = m_folders->make("pics", { "a.jpg", "b.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(commandsDisabled(w));
    QVERIFY(m_folders->open(w, folder));
    QVERIFY(commandsDisabled(w));
    // A disabled command's keys do nothing.
    services.boxesFake.answer = platform::Answer::Ok;
    QTest::keyClick(&w, Qt::Key_Delete);
    QVERIFY(services.boxesFake.shown.empty());
    click(w, 0);
    QVERIFY(commandsEnabled(w));
    click(w, 1);
    click(w, 0);
    QVERIFY(commandsEnabled(w));
    click(w, 1);
    QVERIFY(commandsDisabled(w));
    // Select All with no grid shown changes nothing.
    w.UnloadThumbnails();
    w.mnuEditSelectAll->trigger();
    QCOMPARE(w.List1->count(), 0);
    QVERIFY(commandsDisabled(w));
}

void TestSelection::similarPathIsNotTheSameFile()
{
    // "pics" + "a.jpg" must not match the entry of "picsa.jpg" beside it.
    const QString folder = m_folders->make("pics", { "a.jpg" });
    const QString lookalike = QDir::toNativeSeparators(m_folders->path("picsa.jpg"));
    testpictures::write(lookalike, Qt::red);
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, folder));
    w.List1->addItem(lookalike);
    QVERIFY(w.Dir1->setPath(m_folders->path()));
    QVERIFY(w.Dir1->setPath(folder));
    QVERIFY(unmarked(w, 0));
    click(w, 0);
    QCOMPARE(entries(w), QStringList({ lookalike, QDir(folder).filePath("a.jpg") }));
}

void TestSelection::thumbnailStandsForTheFileItShows()
{
    const QString first = m_folders->make("first", { "a.jpg", "b.jpg" });
    const QString second = m_folders->make("second", { "x.jpg", "y.jpg", "z.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, first));
    w.setThumbnailsManual(true);
    QVERIFY(w.Dir1->setPath(second));
    // The grid still shows the first folder: a click selects what the user sees.
    click(w, 1);
    QCOMPARE(entries(w), QStringList({ QDir(first).filePath("b.jpg") }));
    w.mnuEditSelectAll->trigger();
    QCOMPARE(
        entries(w), QStringList({ QDir(first).filePath("b.jpg"), QDir(first).filePath("a.jpg") }));
    w.Image1_Click(2);
    w.Image1_Click(-1);
    w.Image1_DblClick(7);
    QCOMPARE(w.List1->count(), 2);
    QVERIFY(!w.isPreviewShown());
}

void TestSelection::previewOpensAndCloses_data()
{
    QTest::addColumn<bool>("manual");
    QTest::newRow("automatic loading") << false;
    QTest::newRow("manual loading") << true;
}

void TestSelection::previewOpensAndCloses()
{
    QFETCH(bool, manual);
    const QString folder = m_folders->make("pics", { "a.jpg", "b.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, folder));
    w.setThumbnailsManual(manual);
    QCOMPARE(w.ButtonLoadThumbs->isVisible(), manual);

    doubleClick(w.Image1(1));
    QVERIFY(w.isPreviewShown());
    QVERIFY(w.Image4->isVisible());
    QVERIFY(!w.picOuter->isVisible());
    QVERIFY(!w.VBar->isVisible());
    QVERIFY(!w.ButtonLoadThumbs->isVisible());
    QCOMPARE(w.Image4->geometry(), QRect(192, 8, 577, 505));
    // The preview reads the file at its own size rather than stretching the thumbnail.
    QCOMPARE(loader.paths().last(), QDir(folder).filePath("b.jpg"));
    QCOMPARE(w.Image4->picture().size(), QSize(577, 505));

    QTest::mouseClick(w.Image4, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(!w.isPreviewShown());
    QVERIFY(w.picOuter->isVisible());
    QVERIFY(w.VBar->isVisible());
    QCOMPARE(w.ButtonLoadThumbs->isVisible(), manual);
    // The double-click's first click selected the picture, and that stays.
    QCOMPARE(entries(w), QStringList({ QDir(folder).filePath("b.jpg") }));
}

void TestSelection::previewFallsBackToTheThumbnail()
{
    const QString folder = m_folders->make("pics", { "a.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, folder));
    QVERIFY(QFile::remove(QDir(folder).filePath("a.jpg")));
    w.Image1_DblClick(0);
    QVERIFY(w.isPreviewShown());
    QVERIFY(!w.Image4->picture().isNull());
    QVERIFY(services.boxesFake.shown.empty());
}

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
