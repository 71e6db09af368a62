#include "core/files/fserrors.h"
#include "core/files/safemove.h"
#include "core/flows/jobs.h"
#include "core/flows/journal.h"
#include "core/flows/recoveryflow.h"
#include "core/flows/undo.h"
#include "support/fakefilesystem.h"
#include "support/faultsupport.h"
#include "support/testpictures.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::errorText;
using platform::FsError;

namespace
{
const QStringList sources { "pics/a.jpg", "pics/b.jpg", "pics/c.jpg" };
const QString trashFiles = QStringLiteral("home/.local/share/Trash/files/");
const QString trashInfo = QStringLiteral("home/.local/share/Trash/info/");

// What is done to the files between the batch and its undo.
using Damage = std::function<QByteArray(QByteArray)>;

// What is done to the files in the test's folder between a batch and its undo; false when
// it could not be done.
using Change = std::function<bool(QDir)>;
} // namespace

// The undo of the last batch from its journal, the journal's defence against damage, and a
// batch killed half-way: on real files in a temporary folder, each written with its own
// first path as its content, so where each one ended up, and whole, is seen at a glance.
class TestUndo : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void undo_data();
    void undo();
    void trashRecords_data();
    void trashRecords();
    void damagedJournal_data();
    void damagedJournal();
    void olderChecksums();
    void killedBatch_data();
    void killedBatch();

private:
    QString path(const QString &relative = {}) const { return m_root->filePath(relative); }
    // Every file under the root but the journal's, sorted: as its path when it holds that
    // path, else as "path: content", a link as "path -> target", a trash record by its path.
    QStringList disk() const;
    QStringList failures(const jobs::JobReport &report) const;
    // Runs a batch on the sources through the journal: "rename" or "move" to the targets, or
    // "trash".
    jobs::JobReport runBatch(const QString &kind, const QStringList &targets);

    std::optional<QTemporaryDir> m_root;
    std::optional<OwnTrash> m_trash;
    FakeFileSystem m_fs;
};

void TestUndo::init()
{
    m_root.emplace();
    QVERIFY(m_root->isValid());
    m_trash.emplace(path("home"));
    m_fs = FakeFileSystem();
    m_fs.stateFolderPath = path("state");
    QVERIFY(QDir().mkpath(path("out")));
}

void TestUndo::cleanup()
{
    m_trash.reset();
    m_root.reset();
}

QStringList TestUndo::disk() const
{
    QStringList found;
    QDirIterator it(
        m_root->path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        const QString relative = QDir(m_root->path()).relativeFilePath(file.filePath());
        if (relative.startsWith("state/"))
            continue;
        const QString content = QString::fromUtf8(testpictures::bytes(file.filePath()));
        if (file.isSymLink())
            found.append(
                relative + " -> " + QDir(m_root->path()).relativeFilePath(file.symLinkTarget()));
        else if (relative.endsWith(".trashinfo") || content == relative)
            found.append(relative);
        else
            found.append(relative + ": " + content);
    }
    // A folder replaced by a link is not walked into.
    for (const QFileInfo &entry :
        QDir(m_root->path()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.isSymLink())
            found.append(entry.fileName() + " -> "
                + QDir(m_root->path()).relativeFilePath(entry.symLinkTarget()));
    }
    found.sort();
    return found;
}

QStringList TestUndo::failures(const jobs::JobReport &report) const
{
    QStringList texts;
    for (const jobs::Failure &failure : report.failed)
        texts.append(QDir(m_root->path()).relativeFilePath(failure.path) + ": " + failure.reason);
    texts.sort();
    return texts;
}

jobs::JobReport TestUndo::runBatch(const QString &kind, const QStringList &targets)
{
    if (!testpictures::writeOwnPaths(path(), sources))
        return { {}, { { path(), "not written" } } };
    QList<jobs::Target> files;
    QStringList paths;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        paths.append(path(sources.at(i)));
        files.append({ paths.last(), i < targets.size() ? path(targets.at(i)) : "" });
    }
    journal::Recorder recorder(m_fs);
    if (kind == "trash")
        return jobs::deleteFiles(paths, true, m_fs, &recorder);
    if (kind == "made" && !m_fs.makeFolder(path("new")))
        return { {}, { { path("new"), "not made" } } };
    return kind == "rename" ? jobs::renameFiles(files, m_fs, jobs::Pairs::Apart, &recorder)
                            : jobs::moveFiles(files, m_fs, jobs::Pairs::Apart, &recorder,
                                kind == "made" ? path("new") : QString());
}

