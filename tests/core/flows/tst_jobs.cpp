#include "core/files/filesystem.h"
#include "core/files/fserrors.h"
#include "core/flows/jobs.h"
#include "support/fakefilesystem.h"
#include "support/faultsupport.h"
#include "support/testpictures.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <optional>

using platform::errorText;
using platform::FsError;
using platform::FsResult;

namespace
{
const QString refused = QStringLiteral("\n\nNo picture was renamed.");
} // namespace

// The batch jobs on real files in a temporary folder, through the real file system with
// faults injected where a real one cannot be made on demand. Every file is written with its
// own first path as its content, so where each one ended up, and whole, is seen at a glance.
// Troubles starting with "ro" run the job as an ordinary user, on folders it may not change.
class TestJobs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void deleteFiles_data();
    void deleteFiles();
    void renameFiles_data();
    void renameFiles();
    void moveFiles_data();
    void moveFiles();
    void renameOnAMemoryCard();
    void failureList();

private:
    QString path(const QString &relative) const { return m_root->filePath(relative); }
    void make(const QStringList &files);
    // Every file under the root but the home, sorted: as its path when it holds that path,
    // else as "path: content"; and every empty folder as "path/".
    QStringList disk() const;
    QStringList paths(const QStringList &relative) const;
    QList<jobs::Target> targets(const QStringList &pairs) const;
    // The failures as "relative path: reason"; "path: *" expected takes any reason.
    QStringList failures(const jobs::JobReport &report, const QStringList &expected) const;
    // Runs a job, as an ordinary user for an "ro" trouble, failing the test if it hangs.
    jobs::JobReport run(const QString &trouble, const std::function<jobs::JobReport()> &job);

    std::optional<QTemporaryDir> m_root;
    FakeFileSystem m_fs;
    QByteArray m_home;
    QByteArray m_dataHome;
};

