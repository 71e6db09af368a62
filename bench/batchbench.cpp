// SPDX-License-Identifier: GPL-3.0-or-later
// Times the batches on 1,000 pictures: a rename, a move on the same file system, a move to
// another one (a tmpfs it mounts when run as root), a delete to the trash, and the same on a
// FAT card image when one can be loop-mounted. Each batch runs with the journal and without
// it, beside a plain reference in the same run (mv, or a loop of rename(); gio trash for the
// trash), and the journal's flushes are counted and timed. One line a case, with medians of
// the runs; a kind ("rename", "move", "move-other-fs", "trash") runs that kind alone.
//   batchbench [runs] [files] [kind]
#include "core/files/filesystem.h"
#include "core/flows/jobs.h"
#include "core/flows/journal.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{
std::atomic<int> flushes { 0 };
// The time the journal's flushes took, in nanoseconds.
std::atomic<qint64> flushing { 0 };
// The folder of the journal: the flushes of anything in it are the journal's.
QByteArray stateFolder;

bool journals(int fd)
{
    char link[4096];
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t length = ::readlink(proc.constData(), link, sizeof link);
    return length > 0 && !stateFolder.isEmpty()
        && QByteArray(link, int(length)).startsWith(stateFolder);
}

// A flush, counted and timed when it is the journal's.
int flush(long call, int fd)
{
    if (!journals(fd))
        return int(syscall(call, fd));
    QElapsedTimer timer;
    timer.start();
    const int result = int(syscall(call, fd));
    ++flushes;
    flushing += timer.nsecsElapsed();
    return result;
}
} // namespace

// Every flush of the journal, counted on its way to the system (those of the copies a move
// makes are the move's own).
extern "C" int fsync(int fd)
{
    return flush(SYS_fsync, fd);
}

extern "C" int fdatasync(int fd)
{
    return flush(SYS_fdatasync, fd);
}