void TestUndo::undo_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("targets");
    QTest::addColumn<bool>("otherVolume");
    QTest::addColumn<Change>("meanwhile");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QStringList>("failed");
    const auto row
        = [](const char *tag, const char *kind, const QStringList &targets, const Change &meanwhile,
              const QStringList &after, const QStringList &failed = {}, bool otherVolume = false) {
              QTest::newRow(tag) << QString(kind) << targets << otherVolume << meanwhile << after
                                 << failed;
          };
    const Change nothing = [](QDir) { return true; };
    const auto write = [](const QString &file, const QByteArray &bytes) {
        return [=](QDir root) { return testpictures::writeBytes(root.filePath(file), bytes); };
    };
    // The folder moved away, and a link to it put in its place.
    const auto relink = [](const char *folder) {
        return [=](QDir root) {
            return root.rename(folder, "elsewhere")
                && QFile::link(root.filePath("elsewhere"), root.filePath(folder));
        };
    };
    const QStringList renamed { "pics/x1.jpg", "pics/x2.jpg", "pics/x3.jpg" };
    const QStringList moved { "out/a.jpg", "out/b.jpg", "out/c.jpg" };
    const QString changed = errorText(FsError::ChangedSince);
    // Each of the three files, where the batch left it, refused because its folder changed.
    const auto folderChanged = [](const QString &folder) {
        QStringList texts;
        for (const char *name : { "/a.jpg: ", "/b.jpg: ", "/c.jpg: " })
            texts.append(folder + name + errorText(FsError::FolderChanged));
        return texts;
    };

    row("rename", "rename", renamed, nothing, sources);
    // Names the journal escapes: quotes, backslashes, control characters, a camera beyond 16
    // bits and half of one (which only Windows names hold).
    row("rename to names the journal escapes", "rename",
        { "pics/\"1\".jpg", "pics/a\\b\\.jpg",
            QStringView(u"pics/\n\t\x01 \U0001F4F7 \xD83D.jpg").toString() },
        nothing, sources);
    // a to x1, then b to the name a left, then c to the name b left: taken back last first.
    row("rename along a chain", "rename", { "pics/x1.jpg", "pics/a.jpg", "pics/b.jpg" }, nothing,
        sources);
    // c to d first, then b to the name c left, then a to the name b left.
    row("renumbered in place", "rename", { "pics/b.jpg", "pics/c.jpg", "pics/d.jpg" }, nothing,
        sources);
    // a to a name of its own first, c to a, b to c, then a from its own name to b.
    row("renamed round a circle", "rename", { "pics/b.jpg", "pics/c.jpg", "pics/a.jpg" }, nothing,
        sources);
    row("rename, an old name reused since", "rename", renamed, write("pics/a.jpg", "new"),
        { "pics/a.jpg: new", "pics/b.jpg", "pics/c.jpg", "pics/x1.jpg: pics/a.jpg" },
        { "pics/x1.jpg: " + errorText(FsError::AlreadyThere) });
    // Rewritten with its time kept, as copies that keep times do.
    row("rename, a file edited since", "rename", renamed,
        [](QDir root) {
            const QByteArray x2 = QFile::encodeName(root.filePath("pics/x2.jpg"));
            struct stat file {
            };
            if (::stat(x2.constData(), &file) != 0
                || !testpictures::writeBytes(root.filePath("pics/x2.jpg"), "pics/b.jpg!"))
                return false;
            const timespec times[2] = { file.st_atim, file.st_mtim };
            return ::utimensat(AT_FDCWD, x2.constData(), times, 0) == 0;
        },
        { "pics/a.jpg", "pics/c.jpg", "pics/x2.jpg: pics/b.jpg!" }, { "pics/x2.jpg: " + changed });
    row("rename, a link put in a file's place", "rename", renamed,
        [](QDir root) {
            // A link of the file's size and time: only being a link tells it apart.
            const QByteArray x3 = QFile::encodeName(root.filePath("pics/x3.jpg"));
            struct stat file {
            };
            if (::lstat(x3.constData(), &file) != 0 || ::unlink(x3.constData()) != 0
                || ::symlink(".//./b.jpg", x3.constData()) != 0)
                return false;
            const timespec times[2] = { file.st_atim, file.st_mtim };
            struct stat link {
            };
            return ::utimensat(AT_FDCWD, x3.constData(), times, AT_SYMLINK_NOFOLLOW) == 0
                && ::lstat(x3.constData(), &link) == 0 && link.st_size == file.st_size;
        },
        { "pics/a.jpg", "pics/b.jpg", "pics/x3.jpg -> pics/b.jpg" }, { "pics/x3.jpg: " + changed });
    row("rename, the folder replaced by a link", "rename", renamed, relink("pics"),
        { "elsewhere/x1.jpg: pics/a.jpg", "elsewhere/x2.jpg: pics/b.jpg",
            "elsewhere/x3.jpg: pics/c.jpg", "pics -> elsewhere" },
        { "pics/x1.jpg: " + errorText(FsError::FolderChanged),
            "pics/x2.jpg: " + errorText(FsError::FolderChanged),
            "pics/x3.jpg: " + errorText(FsError::FolderChanged) });
    row("move", "move", moved, nothing, sources);
    row("move, a file's time changed since", "move", moved,
        [](QDir root) {
            QFile file(root.filePath("out/b.jpg"));
            return file.open(QIODevice::ReadWrite)
                && file.setFileTime(
                    QDateTime::currentDateTimeUtc().addDays(-3), QFileDevice::FileModificationTime);
        },
        { "out/b.jpg: pics/b.jpg", "pics/a.jpg", "pics/c.jpg" }, { "out/b.jpg: " + changed });
    row("move, the folder it went to replaced by a link", "move", moved, relink("out"),
        { "elsewhere/a.jpg: pics/a.jpg", "elsewhere/b.jpg: pics/b.jpg",
            "elsewhere/c.jpg: pics/c.jpg", "out -> elsewhere" },
        folderChanged("out"));
    row("move, the folder it came from replaced by a link", "move", moved, relink("pics"),
        { "out/a.jpg: pics/a.jpg", "out/b.jpg: pics/b.jpg", "out/c.jpg: pics/c.jpg",
            "pics -> elsewhere" },
        folderChanged("out"));
    row("move to another volume and back", "move", moved, nothing, sources, {}, true);
    // The folder made for the move goes with it, unless something else is in it now.
    const QStringList intoNew { "new/a.jpg", "new/b.jpg", "new/c.jpg" };
    row("move into a folder made for it", "made", intoNew, nothing, sources);
    row("move into a folder made for it, used since", "made", intoNew, write("new/d.jpg", "d"),
        QStringList { "new/d.jpg: d" } + sources);
    row("trash", "trash", {}, nothing, sources);
    row("trash, partly emptied since", "trash", {},
        [](QDir root) {
            return root.remove(trashFiles + "b.jpg") && root.remove(trashInfo + "b.jpg.trashinfo");
        },
        { "pics/a.jpg", "pics/c.jpg" },
        { trashFiles + "b.jpg: " + errorText(FsError::OutOfTrash) });
    row("trash, a record that names another place", "trash", {},
        write(trashInfo + "c.jpg.trashinfo", "[Trash Info]\nPath=/somewhere/c.jpg\n"),
        { trashFiles + "c.jpg: pics/c.jpg", trashInfo + "c.jpg.trashinfo", "pics/a.jpg",
            "pics/b.jpg" },
        { trashFiles + "c.jpg: " + errorText(FsError::TrashRecordChanged) });
    row("trash, a record that names a place ending the same", "trash", {},
        write(trashInfo + "c.jpg.trashinfo", "[Trash Info]\nPath=ics/c.jpg\n"),
        { trashFiles + "c.jpg: pics/c.jpg", trashInfo + "c.jpg.trashinfo", "pics/a.jpg",
            "pics/b.jpg" },
        { trashFiles + "c.jpg: " + errorText(FsError::TrashRecordChanged) });
}

