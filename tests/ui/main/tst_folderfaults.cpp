#include "core/files/filesystem.h"
#include "core/flows/jobs.h"
#include "core/state/browserstate.h"
#include "core/state/gridcells.h"
#include "support/faultsupport.h"
#include "support/picturefolders.h"
#include "ui/main/imagebox.h"
#include "ui/widgets/filelistbox.h"
#include "ui/widgets/folderlistbox.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace
{
const QString cannotOpen = QStringLiteral("The folder %1 cannot be opened. It may have been "
                                          "removed, or you may not have permission to read it.");

// A folder's entry in the folder list: the first of that name (a folder of the chain above),
// or the last (a subfolder).
QListWidgetItem *entryOf(const FolderListBox *list, const QString &name, bool subfolder)
{
    const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : subfolder ? found.last() : found.first();
}

// Opens a folder from the folder list as the user does, by double-clicking its entry.
bool openInFolderList(FolderListBox *list, const QString &name, bool subfolder = false)
{
    QListWidgetItem *item = entryOf(list, name, subfolder);
    if (item == nullptr)
        return false;
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    // The first click makes the entry current, which may scroll it further into view.
    item = entryOf(list, name, subfolder);
    if (item == nullptr)
        return false;
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    return true;
}
} // namespace

// The folder shown, or the folders around it, going wrong behind the program's back:
// removed, unreadable, looping through symbolic links, or holding names that are awkward to
// show and to pass back to the system.
class TestFolderFaults : public QObject
{
    Q_OBJECT

    std::optional<PictureFolders> m_pics;

private Q_SLOTS:
    void init() { m_pics.emplace(); }
    void cleanup()
    {
        // Whatever a test made read-only, the temporary folder must still go away.
        faults::makeWritable(m_pics->path());
        m_pics.reset();
    }

    void shownFolderVanishes()
    {
        m_pics->make({}, { "top.jpg" });
        const QString pics = m_pics->make("pics", { "a.jpg", "b.jpg" });
        m_pics->make("pics/sub", {});
        MainSession s;
        QVERIFY(m_pics->open(s.w, pics));
        QVERIFY(QDir(pics).removeRecursively());
        // The cells stay, as "no picture": the button builds from the list it has.
        s.w.state().setThumbManual(true);
        QTest::mouseClick(&control<QPushButton>(s.w, "ButtonLoadThumbs"), Qt::LeftButton);
        QVERIFY(control<ThumbnailGrid>(s.w).cells().waitUntilBuilt());
        QVERIFY((control<ThumbnailGrid>(s.w).cells().cell(1).shown == GridCells::Shown::Broken)
            && control<ThumbnailView>(s.w, "picInner").name(1) == "b.jpg");
        const auto &shown = s.services.boxesFake.shown;
        QVERIFY(shown.empty());
        // A folder under it cannot be opened; the one above it can.
        QVERIFY(openInFolderList(&control<FolderListBox>(s.w, "Dir1"), "sub"));
        QCOMPARE(shown,
            (std::vector<FakeBoxes::Shown> { { cannotOpen.arg(pics + "/sub"), 16, "Ravelin" } }));
        QCOMPARE(control<FolderListBox>(s.w, "Dir1").path(), pics);
        QVERIFY(openInFolderList(
            &control<FolderListBox>(s.w, "Dir1"), QFileInfo(m_pics->path()).fileName()));
        QCOMPARE(control<FolderListBox>(s.w, "Dir1").path(), m_pics->path());
        QCOMPARE(control<FileListBox>(s.w, "File1").fileNames(), QStringList({ "top.jpg" }));
        QCOMPARE(shown.size(), 1u);
    }

