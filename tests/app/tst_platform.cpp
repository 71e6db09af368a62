#include "reliability/faultsupport.h"
#include "support/testpictures.h"
#include "widgets/qtplatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <sys/stat.h>

// The real platform services where they guard the user's files and the single instance.
class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondInstanceIsDetected();
    void lockOfACrashedCopyIsTakenOver_data();
    void lockOfACrashedCopyIsTakenOver();
    void lockLivesInTheUsersOwnFolder_data();
    void lockLivesInTheUsersOwnFolder();
    void messageBoxShowsNamesAsText();
    void renameNeverReplaces();
    void renameStaysInItsFolder();
    void makeFolder();
};

void TestPlatform::secondInstanceIsDetected()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath("ravelin.lock");
    platform::QtInstance first(lock);
    platform::QtInstance second(lock);
    QCOMPARE(first.claim().outcome, platform::InstanceClaim::Claimed);
    QCOMPARE(second.claim().outcome, platform::InstanceClaim::AnotherRunning);
}

void TestPlatform::lockOfACrashedCopyIsTakenOver_data()
{
    QTest::addColumn<bool>("idStillLives");
    QTest::newRow("its process has ended") << false;
    // The id now names a running program of that name, which holds no lock.
    QTest::newRow("its id was given again") << true;
}

void TestPlatform::lockOfACrashedCopyIsTakenOver()
{
#ifndef Q_OS_UNIX
    QSKIP("Needs a process id that is known to be gone");
#else
    QFETCH(bool, idStillLives);
    QTemporaryDir dir;
    const QString lock = dir.filePath("ravelin.lock");
    // The lock as a crashed copy would leave it, with its process id and name.
    QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
    QByteArray name = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8();
    if (!idStillLives) {
        QProcess gone;
        gone.start(QStringLiteral("sh"), { QStringLiteral("-c"), QStringLiteral("echo $$") });
        QVERIFY(gone.waitForFinished());
        pid = gone.readAllStandardOutput().trimmed();
        name = "ravelin";
    }
    QVERIFY(!pid.isEmpty());
    QFile file(lock);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(pid + "\n" + name + "\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    file.close();
    platform::QtInstance instance(lock);
    QCOMPARE(instance.claim().outcome, platform::InstanceClaim::Claimed);
#endif
}

void TestPlatform::lockLivesInTheUsersOwnFolder_data()
{
    // XDG_RUNTIME_DIR: "own" (a private folder), "none" or "file" (not a folder); TMPDIR:
    // "shared" (sticky, where another user has planted locks and folders under every name
    // that could be ours), "missing" or "closed" (root's, not writable by others).
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<QString>("temp");
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<int>("outcome");
    const int claimed = platform::InstanceClaim::Claimed;
    const int failed = platform::InstanceClaim::Failed;
    QTest::newRow("own runtime, planted temp") << "own"
                                               << "shared" << false << claimed;
    QTest::newRow("no runtime, planted temp") << "file"
                                              << "shared" << false << failed;
    QTest::newRow("no runtime, temp missing") << "file"
                                              << "missing" << false << claimed;
    QTest::newRow("no runtime, temp closed") << "file"
                                             << "closed" << true << failed;
    QTest::newRow("runtime unset, temp ours") << "none"
                                              << "closed" << false << claimed;
}

void TestPlatform::lockLivesInTheUsersOwnFolder()
{
    QFETCH(QString, runtime);
    QFETCH(QString, temp);
    QFETCH(bool, asNobody);
    QFETCH(int, outcome);
    if (geteuid() != 0)
        QSKIP("Planting another user's files needs root");
    QTemporaryDir dir;
    QVERIFY(faults::openToEveryone(dir.path()));
    const QString shared = dir.filePath("shared");
    const QString closed = dir.filePath("closed");
    QVERIFY(QDir().mkpath(shared) && QDir().mkpath(closed));
    QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
    {
        const faults::Unprivileged nobody;
        for (const QString name : { "ravelin-root.lock", "ravelin-.lock", "ravelin-0.lock",
                 "runtime-root", "runtime-0", "ravelin-0" }) {
            QVERIFY(name.endsWith(".lock")
                    ? testpictures::writeBytes(QDir(shared).filePath(name), "1\nravelin\n")
                    : QDir(shared).mkdir(name));
        }
    }
    const QString runtimeFolder = dir.filePath("runtime");
    QVERIFY(QDir().mkdir(runtimeFolder));
    QVERIFY(QFile::setPermissions(runtimeFolder,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser));
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray tempBefore = qgetenv("TMPDIR");
    const QByteArray userBefore = qgetenv("USER");
    if (runtime == "own")
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder));
    else if (runtime == "file")
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.filePath("shared/ravelin-.lock")));
    else
        qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR",
        QFile::encodeName(temp == "missing" ? dir.filePath("missing")
                : temp == "shared"          ? shared
                                            : closed));
    qunsetenv("USER");
    platform::InstanceClaim first;
    platform::InstanceClaim second;
    {
        std::unique_ptr<faults::Unprivileged> nobody;
        if (asNobody)
            nobody = std::make_unique<faults::Unprivileged>();
        platform::QtInstance instance;
        platform::QtInstance again;
        first = instance.claim();
        second = again.claim();
        if (first.outcome == platform::InstanceClaim::Claimed) {
            QVERIFY(!instance.lockPath().startsWith(shared));
            QVERIFY(QFileInfo::exists(instance.lockPath()));
        }
    }
    qputenv("XDG_RUNTIME_DIR", runtimeBefore);
    qputenv("TMPDIR", tempBefore);
    qputenv("USER", userBefore);
    QCOMPARE(int(first.outcome), outcome);
    // "Already running" only while a copy holds the lock; any other failure says why.
    QCOMPARE(int(second.outcome),
        outcome == platform::InstanceClaim::Claimed ? int(platform::InstanceClaim::AnotherRunning)
                                                    : outcome);
    QCOMPARE(first.error.isEmpty(), outcome == platform::InstanceClaim::Claimed);
}

