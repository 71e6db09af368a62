#include "app/filelistbox.h"
#include "app/folderlistbox.h"
#include "app/rules.h"
#include "browser/frmmain.h"
#include "move/movefilewindow.h"
#include "reliability/faultsupport.h"
#include "rename/rename.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

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

private:
    QString makePictures(const QString &name);
    QString out() const { return QDir::toNativeSeparators(m_dir->filePath("out")); }
    void start(frmMain &w, const QString &folder);
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startFolder;
    QByteArray m_home;
    QByteArray m_dataHome;
};

namespace
{
const QString cannotRename = QStringLiteral("Unable to Rename. File may already exist!");
const QString cannotDelete = QStringLiteral("These files could not be deleted:");
const QString notMoved = QStringLiteral("These files were not moved:");
const QStringList abc = { "a.jpg", "b.jpg", "c.jpg" };

QString path(const QString &folder, const QString &name)
{
    return rules::joinPath(QDir::toNativeSeparators(folder), name);
}

QColor colourOf(const QString &name)
{
    return QColor::fromHsv((name.at(0).unicode() * 53) % 360, 220, 220);
}

bool shows(const QString &file, const QString &name)
{
    const QImage image(file);
    return !image.isNull() && testpictures::near(testpictures::centre(image), colourOf(name));
}

void runJob(frmMain &w, const QString &job, const QString &destination)
{
    if (job == "move") {
        w.mnuMovePictures->trigger();
        MoveFileWindow *window = w.moveWindow();
        QVERIFY(window->Dir2->setPath(destination));
        QTest::mouseClick(window->MoveFolderOK, Qt::LeftButton);
    } else if (job == "rename") {
        w.mnuRename->trigger();
        Rename *window = w.renameWindow();
        QTest::keyClicks(window->Text2, QStringLiteral("Holiday"));
        QTest::keyClicks(window->Text3, QStringLiteral("1"));
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QTest::mouseClick(window->Go, Qt::LeftButton);
    } else {
        w.DeleteRecycle = job == "trash";
        w.mnuEditDelete->trigger();
    }
}
} // namespace

void TestBatchFaults::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_startFolder = QDir::currentPath();
    // A trash of the test's own, which the ordinary user of the read-only tests may use too.
    m_home = qgetenv("HOME");
    m_dataHome = qgetenv("XDG_DATA_HOME");
    QVERIFY(QDir().mkpath(m_dir->filePath("home/.local/share/Trash")));
    QVERIFY(QDir().mkpath(m_dir->filePath("out")));
    for (const char *folder :
        { "", "out", "home", "home/.local", "home/.local/share", "home/.local/share/Trash" })
        QVERIFY(faults::openToEveryone(m_dir->filePath(folder)));
    qputenv("HOME", m_dir->filePath("home").toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_dir->filePath("home/.local/share").toLocal8Bit());
}

void TestBatchFaults::cleanup()
{
    QDir::setCurrent(m_startFolder);
    qputenv("HOME", m_home);
    if (m_dataHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_dataHome);
    QDirIterator it(m_dir->path(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        faults::setReadOnly(it.next(), false);
    m_dir.reset();
}

QString TestBatchFaults::makePictures(const QString &name)
{
    const QString folder = QDir::toNativeSeparators(m_dir->filePath(name));
    QDir().mkpath(folder);
    for (const QString &file : abc)
        testpictures::write(QDir(folder).filePath(file), colourOf(file));
    return folder;
}

void TestBatchFaults::start(frmMain &w, const QString &folder)
{
    QVERIFY(w.Form_Load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.Dir1->setPath(folder));
    w.mnuEditSelectAll->trigger();
    QCOMPARE(w.List1->count(), 3);
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
    const QString pics = makePictures("pics");
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    start(w, pics);

    // Someone else changes b.jpg after it was selected.
    const QString b = path(pics, "b.jpg");
    if (change == "removed") {
        QVERIFY(QFile::remove(b));
    } else if (change == "renamed") {
        QVERIFY(QFile::rename(b, path(pics, "b-kept.jpg")));
    } else {
        QVERIFY(QFile::remove(b));
        QVERIFY(QDir().mkdir(b));
        QVERIFY(testpictures::write(path(b, "inside.jpg"), Qt::white));
    }
    QStringList others = faults::filesUnder(pics);
    others.removeAll("a.jpg");
    others.removeAll("c.jpg");

    runJob(w, job, out());

    QVERIFY(services.boxesFake.shown.size() >= 2);
    const QString report = services.boxesFake.shown.back().text;
    if (job == "move") {
        QCOMPARE(services.boxesFake.texts().at(1), QStringLiteral("2 Files moved!"));
        QVERIFY(report.startsWith(notMoved));
        QVERIFY(report.contains(b));
        QCOMPARE(faults::filesUnder(pics), others);
        QCOMPARE(faults::filesUnder(out()), QStringList({ "a.jpg", "c.jpg" }));
        QVERIFY(shows(path(out(), "a.jpg"), "a.jpg"));
    } else if (job == "rename") {
        // The run stops at the first file that cannot be renamed.
        QCOMPARE(report, cannotRename);
        QVERIFY(shows(path(pics, "Holiday 001.jpg"), "a.jpg"));
        QVERIFY(shows(path(pics, "c.jpg"), "c.jpg"));
        QStringList expected = others + QStringList({ "Holiday 001.jpg", "c.jpg" });
        expected.sort();
        QCOMPARE(faults::filesUnder(pics), expected);
    } else {
        // The others are deleted as asked; b.jpg is reported and whatever took its place
        // is left alone.
        QVERIFY(report.startsWith(cannotDelete));
        QVERIFY(report.contains(b));
        QVERIFY(!report.contains(path(pics, "a.jpg")));
        QCOMPARE(faults::filesUnder(pics), others);
        QCOMPARE(w.List1->count(), 0);
    }
    if (change == "replaced by a folder")
        QVERIFY(QFileInfo(path(b, "inside.jpg")).isFile());
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
    const QString pics = makePictures("pics");
    for (const QString &name : abc)
        QVERIFY(faults::setReadOnly(path(pics, name), true));
    QVERIFY(folder ? faults::setReadOnly(pics, true) : faults::openToEveryone(pics));
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    {
        const faults::Unprivileged user;
        start(w, pics);
        runJob(w, job, out());
    }
    const QStringList texts = services.boxesFake.texts();
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
        QCOMPARE(faults::filesUnder(out()), job == "move" ? abc : QStringList());
        return;
    }
    if (job == "rename") {
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts.last(), cannotRename);
    } else {
        QCOMPARE(texts.size(), job == "move" ? 3 : 2);
        if (job == "move")
            QCOMPARE(texts.at(1), QStringLiteral("0 Files moved!"));
        QVERIFY(texts.last().startsWith(job == "move" ? notMoved : cannotDelete));
        for (const QString &name : abc)
            QVERIFY(texts.last().contains(path(pics, name)));
    }
    QCOMPARE(faults::filesUnder(pics), abc);
    QVERIFY(faults::filesUnder(out()).isEmpty());
    for (const QString &name : abc)
        QVERIFY(shows(path(pics, name), name));
}

QTEST_MAIN(TestBatchFaults)
#include "tst_batchfaults.moc"
