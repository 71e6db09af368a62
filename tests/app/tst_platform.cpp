#include "app/qtplatform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

// The real platform services where they guard the user's files and the single instance.
class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondInstanceIsDetected();
    void lockOfACrashedCopyIsTakenOver();
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
    QVERIFY(first.claim());
    QVERIFY(!second.claim());
}

void TestPlatform::lockOfACrashedCopyIsTakenOver()
{
#ifndef Q_OS_UNIX
    QSKIP("Needs a process id that is known to be gone");
#else
    QTemporaryDir dir;
    const QString lock = dir.filePath("ravelin.lock");
    // A process that has ended: its id is in the lock, as a crashed copy would leave it.
    QProcess gone;
    gone.start(QStringLiteral("sh"), { QStringLiteral("-c"), QStringLiteral("echo $$") });
    QVERIFY(gone.waitForFinished());
    const QByteArray pid = gone.readAllStandardOutput().trimmed();
    QVERIFY(!pid.isEmpty());
    QFile file(lock);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(pid + "\nravelin\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    file.close();
    platform::QtInstance instance(lock);
    QVERIFY(instance.claim());
#endif
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

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
