#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "widgets/filelistbox.h"
#include "widgets/folderlistbox.h"

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
    void init() { m_folders = std::make_unique<PictureFolders>(); }
    void cleanup() { m_folders.reset(); }
    void clicksAndCommands();
    void selectionAcrossFoldersAndRebuilds();
    void thumbnailStandsForTheFileItShows();
    void previewOpensAndCloses_data();
    void previewOpensAndCloses();
    void previewFallsBackToTheThumbnail();

private:
    std::unique_ptr<PictureFolders> m_folders;
};

namespace
{
// Whether thumbnail i carries the whole mark (yellow caption, caption and picture borders),
// none of it, or a part (-1).
int mark(const frmMain &w, int i)
{
    const int parts = int(w.Label1(i)->isOpaque()) + int(w.Label1(i)->hasBorder())
        + int(w.Image1(i)->hasBorder());
    return parts == 3 ? 1 : parts == 0 ? 0 : -1;
}

QList<int> marks(const frmMain &w)
{
    QList<int> result;
    for (int i = 0; i < w.Image1.ubound(); ++i)
        result.append(mark(w, i));
    return result;
}

// What the system delivers for a double-click: press, release, double-click, release.
void doubleClick(QWidget *widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// The enabled state of Select None, Delete, Rename and Move, which always go together.
int commands(const frmMain &w)
{
    const int enabled = int(w.mnuEditSelectNone->isEnabled()) + int(w.mnuEditDelete->isEnabled())
        + int(w.mnuRename->isEnabled()) + int(w.mnuMovePictures->isEnabled());
    return enabled == 4 ? 1 : enabled == 0 ? 0 : -1;
}
} // namespace

void TestSelection::clicksAndCommands()
{
    const QString folder = m_folders->make("pics", { "a.jpg", "b.jpg", "c.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QCOMPARE(commands(w), 0);
    QVERIFY(m_folders->open(w, folder));
    QCOMPARE(commands(w), 0);
    // A disabled command's keys do nothing.
    QTest::keyClick(&w, Qt::Key_Delete);
    QVERIFY(services.boxesFake.shown.empty());

    clickThumbnail(w, 1);
    QCOMPARE(listTexts(w.List1), QStringList({ QDir(folder).filePath("b.jpg") }));
    QCOMPARE(marks(w), QList<int>({ 0, 1, 0 }));
    QCOMPARE(w.Label1(1)->backColor(), QColor(255, 255, 192));
    QCOMPARE(commands(w), 1);
    clickThumbnail(w, 0);
    clickThumbnail(w, 1);
    QCOMPARE(commands(w), 1);
    // Clicking the last selected thumbnail again leaves nothing selected.
    clickThumbnail(w, 0);
    QVERIFY(listTexts(w.List1).isEmpty());
    QCOMPARE(marks(w), QList<int>({ 0, 0, 0 }));
    QCOMPARE(commands(w), 0);
    // Select All with no grid shown changes nothing.
    w.UnloadThumbnails();
    w.mnuEditSelectAll->trigger();
    QCOMPARE(w.List1->count(), 0);
    QCOMPARE(commands(w), 0);
    // The list and the commands follow the selection whoever changes it.
    w.state().select({ QDir(folder).filePath("c.jpg") });
    QCOMPARE(listTexts(w.List1), QStringList({ QDir(folder).filePath("c.jpg") }));
    QCOMPARE(commands(w), 1);
}

void TestSelection::selectionAcrossFoldersAndRebuilds()
{
    const QString first = m_folders->make("first", { "a.jpg", "b.jpg", "c.jpg" });
    const QString second = m_folders->make("second", { "a.jpg", "b.jpg" });
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, first));
    clickThumbnail(w, 0);
    clickThumbnail(w, 2);
    // The same names in another folder are other files: not marked.
    QVERIFY(w.Dir1->setPath(second));
    QCOMPARE(marks(w), QList<int>({ 0, 0 }));
    QCOMPARE(commands(w), 1);
    clickThumbnail(w, 1);
    QCOMPARE(w.List1->count(), 3);
    // Back in the first folder, the rebuilt grid marks what is selected there.
    QVERIFY(w.Dir1->setPath(first));
    QCOMPARE(marks(w), QList<int>({ 1, 0, 1 }));
    // Select None empties the list, entries of other folders too.
    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(w.List1->count(), 0);
    QCOMPARE(marks(w), QList<int>({ 0, 0, 0 }));
    QCOMPARE(commands(w), 0);
    QVERIFY(w.Dir1->setPath(second));
    QCOMPARE(marks(w), QList<int>({ 0, 0 }));
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
    clickThumbnail(w, 1);
    QCOMPARE(listTexts(w.List1), QStringList({ QDir(first).filePath("b.jpg") }));
    w.mnuEditSelectAll->trigger();
    QCOMPARE(listTexts(w.List1),
        QStringList({ QDir(first).filePath("b.jpg"), QDir(first).filePath("a.jpg") }));
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

    doubleClick(w.picInner, w.Image1(1)->geometry().center());
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
    QCOMPARE(listTexts(w.List1), QStringList({ QDir(folder).filePath("b.jpg") }));
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
