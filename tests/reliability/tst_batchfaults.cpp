#include "app/filelistbox.h"
#include "reliability/faultsupport.h"
#include "support/picturefolders.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTest>
#include <optional>

// Batch jobs meeting files that changed after they were selected, and files or folders
// that may not be changed: each ends in a message or a sound outcome, and nothing the user
// did not ask about is renamed, moved or deleted.
class TestBatchFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void selectedFileChangesBeforeTheJob_data();
    void selectedFileChangesBeforeTheJob();
    void readOnly_data();
    void readOnly();
    void trashRefused_data();
    void trashRefused();

private:
    std::optional<PictureFolders> m_pics;
    QByteArray m_home;
    QByteArray m_dataHome;
};

namespace
{
const QString cannotRename = QStringLiteral("Unable to Rename. File may already exist!");
const QString cannotDelete = QStringLiteral("These files could not be deleted:");
const QString notMoved = QStringLiteral("These files were not moved:");
const QStringList abc = { "a.jpg", "b.jpg", "c.jpg" };
const QStringList picsAbc = { "pics/a.jpg", "pics/b.jpg", "pics/c.jpg" };

bool openAndSelectAll(const PictureFolders &pics, frmMain &w)
{
    if (!pics.open(w, pics.path("pics")))
        return false;
    w.mnuEditSelectAll->trigger();
    return w.List1->count() == 3;
}

} // namespace

void TestBatchFaults::init()
{
    m_pics.emplace();
    // A trash of the test's own, which the ordinary user of the read-only tests may use too.
    m_home = qgetenv("HOME");
    m_dataHome = qgetenv("XDG_DATA_HOME");
    m_pics->make("home/.local/share/Trash", {});
    m_pics->make("out", {});
    for (const char *folder :
        { "", "out", "home", "home/.local", "home/.local/share", "home/.local/share/Trash" })
        QVERIFY(faults::openToEveryone(m_pics->path(folder)));
    qputenv("HOME", QFile::encodeName(m_pics->path("home")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_pics->path("home/.local/share")));
}