void TestJobs::init()
{
    m_root.emplace();
    QVERIFY(m_root->isValid());
    m_fs = FakeFileSystem();
    // A trash of the test's own, which the ordinary user may use too.
    m_home = qgetenv("HOME");
    m_dataHome = qgetenv("XDG_DATA_HOME");
    QVERIFY(QDir().mkpath(path("home/share")));
    for (const char *folder : { "", "home", "home/share" })
        QVERIFY(faults::openToEveryone(path(folder)));
    qputenv("HOME", QFile::encodeName(path("home")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(path("home/share")));
}

void TestJobs::cleanup()
{
    qputenv("HOME", m_home);
    if (m_dataHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_dataHome);
    faults::makeWritable(m_root->path());
    m_root.reset();
}

void TestJobs::make(const QStringList &files)
{
    QVERIFY(testpictures::writeOwnPaths(m_root->path(), files));
}

QStringList TestJobs::disk() const
{
    QStringList found;
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    QDirIterator it(m_root->path(), all, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString at = it.next();
        const QString relative = QDir(m_root->path()).relativeFilePath(at);
        if (relative.startsWith(QLatin1String("home")))
            continue;
        if (it.fileInfo().isDir() && QDir(at).entryList(all).isEmpty())
            found.append(relative + '/');
        else if (!it.fileInfo().isDir() && it.fileInfo().isReadable()) {
            const QString content = QString::fromUtf8(testpictures::bytes(at));
            found.append(content == relative ? relative : relative + ": " + content);
        }
    }
    found.sort();
    return found;
}

QStringList TestJobs::paths(const QStringList &relative) const
{
    QStringList result;
    for (const QString &file : relative)
        result.append(path(file));
    return result;
}

// "from>to" pairs; an empty "to" stays empty.
QList<jobs::Target> TestJobs::targets(const QStringList &pairs) const
{
    QList<jobs::Target> result;
    for (const QString &pair : pairs) {
        const QString to = pair.section('>', 1);
        result.append({ path(pair.section('>', 0, 0)), to.isEmpty() ? QString() : path(to) });
    }
    return result;
}

QStringList TestJobs::failures(const jobs::JobReport &report, const QStringList &expected) const
{
    QStringList result;
    for (const jobs::Failure &failure : report.failed) {
        const QString file = QDir(m_root->path()).relativeFilePath(failure.path);
        const bool any = expected.value(result.size()) == file + ": *";
        result.append(file + ": " + (any ? QStringLiteral("*") : failure.reason));
    }
    return result;
}

jobs::JobReport TestJobs::run(const QString &trouble, const std::function<jobs::JobReport()> &job)
{
    std::optional<faults::Unprivileged> user;
    if (trouble.startsWith("ro"))
        user.emplace();
    const faults::Watchdog watchdog;
    return job();
}

void TestJobs::deleteFiles_data()
{
    QTest::addColumn<bool>("toTrash");
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QStringList>("done");
    QTest::addColumn<QStringList>("failed");
    QTest::addColumn<QStringList>("left");
    const QStringList all = { "p/a.jpg", "p/b.jpg", "q/c.jpg" };
    const QStringList folders = { "p/", "q/" };
    const QStringList ac = { "p/a.jpg", "q/c.jpg" };
    for (const bool toTrash : { true, false }) {
        const auto row = [toTrash](const char *tag, const char *trouble, const QStringList &done,
                             const QStringList &failed, const QStringList &left) {
            QTest::addRow("%s, %s", toTrash ? "trash" : "for good", tag)
                << toTrash << QString(trouble) << done << failed << left;
        };
        row("from two folders", "", all, {}, folders);
        // Someone else removed b.jpg after it was selected: it is not counted as deleted.
        row("b.jpg gone", "gone", ac, { "p/b.jpg: " + errorText(FsError::Gone) }, folders);
        row("b.jpg now a folder", "folder", ac,
            { "p/b.jpg: " + errorText(FsError::FolderTookName) }, { "p/b.jpg/x.jpg", "q/" });
        // The others are deleted all the same.
        row("a.jpg refused", "refused", { "p/b.jpg", "q/c.jpg" }, { "p/a.jpg: Refused" },
            { "p/a.jpg", "q/" });
        // Nothing is counted as done that was not.
        row("read-only folders", "ro", {}, { "p/a.jpg: *", "p/b.jpg: *", "q/c.jpg: *" }, all);
        // A file's own mark does not protect it: on this system that is the folder's to say.
        row("read-only files", "rofiles", all, {}, folders);
    }
    // What would keep the system's trash call from ever returning, or make it put the trash
    // in the picture folder: the picture stays where it was, with nothing beside it.
    const auto trashRow = [](const char *tag, const char *trouble, const QStringList &done,
                              const QStringList &failed, const QStringList &left) {
        QTest::addRow("trash, %s", tag) << true << QString(trouble) << done << failed << left;
    };
    const QStringList bLeft = { "p/b.jpg", "q/" };
    trashRow("name too long for its record", "long", ac,
        { "p/b.jpg: " + errorText(FsError::TooLongForTrash) }, bLeft);
    // 245 bytes fit, but not with the number added when the trash holds that name.
    trashRow("name too long once numbered", "numbered", ac,
        { "p/b.jpg: " + errorText(FsError::TooLongForTrash) }, bLeft);
    // A fresh account: no stray trash in the picture folder, which is the current folder.
    trashRow("no data folder yet", "fresh", all, {}, folders);
    const QStringList none = { "p/a.jpg: *", "p/b.jpg: *", "q/c.jpg: *" };
    trashRow("its info folder is a file", "info", {}, none, all);
    trashRow("read-only data folder", "rodata", {}, none, all);
    trashRow("its folders there but read-only", "rotrash", {}, none, all);
    // No room for the first record: the batch stops there, and leaves no empty record.
    trashRow("its disk full", "full", {}, { "p/a.jpg: " + errorText(FsError::TrashFull) },
        { "p/.Trash-0/files/", "p/.Trash-0/info/", "p/a.jpg", "p/b.jpg", "q/c.jpg" });
}

void TestJobs::deleteFiles()
{
    QFETCH(bool, toTrash);
    QFETCH(QString, trouble);
    QFETCH(QStringList, done);
    QFETCH(QStringList, failed);
    QFETCH(QStringList, left);
    if (trouble.startsWith("ro") && geteuid() != 0)
        QSKIP("Acting as an ordinary user needs root");
    // Names of 251 and 245 bytes: with ".trashinfo", and a number, more than the 255 allowed.
    const QString longName = "p/" + QString(trouble == "long" ? 247 : 241, u'b') + ".jpg";
    const bool tooLong = trouble == "long" || trouble == "numbered";
    const QStringList files = { "p/a.jpg", tooLong ? longName : "p/b.jpg", "q/c.jpg" };
    for (QStringList *list : { &done, &failed, &left })
        list->replaceInStrings("p/b.jpg", files[1]);
    // Two pages, which the two pictures fill.
    std::optional<faults::ScratchVolume> volume;
    if (trouble == "full") {
        volume.emplace(path("p"), 8);
        if (!volume->isMounted())
            QSKIP("Filling a volume of its own needs root");
    }
    make(files);
    if (trouble == "gone" || trouble == "folder")
        QVERIFY(QFile::remove(path("p/b.jpg")));
    if (trouble == "folder")
        make({ "p/b.jpg/x.jpg" });
    if (trouble == "refused") {
        m_fs.fault = [this](auto, const QString &file, auto) -> std::optional<FsResult> {
            return file == path("p/a.jpg") ? std::optional(FsResult::failure("Refused"))
                                           : std::nullopt;
        };
    }
    if (trouble == "numbered")
        make({ "home/share/Trash/files/" + files[1].mid(2),
            "home/share/Trash/info/" + files[1].mid(2) + ".trashinfo" });
    QString trash = path("home/share/Trash");
    const QString current = QDir::currentPath();
    if (trouble == "fresh" || trouble == "rodata") {
        QVERIFY(QDir().mkpath(path("home/fresh")));
        QVERIFY(faults::setReadOnly(path("home/fresh"), trouble == "rodata"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("home/fresh/share")));
        trash = path("home/fresh/share/Trash");
        QDir::setCurrent(path("p"));
    }
    if (trouble == "info")
        make({ "home/share/Trash/info" });
    if (trouble == "rotrash") {
        for (const char *folder : { "/files", "/info" })
            QVERIFY(QDir().mkpath(trash + folder) && faults::setReadOnly(trash + folder, true));
    }
    if (trouble == "rofiles") {
        for (const QString &file : files + QStringList { "p", "q" })
            QVERIFY(file.size() == 1 ? faults::openToEveryone(path(file))
                                     : faults::setReadOnly(path(file), true));
    }
    const jobs::JobReport report
        = run(trouble, [&] { return jobs::deleteFiles(paths(files), toTrash, m_fs); });
    QDir::setCurrent(current);

    QCOMPARE(report.done, paths(done));
    QCOMPARE(failures(report, failed), failed);
    QCOMPARE(disk(), left);
    // What was trashed is in the trash.
    for (const QString &file : done)
        QCOMPARE(QFile::exists(trash + "/files/" + QFileInfo(file).fileName()), toTrash);
}

void TestJobs::renameFiles_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("pairs"); // "from>to"
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<int>("renamed"); // the first ones of the batch
    QTest::addColumn<QString>("failure"); // "path: reason" of the file that stopped it
    QTest::addColumn<QStringList>("after");
    const QStringList abc = { "p/a.jpg", "p/b.jpg", "p/c.jpg" };
    const QStringList newNames = { "p/a.jpg>p/N 1.jpg", "p/b.jpg>p/N 2.jpg", "p/c.jpg>p/N 3.jpg" };
    const QStringList firstOnly = { "p/N 1.jpg: p/a.jpg", "p/b.jpg", "p/c.jpg" };
    const auto row = [](const char *tag, const QStringList &files, const QStringList &pairs,
                         const char *trouble, int renamed, const QString &failure,
                         const QStringList &after) {
        QTest::newRow(tag) << files << pairs << QString(trouble) << renamed << failure << after;
    };
    row("two folders", { "p/a.jpg", "q/b.jpg" }, { "p/a.jpg>p/T 1.jpg", "q/b.jpg>q/T 2.jpg" }, "",
        2, {}, { "p/T 1.jpg: p/a.jpg", "q/T 2.jpg: q/b.jpg" });
    row("a name freed earlier in the run", { "p/X 1.jpg", "p/a.jpg" },
        { "p/X 1.jpg>p/X 0.jpg", "p/a.jpg>p/X 1.jpg" }, "", 2, {},
        { "p/X 0.jpg: p/X 1.jpg", "p/X 1.jpg: p/a.jpg" });
    // Found before the first rename: nothing is renamed.
    row("a new name taken by another file", abc + QStringList { "p/N 2.jpg" }, newNames, "", 0,
        "p/b.jpg: A file named N 2.jpg is already there." + refused,
        abc + QStringList { "p/N 2.jpg" });
    row("a new name taken by a link to nothing", abc, newNames, "dangling", 0,
        "p/b.jpg: A file named N 2.jpg is already there." + refused, abc);
    row("two files given one name", abc,
        { "p/a.jpg>p/N.jpg", "p/b.jpg>p/M.jpg", "p/c.jpg>p/N.jpg" }, "", 0,
        "p/c.jpg: Another picture of this rename gets the same new name, N.jpg." + refused, abc);
    // A name the batch itself still has is freed first.
    row("a name held by a file renamed later", abc,
        { "p/a.jpg>p/N.jpg", "p/b.jpg>p/c.jpg", "p/c.jpg>p/M.jpg" }, "", 3, {},
        { "p/M.jpg: p/c.jpg", "p/N.jpg: p/a.jpg", "p/c.jpg: p/b.jpg" });
    row("renumbered in place", { "p/T 0.jpg", "p/T 1.jpg", "p/T 2.jpg" },
        { "p/T 0.jpg>p/T 1.jpg", "p/T 1.jpg>p/T 2.jpg", "p/T 2.jpg>p/T 3.jpg" }, "", 3, {},
        { "p/T 1.jpg: p/T 0.jpg", "p/T 2.jpg: p/T 1.jpg", "p/T 3.jpg: p/T 2.jpg" });
    // A card ignores case: "X 1.jpg" is the third picture's name there.
    row("a name held later, by case on a card", { "p/a.jpg", "p/b.jpg", "p/x 1.JPG" },
        { "p/a.jpg>p/X 0.jpg", "p/b.jpg>p/X 1.jpg", "p/x 1.JPG>p/X 2.JPG" }, "exfat", 3, {},
        { "p/X 0.jpg: p/a.jpg", "p/X 1.jpg: p/b.jpg", "p/X 2.JPG: p/x 1.JPG" });
    // Names taken round a circle: one shot waits under a temporary name, none is left.
    row("two files swapping names", abc,
        { "p/a.jpg>p/N.jpg", "p/b.jpg>p/c.jpg", "p/c.jpg>p/b.jpg" }, "", 3, {},
        { "p/N.jpg: p/a.jpg", "p/b.jpg: p/c.jpg", "p/c.jpg: p/b.jpg" });
    // The middle one keeps its name.
    row("renumbered in reverse", { "p/T 002.jpg", "p/T 001.jpg", "p/T 000.jpg" },
        { "p/T 002.jpg>p/T 000.jpg", "p/T 001.jpg>p/T 001.jpg", "p/T 000.jpg>p/T 002.jpg" }, "", 3,
        {}, { "p/T 000.jpg: p/T 002.jpg", "p/T 001.jpg", "p/T 002.jpg: p/T 000.jpg" });
    row("pairs swapping names", { "p/a.jpg", "p/a.CR2", "p/b.jpg", "p/b.CR2" },
        { "p/a.jpg>p/b.jpg", "p/a.CR2>p/b.CR2", "p/b.jpg>p/a.jpg", "p/b.CR2>p/a.CR2" }, "pairs", 4,
        {}, { "p/a.CR2: p/b.CR2", "p/a.jpg: p/b.jpg", "p/b.CR2: p/a.CR2", "p/b.jpg: p/a.jpg" });
    // The one waiting under a temporary name gets its old name back.
    row("a swap refused half-way", { "p/a.jpg", "p/b.jpg" },
        { "p/a.jpg>p/b.jpg", "p/b.jpg>p/a.jpg" }, "refused", 0, "p/b.jpg: Permission denied",
        { "p/a.jpg", "p/b.jpg" });
    // 255 bytes fit.
    row("a name too long for the disk", abc,
        { "p/a.jpg>p/N.jpg", "p/b.jpg>p/" + QString(251, u'L') + ".jpg",
            "p/c.jpg>p/" + QString(252, u'L') + ".jpeg" },
        "", 0, "p/c.jpg: Its new name is 257 bytes long; this drive takes at most 255." + refused,
        abc);
    // Found only while renaming: the run stops there, and the files after it keep their names.
    row("no new name", abc, { "p/a.jpg>p/N 1.jpg", "p/b.jpg>", "p/c.jpg>p/N 3.jpg" }, "", 1,
        "p/b.jpg: " + errorText(FsError::NoNewName), firstOnly);
    row("the system refuses one", abc, newNames, "refused", 1, "p/b.jpg: Permission denied",
        firstOnly);
    row("a file gone meanwhile", abc, newNames, "gone", 1, "p/b.jpg: " + errorText(FsError::Gone),
        { "p/N 1.jpg: p/a.jpg", "p/c.jpg" });
    // Someone else takes the new name after the checks: it is never replaced.
    row("a new name taken meanwhile", abc, newNames, "taken", 1,
        "p/b.jpg: " + errorText(FsError::AlreadyThere),
        { "p/N 1.jpg: p/a.jpg", "p/N 2.jpg", "p/b.jpg", "p/c.jpg" });
    row("a read-only folder", abc, newNames, "ro", 0, "p/a.jpg: *", abc);
}

