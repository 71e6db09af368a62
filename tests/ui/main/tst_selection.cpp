#include "support/picturefolders.h"
#include "ui/main/frmmain.h"
#include "ui/main/imagebox.h"
#include "ui/widgets/filelistbox.h"
#include "ui/widgets/folderlistbox.h"

#include <QAction>
#include <QFutureWatcherBase>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

// Selecting thumbnails, the large preview and deleting, driven by mouse and keys on the real
// main window: the marks, the selection list and the commands follow the state. The trash is
// the test's own.
class TestSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folders.emplace();
        m_trash.emplace(m_folders->path("home"));
    }
    void cleanup()
    {
        m_trash.reset();
        m_folders.reset();
    }
    void clicksMarksAndCommands();
    void thumbnailStandsForTheFileItShows();
    void previewOpensAndCloses();
    void deleteToTheTrash();

private:
    std::optional<PictureFolders> m_folders;
    std::optional<OwnTrash> m_trash;
};

namespace
{
// Per thumbnail whether it is marked, then whether Select None, Delete, Rename and Move,
// which always go together, are in use (-1 when they disagree).
QList<int> marks(const frmMain &w)
{
    QList<int> result;
    const auto &view = control<ThumbnailView>(w, "picInner");
    for (int i = 0; i < view.cellCount(); ++i)
        result.append(int(view.isMarked(i)));
    const int enabled = int(control<QAction>(w, "mnuEditSelectNone").isEnabled())
        + int(control<QAction>(w, "mnuEditDelete").isEnabled())
        + int(control<QAction>(w, "mnuRename").isEnabled())
        + int(control<QAction>(w, "mnuMovePictures").isEnabled());
    result.append(enabled == 4 ? 1 : enabled == 0 ? 0 : -1);
    return result;
}
const QString question = QStringLiteral("Are you sure you want to DELETE selected files ?");
} // namespace

void TestSelection::clicksMarksAndCommands()
{
    const QString first = m_folders->make("first", { "a.jpg", "b.jpg", "c.jpg" });
    const QString second = m_folders->make("second", { "a.jpg", "b.jpg" });
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, first));
    QCOMPARE(marks(w), QList<int>({ 0, 0, 0, 0 }));
    // A disabled command's keys do nothing.
    QTest::keyClick(&w, Qt::Key_Delete);
    QVERIFY(s.services.boxesFake.shown.empty());

    clickThumbnail(w, 1);
    QCOMPARE(marks(w), QList<int>({ 0, 1, 0, 1 }));
    // Clicking the last selected thumbnail again leaves nothing selected.
    clickThumbnail(w, 1);
    QCOMPARE(marks(w), QList<int>({ 0, 0, 0, 0 }));
    clickThumbnail(w, 0);
    clickThumbnail(w, 2);
    // The same names in another folder are other files: not marked.
    QVERIFY(control<FolderListBox>(w, "Dir1").setPath(second));
    QCOMPARE(marks(w), QList<int>({ 0, 0, 1 }));
    clickThumbnail(w, 1);
    QCOMPARE(listTexts(&control<QListWidget>(w, "List1")),
        QStringList({ first + "/a.jpg", first + "/c.jpg", second + "/b.jpg" }));
    // Back in the first folder, the rebuilt grid marks what is selected there.
    QVERIFY(control<FolderListBox>(w, "Dir1").setPath(first));
    QCOMPARE(marks(w), QList<int>({ 1, 0, 1, 1 }));
    // Select None empties the list, entries of other folders too.
    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(control<QListWidget>(w, "List1").count(), 0);
    QCOMPARE(marks(w), QList<int>({ 0, 0, 0, 0 }));
    // Select All with no grid shown changes nothing.
    control<ThumbnailGrid>(w).UnloadThumbnails();
    control<QAction>(w, "mnuEditSelectAll").trigger();
    QCOMPARE(control<QListWidget>(w, "List1").count(), 0);
    // The list and the commands follow the selection whoever changes it.
    w.state().select({ first + "/c.jpg" });
    QCOMPARE(listTexts(&control<QListWidget>(w, "List1")), QStringList({ first + "/c.jpg" }));
    QVERIFY(control<QAction>(w, "mnuRename").isEnabled());
}

void TestSelection::thumbnailStandsForTheFileItShows()
{
    const QString first = m_folders->make("first", { "a.jpg", "b.jpg" });
    const QString second = m_folders->make("second", { "x.jpg", "y.jpg", "z.jpg" });
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, first));
    w.state().setThumbManual(true);
    QVERIFY(control<FolderListBox>(w, "Dir1").setPath(second));
    // The grid still shows the first folder: a click selects what the user sees.
    clickThumbnail(w, 1);
    control<QAction>(w, "mnuEditSelectAll").trigger();
    QCOMPARE(listTexts(&control<QListWidget>(w, "List1")),
        QStringList({ first + "/b.jpg", first + "/a.jpg" }));
    control<ThumbnailGrid>(w).Image1_Click(2);
    control<ThumbnailGrid>(w).Image1_Click(-1);
    control<PicturePreview>(w).Image1_DblClick(7);
    QCOMPARE(control<QListWidget>(w, "List1").count(), 2);
    QVERIFY(!control<PicturePreview>(w).isShown());
    // Back to automatic, the grid follows the folder again.
    w.state().setThumbManual(false);
    QVERIFY(control<QPushButton>(w, "ButtonLoadThumbs").isHidden()
        && control<FolderListBox>(w, "Dir1").setPath(first)
        && control<FolderListBox>(w, "Dir1").setPath(second));
    QCOMPARE(control<ThumbnailGrid>(w).cells().names(), QStringList({ "x.jpg", "y.jpg", "z.jpg" }));
}