void TestBatchFaults::cleanup()
{
    qputenv("HOME", m_home);
    if (m_dataHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_dataHome);
    QDirIterator it(
        m_pics->path(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        faults::setReadOnly(it.next(), false);
    m_pics.reset();
}

void TestBatchFaults::selectedFileChangesBeforeTheJob_data()
{
    QTest::addColumn<QString>("job");
    QTest::addColumn<QString>("change");
    for (const char *job : { "trash", "delete", "rename", "move" }) {
        for (const char *change : { "removed", "renamed", "replaced by a folder" })
            QTest::addRow("%s, b.jpg %s", job, change) << job << change;
    }
}

void TestBatchFaults::selectedFileChangesBeforeTheJob()
{
    QFETCH(QString, job);
    QFETCH(QString, change);
    const QString pics = m_pics->make("pics", abc);
    const QByteArrayList before = m_pics->bytes(picsAbc);
    MainSession s;
    QVERIFY(openAndSelectAll(*m_pics, s.w));

    // Someone else changes b.jpg after it was selected.
    const QString b = m_pics->path("pics/b.jpg");
    if (change == "renamed")
        QVERIFY(QFile::rename(b, m_pics->path("pics/b-kept.jpg")));
    else
        QVERIFY(QFile::remove(b));
    if (change == "replaced by a folder")
        m_pics->make("pics/b.jpg", { "inside.jpg" });
    QStringList others = faults::filesUnder(pics);
    others.removeAll("a.jpg");
    others.removeAll("c.jpg");

    faults::runJob(s.w, job, m_pics->path("out"));

    QVERIFY(s.services.boxesFake.shown.size() >= 2);
    const QString report = s.services.boxesFake.shown.back().text;
    // One wording for one cause, whichever job met it.
    QVERIFY(job == "rename"
        || report.contains(change == "replaced by a folder"
                ? QStringLiteral("A folder now has the file's name.")
                : QStringLiteral("The file is no longer there.")));
    if (job == "move") {
        QCOMPARE(s.services.boxesFake.texts().at(1), QStringLiteral("2 Files moved!"));
        QVERIFY(report.startsWith(notMoved) && report.contains(b));
        QCOMPARE(faults::filesUnder(pics), others);
        QCOMPARE(m_pics->bytes({ "out/a.jpg", "out/c.jpg" }),
            QByteArrayList({ before.at(0), before.at(2) }));
    } else if (job == "rename") {
        // The run stops at the first file that cannot be renamed.
        QVERIFY(report.startsWith(cannotRename + "\n\n" + b + "\n"));
        QCOMPARE(m_pics->bytes({ "pics/Holiday 001.jpg", "pics/c.jpg" }),
            QByteArrayList({ before.at(0), before.at(2) }));
        QStringList expected = others + QStringList({ "Holiday 001.jpg", "c.jpg" });
        expected.sort();
        QCOMPARE(faults::filesUnder(pics), expected);
    } else {
        // The others are deleted as asked; b.jpg is reported and whatever took its place
        // is left alone.
        QVERIFY(report.startsWith(cannotDelete) && report.contains(b));
        QVERIFY(!report.contains(m_pics->path("pics/a.jpg")));
        QCOMPARE(faults::filesUnder(pics), others);
        QCOMPARE(s.w.List1->count(), 0);
    }
    if (change == "replaced by a folder")
        QVERIFY(QFileInfo(m_pics->path("pics/b.jpg/inside.jpg")).isFile());
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
    MainSession s;
    {
        const faults::Unprivileged user;
        QVERIFY(openAndSelectAll(*m_pics, s.w));
        faults::runJob(s.w, job, m_pics->path("out"));
    }
    const QStringList texts = s.services.boxesFake.texts();
    const QStringList moved = faults::filesUnder(m_pics->path("out"));
    if (!folder) {
        // A file's own read-only mark does not protect it from a rename, move or delete the
        // user asked for: on this system that is the folder's to say.
        QCOMPARE(texts.size(), job == "move" ? 2 : 1);
        if (job == "move")
            QCOMPARE(texts.at(1), QStringLiteral("3 Files moved!"));
        QCOMPARE(faults::filesUnder(pics),
            job == "rename"
                ? QStringList({ "Holiday 001.jpg", "Holiday 002.jpg", "Holiday 003.jpg" })
                : QStringList());
        QCOMPARE(moved, job == "move" ? abc : QStringList());
        return;
    }
    QCOMPARE(texts.size(), job == "move" ? 3 : 2);
    if (job == "move")
        QCOMPARE(texts.at(1), QStringLiteral("0 Files moved!"));
    if (job == "rename")
        QVERIFY(texts.last().startsWith(cannotRename + "\n\n"));
    else
        QVERIFY(texts.last().startsWith(job == "move" ? notMoved : cannotDelete));
    for (const QString &file : m_pics->paths(picsAbc))
        QVERIFY(job == "rename" || texts.last().contains(file));
    QCOMPARE(faults::filesUnder(pics), abc);
    QCOMPARE(m_pics->bytes(picsAbc), before);
    QVERIFY(moved.isEmpty());
}

void TestBatchFaults::trashRefused_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QString>("reason");
    QTest::newRow("name too long for its record")
        << "long name" << QStringLiteral("The name is too long for the trash.");
    QTest::newRow("name too long once numbered")
        << "numbered" << QStringLiteral("The name is too long for the trash.");
    QTest::newRow("trash info is a file") << "info" << QStringLiteral("is not a folder.");
    QTest::newRow("read-only data folder") << "data" << QStringLiteral("cannot be made.");
}

// Trouble that would keep the system's trash call from ever returning, or make it put the
// trash in the picture folder: the pictures stay where they were, with nothing beside them.
void TestBatchFaults::trashRefused()
{
    QFETCH(QString, trouble);
    QFETCH(QString, reason);
    // The longest name a file may have, 255 bytes, is too long once ".trashinfo" is added;
    // 245 bytes fit, but not with the number added when the trash holds that name already.
    const bool tooLong = trouble == "long name" || trouble == "numbered";
    const QString b = tooLong ? QString(trouble == "long name" ? 251 : 241, u'b') + ".jpg"
                              : QStringLiteral("b.jpg");
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
    if (trouble == "info")
        QVERIFY(testpictures::writeBytes(m_pics->path("home/.local/share/Trash/info"), "x"));
    if (trouble == "data") {
        m_pics->make("locked", {});
        QVERIFY(faults::setReadOnly(m_pics->path("locked"), true));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_pics->path("locked/share")));
    }
    MainSession s;
    {
        const faults::Unprivileged user;
        const faults::Watchdog watchdog(std::chrono::seconds(20));
        QVERIFY(m_pics->open(s.w, pics));
        s.w.mnuEditSelectAll->trigger();
        faults::runJob(s.w, "trash");
    }
    const QString report = s.services.boxesFake.shown.back().text;
    QVERIFY2(report.startsWith(cannotDelete) && report.contains(reason), qPrintable(report));
    QVERIFY(report.contains(m_pics->path("pics/" + b)));
    QCOMPARE(QDir(pics).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        tooLong ? QStringList({ b }) : QStringList({ "a.jpg", b }));
}

QTEST_MAIN(TestBatchFaults)
#include "tst_batchfaults.moc"