void TestJobs::renameFiles()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, pairs);
    QFETCH(QString, trouble);
    QFETCH(int, renamed);
    QFETCH(QString, failure);
    QFETCH(QStringList, after);
    if (trouble.startsWith("ro") && geteuid() != 0)
        QSKIP("Acting as an ordinary user needs root");
    make(files);
    if (trouble == "exfat")
        m_fs.fileSystem = trouble;
    if (trouble == "dangling")
        QVERIFY(QFile::link("nowhere", path("p/N 2.jpg")));
    m_fs.fault = [&](auto, const QString &from, auto) -> std::optional<FsResult> {
        if (from != path("p/b.jpg"))
            return std::nullopt;
        if (trouble == "refused")
            return FsResult::failure("Permission denied");
        if (trouble == "gone")
            QFile::remove(from);
        if (trouble == "taken")
            make({ "p/N 2.jpg" });
        return std::nullopt;
    };
    const QList<jobs::Target> batch = targets(pairs);

    const jobs::JobReport report = run(trouble, [&] {
        return jobs::renameFiles(
            batch, m_fs, trouble == "pairs" ? jobs::Pairs::Together : jobs::Pairs::Apart);
    });

    QStringList done;
    for (qsizetype i = 0; i < renamed; ++i)
        done.append(batch[i].from);
    QStringList reported = report.done;
    reported.sort();
    done.sort();
    QCOMPARE(reported, done);
    const QStringList failed = failure.isEmpty() ? QStringList() : QStringList { failure };
    QCOMPARE(failures(report, failed), failed);
    after.sort();
    QCOMPARE(disk(), after);
}

