#include "core/files/safemove.h"
#include "support/faultsupport.h"
#include "support/testpictures.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace
{
const QDateTime oldTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
const QString alreadyThere = QStringLiteral("A file of that name is already there.");

// Bytes that differ from block to block, so a misplaced block shows.
QByteArray noise(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 % 251);
    return bytes;
}
} // namespace

// The platform move: a rename on one volume, a checked copy across volumes, and never a
// lost or replaced file. Copies go to a volume of their own where the test may mount one
// (root); elsewhere the move is told to copy. Filling a real disk is tried through the move
// window.
class TestSafeMove : public QObject
{
    Q_OBJECT

private slots:
    void move_data();
    void move();
};

// pics/a.jpg moved, with out/taken.jpg already there.
void TestSafeMove::move_data()
{
    QTest::addColumn<bool>("copy");
    // Of the source; -1 for none, -2 for a symbolic link to out/taken.jpg, -3 for a named
    // pipe.
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("error");
    // An errno value the disk answers from failAt on (with none, it takes at most failAt
    // bytes a write), -1 for a file that takes the name just before the finished copy would,
    // or -2 for another program writing into the source once failAt bytes are copied (-3: and
    // then putting its modification time back).
    QTest::addColumn<int>("fault");
    QTest::addColumn<qsizetype>("failAt");
    const auto row = [](const QString &tag, bool copy, qsizetype size, const char *to,
                         const QString &error = {}, int fault = 0, qsizetype failAt = 0) {
        QTest::newRow(qPrintable(tag)) << copy << size << QString(to) << error << fault << failAt;
    };
    row("rename on one volume", false, 3000, "out/a.jpg");
    row("copy, several blocks", true, 2500000, "out/a.jpg");
    row("copy, empty file", true, 0, "out/a.jpg");
    row("copy, every write short", true, 2500000, "out/a.jpg", {}, 0, 333333);
    for (const qsizetype special : { -2, -3 }) {
        row(special == -2 ? "copy: source is a symbolic link" : "copy: source is a named pipe",
            true, special, "out/a.jpg", "Only plain files can be moved to another drive.");
    }
    for (const bool copy : { false, true }) {
        const QString way = copy ? "copy: " : "rename: ";
        row(way + "destination exists", copy, 1000, "out/taken.jpg", alreadyThere);
        row(way + "onto itself", copy, 1000, "pics/a.jpg", alreadyThere);
        row(way + "source gone", copy, -1, "out/a.jpg", "The file is no longer there.");
        row(way + "no destination", copy, 1000, "", "No destination was chosen.");
        row(way + "folder gone", copy, 1000, "gone/a.jpg", "The destination folder is not there.");
    }
    const qsizetype big = 3000000;
    row("disk fills half-way", true, big, "out/a.jpg", "The destination disk is full.", ENOSPC,
        big / 2);
    row("disk fails at once", true, big, "out/a.jpg", QString::fromLocal8Bit(std::strerror(EIO)),
        EIO);
    row("destination appears meanwhile", true, big, "out/a.jpg", alreadyThere, -1);
    for (const int edit : { -2, -3 }) {
        row(edit == -2 ? "source edited meanwhile, same size" : "source edited, its time put back",
            true, big, "out/a.jpg", "The file changed while it was being moved.", edit, big / 2);
    }
}