    void unreadableFolderAndFiles()
    {
        QVERIFY(faults::openToEveryone(m_pics->path()));
        const QString pics = m_pics->make("pics", { "a.jpg", "secret.jpg" });
        const QString locked = m_pics->make("pics/locked", { "inside.jpg" });
        QVERIFY(QFile::setPermissions(locked, {}));
        QVERIFY(QFile::setPermissions(pics + "/secret.jpg", {}));
        MainSession s;
        {
            const faults::Unprivileged user;
            QVERIFY(m_pics->open(s.w, pics));
            // A file that cannot be read is a cell without a picture; no box for it.
            QCOMPARE(control<FileListBox>(s.w, "File1").fileNames(),
                QStringList({ "a.jpg", "secret.jpg" }));
            QVERIFY(!(control<ThumbnailGrid>(s.w).cells().cell(0).shown == GridCells::Shown::Broken)
                && (control<ThumbnailGrid>(s.w).cells().cell(1).shown == GridCells::Shown::Broken));
            QVERIFY(s.services.boxesFake.shown.empty());
            QVERIFY(openInFolderList(&control<FolderListBox>(s.w, "Dir1"), "locked"));
        }
        QCOMPARE(s.services.boxesFake.texts(), QStringList { cannotOpen.arg(locked) });
        QCOMPARE(control<FolderListBox>(s.w, "Dir1").path(), pics);
    }

    void symbolicLinkLoop()
    {
        const QString pics = m_pics->make("pics", { "a.jpg" });
        const QList<std::pair<QString, QString>> links = { { ".", "loop" }, { "..", "up" },
            { "self.jpg", "self.jpg" }, { "pong.jpg", "ping.jpg" }, { "ping.jpg", "pong.jpg" } };
        for (const auto &[target, name] : links)
            QVERIFY(QFile::link(target, pics + '/' + name));
        MainSession s;
        QVERIFY(m_pics->open(s.w, pics));
        // Links that lead nowhere are not pictures.
        QCOMPARE(control<FileListBox>(s.w, "File1").fileNames(), QStringList({ "a.jpg" }));
        // Going round the loop gets deeper until the system stops following the links there
        // (the link is then no folder to list); the program never hangs.
        const auto &shown = s.services.boxesFake.shown;
        for (int i = 0; i < 60 && shown.empty(); ++i) {
            QVERIFY(openInFolderList(&control<FolderListBox>(s.w, "Dir1"), "loop", true));
            QVERIFY2(!shown.empty() || control<ThumbnailView>(s.w, "picInner").name(0) == "a.jpg",
                qPrintable(control<FolderListBox>(s.w, "Dir1").path() + ": "
                    + control<FileListBox>(s.w, "File1").fileNames().join(',')));
        }
        QVERIFY2(control<FolderListBox>(s.w, "Dir1").path().endsWith("/loop/loop"),
            qPrintable(control<FolderListBox>(s.w, "Dir1").path()));
        QVERIFY(shown.empty() || shown[0].code == 16);
    }

    // Names that are awkward to show and to hand back to the system are listed, renamed
    // and deleted as any other; a name Qt cannot hand back is not listed, so never touched.
    void awkwardNames()
    {
        const QString pics = m_pics->make("pics", {});
        const QByteArrayList names = { " leading  blank.jpg", "Olympus \xce\xbc Digital 800.JPG",
            "\xe5\x86\x99\xe7\x9c\x9f.jpeg", QByteArray(251, 'x') + ".jpg", "caf\xe9.jpg" };
        for (const QByteArray &name : names) {
            QVERIFY(testpictures::write(pics + "/new.jpg", Qt::darkYellow));
            QVERIFY(::rename(QFile::encodeName(pics + "/new.jpg").constData(),
                        (QFile::encodeName(pics) + '/' + name).constData())
                == 0);
        }
        BrowserState state;
        state.setSettings({ .imageFormat = "*.jpg;*.jpeg" });
        state.showFolder(pics);
        QStringList listed;
        for (const QByteArray &name : names.mid(0, 4))
            listed.append(QFile::decodeName(name));
        listed.sort(Qt::CaseInsensitive);
        QCOMPARE(state.fileNames(), listed);
        platform::QtFileSystem fs;
        QList<jobs::Target> renames;
        for (const QString &name : listed)
            renames.append({ pics + '/' + name,
                pics + QString("/H %1.").arg(renames.size()) + QFileInfo(name).suffix() });
        QCOMPARE(jobs::renameFiles(renames, fs).done.size(), 4);
        state.refreshFiles();
        QStringList paths;
        for (const QString &name : state.fileNames())
            paths.append(pics + '/' + name);
        QCOMPARE(jobs::deleteFiles(paths, false, fs).done.size(), 4);
        QCOMPARE(::access((QFile::encodeName(pics) + "/caf\xe9.jpg").constData(), F_OK), 0);
    }
};

QTEST_MAIN(TestFolderFaults)
#include "tst_folderfaults.moc"
