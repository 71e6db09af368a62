#include "support/faultsupport.h"
#include "support/picturefolders.h"
#include "ui/widgets/folderlistbox.h"
#include "ui/widgets/qtplatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSemaphore>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <dlfcn.h>
#include <sys/stat.h>

// Every call that asks a mount about itself, counted: the drive list must not make one, as a
// mount that stopped answering never returns from it.
namespace
{
int mountQueries = 0;
template <class Call>
Call next(const char *name)
{
    ++mountQueries;
    return reinterpret_cast<Call>(::dlsym(RTLD_NEXT, name));
}
} // namespace
extern "C" int statvfs64(const char *path, void *info)
{
    return next<int (*)(const char *, void *)>("statvfs64")(path, info);
}
extern "C" int statvfs(const char *path, void *info)
{
    return next<int (*)(const char *, void *)>("statvfs")(path, info);
}
extern "C" int statfs64(const char *path, void *info)
{
    return next<int (*)(const char *, void *)>("statfs64")(path, info);
}
extern "C" int statfs(const char *path, void *info)
{
    return next<int (*)(const char *, void *)>("statfs")(path, info);
}

// The real platform services where they guard the user's files and the single instance.
class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondInstanceIsDetected();
    void endingAbandonsDecodes();
    void lockLivesInTheUsersOwnFolder_data();
    void lockLivesInTheUsersOwnFolder();
    void messageBoxShowsNamesAsText();
    void folderListShowsOnlyFolders();
    void fileOperationsRefuse();
    void drivesComeFromTheMountTable();
};

// A second copy is told another is running, until the first ends; the lock a crashed copy left is
// taken over, when its process has ended or its id now names another running program of that name.
void TestPlatform::secondInstanceIsDetected()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath("ravelin.lock");
    platform::QtInstance first(lock);
    platform::QtInstance second(lock);
    QCOMPARE(first.claim().outcome, platform::InstanceClaim::Claimed);
    QCOMPARE(second.claim().outcome, platform::InstanceClaim::AnotherRunning);
    // Ending lets it go at once, whatever is still to be done before the process is gone.
    platform::QtProgram(first).end();
    QCOMPARE(second.claim().outcome, platform::InstanceClaim::Claimed);
    // It also asked the event loop to end: one that ends is run, so that later ones run.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    QProcess gone;
    gone.start(QStringLiteral("sh"), { QStringLiteral("-c"), QStringLiteral("echo $$") });
    QVERIFY(gone.waitForFinished());
    const QByteArray name = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8();
    for (const QByteArray &left : { gone.readAllStandardOutput().trimmed() + "\nravelin\n",
             QByteArray::number(QCoreApplication::applicationPid()) + "\n" + name + "\n" }) {
        const QString crashed = dir.filePath("crashed.lock");
        QVERIFY(
            testpictures::writeBytes(crashed, left + QSysInfo::machineHostName().toUtf8() + "\n"));
        QCOMPARE(platform::QtInstance(crashed).claim().outcome, platform::InstanceClaim::Claimed);
        QFile::remove(crashed);
    }
}

// The end does not wait for what runs on other threads: here, in a copy of this test, a decode
// that never returns, on a pool that waits for its tasks when it is destroyed on the way out.
void TestPlatform::endingAbandonsDecodes()
{
    const QString childLock = qEnvironmentVariable("RAVELIN_ENDING_CHILD");
    if (!childLock.isEmpty()) {
        static QThreadPool decoders;
        static QSemaphore started;
        decoders.start([] {
            started.release();
            QSemaphore().acquire();
        });
        started.acquire();
        platform::QtInstance instance(childLock);
        QCOMPARE(instance.claim().outcome, platform::InstanceClaim::Claimed);
        platform::endProcess(instance, 7);
    }
    QTemporaryDir dir;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("RAVELIN_ENDING_CHILD", dir.filePath("ravelin.lock"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), { "endingAbandonsDecodes" });
    // A watchdog only: the copy ends at once, or never.
    QVERIFY2(child.waitForFinished(60000), "the end waited for the decode");
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 7);
    QVERIFY(!QFile::exists(dir.filePath("ravelin.lock")));
}

