#include "browser/gridcells.h"
#include "browser/imagebox.h"
#include "core/rules.h"
#include "reliability/faultsupport.h"
#include "support/picturefolders.h"
#include "widgets/filelistbox.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTest>
#include <optional>

#ifdef Q_OS_UNIX
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
    void awkwardName_data();
    void awkwardName();

private:
    std::optional<PictureFolders> m_pics;
};

namespace
{
const QString cannotRename = QStringLiteral("Unable to Rename. File may already exist!");
constexpr int scratchKilobytes = 1024;

QByteArray diskPath(const QString &folder, const QByteArray &diskName)
{
    return QFile::encodeName(folder) + '/' + diskName;
}

// Writes a picture under a name given as the bytes the disk holds.
bool writeNamed(const QString &folder, const QByteArray &diskName)
{
    const QString temporary = QDir(folder).filePath("writing.jpg");
    return testpictures::write(temporary, Qt::darkYellow)
        && ::rename(
               QFile::encodeName(temporary).constData(), diskPath(folder, diskName).constData())
        == 0;
}
} // namespace

void TestFolderFaults::init()
{
    m_pics.emplace();
}

void TestFolderFaults::cleanup()
{
    // Whatever a test made read-only, the temporary folder must still go away.
    faults::makeWritable(m_pics->path());
    m_pics.reset();
}

void TestFolderFaults::shownFolderVanishes_data()
{
    QTest::addColumn<bool>("unmount");
    QTest::addColumn<QString>("then");
    for (const bool unmount : { false, true }) {
        for (const char *then :
            { "rebuild", "open a subfolder, then the parent", "Select All, delete", "rename" }) {
            QTest::addRow("%s, %s", unmount ? "unmounted" : "removed", then) << unmount << then;
        }
    }
}

void TestFolderFaults::shownFolderVanishes()
{
    QFETCH(bool, unmount);
    QFETCH(QString, then);
    const QString other = m_pics->make("other", { "keep.jpg" });
    m_pics->make({}, { "top.jpg" });
    const QString pics = m_pics->path("pics");
    std::optional<faults::ScratchVolume> volume;
    if (unmount) {
        volume.emplace(pics, scratchKilobytes);
        if (!volume->isMounted())
            QSKIP("This system does not let the test mount a volume of its own");
    }
    m_pics->make("pics/sub", {});
    m_pics->make("pics", { "a.jpg", "b.jpg" });
    MainSession s;
    QVERIFY(m_pics->open(s.w, other));
    clickThumbnail(s.w, 0);
    QVERIFY(s.w.Dir1->setPath(pics));
    clickThumbnail(s.w, 0);
    if (unmount)
        volume->unmount();
    else
        QVERIFY(QDir(pics).removeRecursively());
    const auto &shown = s.services.boxesFake.shown;

    if (then == "rebuild") {
        s.w.setThumbnailsManual(true);
        QTest::mouseClick(s.w.ButtonLoadThumbs, Qt::LeftButton);
        QVERIFY(s.w.gridCells().waitUntilBuilt());
        // The cells stay, as "no picture": the button builds from the list it has.
        QCOMPARE(s.w.Label1(1)->caption(), QStringLiteral("b.jpg"));
        QVERIFY(s.w.Image1(1)->isBroken());
        QVERIFY(shown.empty());
    } else if (then == "open a subfolder, then the parent") {
        QVERIFY(faults::openInFolderList(s.w.Dir1, "sub"));
        QCOMPARE(shown.size(), 1u);
        QCOMPARE(shown[0].code, 16);
        QVERIFY(shown[0].text.contains(m_pics->path("pics/sub")));
        QCOMPARE(s.w.Dir1->path(), pics);
        QVERIFY(faults::openInFolderList(s.w.Dir1, QFileInfo(m_pics->path()).fileName()));
        QCOMPARE(s.w.Dir1->path(), m_pics->path());
        QCOMPARE(s.w.Label1(0)->caption(), QStringLiteral("top.jpg"));
        QCOMPARE(shown.size(), 1u);
    } else if (then == "Select All, delete") {
        s.w.mnuEditSelectAll->trigger();
        QCOMPARE(s.w.List1->count(), 3);
        faults::runJob(s.w, "delete");
        // What could be deleted was; the rest is listed, and the list and grid are emptied.
        QVERIFY(!QFile::exists(m_pics->path("other/keep.jpg")));
        QCOMPARE(shown.size(), 2u);
        QVERIFY(shown[1].text.startsWith(QStringLiteral("These files could not be deleted:")));
        QVERIFY(shown[1].text.contains(m_pics->path("pics/a.jpg")));
        QVERIFY(shown[1].text.contains(m_pics->path("pics/b.jpg")));
        QCOMPARE(s.w.List1->count(), 0);
    } else if (then == "rename") {
        s.w.mnuEditSelectNone->trigger();
        clickThumbnail(s.w, 0);
        clickThumbnail(s.w, 1);
        faults::runJob(s.w, "rename");
        QVERIFY(s.services.boxesFake.texts().last().startsWith(cannotRename + "\n\n"));
        QCOMPARE(faults::filesUnder(other), QStringList({ "keep.jpg" }));
        QVERIFY(!QFileInfo::exists(pics) || faults::filesUnder(pics).isEmpty());
    }
    QVERIFY(QFile::exists(m_pics->path("top.jpg")));
}