void TestUndo::undo()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, targets);
    QFETCH(bool, otherVolume);
    QFETCH(Change, meanwhile);
    QFETCH(QStringList, after);
    QFETCH(QStringList, failed);
    std::optional<faults::ScratchVolume> volume;
    if (otherVolume) {
        volume.emplace(path("out"), 1024);
        if (!volume->isMounted())
            QSKIP("Mounting a volume of its own needs root");
    }
    const jobs::JobReport report = runBatch(kind, targets);
    QCOMPARE(failures(report), QStringList());
    const journal::Reading reading = journal::read(journal::pathFor(m_fs));
    QCOMPARE(reading.status, journal::Reading::Status::Whole);
    QCOMPARE(reading.batch.toUndo(), 3);
    QStringList journaled;
    for (const journal::Step &step : reading.batch.steps)
        journaled.append(step.to);
    for (const QString &target : targets)
        QVERIFY2(journaled.contains(path(target)), qPrintable(target));
    // A batch of nothing (Go in a window whose lists were emptied) leaves the last one's undo.
    journal::Recorder nothing(m_fs);
    QCOMPARE(failures(jobs::renameFiles({}, m_fs, jobs::Pairs::Apart, &nothing)), QStringList());
    QCOMPARE(journal::read(journal::pathFor(m_fs)).batch.toUndo(), 3);

    QVERIFY(meanwhile(QDir(path())));

    journal::Recorder again(m_fs);
    QVERIFY(again.resume());
    const jobs::JobReport undone = undo::undoBatch(reading.batch, m_fs, again);
    QCOMPARE(failures(undone), failed);
    QCOMPARE(disk(), after);
    QVERIFY(QFileInfo::exists(path("out")));
    QCOMPARE(QFileInfo::exists(path("new")), !after.filter("new/").isEmpty());
    // Once undone, the batch offers nothing more.
    const journal::Reading later = journal::read(journal::pathFor(m_fs));
    QCOMPARE(later.status, journal::Reading::Status::Whole);
    QVERIFY(later.batch.undoFinished);
    QVERIFY(!later.batch.canUndo());
}

// Names that URLs escape, put in the trash the real way: the records name their places as
// other programs read them (as "gio trash" writes them), and the batch is undone, also from
// records as earlier versions wrote them, unescaped.
void TestUndo::trashRecords_data()
{
    QTest::addColumn<bool>("ownVolume");
    QTest::addColumn<bool>("unescaped");
    QTest::newRow("the home trash") << false << false;
    QTest::newRow("the home trash, records unescaped") << false << true;
    QTest::newRow("the volume's own trash") << true << false;
}