namespace
{
constexpr int defaultRuns = 5;
constexpr int defaultFiles = 1000;
// A small camera JPEG's worth of bytes: the copies across file systems copy this much.
constexpr qsizetype pictureBytes = 64 * 1024;

struct StateFs : platform::QtFileSystem {
    QString state;
    QString stateFolder() const override { return state; }
};

struct Figures {
    QList<double> journaled;
    QList<double> plain;
    QList<double> reference;
    QList<int> fsyncs;
    QList<double> flushMs;
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

bool writePictures(const QString &folder, int files)
{
    QDir().mkpath(folder);
    const QByteArray bytes(pictureBytes, 'j');
    for (int i = 0; i < files; ++i) {
        QFile file(
            QDir(folder).filePath(QStringLiteral("DSC%1.JPG").arg(i, 5, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

QStringList filesIn(const QString &folder)
{
    QStringList paths;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

double timed(const std::function<void()> &run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return double(timer.nsecsElapsed()) / 1e6;
}

// A file system of its own for the run: a tmpfs, or a FAT image on a loop device.
class Mounted
{
public:
    Mounted(const QString &at, const QString &kind, const QString &scratch)
        : m_at(at)
    {
        QDir().mkpath(at);
        if (geteuid() != 0)
            return;
        if (kind == QLatin1String("tmpfs")) {
            m_mounted
                = ::mount("tmpfs", QFile::encodeName(at).constData(), "tmpfs", 0, "size=512m") == 0;
            return;
        }
        const QString image = scratch + QStringLiteral("/card.img");
        QFile file(image);
        if (QStandardPaths::findExecutable(QStringLiteral("mkfs.vfat")).isEmpty()
            || !file.open(QIODevice::WriteOnly) || !file.resize(qint64(256) << 20))
            return;
        file.close();
        m_mounted = QProcess::execute(QStringLiteral("mkfs.vfat"),
                        { QStringLiteral("-F"), QStringLiteral("32"), image })
                == 0
            && QProcess::execute(QStringLiteral("mount"),
                   { QStringLiteral("-o"), QStringLiteral("loop"), image, at })
                == 0;
    }
    ~Mounted()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_at).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

private:
    QString m_at;
    bool m_mounted = false;
};

void print(
    const char *kind, int files, const QString &fs, const Figures &figures, const char *reference)
{
    int most = 0;
    for (const int n : figures.fsyncs)
        most = std::max(most, n);
    const double journaled = median(figures.journaled);
    const double plain = median(figures.plain);
    const double ref = median(figures.reference);
    std::printf("batch: kind=%s files=%d fs=%s ms=%.1f plain_ms=%.1f reference_ms=%.1f "
                "fsyncs=%d fsync_ms=%.1f journal_ratio=%.2f reference_ratio=%.2f reference=%s\n",
        kind, files, qPrintable(fs), journaled, plain, ref, most, median(figures.flushMs),
        plain > 0 ? journaled / plain : 0, ref > 0 ? journaled / ref : 0, reference);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : defaultRuns;
    const int files = argc > 2 ? std::max(1, atoi(argv[2])) : defaultFiles;
    QTemporaryDir root(QDir::currentPath() + QStringLiteral("/batchbench-XXXXXX"));
    const QString base = root.path();
    StateFs fs;
    fs.state = base + QStringLiteral("/state");
    QDir().mkpath(fs.state);
    stateFolder = QFile::encodeName(fs.state);
    qputenv("XDG_DATA_HOME", QFile::encodeName(base + QStringLiteral("/data")));
    QDir().mkpath(base + QStringLiteral("/data"));

    Mounted tmpfs(base + QStringLiteral("/tmpfs"), QStringLiteral("tmpfs"), base);
    Mounted fat(base + QStringLiteral("/card"), QStringLiteral("vfat"), base);
    const QString local = QStringLiteral("ext4");
    if (!tmpfs.mounted())
        std::printf("batch: move to another file system skipped: mounting a tmpfs needs root\n");
    if (!fat.mounted())
        std::printf("batch: FAT card skipped: no FAT image could be loop-mounted here "
                    "(mkfs.vfat, loop devices and the vfat module are needed, and root)\n");

    // Each case: where the pictures are, where they go (empty for a rename or the trash).
    struct Case {
        const char *kind;
        QString fsName;
        QString from;
        QString to;
        bool mounted;
    };
    const QList<Case> cases {
        { "rename", local, base + "/pics", {}, true },
        { "move", local, base + "/pics", base + "/out", true },
        { "move-other-fs", QStringLiteral("ext4->tmpfs"), base + "/pics", base + "/tmpfs/out",
            tmpfs.mounted() },
        { "trash", local, base + "/pics", {}, true },
        { "rename", QStringLiteral("vfat"), base + "/card/pics", {}, fat.mounted() },
        { "move", QStringLiteral("vfat"), base + "/card/pics", base + "/card/out", fat.mounted() },
    };
    for (const Case &batch : cases) {
        if (!batch.mounted || (argc > 3 && qstrcmp(argv[3], batch.kind) != 0))
            continue;
        const bool rename = qstrcmp(batch.kind, "rename") == 0;
        const bool trash = qstrcmp(batch.kind, "trash") == 0;
        Figures figures;
        for (int run = 0; run < runs; ++run) {
            for (const int way : { 0, 1, 2 }) {
                QDir(batch.from).removeRecursively();
                if (!batch.to.isEmpty())
                    QDir(batch.to).removeRecursively();
                QDir(base + QStringLiteral("/data/Trash")).removeRecursively();
                if (!writePictures(batch.from, files)) {
                    std::printf("batch: kind=%s fs=%s: the pictures could not be written\n",
                        batch.kind, qPrintable(batch.fsName));
                    return 1;
                }
                if (!batch.to.isEmpty())
                    QDir().mkpath(batch.to);
                ::sync();
                const QStringList paths = filesIn(batch.from);
                QList<jobs::Target> targets;
                for (const QString &path : paths) {
                    const QString name = QFileInfo(path).fileName();
                    targets.append({ path,
                        rename ? QDir(batch.from).filePath(QStringLiteral("Holiday ") + name)
                               : QDir(batch.to).filePath(name) });
                }
                if (way == 2) {
                    // The plain reference.
                    figures.reference.append(timed([&] {
                        if (trash
                            && !QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty()) {
                            QProcess::execute(QStringLiteral("gio"),
                                QStringList { QStringLiteral("trash") } + paths);
                        } else if (rename || trash) {
                            const QString into = base + QStringLiteral("/data/Trash/files/");
                            QDir().mkpath(into);
                            for (const jobs::Target &target : targets)
                                ::rename(QFile::encodeName(target.from).constData(),
                                    QFile::encodeName(trash
                                            ? into + QFileInfo(target.from).fileName()
                                            : target.to)
                                        .constData());
                        } else {
                            QProcess::execute(QStringLiteral("mv"),
                                QStringList { QStringLiteral("-t"), batch.to } + paths);
                        }
                    }));
                    continue;
                }
                journal::Recorder recorder(fs);
                journal::Recorder *journal = way == 0 ? &recorder : nullptr;
                flushes = 0;
                flushing = 0;
                jobs::JobReport report;
                const double ms = timed([&] {
                    if (trash)
                        report = jobs::deleteFiles(paths, true, fs, journal);
                    else if (rename)
                        report = jobs::renameFiles(targets, fs, jobs::Pairs::Together, journal);
                    else
                        report = jobs::moveFiles(targets, fs, jobs::Pairs::Together, journal);
                });
                if (!report.failed.isEmpty()) {
                    std::printf("batch: kind=%s fs=%s: %lld files failed, the first: %s\n",
                        batch.kind, qPrintable(batch.fsName), qint64(report.failed.size()),
                        qPrintable(report.failed.first().reason));
                    return 1;
                }
                if (way == 0) {
                    figures.journaled.append(ms);
                    figures.fsyncs.append(flushes);
                    figures.flushMs.append(double(flushing) / 1e6);
                } else {
                    figures.plain.append(ms);
                }
            }
        }
        print(batch.kind, files, batch.fsName, figures,
            trash ? (QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty() ? "rename-loop"
                                                                                     : "gio-trash")
                : rename ? "rename-loop"
                         : "mv");
    }
    std::printf(
        "batch: targets: journal_ratio <= 1.5 for rename and move, trash reference_ratio <= 2, "
        "fsyncs <= %d (files / 64 + 3)\n",
        files / 64 + 3);
    return 0;
}