void TestPlatform::messageBoxShowsNamesAsText()
{
    // A folder's name as the "cannot be opened" message shows it.
    const QString text = QStringLiteral("The folder /home/me/<font color=red size=5>Your pictures "
                                        "are damaged<br>call 555-0100 cannot be opened.");
    QString shown;
    QImage look;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        const QLabel *label = box->findChild<QLabel *>("qt_msgbox_label");
        if (label != nullptr) {
            const bool plain = label->textFormat() == Qt::PlainText
                || (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(label->text()));
            QTextDocument document;
            document.setHtml(label->text());
            shown = plain ? label->text() : document.toPlainText();
        }
        look = box->grab().toImage();
        box->button(QMessageBox::Ok)->click();
    });
    QCOMPARE(
        platform::QtMessageBoxes().MsgBox(text, platform::box::OkOnly, {}), platform::Answer::Ok);
    QVERIFY(!look.isNull());
    QCOMPARE(shown, text);
    // Nothing is drawn in red.
    for (int y = 0; y < look.height(); ++y) {
        for (int x = 0; x < look.width(); ++x) {
            const QColor pixel = look.pixelColor(x, y);
            QVERIFY(!(pixel.red() > 180 && pixel.green() < 90 && pixel.blue() < 90));
        }
    }
}

void TestPlatform::renameNeverReplaces()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.jpg");
    const QString b = dir.filePath("b.jpg");
    for (const auto &[path, content] : { std::pair { a, "first" }, std::pair { b, "second" } }) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    platform::QtFileSystem fs;
    const platform::FsResult refused = fs.renameFile(a, b);
    QVERIFY(!refused);
    QVERIFY(!refused.error.isEmpty());
    // Renaming and moving give one reason for a name that is taken.
    QCOMPARE(refused.error, fs.moveFile(a, b).error);
    QFile check(b);
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("second"));
    QVERIFY(QFile::exists(a));
    // A symbolic link to nothing is a name taken all the same.
    const QString link = dir.filePath("link.jpg");
    QVERIFY(QFile::link(dir.filePath("nowhere.jpg"), link));
    QVERIFY(!fs.renameFile(a, link));
    QCOMPARE(QFileInfo(link).symLinkTarget(), dir.filePath("nowhere.jpg"));
    QVERIFY(QFile::exists(a));

    QVERIFY(!fs.renameFile(dir.filePath("missing.jpg"), dir.filePath("c.jpg")));
    QVERIFY(!fs.renameFile(a, QString()));
    QVERIFY(fs.renameFile(a, dir.filePath("c.jpg")));
    QVERIFY(!QFile::exists(a));
    QVERIFY(QFile::exists(dir.filePath("c.jpg")));
}

void TestPlatform::renameStaysInItsFolder()
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("sub"));
    const QString a = dir.filePath("a.jpg");
    QFile file(a);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    platform::QtFileSystem fs;
    QVERIFY(!fs.renameFile(a, dir.filePath("sub/a.jpg")));
    QVERIFY(!fs.renameFile(a, dir.filePath("sub/../../a.jpg")));
    QVERIFY(QFile::exists(a));
}

void TestPlatform::makeFolder()
{
    QTemporaryDir dir;
    platform::QtFileSystem fs;
    QVERIFY(fs.makeFolder(dir.filePath("new")));
    QVERIFY(QDir(dir.filePath("new")).exists());
    QVERIFY(!fs.makeFolder(dir.filePath("new")));
    QVERIFY(!fs.makeFolder(dir.filePath("missing/new")));
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