void TestJobs::moveFiles_data()
{
    QTest::addColumn<QStringList>("pairs"); // "from>to"
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QStringList>("failed"); // "path: reason"
    QTest::addColumn<QStringList>("after");
    // s1 holds a and b, s2 holds a and c, out holds keep.
    const auto row = [](const char *tag, const QStringList &pairs, const char *trouble,
                         const QStringList &failed, const QStringList &after) {
        QTest::newRow(tag) << pairs << QString(trouble) << failed << after;
    };
    const QStringList start = { "out/keep.jpg", "s1/a.jpg", "s1/b.jpg", "s2/a.jpg", "s2/c.jpg" };
    const QStringList aToOut = { "s1/a.jpg>out/a.jpg", "s1/b.jpg>out/b.jpg" };
    const QStringList bMoved
        = { "out/b.jpg: s1/b.jpg", "out/keep.jpg", "s1/a.jpg", "s2/a.jpg", "s2/c.jpg" };
    row("from two folders", { "s1/b.jpg>out/b.jpg", "s2/c.jpg>out/c.jpg" }, "", {},
        { "out/b.jpg: s1/b.jpg", "out/c.jpg: s2/c.jpg", "out/keep.jpg", "s1/a.jpg", "s2/a.jpg" });
    // A file that cannot be moved stays; the others are moved all the same.
    row("a file of that name is there", { "s1/a.jpg>out/keep.jpg", "s1/b.jpg>out/b.jpg" }, "",
        { "s1/a.jpg: " + errorText(FsError::AlreadyThere) }, bMoved);
    row("two files with one name", { "s1/a.jpg>out/a.jpg", "s2/a.jpg>out/a.jpg" }, "",
        { "s2/a.jpg: " + errorText(FsError::AlreadyThere) },
        { "out/a.jpg: s1/a.jpg", "out/keep.jpg", "s1/b.jpg", "s2/a.jpg", "s2/c.jpg" });
    row("no destination", { "s1/a.jpg>", "s1/b.jpg>" }, "",
        { "s1/a.jpg: " + errorText(FsError::NoDestination),
            "s1/b.jpg: " + errorText(FsError::NoDestination) },
        start);
    row("a file gone meanwhile", aToOut, "gone", { "s1/a.jpg: " + errorText(FsError::Gone) },
        { "out/b.jpg: s1/b.jpg", "out/keep.jpg", "s1/", "s2/a.jpg", "s2/c.jpg" });
    row("read-only folders", aToOut, "ro", { "s1/a.jpg: *", "s1/b.jpg: *" }, start);
}

