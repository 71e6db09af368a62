#include "core/filesystem.h"
#include "core/jobs.h"
#include "reliability/faultsupport.h"
#include "support/picturefolders.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <optional>

// Batch jobs meeting files or folders that an ordinary user may not change, and trashes
// that cannot take a file: each file is reported with its reason, and nothing the user did
// not ask about is renamed, moved or deleted.
class TestBatchFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void readOnly_data();
    void readOnly();
    void trashRefused_data();
    void trashRefused();

private:
    std::optional<PictureFolders> m_pics;
    std::optional<OwnTrash> m_trash;
};

namespace
{
const QStringList abc = { "a.jpg", "b.jpg", "c.jpg" };
const QStringList picsAbc = { "pics/a.jpg", "pics/b.jpg", "pics/c.jpg" };
const QStringList renamed = { "Holiday 001.jpg", "Holiday 002.jpg", "Holiday 003.jpg" };

// Runs the job on the pictures of "pics": a rename to the Holiday names, a move to "out".
jobs::JobReport runJob(const PictureFolders &pics, const QString &job)
{
    platform::QtFileSystem fs;
    const QStringList paths = pics.paths(picsAbc);
    if (job == "trash" || job == "delete")
        return jobs::deleteFiles(paths, job == "trash", fs);
    QList<jobs::Target> files;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        files.append(
            { paths[i], pics.path(job == "move" ? "out/" + abc[i] : "pics/" + renamed[i]) });
    }
    return job == "move" ? jobs::moveFiles(files, fs) : jobs::renameFiles(files, fs);
}

} // namespace

void TestBatchFaults::init()
{
    m_pics.emplace();
    // A trash of the test's own, which the ordinary user of the read-only tests may use too.
    m_trash.emplace(m_pics->path("home"));
    m_pics->make("home/.local/share/Trash", {});
    m_pics->make("out", {});
    for (const char *folder :
        { "", "out", "home", "home/.local", "home/.local/share", "home/.local/share/Trash" })
        QVERIFY(faults::openToEveryone(m_pics->path(folder)));
}

void TestBatchFaults::cleanup()
{
    m_trash.reset();
    faults::makeWritable(m_pics->path());
    m_pics.reset();
}

void TestBatchFaults::readOnly_data()
{
    QTest::addColumn<QString>("job");
    QTest::addColumn<bool>("folder");
    for (const char *job : { "trash", "delete", "rename", "move" }) {
        QTest::addRow("%s, read-only files", job) << job << false;
        QTest::addRow("%s, read-only folder", job) << job << true;
    }
}

void TestBatchFaults::readOnly()
{
    QFETCH(QString, job);
    QFETCH(bool, folder);
    const QString pics = m_pics->make("pics", abc);
    const QByteArrayList before = m_pics->bytes(picsAbc);
    for (const QString &file : m_pics->paths(picsAbc))
        QVERIFY(faults::setReadOnly(file, true));
    QVERIFY(folder ? faults::setReadOnly(pics, true) : faults::openToEveryone(pics));
    jobs::JobReport report;
    {
        const faults::Unprivileged user;
        report = runJob(*m_pics, job);
    }
    const QStringList moved = faults::filesUnder(m_pics->path("out"));
    if (!folder) {
        // A file's own read-only mark does not protect it from a rename, move or delete the
        // user asked for: on this system that is the folder's to say.
        QCOMPARE(report.done, m_pics->paths(picsAbc));
        QVERIFY(report.failed.isEmpty());
        QCOMPARE(faults::filesUnder(pics), job == "rename" ? renamed : QStringList());
        QCOMPARE(moved, job == "move" ? abc : QStringList());
        return;
    }
    // Nothing is counted as done that was not; a rename stops at its first file.
    QVERIFY(report.done.isEmpty());
    QCOMPARE(report.failed.size(), job == "rename" ? 1 : 3);
    for (qsizetype i = 0; i < report.failed.size(); ++i)
        QCOMPARE(report.failed[i].path, m_pics->path(picsAbc[i]));
    QCOMPARE(faults::filesUnder(pics), abc);
    QCOMPARE(m_pics->bytes(picsAbc), before);
    QVERIFY(moved.isEmpty());
}

void TestBatchFaults::trashRefused_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QString>("reason");
    QTest::newRow("name too long once numbered")
        << "numbered" << QStringLiteral("The name is too long for the trash.");
    QTest::newRow("read-only data folder") << "data" << QStringLiteral("cannot be made.");
}

// Trouble that would keep the system's trash call from ever returning, or make it put the
// trash in the picture folder: the pictures stay where they were, with nothing beside them.
void TestBatchFaults::trashRefused()
{
    QFETCH(QString, trouble);
    QFETCH(QString, reason);
    // 245 bytes and ".trashinfo" fit in the 255 a name may have, but not with the number
    // added when the trash holds that name already.
    const bool tooLong = trouble == "numbered";
    const QString b = tooLong ? QString(241, u'b') + ".jpg" : QStringLiteral("b.jpg");
    const QString pics = m_pics->make("pics", { "a.jpg", b });
    QVERIFY(faults::openToEveryone(pics));
    if (trouble == "numbered") {
        m_pics->make("home/.local/share/Trash/files", { b });
        m_pics->make("home/.local/share/Trash/info", {});
        QVERIFY(testpictures::writeBytes(
            m_pics->path("home/.local/share/Trash/info/" + b + ".trashinfo"), "[Trash Info]\n"));
        for (const char *folder : { "files", "info" })
            QVERIFY(faults::openToEveryone(m_pics->path("home/.local/share/Trash/") + folder));
    }
    if (trouble == "data") {
        m_pics->make("locked", {});
        QVERIFY(faults::setReadOnly(m_pics->path("locked"), true));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_pics->path("locked/share")));
    }
    jobs::JobReport report;
    {
        const faults::Unprivileged user;
        const faults::Watchdog watchdog(std::chrono::seconds(20));
        platform::QtFileSystem fs;
        report = jobs::deleteFiles(
            { m_pics->path("pics/a.jpg"), m_pics->path("pics/" + b) }, true, fs);
    }
    QCOMPARE(report.failed.size(), tooLong ? 1 : 2);
    QCOMPARE(report.failed.back().path, m_pics->path("pics/" + b));
    QVERIFY2(report.failed.back().reason.contains(reason), qPrintable(report.failed.back().reason));
    QCOMPARE(QDir(pics).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        tooLong ? QStringList({ b }) : QStringList({ "a.jpg", b }));
}

QTEST_MAIN(TestBatchFaults)
#include "tst_batchfaults.moc"