void TestFolderFaults::unreadableFolderAndFiles()
{
    QVERIFY(faults::openToEveryone(m_pics->path()));
    const QString pics = m_pics->make("pics", { "a.jpg", "secret.jpg" });
    const QString locked = m_pics->make("pics/locked", { "inside.jpg" });
    QVERIFY(QFile::setPermissions(locked, {}));
    QVERIFY(QFile::setPermissions(m_pics->path("pics/secret.jpg"), {}));
    MainSession s;
    {
        const faults::Unprivileged user;
        QVERIFY(m_pics->open(s.w, pics));
        // A file that cannot be read is a cell without a picture; no box for it.
        QCOMPARE(s.w.File1->fileNames(), QStringList({ "a.jpg", "secret.jpg" }));
        QVERIFY(!s.w.Image1(0)->isBroken());
        QVERIFY(s.w.Image1(1)->isBroken());
        QVERIFY(s.services.boxesFake.shown.empty());
        QVERIFY(faults::openInFolderList(s.w.Dir1, "locked"));
    }
    QCOMPARE(s.services.boxesFake.shown.size(), 1u);
    QCOMPARE(s.services.boxesFake.shown[0].text,
        QStringLiteral("The folder %1 cannot be opened. It may have been removed, or you may not "
                       "have permission to read it.")
            .arg(locked));
    QCOMPARE(s.services.boxesFake.shown[0].code, 16);
    QCOMPARE(s.w.Dir1->path(), pics);
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QVERIFY(QFile::exists(m_pics->path("pics/locked/inside.jpg")));
}

void TestFolderFaults::symbolicLinkLoop()
{
#ifndef Q_OS_UNIX
    QSKIP("Symbolic links are a Unix test");
#else
    const QString pics = m_pics->make("pics", { "a.jpg" });
    const QList<std::pair<QString, QString>> links = { { ".", "loop" }, { "..", "up" },
        { "self.jpg", "self.jpg" }, { "pong.jpg", "ping.jpg" }, { "ping.jpg", "pong.jpg" } };
    for (const auto &[target, name] : links)
        QVERIFY(QFile::link(target, m_pics->path("pics/" + name)));
    MainSession s;
    QVERIFY(m_pics->open(s.w, pics));
    // Links that lead nowhere are not pictures.
    QCOMPARE(s.w.File1->fileNames(), QStringList({ "a.jpg" }));

    // Going round the loop gets deeper until the system refuses; the program never hangs.
    constexpr int rounds = 60;
    const auto &shown = s.services.boxesFake.shown;
    int opened = 0;
    for (int i = 0; i < rounds && shown.empty(); ++i) {
        QVERIFY(faults::openInFolderList(s.w.Dir1, "loop"));
        if (shown.empty()) {
            ++opened;
            QVERIFY(s.w.Dir1->path().endsWith(QStringLiteral("/loop")));
            QCOMPARE(s.w.Label1(0)->caption(), QStringLiteral("a.jpg"));
        }
    }
    QVERIFY(opened > 0);
    QVERIFY(s.w.Dir1->count() < 2 * rounds + 20);
    if (!shown.empty())
        QCOMPARE(shown[0].code, 16);
    QCOMPARE(
        QDir(pics).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 6);
#endif
}

void TestFolderFaults::awkwardName_data()
{
    QTest::addColumn<QByteArray>("diskName");
    QTest::addColumn<bool>("rename");
    const QList<std::pair<const char *, QByteArray>> names = {
        { "leading blank", " leading  blank.jpg" },
        { "non-ASCII", "Olympus \xce\xbc Digital 800.JPG" },
        { "CJK", "\xe5\x86\x99\xe7\x9c\x9f.jpeg" },
        { "255 bytes", QByteArray(251, 'x') + ".jpg" },
    };
    for (const auto &[label, name] : names) {
        QTest::addRow("%s, renamed", label) << name << true;
        QTest::addRow("%s, deleted", label) << name << false;
    }
#ifdef Q_OS_UNIX
    // Bytes that are not UTF-8 (a Latin-1 "é"), as old cameras leave behind.
    QTest::newRow("not UTF-8, Select All, deleted") << QByteArray("caf\xe9.jpg") << false;
#endif
}

void TestFolderFaults::awkwardName()
{
    QFETCH(QByteArray, diskName);
    QFETCH(bool, rename);
    const QString pics = m_pics->make("pics", { "other.jpg" });
    QVERIFY(writeNamed(pics, diskName));
    MainSession s;
    QVERIFY(m_pics->open(s.w, pics));
    const QString name = QFile::decodeName(diskName);
    if (QFile::encodeName(name) != diskName) {
        // Qt cannot hand such a name back to the system, so it is not listed: the file is
        // neither shown nor touched by Select All and a delete.
        QCOMPARE(s.w.File1->fileNames(), QStringList({ "other.jpg" }));
        s.w.mnuEditSelectAll->trigger();
        faults::runJob(s.w, "delete");
        QVERIFY(!QFile::exists(m_pics->path("pics/other.jpg")));
        QCOMPARE(::access(diskPath(pics, diskName).constData(), F_OK), 0);
        QCOMPARE(::unlink(diskPath(pics, diskName).constData()), 0);
        return;
    }
    const int index = s.w.File1->fileNames().indexOf(name);
    QVERIFY(index >= 0);
    QCOMPARE(s.w.Label1(index)->caption(), name);
    QVERIFY(!s.w.Image1(index)->isBroken());
    clickThumbnail(s.w, index);
    QCOMPARE(s.w.List1->item(0)->text(), rules::joinPath(pics, name));
    faults::runJob(s.w, rename ? "rename" : "delete");
    QStringList left = { "other.jpg" };
    if (rename)
        left.prepend("Holiday" + rules::keptExtension(name));
    QCOMPARE(faults::filesUnder(pics), left);
    QCOMPARE(s.services.boxesFake.shown.size(), 1u);
}

QTEST_MAIN(TestFolderFaults)
#include "tst_folderfaults.moc"