void TestUndo::trashRecords()
{
    QFETCH(bool, ownVolume);
    QFETCH(bool, unescaped);
    std::optional<faults::ScratchVolume> volume;
    if (ownVolume) {
        volume.emplace(path("pics"), 1024);
        if (!volume->isMounted())
            QSKIP("Mounting a volume of its own needs root");
    }
    const QStringList names { "a b.jpg", "#.jpg", "%41.jpg", "p%c.jpg", "ü é.jpg", "[1].jpg",
        ";.jpg" };
    const QStringList escaped { "a%20b.jpg", "%23.jpg", "%2541.jpg", "p%25c.jpg",
        "%C3%BC%20%C3%A9.jpg", "%5B1%5D.jpg", "%3B.jpg" };
    QStringList files;
    QStringList paths;
    for (const QString &name : names) {
        files.append("pics/" + name);
        paths.append(path(files.last()));
    }
    QVERIFY(testpictures::writeOwnPaths(path(), files));
    journal::Recorder recorder(m_fs);
    QCOMPARE(failures(jobs::deleteFiles(paths, true, m_fs, &recorder)), QStringList());

    const QString trash = ownVolume ? path("pics/.Trash-" + QString::number(::getuid()))
                                    : path("home/.local/share/Trash");
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString record = trash + "/info/" + names.at(i) + ".trashinfo";
        QByteArray bytes = testpictures::bytes(record);
        const QByteArray place = ownVolume
            ? QByteArray()
            : QUrl::toPercentEncoding(QFile::encodeName(path("pics/")), "/");
        QVERIFY2(
            bytes.contains("\nPath=" + place + escaped.at(i).toLatin1() + '\n'), bytes.constData());
        if (unescaped)
            QVERIFY(testpictures::writeBytes(record,
                bytes.replace(place + escaped.at(i).toLatin1(), QFile::encodeName(paths.at(i)))));
    }
    // Other programs list the files at their places.
    int listed = 0;
    for (const QStringList &lister :
        { QStringList { "trash-list" }, QStringList { "gio", "trash", "--list" } }) {
        if (unescaped)
            break;
        QProcess list;
        list.start(lister.first(), lister.mid(1));
        if (!list.waitForFinished(30000) || list.exitCode() != 0)
            continue;
        const QString out = QString::fromUtf8(list.readAllStandardOutput());
        for (const QString &file : paths)
            QVERIFY2(
                out.contains(QRegularExpression("[ \t]" + QRegularExpression::escape(file) + "\n")),
                qPrintable(lister.first() + ":\n" + out));
        ++listed;
    }

    const journal::Reading reading = journal::read(journal::pathFor(m_fs));
    journal::Recorder again(m_fs);
    QVERIFY(again.resume());
    QCOMPARE(failures(undo::undoBatch(reading.batch, m_fs, again)), QStringList());
    for (const QString &file : files)
        QCOMPARE(testpictures::bytes(path(file)), file.toUtf8());
    if (listed == 0 && !unescaped)
        QSKIP("Neither trash-list (trash-cli) nor gio trash --list could list the trash");
}

void TestUndo::damagedJournal_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<Change>("plant");
    QTest::addColumn<QString>("problem");
    const auto row
        = [](const char *tag, const Damage &damage, const char *problem, const Change &plant = {}) {
              QTest::newRow(tag) << damage << plant << QString(problem);
          };
    const auto same = [](QByteArray bytes) { return bytes; };
    const char *notOwn = "It is not a plain file of your own.";
    row(
        "cut short", [](QByteArray bytes) { return bytes.chopped(5); }, "It is cut short.");
    row(
        "a name changed", [](QByteArray bytes) { return bytes.replace("x2.jpg", "x9.jpg"); },
        "Its line 3 is damaged.");
    // A line replaced by the record given, or taken out.
    const auto replaced = [](int index, const QByteArray &record) {
        return [index, record](const QByteArray &bytes) {
            QByteArrayList lines = bytes.split('\n');
            if (record.isEmpty())
                lines.removeAt(index);
            else
                lines[index] = record;
            return lines.join('\n');
        };
    };
    row("a plan record lost", replaced(1, {}), "Its plan is damaged.");
    row("another version",
        replaced(0,
            journal::line(
                { { "r", "batch" }, { "version", 2 }, { "kind", "rename" }, { "files", 3 } })
                .trimmed()),
        "It was written by another version of Ravelin.");
    row(
        "a record out of place",
        [](const QByteArray &bytes) {
            return bytes + journal::line({ { "r", "undone" }, { "i", 0 } });
        },
        "Its record 9 makes no sense.");
    row(
        "a file done after the end",
        [](const QByteArray &bytes) {
            QByteArrayList lines = bytes.split('\n');
            lines.move(6, 7);
            return lines.join('\n');
        },
        "Its record 8 makes no sense.");
    row(
        "not a journal", [](QByteArray) { return QByteArray("hello\n"); },
        "Its line 1 is damaged.");
    // Well formed, but not written by the program: it names a file that is no picture.
    row("a plan that names a file not a picture",
        replaced(1,
            journal::line({ { "r", "plan" }, { "i", 0 }, { "from", "/victim/notes.txt" },
                              { "to", "/victim/x1.jpg" },
                              { "before",
                                  QJsonObject { { "link", false }, { "size", "9" },
                                      { "modified", "0" }, { "folder", "/victim" } } } })
                .trimmed()),
        "Its plan names a file that is not a picture of a batch: /victim/notes.txt");
    // Read no further than its size: a sparse file, so that the test writes little.
    row("far too large", same, "It is far too large.", [](QDir root) {
        return QFile::resize(root.filePath("state/last-batch.journal"), qint64(65) << 20);
    });
    // What else may stand in the journal's place is never read, written through, or waited on.
    row("a link in its place", same, notOwn, [](QDir root) {
        return root.rename("state/last-batch.journal", "elsewhere.journal")
            && QFile::link(
                root.filePath("elsewhere.journal"), root.filePath("state/last-batch.journal"));
    });
    row("a pipe in its place", same, notOwn, [](QDir root) {
        const QString journalPath = root.filePath("state/last-batch.journal");
        return QFile::remove(journalPath)
            && ::mkfifo(QFile::encodeName(journalPath).constData(), 0600) == 0;
    });
    row("a folder in its place", same, notOwn, [](QDir root) {
        return root.remove("state/last-batch.journal")
            && root.mkpath("state/last-batch.journal/inside");
    });
}