void TestJobs::moveFiles()
{
    QFETCH(QStringList, pairs);
    QFETCH(QString, trouble);
    QFETCH(QStringList, failed);
    QFETCH(QStringList, after);
    if (trouble.startsWith("ro") && geteuid() != 0)
        QSKIP("Acting as an ordinary user needs root");
    make({ "s1/a.jpg", "s1/b.jpg", "s2/a.jpg", "s2/c.jpg", "out/keep.jpg" });
    if (trouble == "gone")
        QVERIFY(QFile::remove(path("s1/a.jpg")));
    const QList<jobs::Target> files = targets(pairs);

    const jobs::JobReport report = run(trouble, [&] { return jobs::moveFiles(files, m_fs); });

    // Every file that did not fail was moved.
    QStringList done;
    for (const jobs::Target &file : files) {
        const QString relative = QDir(m_root->path()).relativeFilePath(file.from);
        if (failed.filter(QRegularExpression('^' + QRegularExpression::escape(relative) + ": "))
                .isEmpty())
            done.append(file.from);
    }
    QCOMPARE(report.done, done);
    QCOMPARE(failures(report, failed), failed);
    QCOMPARE(disk(), after);
}

// A real exFAT card (an image mounted by the kernel's driver or the FUSE one, which has
// neither a no-replace rename nor hard links): names are counted as the card counts them.
void TestJobs::renameOnAMemoryCard()
{
    QVERIFY(QDir().mkpath(path("card")));
    const QString mount = QStringLiteral(
        "{ truncate -s 8M \"$0\" && mkfs.exfat \"$0\" && { mount -o loop -t exfat \"$0\" \"$1\" || "
        "mount -o loop -t exfat-fuse \"$0\" \"$1\"; }; } >/dev/null 2>&1");
    const bool mounted
        = QProcess::execute("sh", { "-c", mount, path("card.img"), path("card") }) == 0;
    if (!mounted)
        QSKIP("No exFAT card: it needs root, loop devices, mkfs.exfat and an exFAT driver");
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", { "-l", path("card") }); });
    make({ "card/a.jpg", "card/b.jpg" });
    // 130 letters of two bytes each: too long for a Linux disk, not for the card.
    const QString letters = "card/" + QString(130, QChar(0xe9));
    const jobs::JobReport report = jobs::renameFiles(
        targets({ "card/a.jpg>" + letters + " 0.jpg", "card/b.jpg>" + letters + " 1.jpg" }), m_fs);
    QCOMPARE(report.done, paths({ "card/a.jpg", "card/b.jpg" }));
    QCOMPARE(QDir(path("card")).entryList(QDir::Files, QDir::Name),
        QStringList({ letters.mid(5) + " 0.jpg", letters.mid(5) + " 1.jpg" }));
}

void TestJobs::failureList()
{
    for (const int count : { 1, 15, 16, 40 }) {
        jobs::JobReport report;
        report.done = QStringList { "/p/done.jpg" };
        for (int i = 1; i <= count; ++i)
            report.failed.append({ QString("/p/%1.jpg").arg(i), QString("why %1").arg(i) });
        const QString text = jobs::failureList("Heading:", report);
        const QString last = QString("\n\n/p/%1.jpg\nwhy %1").arg(std::min(count, 15))
            + (count > 15 ? QString("\n\n... and %1 more.").arg(count - 15) : QString());
        QVERIFY2(text.startsWith("Heading:\n\n/p/1.jpg\nwhy 1") && text.endsWith(last),
            qPrintable(text));
        QCOMPARE(text.count("\nwhy "), std::min(count, 15));
        QVERIFY(!text.contains("done.jpg"));
    }
}

QTEST_GUILESS_MAIN(TestJobs)
#include "tst_jobs.moc"