void TestSelection::previewOpensAndCloses()
{
    const QString folder = m_folders->make("pics", { "a.jpg", "b.jpg" });
    MainSession s;
    frmMain &w = s.w;
    QVERIFY(m_folders->open(w, folder));
    w.state().setThumbManual(true);

    s.loader.reset();
    // The mouse as the window system sends it, to the window: a double-click is press,
    // release, press (with the double-click), release, each to the widget under the pointer.
    QWindow *window = w.windowHandle();
    const auto at = [&](int i) {
        return control<ThumbnailView>(w, "picInner")
            .mapTo(&w, ThumbnailView::pictureRect(i).center());
    };
    QTest::mouseDClick(window, Qt::LeftButton, {}, at(1));
    QVERIFY(control<PicturePreview>(w).isShown() && control<ImageBox>(w, "Image4").isVisible()
        && !control<QWidget>(w, "picOuter").isVisible());
    // The preview reads the file at its own size rather than stretching the thumbnail, and
    // not on the windows' thread, which a damaged file could hold up for minutes.
    QTRY_COMPARE(control<ImageBox>(w, "Image4").picture().size(), QSize(577, 505));
    QCOMPARE(s.loader.paths().last(), folder + "/b.jpg");
    QVERIFY(!s.loader.readOnWindowThread());

    QTest::mouseClick(
        window, Qt::LeftButton, {}, control<ImageBox>(w, "Image4").mapTo(&w, QPoint(100, 100)));
    QVERIFY(!control<PicturePreview>(w).isShown() && control<QWidget>(w, "picOuter").isVisible()
        && control<QPushButton>(w, "ButtonLoadThumbs").isVisible());
    // The double-click's first click selected the picture, and that stays; the next click,
    // the first since the preview, counts.
    QTest::mouseClick(window, Qt::LeftButton, {}, at(0));
    QCOMPARE(listTexts(&control<QListWidget>(w, "List1")),
        QStringList({ folder + "/b.jpg", folder + "/a.jpg" }));

    // A picture read late, after the preview closed and opened on another one, is not shown.
    PicturePreview &preview = control<PicturePreview>(w);
    const auto &large = control<ImageBox>(w, "Image4");
    s.loader.hold("b.jpg");
    const auto letGo = qScopeGuard([&] { s.loader.letGo(); });
    preview.Image1_DblClick(1);
    preview.Image4_Click();
    preview.Image1_DblClick(0);
    QTRY_COMPARE(large.picture().size(), QSize(577, 505));
    s.loader.letGo();
    QTRY_VERIFY(preview.findChildren<QFutureWatcherBase *>().isEmpty());
    QVERIFY(testpictures::near(testpictures::centre(large.picture().toImage()),
        testpictures::centre(QImage(folder + "/a.jpg"))));
    preview.Image4_Click();

    // A file gone since its thumbnail was made shows the thumbnail, and no message.
    QVERIFY(QFile::remove(folder + "/a.jpg"));
    control<PicturePreview>(w).Image1_DblClick(0);
    QVERIFY(
        control<PicturePreview>(w).isShown() && !control<ImageBox>(w, "Image4").picture().isNull());
    QVERIFY(s.services.boxesFake.shown.empty());
}

void TestSelection::deleteToTheTrash()
{
    const QString first = m_folders->make("first", { "a.jpg", "b.jpg", "c.jpg" });
    const QString second = m_folders->make("second", { "d.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, second));
    clickThumbnail(w, 0);
    QVERIFY(control<FolderListBox>(w, "Dir1").setPath(first));
    clickThumbnail(w, 0);
    clickThumbnail(w, 2);

    // c.jpg sits where no trash can be made: it is reported, and the others go all the same.
    services.fsFake.fault = [](FakeFileSystem::Op op, const QString &path,
                                const QString &) -> std::optional<platform::FsResult> {
        if (op == FakeFileSystem::Op::Trash && path.endsWith(QLatin1String("c.jpg")))
            return platform::FsResult::failure(QStringLiteral("No Recycle Bin here."));
        return std::nullopt;
    };

    // Cancel changes nothing.
    services.boxesFake.answers = { platform::Answer::Cancel };
    QTest::keyClick(&w, Qt::Key_Delete);
    QCOMPARE(m_folders->files().filter("/files/"), QStringList());
    QTest::keyClick(&w, Qt::Key_Delete);
    const auto &shown = services.boxesFake.shown;
    QCOMPARE(shown.size(), 3u);
    QCOMPARE(shown[1], (FakeBoxes::Shown { question, 33, "Ravelin" }));
    QCOMPARE(shown[2].text,
        "These files could not be deleted:\n\n" + first + "/c.jpg\nNo Recycle Bin here.");
    QCOMPARE(m_folders->files().filter("/files/"),
        QStringList(
            { "home/.local/share/Trash/files/a.jpg", "home/.local/share/Trash/files/d.jpg" }));
    // The grid shows what is left, and the commands that need a selection are out of use.
    QCOMPARE(control<ThumbnailGrid>(w).cells().names(), QStringList({ "b.jpg", "c.jpg" }));
    QVERIFY(!control<QAction>(w, "mnuEditDelete").isEnabled());
}

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
