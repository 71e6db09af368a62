#include "app/filelistbox.h"
#include "app/folderlistbox.h"
#include "app/rules.h"
#include "browser/frmmain.h"
#include "browser/imagebox.h"
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
#include <optional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

// The folder shown, or the folders around it, going wrong behind the program's back:
// removed or unmounted, unreadable, looping through symbolic links, or holding names that
// are awkward to show and to pass back to the system.
class TestFolderFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void shownFolderVanishes_data();
    void shownFolderVanishes();
    void unreadableFolderAndFiles();
    void symbolicLinkLoop();
    void awkwardNameIsShownAndRenamed_data();
    void awkwardNameIsShownAndRenamed();
    void awkwardNameIsDeleted_data();
    void awkwardNameIsDeleted();
    void nameThatIsNotUtf8IsLeftAlone();
    void tooLongNewNameIsRefused();

private:
    void addNameRows();
    QString makeFolder(const QString &name, const QStringList &files);
    void start(frmMain &w, const QString &folder);
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startFolder;
};

namespace
{
const QString cannotRename = QStringLiteral("Unable to Rename. File may already exist!");
const QString cannotDelete = QStringLiteral("These files could not be deleted:");
constexpr int scratchKilobytes = 1024;

QString path(const QString &folder, const QString &name)
{
    return rules::joinPath(QDir::toNativeSeparators(folder), name);
}

void click(frmMain &w, int i)
{
    QTest::mouseClick(w.Image1(i), Qt::LeftButton, {}, QPoint(50, 50));
}

Rename *renameSelection(frmMain &w, const QString &prefix)
{
    w.mnuRename->trigger();
    Rename *window = w.renameWindow();
    QTest::keyClicks(window->Text2, prefix);
    QTest::keyClicks(window->Text3, QStringLiteral("1"));
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QTest::mouseClick(window->Go, Qt::LeftButton);
    return window;
}

void deleteSelection(frmMain &w)
{
    w.DeleteRecycle = false;
    w.mnuEditDelete->trigger();
}

#ifdef Q_OS_UNIX
// A name made of bytes that are not UTF-8 (a Latin-1 "é"), as old cameras and other
// systems leave behind; Qt can show such a name but not hand it back to the system.
const QByteArray latin1Name = "caf\xe9.jpg";
#endif
} // namespace

void TestFolderFaults::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_startFolder = QDir::currentPath();
}