void TestPlatform::lockLivesInTheUsersOwnFolder_data()
{
    // XDG_RUNTIME_DIR: "own" (a private folder), "none" or "file" (not a folder); TMPDIR:
    // "shared" (sticky, where another user has planted locks and folders under every name
    // that could be ours), "missing" or "closed" (root's, not writable by others).
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<QString>("temp");
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<bool>("claimed");
    const auto row = [](const char *runtime, const char *temp, bool asNobody, bool claimed) {
        QTest::addRow("runtime %s, temp %s", runtime, temp)
            << QString(runtime) << QString(temp) << asNobody << claimed;
    };
    row("own", "shared", false, true);
    row("file", "shared", false, false);
    row("file", "missing", false, true);
    row("file", "closed", true, false);
    row("none", "closed", false, true);
}

void TestPlatform::lockLivesInTheUsersOwnFolder()
{
    QFETCH(QString, runtime);
    QFETCH(QString, temp);
    QFETCH(bool, asNobody);
    QFETCH(bool, claimed);
    if (geteuid() != 0)
        QSKIP("Planting another user's files needs root");
    QTemporaryDir dir;
    QVERIFY(faults::openToEveryone(dir.path()));
    const QString shared = dir.filePath("shared");
    QVERIFY(QDir().mkpath(shared) && QDir().mkpath(dir.filePath("closed")));
    QVERIFY(QDir().mkpath(dir.filePath("own")));
    QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
    QVERIFY(::chmod(QFile::encodeName(dir.filePath("own")).constData(), 0700) == 0);
    {
        const faults::Unprivileged nobody;
        for (const QString name : { "ravelin-root.lock", "ravelin-.lock", "ravelin-0.lock" })
            QVERIFY(testpictures::writeBytes(shared + '/' + name, "1\nravelin\n"));
        for (const QString name : { "runtime-root", "runtime-0", "ravelin-0" })
            QVERIFY(QDir(shared).mkdir(name));
    }
    const QByteArrayList names = { "XDG_RUNTIME_DIR", "TMPDIR", "USER" };
    QByteArrayList before;
    for (const QByteArray &name : names)
        before.append(qgetenv(name));
    const auto restore = qScopeGuard([&] {
        for (qsizetype i = 0; i < names.size(); ++i)
            qputenv(names[i], before[i]);
    });
    qunsetenv("USER");
    qunsetenv("XDG_RUNTIME_DIR");
    if (runtime != "none")
        qputenv("XDG_RUNTIME_DIR",
            QFile::encodeName(dir.filePath(runtime == "own" ? "own" : "shared/ravelin-.lock")));
    qputenv("TMPDIR", QFile::encodeName(dir.filePath(temp)));
    std::optional<faults::Unprivileged> nobody;
    if (asNobody)
        nobody.emplace();
    platform::QtInstance instance;
    platform::QtInstance again;
    const platform::InstanceClaim first = instance.claim();
    // "Already running" only while a copy holds the lock; any other failure says why.
    QCOMPARE(first.outcome == platform::InstanceClaim::Claimed, claimed);
    QCOMPARE(first.error.isEmpty(), claimed);
    QCOMPARE(again.claim().outcome,
        claimed ? platform::InstanceClaim::AnotherRunning : platform::InstanceClaim::Failed);
    QVERIFY(!claimed || !instance.lockPath().startsWith(shared));
    QVERIFY(!claimed || QFileInfo::exists(instance.lockPath()));
}

void TestPlatform::folderListShowsOnlyFolders()
{
    // Links to a FIFO and to a device pass a listing's folder filter, and are no folders.
    QTemporaryDir dir;
    QVERIFY(
        QDir(dir.path()).mkdir("sub") && !testpictures::writeHostileCases(dir.path()).isEmpty());
    FolderListBox list;
    QVERIFY(list.setPath(dir.path()));
    const QStringList shown = listTexts(&list);
    QCOMPARE(shown.last().trimmed(), "sub");
    QVERIFY(!shown.join('/').contains("-folder"));
}

