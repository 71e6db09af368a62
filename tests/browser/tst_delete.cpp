#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"
#include "widgets/filelistbox.h"
#include "widgets/folderlistbox.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// Deleting the selected pictures, to the trash or for good, on real folders. The trash is
// a temporary one: HOME and XDG_DATA_HOME point into the test's own folder.
class TestDelete : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folders = std::make_unique<PictureFolders>();
        m_trash = std::make_unique<OwnTrash>(m_folders->path("home"));
    }
    void cleanup()
    {
        m_trash.reset();
        m_folders.reset();
    }
    void toTheTrash();
    void permanentlyThenAgain();

private:
    std::unique_ptr<PictureFolders> m_folders;
    std::unique_ptr<OwnTrash> m_trash;
};

namespace
{
const QString question = QStringLiteral("Are you sure you want to DELETE selected files ?");
} // namespace

void TestDelete::toTheTrash()
{
    const QString first = m_folders->make("first", { "a.jpg", "b.jpg", "c.jpg" });
    const QString second = m_folders->make("second", { "d.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, second));
    clickThumbnail(w, 0);
    QVERIFY(w.Dir1->setPath(first));
    clickThumbnail(w, 0);
    clickThumbnail(w, 2);

    // c.jpg sits where no trash can be made: it is reported, and the others go all the same.
    services.fsFake.fault = [](FakeFileSystem::Op op, const QString &path,
                                const QString &) -> std::optional<platform::FsResult> {
        if (op == FakeFileSystem::Op::Trash && path.endsWith(QLatin1String("c.jpg")))
            return platform::FsResult::failure(QStringLiteral("No Recycle Bin here."));
        return std::nullopt;
    };

    QTest::keyClick(&w, Qt::Key_Delete);
    const auto &shown = services.boxesFake.shown;
    QCOMPARE(shown.size(), 2u);
    QCOMPARE(shown[0], (FakeBoxes::Shown { question, 33, QStringLiteral("Ravelin") }));
    QCOMPARE(shown[1].title, QStringLiteral("Ravelin"));
    QVERIFY(shown[1].text.endsWith(QDir(first).filePath("c.jpg") + "\nNo Recycle Bin here."));
    QVERIFY(!shown[1].text.contains("a.jpg") && !shown[1].text.contains("d.jpg"));

    QVERIFY(!QFile::exists(QDir(second).filePath("d.jpg")));
    const QDir trash(m_folders->path("home/.local/share/Trash"));
    for (const char *name : { "a.jpg", "d.jpg" }) {
        QVERIFY2(trash.exists(QStringLiteral("files/%1").arg(name)), name);
        QVERIFY2(trash.exists(QStringLiteral("info/%1.trashinfo").arg(name)), name);
    }
    // The grid shows what is left, and the commands that need a selection are out of use.
    QCOMPARE(w.List1->count(), 0);
    QCOMPARE(w.File1->fileNames(), QStringList({ "b.jpg", "c.jpg" }));
    QCOMPARE(w.gridNames(), QStringList({ "b.jpg", "c.jpg" }));
    QCOMPARE(w.Label1(1)->caption(), QStringLiteral("c.jpg"));
    QCOMPARE(w.Image1.ubound(), 2);
    QVERIFY(!w.mnuEditDelete->isEnabled());
}

void TestDelete::permanentlyThenAgain()
{
    const QString folder = m_folders->make("pics", { "a.jpg", "b.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, folder));
    w.DeleteRecycle = false;
    w.setThumbnailsManual(true);
    clickThumbnail(w, 1);
    // Cancel changes nothing.
    services.boxesFake.answers = { platform::Answer::Cancel };
    QTest::keyClick(&w, Qt::Key_Delete);
    QVERIFY(QFile::exists(folder + "/b.jpg") && w.Label1(1)->isOpaque());
    QTest::keyClick(&w, Qt::Key_Delete);
    QCOMPARE(m_folders->files(), QStringList({ "pics/a.jpg" }));
    // Built by hand, the grid waits for the button; with nothing selected, Del does nothing.
    QVERIFY(w.gridNames().isEmpty());
    QTest::keyClick(&w, Qt::Key_Delete);
    QCOMPARE(services.boxesFake.texts(), QStringList({ question, question }));
    QTest::mouseClick(w.ButtonLoadThumbs, Qt::LeftButton);
    QCOMPARE(w.gridNames(), QStringList({ "a.jpg" }));
}

QTEST_MAIN(TestDelete)
#include "tst_delete.moc"