// A damaged journal is never acted on: the start sets it aside, and tells why.
void TestUndo::damagedJournal()
{
    QFETCH(Damage, damage);
    QFETCH(Change, plant);
    QFETCH(QString, problem);
    // A pipe left where the new journal is written first: the batch neither waits on it nor
    // goes without its journal.
    QVERIFY(QDir().mkpath(path("state")));
    QCOMPARE(
        ::mkfifo(QFile::encodeName(path("state/last-batch.journal.new")).constData(), 0600), 0);
    {
        const faults::Watchdog watchdog;
        QVERIFY(
            runBatch("rename", { "pics/x1.jpg", "pics/x2.jpg", "pics/x3.jpg" }).failed.isEmpty());
    }
    const QString journalPath = journal::pathFor(m_fs);
    QVERIFY(QFileInfo(journalPath).isFile());
    const QByteArray damaged = damage(testpictures::bytes(journalPath));
    QVERIFY(testpictures::writeBytes(journalPath, damaged));
    QVERIFY(!plant || plant(QDir(path())));
    const bool folder = QFileInfo(journalPath).isDir();
    const QStringList before = disk();

    std::optional<flows::Recovery> found;
    {
        const faults::Watchdog watchdog;
        found = flows::recover(m_fs);
    }
    QCOMPARE(found->found, flows::Recovery::Found::Damaged);
    QCOMPARE(found->problem, problem);
    QCOMPARE(disk(), before);
    QCOMPARE(journal::read(journalPath).status == journal::Reading::Status::Whole, false);
    // A folder stays, and is in the way.
    QCOMPARE(found->inTheWay, folder);
    QCOMPARE(found->setAsideAs.isEmpty(), folder);
    if (folder)
        return;
    QVERIFY2(
        found->setAsideAs.startsWith(journalPath + ".damaged-"), qPrintable(found->setAsideAs));
    QVERIFY(!QFileInfo::exists(journalPath));
    const QStringList aside
        = QDir(path("state"))
              .entryList({ "last-batch.journal.damaged-*" }, QDir::AllEntries | QDir::System);
    QCOMPARE(aside.size(), 1);
    // Whole, where it is a file (a link's target, or a pipe, is left as it was).
    const QFileInfo kept(QDir(path("state")).filePath(aside.first()));
    QVERIFY(!kept.isFile()
        || kept.size() == (problem == "It is far too large." ? qint64(65) << 20 : damaged.size()));
}

// A journal an earlier version left, whose lines carry another checksum, is read as it was.
void TestUndo::olderChecksums()
{
    QVERIFY(runBatch("rename", { "pics/x1.jpg", "pics/x2.jpg", "pics/x3.jpg" }).failed.isEmpty());
    const QString journalPath = journal::pathFor(m_fs);
    QByteArrayList lines = testpictures::bytes(journalPath).split('\n');
    for (QByteArray &line : lines) {
        if (!line.isEmpty())
            line.replace(0, 8,
                QCryptographicHash::hash(line.mid(9), QCryptographicHash::Sha256).left(4).toHex());
    }
    QVERIFY(testpictures::writeBytes(journalPath, lines.join('\n')));
    const journal::Reading reading = journal::read(journalPath);
    QCOMPARE(reading.status, journal::Reading::Status::Whole);
    QVERIFY(reading.batch.canUndo() && reading.batch.toUndo() == 3);
}