void TestFolderFaults::cleanup()
{
    QDir::setCurrent(m_startFolder);
    // Whatever a test made read-only, the temporary folder must still go away.
    QDirIterator it(m_dir->path(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        faults::setReadOnly(it.next(), false);
    m_dir.reset();
}

QString TestFolderFaults::makeFolder(const QString &name, const QStringList &files)
{
    const QString folder = QDir::toNativeSeparators(m_dir->filePath(name));
    QDir().mkpath(folder);
    for (const QString &file : files)
        testpictures::write(QDir(folder).filePath(file), Qt::darkCyan);
    return folder;
}

void TestFolderFaults::start(frmMain &w, const QString &folder)
{
    QVERIFY(w.Form_Load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.Dir1->setPath(folder));
}

void TestFolderFaults::shownFolderVanishes_data()
{
    QTest::addColumn<bool>("unmount");
    QTest::addColumn<QString>("then");
    for (const bool unmount : { false, true }) {
        for (const char *then : { "rebuild", "open a subfolder", "open the parent",
                 "Select All, delete", "rename", "move" }) {
            QTest::addRow("%s, %s", unmount ? "unmounted" : "removed", then) << unmount << then;
        }
    }
}

void TestFolderFaults::shownFolderVanishes()
{
    QFETCH(bool, unmount);
    QFETCH(QString, then);
    const QString other = makeFolder("other", { "keep.jpg" });
    testpictures::write(m_dir->filePath("top.jpg"), Qt::darkRed);
    const QString pics = QDir::toNativeSeparators(m_dir->filePath("pics"));
    std::optional<faults::ScratchVolume> volume;
    if (unmount) {
        volume.emplace(pics, scratchKilobytes);
        if (!volume->isMounted())
            QSKIP("This system does not let the test mount a volume of its own");
    }
    makeFolder("pics", { "a.jpg", "b.jpg" });
    QDir(pics).mkdir("sub");

    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    start(w, other);
    click(w, 0);
    QVERIFY(w.Dir1->setPath(pics));
    click(w, 0);

    if (unmount)
        volume->unmount();
    else
        QVERIFY(QDir(pics).removeRecursively());

    if (then == "rebuild") {
        w.setThumbnailsManual(true);
        QTest::mouseClick(w.ButtonLoadThumbs, Qt::LeftButton);
        // The cells stay, as "no picture": the button builds from the list it has.
        QCOMPARE(w.Label1(1)->caption(), QStringLiteral("b.jpg"));
        QVERIFY(w.Image1(0)->isBroken() && w.Image1(1)->isBroken());
        QVERIFY(services.boxesFake.shown.empty());
    } else if (then == "open a subfolder") {
        QVERIFY(faults::openInFolderList(w.Dir1, "sub"));
        QCOMPARE(services.boxesFake.shown.size(), 1u);
        QCOMPARE(services.boxesFake.shown[0].code, 16);
        QVERIFY(services.boxesFake.shown[0].text.contains(path(pics, "sub")));
        QCOMPARE(w.Dir1->path(), pics);
        QCOMPARE(w.Label1(1)->caption(), QStringLiteral("b.jpg"));
    } else if (then == "open the parent") {
        QVERIFY(faults::openInFolderList(w.Dir1, QFileInfo(m_dir->path()).fileName()));
        QCOMPARE(w.Dir1->path(), QDir::toNativeSeparators(m_dir->path()));
        QCOMPARE(w.File1->fileNames(), QStringList({ "top.jpg" }));
        QCOMPARE(w.Label1(0)->caption(), QStringLiteral("top.jpg"));
        QVERIFY(!w.Image1(0)->isBroken());
        QVERIFY(services.boxesFake.shown.empty());
    } else if (then == "Select All, delete") {
        w.mnuEditSelectAll->trigger();
        QCOMPARE(w.List1->count(), 3);
        deleteSelection(w);
        // What could be deleted was; the rest is listed, and the list and grid are emptied.
        QVERIFY(!QFile::exists(path(other, "keep.jpg")));
        QCOMPARE(services.boxesFake.shown.size(), 2u);
        QVERIFY(services.boxesFake.shown[1].text.startsWith(cannotDelete));
        QVERIFY(services.boxesFake.shown[1].text.contains(path(pics, "a.jpg")));
        QVERIFY(services.boxesFake.shown[1].text.contains(path(pics, "b.jpg")));
        QCOMPARE(w.List1->count(), 0);
        QVERIFY(w.Label1(0)->caption().isEmpty());
    } else if (then == "rename") {
        w.mnuEditSelectNone->trigger();
        click(w, 0);
        click(w, 1);
        renameSelection(w, "Holiday");
        QCOMPARE(services.boxesFake.texts().last(), cannotRename);
        QCOMPARE(faults::filesUnder(other), QStringList({ "keep.jpg" }));
        QVERIFY(!QFileInfo::exists(pics) || faults::filesUnder(pics).isEmpty());
    } else if (then == "move") {
        w.mnuMovePictures->trigger();
        MoveFileWindow *window = w.moveWindow();
        QVERIFY(window->Dir2->setPath(m_dir->path()));
        QTest::mouseClick(window->MoveFolderOK, Qt::LeftButton);
        // keep.jpg moves; a.jpg is reported.
        const QStringList texts = services.boxesFake.texts();
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts.at(1), QStringLiteral("1 Files moved!"));
        QVERIFY(texts.at(2).contains(path(pics, "a.jpg")));
        QVERIFY(QFile::exists(m_dir->filePath("keep.jpg")));
    }
    QCOMPARE(faults::filesUnder(m_dir->path()).contains("top.jpg"), true);
}

void TestFolderFaults::unreadableFolderAndFiles()
{
    QVERIFY(faults::openToEveryone(m_dir->path()));
    const QString pics = makeFolder("pics", { "a.jpg", "secret.jpg" });
    const QString locked = makeFolder("pics/locked", { "inside.jpg" });
    QVERIFY(QFile::setPermissions(locked, {}));
    QVERIFY(QFile::setPermissions(path(pics, "secret.jpg"), {}));
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    {
        const faults::Unprivileged user;
        start(w, pics);
        // A file that cannot be read is a cell without a picture; no box for it.
        QCOMPARE(w.File1->fileNames(), QStringList({ "a.jpg", "secret.jpg" }));
        QVERIFY(!w.Image1(0)->isBroken());
        QVERIFY(w.Image1(1)->isBroken());
        QVERIFY(services.boxesFake.shown.empty());

        QVERIFY(faults::openInFolderList(w.Dir1, "locked"));
    }
    QCOMPARE(services.boxesFake.shown.size(), 1u);
    QCOMPARE(services.boxesFake.shown[0].text,
        QStringLiteral("The folder %1 cannot be opened. It may have been removed, or you may not "
                       "have permission to read it.")
            .arg(locked));
    QCOMPARE(services.boxesFake.shown[0].code, 16);
    QCOMPARE(w.Dir1->path(), pics);
    QCOMPARE(w.Label1(1)->caption(), QStringLiteral("secret.jpg"));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QVERIFY(QFile::exists(path(locked, "inside.jpg")));
}

void TestFolderFaults::symbolicLinkLoop()
{
#ifndef Q_OS_UNIX
    QSKIP("Symbolic links are a Unix test");
#else
    const QString pics = makeFolder("pics", { "a.jpg" });
    QVERIFY(QFile::link(".", path(pics, "loop")));
    QVERIFY(QFile::link("..", path(pics, "up")));
    QVERIFY(QFile::link("self.jpg", path(pics, "self.jpg")));
    QVERIFY(QFile::link("pong.jpg", path(pics, "ping.jpg")));
    QVERIFY(QFile::link("ping.jpg", path(pics, "pong.jpg")));
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    start(w, pics);
    // Links that lead nowhere are not pictures.
    QCOMPARE(w.File1->fileNames(), QStringList({ "a.jpg" }));

    // Going round the loop gets deeper until the system refuses; the program never hangs.
    constexpr int rounds = 60;
    int opened = 0;
    for (int i = 0; i < rounds && services.boxesFake.shown.empty(); ++i) {
        QVERIFY(faults::openInFolderList(w.Dir1, "loop"));
        if (services.boxesFake.shown.empty()) {
            ++opened;
            QVERIFY(w.Dir1->path().endsWith(QStringLiteral("/loop")));
            QCOMPARE(w.Label1(0)->caption(), QStringLiteral("a.jpg"));
        }
    }
    QVERIFY(opened > 0);
    QVERIFY(w.Dir1->count() < 2 * rounds + 20);
    if (!services.boxesFake.shown.empty())
        QCOMPARE(services.boxesFake.shown[0].code, 16);
    QVERIFY(w.Dir1->setPath(pics));
    QCOMPARE(
        QDir(pics).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 6);
#endif
}

void TestFolderFaults::addNameRows()
{
    QTest::addColumn<QByteArray>("diskName");
    QTest::newRow("leading blank") << QByteArray(" leading  blank.jpg");
    QTest::newRow("non-ASCII") << QByteArray("Olympus \xce\xbc Digital 800.JPG");
    QTest::newRow("CJK") << QByteArray("\xe5\x86\x99\xe7\x9c\x9f.jpeg");
    QTest::newRow("255 bytes") << QByteArray(251, 'x') + ".jpg";
}

namespace
{
// Writes a picture under a name given as the bytes the disk holds.
bool writeNamed(const QString &folder, const QByteArray &diskName)
{
    const QString temporary = QDir(folder).filePath("writing.jpg");
    if (!testpictures::write(temporary, Qt::darkYellow))
        return false;
    return ::rename(QFile::encodeName(temporary).constData(),
               (QFile::encodeName(folder) + '/' + diskName).constData())
        == 0;
}

bool existsOnDisk(const QString &folder, const QByteArray &diskName)
{
    return ::access((QFile::encodeName(folder) + '/' + diskName).constData(), F_OK) == 0;
}
} // namespace

void TestFolderFaults::awkwardNameIsShownAndRenamed_data()
{
    addNameRows();
}

void TestFolderFaults::awkwardNameIsShownAndRenamed()
{
    QFETCH(QByteArray, diskName);
    const QString pics = makeFolder("pics", {});
    QVERIFY(writeNamed(pics, diskName));
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    start(w, pics);
    QCOMPARE(w.File1->count(), 1);
    QCOMPARE(w.Label1(0)->caption(), QFile::decodeName(diskName));
    QVERIFY(!w.Image1(0)->isBroken());
    click(w, 0);
    QCOMPARE(w.List1->item(0)->text(), path(pics, QFile::decodeName(diskName)));

    renameSelection(w, "Holiday");
    const QString extension = rules::keptExtension(QFile::decodeName(diskName));
    QCOMPARE(faults::filesUnder(pics), QStringList({ "Holiday" + extension }));
    QCOMPARE(services.boxesFake.shown.size(), 1u);
}

void TestFolderFaults::awkwardNameIsDeleted_data()
{
    addNameRows();
}

void TestFolderFaults::awkwardNameIsDeleted()
{
    QFETCH(QByteArray, diskName);
    const QString pics = makeFolder("pics", { "other.jpg" });
    QVERIFY(writeNamed(pics, diskName));
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    start(w, pics);
    const int index = w.File1->fileNames().indexOf(QFile::decodeName(diskName));
    QVERIFY(index >= 0);
    click(w, index);
    deleteSelection(w);
    QCOMPARE(faults::filesUnder(pics), QStringList({ "other.jpg" }));
    QCOMPARE(services.boxesFake.shown.size(), 1u);
}

void TestFolderFaults::nameThatIsNotUtf8IsLeftAlone()
{
#ifndef Q_OS_UNIX
    QSKIP("Only Unix file names can be bytes that are not text");
#else
    // Qt cannot hand such a name back to the system, so it does not list it: the file is
    // neither shown nor touched by Select All and a delete.
    const QString pics = makeFolder("pics", { "other.jpg" });
    QVERIFY(writeNamed(pics, latin1Name));
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    start(w, pics);
    QCOMPARE(w.File1->fileNames(), QStringList({ "other.jpg" }));
    w.mnuEditSelectAll->trigger();
    deleteSelection(w);
    QVERIFY(!QFile::exists(path(pics, "other.jpg")));
    QVERIFY(existsOnDisk(pics, latin1Name));
    QCOMPARE(services.boxesFake.shown.size(), 1u);
    QCOMPARE(::unlink((QFile::encodeName(pics) + '/' + latin1Name).constData()), 0);
#endif
}

void TestFolderFaults::tooLongNewNameIsRefused()
{
    const QString pics = makeFolder("pics", { "a.jpg", "b.jpg" });
    FakeServices services;
    CountingLoader loader;
    frmMain w(services, loader);
    start(w, pics);
    w.mnuEditSelectAll->trigger();
    // "<250 letters> 001.jpg" is longer than a file name may be.
    renameSelection(w, QString(250, QLatin1Char('p')));
    QCOMPARE(services.boxesFake.texts().last(), cannotRename);
    QCOMPARE(faults::filesUnder(pics), QStringList({ "a.jpg", "b.jpg" }));
}

QTEST_MAIN(TestFolderFaults)
#include "tst_folderfaults.moc"
