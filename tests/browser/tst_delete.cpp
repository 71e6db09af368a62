#include "app/filelistbox.h"
#include "app/folderlistbox.h"
#include "browser/frmmain.h"
#include "browser/imagebox.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"

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
    void init();
    void cleanup();
    void toTheTrash();
    void permanentlyThenAgain();
    void cancelChangesNothing();
    void failuresAreListedAndTheRestDeleted();

private:
    std::unique_ptr<PictureFolders> m_folders;
    QByteArray m_home;
    QByteArray m_dataHome;
};

void TestDelete::init()
{
    m_folders = std::make_unique<PictureFolders>();
    m_home = qgetenv("HOME");
    m_dataHome = qgetenv("XDG_DATA_HOME");
    QDir().mkpath(m_folders->path("home/.local/share"));
    qputenv("HOME", m_folders->path("home").toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_folders->path("home/.local/share").toLocal8Bit());
}

void TestDelete::cleanup()
{
    m_folders.reset();
    qputenv("HOME", m_home);
    if (m_dataHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_dataHome);
}

namespace
{
void click(frmMain &w, int i)
{
    QTest::mouseClick(w.Image1(i), Qt::LeftButton, {}, QPoint(50, 50));
}

const QString question = QStringLiteral("Are you sure you want to DELETE selected files ?");
} // namespace

void TestDelete::toTheTrash()
{
    const QString first = m_folders->make("first", { "a.jpg", "b.jpg", "c.jpg" });
    const QString second = m_folders->make("second", { "d.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, second));
    click(w, 0);
    QVERIFY(w.Dir1->setPath(first));
    click(w, 0);
    click(w, 2);

    QTest::keyClick(&w, Qt::Key_Delete);
    QCOMPARE(services.boxesFake.shown.size(), 1u);
    QCOMPARE(services.boxesFake.shown[0].text, question);
    QCOMPARE(services.boxesFake.shown[0].code, 33);
    QCOMPARE(services.boxesFake.shown[0].title, QStringLiteral("Ravelin"));

    QVERIFY(!QFile::exists(QDir(first).filePath("a.jpg")));
    QVERIFY(QFile::exists(QDir(first).filePath("b.jpg")));
    QVERIFY(!QFile::exists(QDir(first).filePath("c.jpg")));
    QVERIFY(!QFile::exists(QDir(second).filePath("d.jpg")));
    const QDir trash(m_folders->path("home/.local/share/Trash"));
    for (const char *name : { "a.jpg", "c.jpg", "d.jpg" }) {
        QVERIFY2(trash.exists(QStringLiteral("files/%1").arg(name)), name);
        QVERIFY2(trash.exists(QStringLiteral("info/%1.trashinfo").arg(name)), name);
    }
    // The grid shows what is left, and the commands that need a selection are out of use.
    QCOMPARE(w.List1->count(), 0);
    QCOMPARE(w.File1->fileNames(), QStringList({ "b.jpg" }));
    QCOMPARE(w.gridNames(), QStringList({ "b.jpg" }));
    QCOMPARE(w.Label1(0)->caption(), QStringLiteral("b.jpg"));
    QCOMPARE(w.Image1.ubound(), 1);
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
    click(w, 1);
    QTest::keyClick(&w, Qt::Key_Delete);
    QVERIFY(!QFile::exists(QDir(folder).filePath("b.jpg")));
    QVERIFY(QFile::exists(QDir(folder).filePath("a.jpg")));
    QVERIFY(!QDir(m_folders->path("home/.local/share/Trash/files")).exists("b.jpg"));
    // Built by hand, the grid waits for the button; with nothing selected, Del does nothing.
    QVERIFY(w.gridNames().isEmpty());
    QTest::keyClick(&w, Qt::Key_Delete);
    QCOMPARE(services.boxesFake.texts(), QStringList({ question }));
    QVERIFY(QFile::exists(QDir(folder).filePath("a.jpg")));
    QTest::mouseClick(w.ButtonLoadThumbs, Qt::LeftButton);
    QCOMPARE(w.gridNames(), QStringList({ "a.jpg" }));
}

void TestDelete::cancelChangesNothing()
{
    const QString folder = m_folders->make("pics", { "a.jpg", "b.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    services.boxesFake.answer = platform::Answer::Cancel;
    QVERIFY(m_folders->open(w, folder));
    click(w, 0);
    w.mnuEditDelete->trigger();
    QCOMPARE(services.boxesFake.shown.size(), 1u);
    QVERIFY(QFile::exists(QDir(folder).filePath("a.jpg")));
    QCOMPARE(w.List1->count(), 1);
    QVERIFY(w.Label1(0)->isOpaque());
    QCOMPARE(w.Label1(1)->caption(), QStringLiteral("b.jpg"));
}

void TestDelete::failuresAreListedAndTheRestDeleted()
{
    const QString folder = m_folders->make("pics", { "a.jpg", "b.jpg", "c.jpg" });
    MainSession s;
    auto &[services, loader, w] = s;
    QVERIFY(m_folders->open(w, folder));
    w.mnuEditSelectAll->trigger();
    // Someone else removed a.jpg; c.jpg sits where no trash can be made.
    QVERIFY(QFile::remove(QDir(folder).filePath("a.jpg")));
    services.fsFake.fault = [](FakeFileSystem::Op op, const QString &path,
                                const QString &) -> std::optional<platform::FsResult> {
        if (op == FakeFileSystem::Op::Trash && path.endsWith(QLatin1String("c.jpg")))
            return platform::FsResult::failure(
                QStringLiteral("There is no Recycle Bin for this drive."));
        return std::nullopt;
    };
    w.mnuEditDelete->trigger();
    QVERIFY(!QFile::exists(QDir(folder).filePath("b.jpg")));
    QVERIFY(QFile::exists(QDir(folder).filePath("c.jpg")));
    QCOMPARE(services.boxesFake.shown.size(), 2u);
    const FakeBoxes::Shown &report = services.boxesFake.shown[1];
    QCOMPARE(report.title, QStringLiteral("Ravelin"));
    QVERIFY(report.text.contains(QDir(folder).filePath("a.jpg")));
    QVERIFY(report.text.contains(QStringLiteral("no longer there")));
    QVERIFY(report.text.contains(QDir(folder).filePath("c.jpg")));
    QVERIFY(report.text.contains(QStringLiteral("no Recycle Bin")));
    QVERIFY(!report.text.contains(QDir(folder).filePath("b.jpg")));
    QCOMPARE(w.List1->count(), 0);
    QCOMPARE(w.File1->fileNames(), QStringList({ "c.jpg" }));
}

QTEST_MAIN(TestDelete)
#include "tst_delete.moc"