void TestUndo::killedBatch_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("killAt");
    QTest::addColumn<bool>("recordsLost");
    QTest::addColumn<platform::Answer>("answer");
    QTest::addColumn<QString>("told");

    // The report in short: the batch, its files done, and what was found and cleaned.
    const auto stopped = [](const char *batch, const QString &rest) {
        return QString(batch) + " of 5 Pictures: " + rest;
    };
    const auto row = [](const char *tag, const char *kind, const char *killAt,
                         platform::Answer answer, const QString &told, bool recordsLost = false) {
        QTest::newRow(tag) << QString(kind) << QString(killAt) << recordsLost << answer << told;
    };
    const auto ok = platform::Answer::Ok;
    row("rename killed before its record of a file done", "rename", "after 3", ok,
        stopped("Rename", "4 done"));
    row("rename killed, its records of files done not on disk", "rename", "before 4", ok,
        stopped("Rename", "4 done"), true);
    // p1.jpg moved, its RAW file not yet.
    row("move of a pair killed between its two files", "move", "after 1", ok,
        stopped("Move", "2 done"), true);
    // Renumbered in place: the last picture goes first, to a name no picture has.
    row("renumbering killed before its record of a file done", "renumber", "after 2", ok,
        stopped("Rename", "3 done"));
    // Round a circle: p0 waits under a temporary name, p4 takes its name, p3 p4's, p2 p3's.
    row("renaming round a circle killed before its record of a file done", "circle", "after 3", ok,
        stopped("Rename", "3 done"));
    row("renaming round a circle killed, its records of files done not on disk", "circle",
        "after 4", ok, stopped("Rename", "4 done"), true);
    row("rename killed, undo left for later", "rename", "before 1", platform::Answer::Cancel,
        stopped("Rename", "1 done"));
    row("rename killed, a file done edited since", "rename", "before 3", ok,
        stopped("Rename", "3 done, changed pics/n1.jpg"));
    row("move to another drive killed while copying", "move", "placing 1", ok,
        stopped("Move", "1 done, removed 1"));
    row("move to another drive killed with a copy in place and its source not yet removed", "move",
        "lstat 3", ok, stopped("Move", "4 done, finished 1"), true);
    // The copy in place is then changed, keeping its size and time: neither is removed.
    row("move to another drive killed with a copy in place, which differs from its source", "move",
        "lstat 3", platform::Answer::Cancel,
        stopped("Move", "3 done, kept pics/p3.jpg and out/p3.jpg"), true);
    // Every file where it was or where it went, once, or named twice; the whole run traced.
    row("move to another drive killed after each of its system calls", "move", "*", ok, {});
    // Two pairs swapping names: no file lost, none left under a temporary name.
    row("renaming round a circle killed at each of its steps", "circle", "*", ok, {});
    row("trash killed between two files", "trash", "before 3", ok,
        stopped("Delete", "3 done, removed 1"));
    row("trash killed, its records of files done not on disk", "trash", "after 3", ok,
        stopped("Delete", "4 done, removed 1"), true);
    row("delete killed, its records of files done not on disk", "delete", "after 3", ok,
        stopped("Delete", "4 done"), true);
}