void TestPlatform::messageBoxShowsNamesAsText()
{
    // A folder's name as the "cannot be opened" message shows it.
    const QString text = QStringLiteral("The folder /home/me/<font color=red size=5>Your pictures "
                                        "are damaged<br>call 555-0100 cannot be opened.");
    QString shown;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        const QLabel *label = box->findChild<QLabel *>("qt_msgbox_label");
        // Plain text: a name that looks like markup is not drawn as markup.
        if (label != nullptr && label->textFormat() == Qt::PlainText)
            shown = label->text();
        box->button(QMessageBox::Ok)->click();
    });
    QCOMPARE(
        platform::QtMessageBoxes().MsgBox(text, platform::box::OkOnly, {}), platform::Answer::Ok);
    QCOMPARE(shown, text);
}

// The file operations' own refusals: a rename never replaces a file, not even a link to
// nothing, and stays in its folder; a folder is made only where asked, and only once.
void TestPlatform::fileOperationsRefuse()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.jpg");
    const QString b = dir.filePath("b.jpg");
    QVERIFY(testpictures::writeBytes(a, "first") && testpictures::writeBytes(b, "second"));
    QVERIFY(QFile::link(dir.filePath("nowhere.jpg"), dir.filePath("link.jpg")));
    QVERIFY(QDir().mkpath(dir.filePath("sub")));
    platform::QtFileSystem fs;
    const platform::FsResult refused = fs.renameFile(a, b);
    // Renaming and moving give one reason for a name that is taken.
    QCOMPARE(refused.error, fs.moveFile(a, b).error);
    for (const char *to : { "b.jpg", "link.jpg", "sub/a.jpg", "sub/../../a.jpg", "" })
        QVERIFY2(!fs.renameFile(a, *to ? dir.filePath(to) : QString()), to);
    QVERIFY(!fs.renameFile(dir.filePath("missing.jpg"), dir.filePath("c.jpg")));
    QCOMPARE(QFileInfo(dir.filePath("link.jpg")).symLinkTarget(), dir.filePath("nowhere.jpg"));
    QCOMPARE(testpictures::bytes(b), QByteArray("second"));
    QVERIFY(fs.renameFile(a, dir.filePath("c.jpg")));
    QCOMPARE(testpictures::bytes(dir.filePath("c.jpg")), QByteArray("first"));

    QVERIFY(fs.makeFolder(dir.filePath("new")));
    QVERIFY(QDir(dir.filePath("new")).exists());
    for (const QString &name :
        { QString("new"), QString("missing/new"), QString::fromLatin1("a\0b", 3) })
        QVERIFY(!fs.makeFolder(dir.filePath(name)));
}

// The drive list is read from the mount table, names and all, and asks no mount anything.
void TestPlatform::drivesComeFromTheMountTable()
{
    QTemporaryDir dir;
    const QString table = dir.filePath("mounts");
    const QByteArray card = QFile::encodeName(dir.filePath("sdb1"));
    QVERIFY(testpictures::writeBytes(table,
        "/dev/sda1 / ext4 rw 0 0\n"
        "proc /proc proc rw 0 0\n"
            + card
            + " /media/me/Card\\040One vfat rw 0 0\n"
              "server:/photos /srv/photos nfs4 rw 0 0\n"
              "tmpfs /run/media/me/ram tmpfs rw 0 0\n"
              "tmpfs /run/user tmpfs rw 0 0\n"
              "/dev/sdc1 /opt/other ext4 rw 0 0\n"
              "short line\n"));
    QVERIFY(QDir().mkpath(dir.filePath("labels")));
    QVERIFY(QFile::link(dir.filePath("sdb1"), dir.filePath("labels/CARD\\x20A")));
    QStringList shown;
    for (const platform::Drive &drive : platform::QtDrives(table, dir.filePath("labels")).drives())
        shown << drive.text + " = " + drive.root;
    QCOMPARE(shown,
        QStringList({ "/ = /", "/media/me/Card One [CARD A] = /media/me/Card One",
            "/srv/photos = /srv/photos", "/run/media/me/ram = /run/media/me/ram" }));
    QCOMPARE(platform::QtDrives(dir.filePath("missing")).drives().size(), size_t(1));

    mountQueries = 0;
    QVERIFY(!platform::QtDrives().drives().empty());
    QCOMPARE(mountQueries, 0);
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