void TestSafeMove::move()
{
    QFETCH(bool, copy);
    QFETCH(qsizetype, size);
    QFETCH(QString, to);
    QFETCH(QString, error);
    QFETCH(int, fault);
    QFETCH(qsizetype, failAt);
    TestFolders dir;
    dir.make("pics", {});
    dir.make("out", {});
    std::optional<faults::ScratchVolume> volume;
    if (copy)
        volume.emplace(dir.path("out"), 16 * 1024);
    // Writes a file with an old modification time.
    const auto write = [&](const QString &relative, const QByteArray &bytes) {
        return testpictures::writeBytes(dir.path(relative), bytes)
            && testpictures::setModified(dir.path(relative), oldTime);
    };
    const QByteArray taken("someone else's file");
    QByteArray bytes = size >= 0 ? noise(size) : size == -2 ? taken : QByteArray();
    QVERIFY(write("out/taken.jpg", taken));
    if (size >= 0)
        QVERIFY(write("pics/a.jpg", bytes));
    if (size == -2)
        QVERIFY(QFile::link(dir.path("out/taken.jpg"), dir.path("pics/a.jpg")));
    if (size == -3)
        QCOMPARE(::mkfifo(QFile::encodeName(dir.path("pics/a.jpg")).constData(), 0600), 0);
    const auto permissions
        = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(size < 0 || QFile::setPermissions(dir.path("pics/a.jpg"), permissions));

    platform::MoveHooks hooks;
    hooks.alwaysCopy = copy && !volume->isMounted();
    qint64 partialSize = -1;
    if (fault == 0 && failAt > 0) {
        hooks.writeFault = [&](qint64, qint64 &length) {
            length = std::min(length, failAt);
            return 0;
        };
    } else if (fault > 0) {
        hooks.writeFault = [&](qint64 offset, qint64 &length) {
            if (offset < failAt) {
                length = std::min(length, failAt - offset);
                return 0;
            }
            // The copy has really begun beside the destination.
            const QStringList files = dir.files();
            if (files.size() == 3)
                partialSize = QFileInfo(dir.path(files.first())).size();
            return fault;
        };
    } else if (fault == -1) {
        hooks.beforePlace = [&] { QVERIFY(write(to, taken)); };
    } else if (fault <= -2) {
        // Eight zero bytes written in place, keeping the size.
        bytes.replace(8, 8, QByteArray(8, '\0'));
        hooks.writeFault = [&, edited = false](qint64 offset, qint64 &) mutable {
            if (offset >= failAt && !edited) {
                edited = true;
                QProcess::execute("dd",
                    { "if=/dev/zero", "of=" + dir.path("pics/a.jpg"), "bs=8", "count=1", "seek=1",
                        "conv=notrunc", "status=none" });
                // Some programs put the modification time back after an edit.
                if (fault == -3 && !write("pics/a.jpg", bytes))
                    return EIO;
            }
            return 0;
        };
    }
    const faults::Watchdog watchdog(std::chrono::seconds(20));
    const platform::FsResult result = platform::safeMoveFile(
        dir.path("pics/a.jpg"), to.isEmpty() ? QString() : dir.path(to), hooks);

    QCOMPARE(result.error, error);
    QCOMPARE(result.ok, error.isEmpty());
    if (!result.ok) {
        // The source and the files already there are kept as they were, and no partial copy
        // is left beside them.
        QCOMPARE(partialSize, fault > 0 ? failAt : -1);
        // (A pipe is not read: that would wait for a writer.)
        const QStringList compared
            = { size == -3 ? "out/taken.jpg" : "pics/a.jpg", "out/taken.jpg" };
        QCOMPARE(dir.bytes(compared), QByteArrayList({ size == -3 ? taken : bytes, taken }));
        QStringList kept = { "out/taken.jpg", "pics/a.jpg" };
        if (size == -1)
            kept.removeLast();
        if (fault == -1)
            kept.prepend(to);
        QCOMPARE(dir.files(), kept);
        QVERIFY(size < 0 || fault == -2
            || QFileInfo(dir.path("pics/a.jpg")).lastModified().toUTC() == oldTime);
        QVERIFY(fault != -1 || dir.bytes({ to }).first() == taken);
        return;
    }
    QCOMPARE(dir.files(), QStringList({ "out/a.jpg", "out/taken.jpg" }));
    QCOMPARE(dir.bytes({ "out/a.jpg" }).first(), bytes);
    const QFileInfo moved(dir.path("out/a.jpg"));
    QCOMPARE(moved.lastModified().toUTC(), oldTime);
    // Owner, group and others; the "user" bits depend on who runs the test.
    const int mask = 0x7077;
    QCOMPARE(moved.permissions() & mask, permissions & mask);
}

QTEST_GUILESS_MAIN(TestSafeMove)
#include "tst_safemove.moc"