// The batch runs in a program of its own, which is killed where the row says (a power cut
// also loses the records not yet flushed); the next start tells what was done, finishes or
// removes what the batch left half-made, and on the user's word takes the batch back: every
// file as it was, byte for byte, and once.
void TestUndo::killedBatch()
{
    QFETCH(QString, kind);
    QFETCH(QString, killAt);
    QFETCH(bool, recordsLost);
    QFETCH(platform::Answer, answer);
    QFETCH(QString, told);
    std::optional<faults::ScratchVolume> volume;
    if (kind == "move")
        volume.emplace(path("out"), 16 * 1024);
    const bool sweep = killAt == "*";
    const bool renumber = kind == "renumber";
    const bool circle = kind == "circle";
    QStringList arguments { path("state"), renumber || circle ? "rename" : kind,
        volume && !volume->isMounted() ? "1" : "0" };
    QMap<QString, QByteArray> sums;
    // A RAW file that goes with the JPEG before it; the killing at every call, on the pair; a
    // renumbering, each picture taking the next one's name, the last the first one's.
    const QStringList names = sweep && circle
        ? QStringList { "p0.jpg", "p0.CR2", "p1.jpg", "p1.CR2" }
        : sweep              ? QStringList { "p1.jpg", "p1.CR2" }
        : renumber || circle ? QStringList { "p0.jpg", "p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg" }
                             : QStringList { "p0.jpg", "p1.jpg", "p1.CR2", "p3.jpg", "p4.jpg" };
    for (int i = 0; i < names.size(); ++i) {
        const QString from = "pics/" + names.at(i);
        QByteArray bytes(300000 + i, Qt::Uninitialized);
        for (qsizetype n = 0; n < bytes.size(); ++n)
            bytes[n] = char((n * (i + 3)) % 251);
        sums.insert(from, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256));
        // Round a circle: the next picture's name, or, pair by pair, the other pair's.
        const qsizetype other = sweep ? i ^ 2 : (i + 1) % names.size();
        arguments << path(from)
                  << (circle                    ? path("pics/" + names.at(other))
                             : renumber         ? path(QStringLiteral("pics/p%1.jpg").arg(i + 1))
                             : kind == "rename" ? path(QStringLiteral("pics/n%1.jpg").arg(i))
                             : kind == "move"   ? path("out/" + names.at(i))
                                                : QString("-"));
    }
    // The pictures written afresh, and nothing else in the folders of the batch.
    const auto reset = [&] {
        for (const char *folder : { "pics", "state", "home" })
            QDir(path(folder)).removeRecursively();
        for (const QString &file : faults::filesUnder(path("out")))
            QFile::remove(path("out/" + file));
        // The trash stays the test's own, never one at the top of the volume.
        QDir().mkpath(path("home/.local/share"));
        QDir().mkpath(path("pics"));
        for (int i = 0; i < sums.size(); ++i) {
            QByteArray bytes(300000 + i, Qt::Uninitialized);
            for (qsizetype n = 0; n < bytes.size(); ++n)
                bytes[n] = char((n * (i + 3)) % 251);
            if (!testpictures::writeBytes(path("pics/" + names.at(i)), bytes))
                return false;
        }
        return true;
    };
    // Every picture under the pictures' folder and the one they went to, by its checksum.
    const auto checksums = [&] {
        QMap<QString, QByteArray> found;
        for (const char *folder : { "pics/", "out/" }) {
            for (const QString &file : faults::filesUnder(path(folder)))
                found.insert(folder + file,
                    QCryptographicHash::hash(
                        testpictures::bytes(path(folder + file)), QCryptographicHash::Sha256));
        }
        return found;
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", path("home"));
    environment.insert("XDG_DATA_HOME", path("home/.local/share"));
    // Runs the batch and kills it at the stop named, or at the stop of that number; without
    // one, it runs to its end. The number of stops made.
    const auto run = [&](const QString &stop, int stopNumber, const QStringList &tracer = {}) {
        QProcess child;
        child.setProcessEnvironment(environment);
        const QStringList command = tracer + QStringList(RAVELIN_UNDO_CHILD) + arguments;
        child.start(command.first(), command.mid(1));
        if (!child.waitForStarted())
            return -1;
        for (int stops = 0;; ++stops) {
            while (!child.canReadLine()) {
                if (!child.waitForReadyRead(10000)) {
                    child.waitForFinished();
                    return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0
                            && stop.isEmpty() && stopNumber < 0
                        ? stops
                        : -1;
                }
            }
            const QString at = QString::fromUtf8(child.readLine()).trimmed();
            if (at == stop || stops == stopNumber) {
                child.kill();
                child.waitForFinished();
                return child.exitStatus() == QProcess::CrashExit ? stops : -1;
            }
            if (child.write("\n") != 1)
                return -1;
        }
    };
    // Only the plan, as a power cut leaves the journal when its last records did not reach
    // the disk.
    const auto loseRecords = [&] {
        const QString journalPath = path("state/last-batch.journal");
        QByteArrayList lines = testpictures::bytes(journalPath).split('\n');
        lines.removeIf([](const QByteArray &line) {
            return !line.contains(R"("r":"batch")") && !line.contains(R"("r":"plan")");
        });
        return testpictures::writeBytes(journalPath, lines.join('\n') + '\n');
    };

    if (sweep) {
        const QString strace = QStandardPaths::findExecutable("strace");
        if (strace.isEmpty())
            QSKIP("strace is needed to count the journal's flushes");
        QVERIFY(reset());
        // LeakSanitizer stops the program through ptrace at its end, which strace holds.
        const QString sanitizer = environment.value("ASAN_OPTIONS");
        environment.insert("ASAN_OPTIONS", sanitizer + ":detect_leaks=0");
        const QString log = path("trace.log");
        const int stops = run(
            {}, -1, { strace, "-f", "-y", "-qq", "-e", "trace=fsync,fdatasync,write", "-o", log });
        environment.insert("ASAN_OPTIONS", sanitizer);
        QVERIFY(stops > 0);
        // The plan reaches the disk before the first file is touched, the records at the end,
        // and the journal is flushed at most a few times for a whole batch.
        const QStringList trace = QString::fromUtf8(testpictures::bytes(log)).split('\n');
        QList<int> journalSyncs;
        int firstStop = -1;
        int lastWrite = -1;
        for (int n = 0; n < trace.size(); ++n) {
            const QString &line = trace.at(n);
            if (line.contains(
                    QRegularExpression(R"(\b(fsync|fdatasync)\(\d+<[^>]*last-batch\.journal)")))
                journalSyncs.append(n);
            if (firstStop < 0 && line.contains("\"before 0\\n\""))
                firstStop = n;
            if (line.contains("write(")
                && (line.contains("\"after ") || line.contains("r\\\":\\\"end")))
                lastWrite = n;
        }
        QVERIFY2(!journalSyncs.isEmpty() && firstStop > 0 && journalSyncs.first() < firstStop,
            qPrintable(trace.join('\n')));
        QVERIFY2(journalSyncs.last() > lastWrite, qPrintable(trace.join('\n')));
        QVERIFY2(journalSyncs.size() <= 3, qPrintable(trace.join('\n')));
        QFile::remove(log);

        for (int stop = 0; stop < stops; ++stop) {
            QVERIFY(reset());
            QVERIFY(run({}, stop) == stop);
            QSet<QString> twice;
            for (const QString &name : names) {
                if (QFileInfo::exists(path("pics/" + name))
                    && QFileInfo::exists(path("out/" + name)))
                    twice.insert(name);
            }
            // The recovery as the start runs it (its wording is the rows' above), then the undo
            // from the journal as the recovery left it, as Edit > Undo takes it later.
            const flows::Recovery found = flows::recover(m_fs);
            QCOMPARE(found.found, flows::Recovery::Found::Stopped);
            QCOMPARE(found.copies.finished.size(), twice.size());
            QVERIFY(found.copies.kept.isEmpty());
            for (const QString &file : found.cleaned)
                QVERIFY2(platform::isPartialCopyName(QFileInfo(file).fileName()), qPrintable(file));
            const journal::Reading reading = journal::read(journal::pathFor(m_fs));
            QCOMPARE(reading.status, journal::Reading::Status::Whole);
            journal::Recorder recorder(m_fs);
            QVERIFY(recorder.resume());
            const jobs::JobReport undone = undo::undoBatch(reading.batch, m_fs, recorder);
            QCOMPARE(failures(undone), QStringList());
            QVERIFY2(checksums() == sums, qPrintable(QString::number(stop)));
        }
        return;
    }

    QVERIFY(reset());
    QCOMPARE(checksums(), sums);
    QVERIFY(run(killAt, -1) >= 0);
    QVERIFY(checksums() != sums);
    if (recordsLost)
        QVERIFY(loseRecords());

    const bool edited = told.contains("changed ");
    if (edited) {
        QFile file(path("pics/n1.jpg"));
        QVERIFY(file.open(QIODevice::Append) && file.write("!") == 1);
    }
    const bool differs = told.contains("kept ");
    if (differs) {
        QFile file(path("out/p3.jpg"));
        const QDateTime modified = QFileInfo(file).lastModified();
        QVERIFY(file.open(QIODevice::ReadWrite) && file.write("!") == 1
            && file.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    // What a stop in the middle of writing a record in the trash leaves.
    if (kind == "trash")
        QVERIFY(testpictures::writeBytes(path(trashInfo + "p4.jpg.trashinfo"), {}));

    const flows::Recovery found = flows::recover(m_fs);
    QString shown = undo::batchName(found.batch.kind, found.files) + ": "
        + QString::number(found.done) + " done";
    if (!found.cleaned.isEmpty())
        shown += ", removed " + QString::number(found.cleaned.size());
    if (!found.copies.finished.isEmpty())
        shown += ", finished " + QString::number(found.copies.finished.size());
    for (const auto &[from, to] : found.copies.kept)
        shown += ", kept " + QDir(path()).relativeFilePath(from) + " and "
            + QDir(path()).relativeFilePath(to);
    for (const jobs::Failure &file : found.changed)
        shown += ", changed " + QDir(path()).relativeFilePath(file.path);
    QCOMPARE(shown, told);
    const QString journalPath = journal::pathFor(m_fs);
    if (edited) {
        // Nothing of it is undone, and its journal is set aside.
        QCOMPARE(found.found, flows::Recovery::Found::Changed);
        QCOMPARE(found.changed.first().reason, platform::errorText(FsError::ChangedSince));
        QVERIFY(found.setAsideAs.startsWith(journalPath) && !QFileInfo::exists(journalPath));
        QVERIFY(QFileInfo::exists(path("pics/n0.jpg")));
        return;
    }
    QCOMPARE(found.found, flows::Recovery::Found::Stopped);
    if (kind == "delete")
        return;
    for (const QString &file : faults::filesUnder(path("out")))
        QVERIFY2(!platform::isPartialCopyName(QFileInfo(file).fileName()), qPrintable(file));
    // No record of a file that never went to the trash is left in it.
    for (const QString &file : faults::filesUnder(path("home")))
        QVERIFY2(QFileInfo(path("home/" + file)).size() > 0, qPrintable(file));
    if (differs) {
        QVERIFY(QFileInfo::exists(path("pics/p3.jpg")) && QFileInfo::exists(path("out/p3.jpg")));
        return;
    }
    QVERIFY(found.canUndo());
    if (answer == platform::Answer::Cancel) {
        // Left for later, nothing changed: Edit > Undo offers it, the next start asks nothing.
        const QMap<QString, QByteArray> left = checksums();
        flows::leaveStoppedUndo(found, m_fs);
        const journal::Reading reading = journal::read(journalPath);
        QVERIFY(reading.batch.canUndo());
        QCOMPARE(undo::picturesToUndo(reading.batch), 1);
        QCOMPARE(flows::recover(m_fs).found, flows::Recovery::Found::Nothing);
        // Its undo stopped before it took anything back, and left too: it is not asked about
        // again, and, as after any undo, Edit > Undo offers nothing.
        journal::Recorder recorder(m_fs);
        QVERIFY(recorder.resume());
        recorder.undoBegun();
        const flows::Recovery undoing = flows::recover(m_fs);
        QVERIFY(undoing.undoing && undoing.canUndo());
        flows::leaveStoppedUndo(undoing, m_fs);
        QCOMPARE(flows::recover(m_fs).found, flows::Recovery::Found::Nothing);
        QVERIFY(!journal::read(journalPath).batch.canUndo());
        QCOMPARE(checksums(), left);
        return;
    }
    journal::Recorder recorder(m_fs);
    QVERIFY(recorder.resume());
    QCOMPARE(failures(undo::undoBatch(found.toTakeBack(), m_fs, recorder)), QStringList());
    QCOMPARE(checksums(), sums);
    QVERIFY(!journal::read(journalPath).batch.canUndo());
    // Nothing is found again at the next start.
    QCOMPARE(flows::recover(m_fs).found, flows::Recovery::Found::Nothing);
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
