// Measures how fast the main window builds its thumbnail grid for one folder, against
// vipsthumbnail on the same files, and how much memory the process needed for it.
#include "core/pictures/exifthumbnail.h"
#include "core/pictures/picturecache.h"
#include "core/pictures/pictureformats.h"
#include "core/pictures/pictureloader.h"
#include "core/pictures/sharedthumbnails.h"
#include "core/state/gridcells.h"
#include "environment.h"
#include "support/picturefolders.h"
#include "ui/main/frmmain.h"
#include "ui/widgets/filelistbox.h"
#include "ui/widgets/folderlistbox.h"
#include "ui/widgets/qtplatform.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentMap>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace
{

constexpr QSize thumbnailSize(100, 100);
constexpr int defaultRuns = 5;
constexpr int defaultVipsSample = 100;
// vipsthumbnail is steady and slow: three runs give its median.
constexpr int maxVipsRuns = 3;
constexpr int defaultTableSample = 20;
constexpr int defaultColdDiskRuns = 3;
constexpr int scrollSteps = 100;
// The cells the first screen shows, and how often the input probe posts.
constexpr int firstScreenCells = 20;
// Pictures djpeg decodes, one process each, spread over the folder.
constexpr int djpegSample = 60;
constexpr int probeIntervalMs = 5;
constexpr int buildTimeoutMs = 3600 * 1000;
constexpr double kilobytesPerMegabyte = 1024.0;
constexpr double bytesPerKilobyte = 1024.0;
constexpr double nanosecondsPerMillisecond = 1e6;
constexpr double microsecondsPerMillisecond = 1e3;
constexpr double millisecondsPerSecond = 1e3;

// The real services, except that the benchmark may run beside the program itself.
class BenchServices : public platform::Services
{
public:
    platform::MessageBoxes &boxes() override { return m_boxes; }
    platform::MousePointer &mouse() override { return m_mouse; }
    platform::FileSystem &fs() override { return m_fs; }
    platform::Drives &drives() override { return m_drives; }
    platform::Instance &instance() override { return m_instance; }
    platform::Program &program() override { return m_program; }

private:
    struct AlwaysFirst : platform::Instance {
        platform::InstanceClaim claim() override { return {}; }
    };
    platform::QtMessageBoxes m_boxes;
    platform::QtMousePointer m_mouse;
    platform::QtFileSystem m_fs;
    platform::QtDrives m_drives;
    AlwaysFirst m_instance;
    // Never claimed: ending has no lock to let go.
    platform::QtInstance m_unclaimed;
    platform::QtProgram m_program { m_unclaimed };
};

// The program's loader, counting the pictures it opens.
class CountedLoader : public PictureLoader
{
public:
    LoadedPicture load(const QString &path, QSize size) const override
    {
        ++m_reads;
        return m_real.load(path, size);
    }
    LoadedPicture loadFitted(const QString &path, int side) const override
    {
        ++m_reads;
        return m_real.loadFitted(path, side);
    }
    QDateTime takenTime(const QString &path) const override
    {
        ++m_reads;
        return m_real.takenTime(path);
    }
    int reads() const { return m_reads.load(); }
    void reset() { m_reads = 0; }

private:
    QtPictureLoader m_real;
    mutable std::atomic<int> m_reads { 0 };
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double millisecondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / nanosecondsPerMillisecond;
}

double toMilliseconds(const timeval &time)
{
    return double(time.tv_sec) * millisecondsPerSecond
        + double(time.tv_usec) / microsecondsPerMillisecond;
}

// Processor time of all the process's threads (RUSAGE_SELF) or of its ended children
// (RUSAGE_CHILDREN), to tell a busy machine from slow code.
double processorMilliseconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return toMilliseconds(usage.ru_utime) + toMilliseconds(usage.ru_stime);
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 2);
}

double peakRssMb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / kilobytesPerMegabyte; // kilobytes on Linux
}

// What the process has read so far, from /proc/self/io: read_bytes counts what came from the
// disk (read-ahead included, the page cache excluded), rchar every byte read() returned.
struct ReadCounts {
    qint64 disk = 0;
    qint64 calls = 0;
};

ReadCounts readCounts()
{
    QFile file(QStringLiteral("/proc/self/io"));
    ReadCounts counts;
    if (!file.open(QIODevice::ReadOnly))
        return counts;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() != 2)
            continue;
        if (fields[0] == "read_bytes")
            counts.disk = fields[1].trimmed().toLongLong();
        else if (fields[0] == "rchar")
            counts.calls = fields[1].trimmed().toLongLong();
    }
    return counts;
}

// How much of the files is in the page cache, in KiB.
qint64 residentKib(const QStringList &files)
{
    const long page = sysconf(_SC_PAGESIZE);
    qint64 pages = 0;
    for (const QString &path : files) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        const off_t size = lseek(fd, 0, SEEK_END);
        void *map
            = size > 0 ? mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, fd, 0) : MAP_FAILED;
        if (map != MAP_FAILED) {
            std::vector<unsigned char> resident(size_t((size + page - 1) / page));
            if (mincore(map, size_t(size), resident.data()) == 0)
                pages += std::count_if(
                    resident.begin(), resident.end(), [](unsigned char r) { return (r & 1) != 0; });
            munmap(map, size_t(size));
        }
        ::close(fd);
    }
    return pages * page / 1024;
}

// Drops the files from the page cache, as if they had just been put on a memory card; needs
// no special rights. Written pages are flushed first, since dirty pages cannot be dropped.
// Returns how much of them is still cached, in KiB.
qint64 dropFromPageCache(const QStringList &files)
{
    for (const QString &path : files) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        fdatasync(fd);
        posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
    return residentKib(files);
}

// JPEGs, and the HEIC, AVIF and camera RAW files the options window can add.
const QString morePatterns
    = QStringLiteral("*.jpg;*.jpeg;*.heic;*.heif;*.avif;") + pictureformats::rawPattern();

QStringList pictureFiles(const QString &folder)
{
    const QDir dir(folder);
    const QStringList patterns = morePatterns.split(QLatin1Char(';'));
    QStringList files;
    const QStringList names = dir.entryList(patterns, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : names)
        files.append(dir.filePath(name));
    return files;
}

QStringList spreadSample(const QStringList &files, int count)
{
    if (count <= 0 || count >= files.size())
        return files;
    QStringList sample;
    for (int i = 0; i < count; ++i)
        sample.append(files[static_cast<qsizetype>(qint64(i) * files.size() / count)]);
    return sample;
}

void readAll(const QStringList &files, qint64 limit = -1)
{
    for (const QString &path : files) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            (void)(limit < 0 ? file.readAll() : file.read(limit));
    }
}

QImage fullDecodeThenScale(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read().scaled(thumbnailSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage scaledDecode(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    reader.setScaledSize(turned ? thumbnailSize.transposed() : thumbnailSize);
    return reader.read();
}

QImage embeddedThumbnail(const QString &path)
{
    const exif::Header header = exif::read(path);
    if (!exif::usable(header, thumbnailSize))
        return {};
    return exif::oriented(header.thumbnail, header.orientation)
        .scaled(thumbnailSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// vipsthumbnail over the files in as many processes as the grid has decoding threads, each
// given an equal share in one call (as xargs -P runs them); -1 if it did not run. cpuMs
// receives the processor time of all of them.
double vipsMilliseconds(const QStringList &files, int processes, double *cpuMs)
{
    const QTemporaryDir out;
    const qsizetype share = (files.size() + processes - 1) / processes;
    const QStringList arguments { QStringLiteral("-0"), QStringLiteral("-P"),
        QString::number(processes), QStringLiteral("-n"), QString::number(share),
        QStringLiteral("vipsthumbnail"), QStringLiteral("--size"), QStringLiteral("100x100!"),
        QStringLiteral("-o"), out.path() + QStringLiteral("/%s.jpg") };
    QProcess vips;
    bool ok = false;
    const double cpuBefore = processorMilliseconds(RUSAGE_CHILDREN);
    const double ms = millisecondsOf([&] {
        vips.start(QStringLiteral("xargs"), arguments);
        vips.write(QFile::encodeName(files.join(QChar(0))) + '\0');
        vips.closeWriteChannel();
        ok = vips.waitForFinished(-1) && vips.exitStatus() == QProcess::NormalExit
            && vips.exitCode() == 0;
    });
    *cpuMs = processorMilliseconds(RUSAGE_CHILDREN) - cpuBefore;
    return ok ? ms : -1;
}

// Processor time per picture of libjpeg-turbo's own decoder, djpeg, at its smallest scale
// (1/8), one process a picture: what decoding a JPEG costs at the least, since its entropy
// data must be read whole at any scale; -1 if djpeg is missing or fails on a file.
double djpegCpuPerPicture(const QStringList &files)
{
    const double before = processorMilliseconds(RUSAGE_CHILDREN);
    for (const QString &path : files) {
        QProcess djpeg;
        djpeg.setStandardOutputFile(QProcess::nullDevice());
        djpeg.start(
            QStringLiteral("djpeg"), { QStringLiteral("-scale"), QStringLiteral("1/8"), path });
        if (!djpeg.waitForFinished(-1) || djpeg.exitStatus() != QProcess::NormalExit
            || djpeg.exitCode() != 0)
            return -1;
    }
    return (processorMilliseconds(RUSAGE_CHILDREN) - before) / double(qMax(1, int(files.size())));
}

// The median time per picture of work over the sample, on the given number of threads.
double perPicture(const QStringList &sample, int runs, int threads,
    const std::function<void(const QString &)> &work)
{
    QThreadPool pool;
    pool.setMaxThreadCount(threads);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        times.push_back(millisecondsOf([&] {
            if (threads == 1) {
                for (const QString &path : sample)
                    work(path);
            } else {
                QtConcurrent::blockingMap(&pool, sample, work);
            }
        }));
    }
    return median(times) / double(qMax(1, static_cast<int>(sample.size())));
}

void printRow(const char *what, double ms)
{
    if (ms < 0)
        std::printf("| %-58s | %8s |\n", what, "n/a");
    else
        std::printf("| %-58s | %8.2f |\n", what, ms);
}

struct GridFigures {
    int pictures = 0;
    int threads = 1;
    std::vector<double> colds;
    double firstScreenMs = 0;
    double inputMaxMs = 0;
    double secondLaunchMs = 0;
    int secondLaunchReads = 0;
    double selectAllMs = 0;
    double coldMs = 0;
    double warmMs = 0;
    double coldCpuMs = 0;
    int warmReads = 0;
    double scrollMs = 0;
    // Read by a cold build, KiB a picture: from the disk, and returned by read().
    double diskKib = 0;
    double readKib = 0;
};

// Input posted while the grid builds waits behind whatever the event loop is doing: the probe
// posts an event every few milliseconds and keeps the longest wait.
class InputProbe : public QObject
{
public:
    InputProbe() { post(); }
    double longestMs() const { return m_longestMs; }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != probeType)
            return QObject::event(event);
        m_longestMs
            = std::max(m_longestMs, double(m_posted.nsecsElapsed()) / nanosecondsPerMillisecond);
        QTimer::singleShot(probeIntervalMs, this, [this] { post(); });
        return true;
    }

private:
    static constexpr QEvent::Type probeType = QEvent::User;
    void post()
    {
        m_posted.start();
        QCoreApplication::postEvent(this, new QEvent(probeType));
    }
    QElapsedTimer m_posted;
    double m_longestMs = 0;
};

struct BuildTimes {
    double firstScreenMs = 0;
    double wholeMs = 0;
    double inputMaxMs = 0;
};

// Builds the grid as the View Thumbnails button does and shows it: the time until the first
// screen's cells show their pictures, and until the whole folder is read.
BuildTimes build(frmMain &window)
{
    BuildTimes times;
    QElapsedTimer clock;
    clock.start();
    const InputProbe probe;
    control<ThumbnailGrid>(window).ButtonLoadThumbs_Click();
    GridCells &cells = control<ThumbnailGrid>(window).cells();
    const int screen = std::min(firstScreenCells, cells.count());
    const auto screenShown = [&] {
        for (int i = 0; i < screen; ++i) {
            if (cells.cell(i).shown == GridCells::Shown::Pending)
                return false;
        }
        return true;
    };
    while (!screenShown())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window.repaint();
    times.firstScreenMs = double(clock.nsecsElapsed()) / nanosecondsPerMillisecond;
    (void)cells.waitUntilBuilt(buildTimeoutMs);
    QCoreApplication::sendPostedEvents();
    window.repaint();
    times.wholeMs = double(clock.nsecsElapsed()) / nanosecondsPerMillisecond;
    times.inputMaxMs = probe.longestMs();
    return times;
}

struct GridRuns {
    int runs = 1;
    // Runs just before each cold build (dropping the files from the page cache).
    std::function<void()> beforeBuild = [] {};
    // Runs after each run, so that the reference sees the same load on a shared machine as
    // the builds next to it.
    std::function<void(int)> afterRun = [](int) {};
    // Only the cold builds: no warm rebuild, no scrolling.
    bool coldOnly = false;
};

// A window as the program makes it, with the shared thumbnail cache under a folder of its own.
std::unique_ptr<frmMain> openWindow(platform::Services &services, const PictureLoader &loader,
    const QString &cacheRoot, const QString &folder)
{
    auto window = std::make_unique<frmMain>(services, loader);
    window->pictureCache().useShared(std::make_shared<SharedThumbnails>(cacheRoot));
    // Built only when asked, as with the View Thumbnails button.
    window->state().setThumbManual(true);
    if (!window->Form_Load())
        return {};
    // Every format the program reads, so that the RAW and HEIC folders are listed.
    window->state().setSettings({ .imageFormat = morePatterns, .thumbManual = true });
    window->show();
    if (!control<FolderListBox>(*window, "Dir1").setPath(folder))
        return {};
    // The last window may have left the folder to open at start: listed then with the
    // default formats, it is listed again with these.
    window->state().showFolder(folder);
    QCoreApplication::processEvents();
    return window;
}

GridFigures measureGrid(const QString &folder, const GridRuns &how)
{
    BenchServices services;
    CountedLoader loader;
    GridFigures figures;
    std::vector<double> firstScreen;
    std::vector<double> inputMax;
    std::vector<double> selectAll;
    std::unique_ptr<QTemporaryDir> cache;
    std::vector<double> coldCpu;
    std::vector<double> warm;
    std::vector<double> scroll;
    std::vector<double> disk;
    std::vector<double> read;
    for (int run = 0; run < how.runs; ++run) {
        // A new window has an empty cache, and so has the shared cache of each run.
        cache = std::make_unique<QTemporaryDir>();
        std::unique_ptr<frmMain> opened = openWindow(services, loader, cache->path(), folder);
        if (!opened)
            return {};
        frmMain &window = *opened;
        figures.pictures = control<FileListBox>(window, "File1").count();
        figures.threads = window.pictureCache().threadCount();
        const double pictures = qMax(1, figures.pictures);

        how.beforeBuild();
        loader.reset();
        const double cpuBefore = processorMilliseconds(RUSAGE_SELF);
        const ReadCounts readBefore = readCounts();
        const BuildTimes cold = build(window);
        figures.colds.push_back(cold.wholeMs);
        firstScreen.push_back(cold.firstScreenMs);
        inputMax.push_back(cold.inputMaxMs);
        coldCpu.push_back(processorMilliseconds(RUSAGE_SELF) - cpuBefore);
        const ReadCounts readAfter = readCounts();
        disk.push_back(double(readAfter.disk - readBefore.disk) / bytesPerKilobyte / pictures);
        read.push_back(double(readAfter.calls - readBefore.calls) / bytesPerKilobyte / pictures);
        std::printf("run %d: first screen %.0f ms, cold %.0f ms (processor time %.0f ms), input "
                    "waited at most %.1f ms, %.1f KiB a picture from the disk, %.1f KiB read",
            run + 1, firstScreen.back(), figures.colds.back(), coldCpu.back(), inputMax.back(),
            disk.back(), read.back());
        if (!how.coldOnly) {
            loader.reset();
            warm.push_back(build(window).wholeMs);
            figures.warmReads = qMax(figures.warmReads, loader.reads());
            const int last = control<QScrollBar>(window, "VBar").maximum();
            std::vector<double> steps;
            for (int step = 1; step <= scrollSteps; ++step) {
                steps.push_back(millisecondsOf([&] {
                    control<QScrollBar>(window, "VBar")
                        .setValue(static_cast<int>(qint64(last) * step / scrollSteps));
                    window.repaint();
                }));
            }
            scroll.push_back(median(steps));
            selectAll.push_back(millisecondsOf([&] {
                control<QAction>(window, "mnuEditSelectAll").trigger();
                window.repaint();
            }));
            control<QAction>(window, "mnuEditSelectNone").trigger();
            std::printf(", warm %.0f ms, %d reads when warm", warm.back(), loader.reads());
        }
        std::printf(", peak memory so far %.0f MB\n", peakRssMb());
        std::fflush(stdout);
        how.afterRun(run);
        if (run + 1 < how.runs || how.coldOnly)
            continue;
        // The program started again on the same folder: a new window, whose memory cache is
        // empty, with the shared cache the last run filled. The first one is gone by then, as
        // a new process would not have its memory.
        opened.reset();
        const std::unique_ptr<frmMain> again = openWindow(services, loader, cache->path(), folder);
        if (again) {
            loader.reset();
            figures.secondLaunchMs = build(*again).wholeMs;
            figures.secondLaunchReads = loader.reads();
            std::printf("second launch: %.0f ms, %d pictures decoded\n", figures.secondLaunchMs,
                figures.secondLaunchReads);
        }
    }
    figures.firstScreenMs = median(firstScreen);
    figures.inputMaxMs = median(inputMax);
    figures.selectAllMs = median(selectAll);
    figures.coldMs = median(figures.colds);
    figures.warmMs = median(warm);
    figures.coldCpuMs = median(coldCpu);
    figures.scrollMs = median(scroll);
    figures.diskKib = median(disk);
    figures.readKib = median(read);
    return figures;
}

// The grid built from a cold disk: before each build every file of the folder is dropped
// from the page cache. Prints whether the drop took; the figures are invalid when it did not.
GridFigures measureColdDisk(const QString &folder, const QStringList &files, int runs)
{
    qint64 stayed = 0;
    GridRuns how;
    how.runs = runs;
    how.coldOnly = true;
    how.beforeBuild = [&] { stayed = qMax(stayed, dropFromPageCache(files)); };
    std::printf("cold disk: the files are dropped from the page cache before each build\n");
    const GridFigures figures = measureGrid(folder, how);
    if (stayed > 0) {
        std::printf("cold disk: the drop did not take, %lld KiB of the files stayed cached\n",
            static_cast<long long>(stayed));
        return {};
    }
    std::printf("cold disk: %.1f MiB of the files in the page cache after the last build\n",
        double(residentKib(files)) / bytesPerKilobyte);
    return figures;
}

// The grid built cold in name order and in the order the pictures were taken, by turns in
// the same run (each a new window with a new shared cache), with the pictures read.
struct OrderFigures {
    double nameMs = 0;
    double dateMs = 0;
    int nameReads = 0;
    int dateReads = 0;
    // The order taken differed from the names' order.
    bool reordered = false;
    // A new window on the shared cache a cold build in name order filled, in each order.
    double nameSecondMs = 0;
    double dateSecondMs = 0;
    int nameSecondReads = 0;
    int dateSecondReads = 0;
};

OrderFigures measureOrder(const QString &folder, int runs)
{
    BenchServices services;
    CountedLoader loader;
    OrderFigures figures;
    std::vector<double> byName;
    std::vector<double> byDate;
    for (int run = 0; run < runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            // Each goes first in every other run.
            const bool byTaken = (run + turn) % 2 == 1;
            const QTemporaryDir cache;
            const std::unique_ptr<frmMain> window
                = openWindow(services, loader, cache.path(), folder);
            if (!window)
                return {};
            BrowserSettings settings = window->state().settings();
            settings.orderByTaken = byTaken;
            window->state().setSettings(settings);
            loader.reset();
            const double ms = build(*window).wholeMs;
            (byTaken ? byDate : byName).push_back(ms);
            int &reads = byTaken ? figures.dateReads : figures.nameReads;
            reads = std::max(reads, loader.reads());
            const GridCells &cells = control<ThumbnailGrid>(*window).cells();
            if (byTaken)
                figures.reordered = figures.reordered || cells.names() != cells.listedNames();
            std::printf("order run %d: %s %.0f ms, %d pictures read\n", run + 1,
                byTaken ? "date" : "name", ms, loader.reads());
            std::fflush(stdout);
        }
    }
    figures.nameMs = median(byName);
    figures.dateMs = median(byDate);
    // A second launch on the shared cache a cold build filled: its entries say when their
    // pictures were taken.
    const QTemporaryDir cache;
    for (const int launch : { 0, 1, 2 }) {
        const std::unique_ptr<frmMain> window = openWindow(services, loader, cache.path(), folder);
        if (!window)
            return {};
        BrowserSettings settings = window->state().settings();
        settings.orderByTaken = launch == 2;
        window->state().setSettings(settings);
        loader.reset();
        const double ms = build(*window).wholeMs;
        if (launch == 1) {
            figures.nameSecondMs = ms;
            figures.nameSecondReads = loader.reads();
        } else if (launch == 2) {
            figures.dateSecondMs = ms;
            figures.dateSecondReads = loader.reads();
        }
    }
    return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    setBenchEnvironment();
    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the thumbnail grid on a folder."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("A folder of JPEGs."));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Runs (median)."),
        QStringLiteral("n"), QString::number(defaultRuns));
    const QCommandLineOption vipsOption(QStringLiteral("vips-sample"),
        QStringLiteral("Files vipsthumbnail runs on, spread over the folder; 0 for all."),
        QStringLiteral("n"), QString::number(defaultVipsSample));
    const QCommandLineOption tableOption(QStringLiteral("table-sample"),
        QStringLiteral("Files the per-picture table is measured on; 0 for no table."),
        QStringLiteral("n"), QString::number(defaultTableSample));
    const QCommandLineOption coldDiskOption(QStringLiteral("cold-disk-runs"),
        QStringLiteral("Builds from a cold disk, each after dropping the folder's files from the "
                       "page cache; 0 for none."),
        QStringLiteral("n"), QString::number(defaultColdDiskRuns));
    const QCommandLineOption orderOption(QStringLiteral("order-runs"),
        QStringLiteral("Cold builds in name order and in the order the pictures were taken, by "
                       "turns, after the rest; 0 for none."),
        QStringLiteral("n"), QStringLiteral("0"));
    parser.addOptions({ runsOption, vipsOption, tableOption, coldDiskOption, orderOption });
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(1);

    const QString folder = QDir(parser.positionalArguments().constFirst()).absolutePath();
    const int runs = qMax(1, parser.value(runsOption).toInt());
    const QStringList files = pictureFiles(folder);
    if (files.isEmpty()) {
        std::fprintf(stderr, "gridbench: no picture files in %s\n", qPrintable(folder));
        return 1;
    }
    const QString platform = QGuiApplication::platformName();
    // The reference gets as many processes as the grid has decoding threads.
    const QtPictureLoader threadLoader;
    const int threads = PictureCache(threadLoader, thumbnailSize).threadCount();
    std::printf("== %s: %lld pictures, %d runs, platform %s, %d decoding threads, load average "
                "%s\n",
        qPrintable(folder), static_cast<long long>(files.size()), runs, qPrintable(platform),
        threads, qPrintable(loadAverage()));
    std::fflush(stdout);

    // Every figure but the cold disk's is taken with the files in the page cache.
    readAll(files);

    // The grid first, so that the peak memory is the grid's own; vipsthumbnail between runs.
    const QStringList vipsFiles = spreadSample(files, parser.value(vipsOption).toInt());
    std::vector<double> vipsTimes;
    std::vector<double> vipsCpu;
    GridRuns inMemory;
    inMemory.runs = runs;
    inMemory.afterRun = [&](int run) {
        if (run >= maxVipsRuns)
            return;
        double cpu = 0;
        vipsTimes.push_back(vipsMilliseconds(vipsFiles, threads, &cpu));
        vipsCpu.push_back(cpu);
    };
    const GridFigures grid = measureGrid(folder, inMemory);
    if (grid.colds.empty()) {
        std::fprintf(stderr, "gridbench: the main window could not open %s\n", qPrintable(folder));
        return 1;
    }
    const double peakMb = peakRssMb();

    // The same pictures through the cache alone, without cells: once, after the peak is taken.
    double decodeMs = 0;
    {
        const QtPictureLoader loader;
        PictureCache cache(loader, thumbnailSize);
        decodeMs = millisecondsOf([&] { (void)cache.thumbnails(files); });
    }

    const bool vipsRan = *std::min_element(vipsTimes.begin(), vipsTimes.end()) >= 0;
    const double vipsPerPicture = vipsRan ? median(vipsTimes) / double(vipsFiles.size()) : -1;
    const double vipsMs = vipsRan ? vipsPerPicture * double(grid.pictures) : -1;
    // Each build against the reference run next to it.
    std::vector<double> ratios;
    for (size_t run = 0; vipsRan && run < vipsTimes.size(); ++run) {
        ratios.push_back(
            grid.colds[run] / (vipsTimes[run] / double(vipsFiles.size()) * double(grid.pictures)));
    }
    if (vipsRan)
        std::printf("vipsthumbnail: %lld of the %lld files in %d processes, %.1f ms a picture "
                    "(median)\n",
            static_cast<long long>(vipsFiles.size()), static_cast<long long>(files.size()), threads,
            vipsPerPicture);
    else
        std::printf("vipsthumbnail did not run (make bench installs libvips-tools)\n");

    const int tableSample = parser.value(tableOption).toInt();
    if (tableSample > 0) {
        const QStringList sample = spreadSample(files, tableSample);
        const bool embedded = !embeddedThumbnail(sample.constFirst()).isNull();
        std::printf("\nms per picture, %lld pictures, median of %d runs:\n",
            static_cast<long long>(sample.size()), runs);
        std::printf("| %-58s | %8s |\n|%s|%s|\n", "way to get a 100 x 100 thumbnail", "ms",
            QByteArray(60, '-').constData(), QByteArray(10, '-').constData());
        printRow("reading every byte of the file",
            perPicture(sample, runs, 1, [](const QString &p) { readAll({ p }); }));
        printRow("reading the first 16 KiB only", perPicture(sample, runs, 1, [](const QString &p) {
            readAll({ p }, exif::firstBlock);
        }));
        printRow(
            qPrintable(QStringLiteral("vipsthumbnail, %1 processes").arg(threads)), vipsPerPicture);
        printRow("Qt QImageReader, full decode then scale",
            perPicture(sample, runs, 1, [](const QString &p) { fullDecodeThenScale(p); }));
        printRow("QImageReader::setScaledSize, 1 thread",
            perPicture(sample, runs, 1, [](const QString &p) { scaledDecode(p); }));
        printRow("QImageReader::setScaledSize, 2 threads",
            perPicture(sample, runs, 2, [](const QString &p) { scaledDecode(p); }));
        printRow("decoding the embedded EXIF thumbnail, 1 thread",
            embedded ? perPicture(sample, runs, 1, [](const QString &p) { embeddedThumbnail(p); })
                     : -1);
        printRow("thumbnail cache alone, cold, no cells", decodeMs / double(files.size()));
        printRow(
            "the grid, cold, per picture (cells included)", grid.coldMs / double(grid.pictures));
        printRow("the grid, warm rebuild, per picture", grid.warmMs / double(grid.pictures));
    }

    std::printf("\ncells: a warm rebuild decodes nothing, so its %.0f ms are the cells' cost\n",
        grid.warmMs);
    std::printf("scrolling the grid: %.2f ms a step (median)\n", grid.scrollMs);
    // Wall times depend on how many cores the machine leaves free; processor times do not.
    const double vipsCpuMs
        = vipsRan ? median(vipsCpu) / double(vipsFiles.size()) * double(grid.pictures) : -1;
    if (vipsRan)
        std::printf("processor time: grid cold %.0f ms, vipsthumbnail %.0f ms, ratio %.3f\n",
            grid.coldCpuMs, vipsCpuMs, grid.coldCpuMs / vipsCpuMs);
    // The floor of a whole decode, against the reference's processor time.
    const double djpegMs = vipsRan ? djpegCpuPerPicture(spreadSample(files, djpegSample)) : -1;
    const bool djpegRan = djpegMs >= 0;
    const double djpegVsVips = djpegMs * double(grid.pictures) / vipsCpuMs;
    if (djpegRan)
        std::printf("processor time: djpeg -scale 1/8 %.1f ms a picture, %.3f of vipsthumbnail's\n",
            djpegMs, djpegVsVips);

    const int coldDiskRuns = parser.value(coldDiskOption).toInt();
    const GridFigures disk
        = coldDiskRuns > 0 ? measureColdDisk(folder, files, coldDiskRuns) : GridFigures {};
    const bool diskRan = !disk.colds.empty();
    const auto figure = [](bool valid, double value, int decimals) {
        return valid ? QString::number(value, 'f', decimals) : QStringLiteral("n/a");
    };

    std::printf("load average at the end: %s (%d cores)\n", qPrintable(loadAverage()),
        QThread::idealThreadCount());
    // cold: a new window, so an empty thumbnail cache, with the files in memory; cold_disk:
    // the same with the files dropped from the page cache first. The vips ratios compare the
    // cold build's wall time and processor time with vipsthumbnail's.
    std::printf(
        "grid: folder=%s platform=%s pictures=%lld threads=%d cold_ms=%.0f warm_ms=%.0f vips_ms=%s "
        "cold_vs_vips=%s cpu_vs_vips=%s cold_disk_ms=%s read_kib_per_picture=%s "
        "warm_reads=%d peak_rss_mb=%.0f first_screen_ms=%.0f input_max_ms=%.1f "
        "second_launch_ms=%.0f second_launch_decodes=%d select_all_ms=%.1f scroll_step_ms=%.2f "
        "djpeg_cpu_vs_vips=%s\n",
        qPrintable(QFileInfo(folder).fileName()), qPrintable(platform),
        static_cast<long long>(grid.pictures), threads, grid.coldMs, grid.warmMs,
        qPrintable(figure(vipsRan, vipsMs, 0)), qPrintable(figure(vipsRan, median(ratios), 3)),
        qPrintable(figure(vipsRan, grid.coldCpuMs / vipsCpuMs, 3)),
        qPrintable(figure(diskRan, disk.coldMs, 0)), qPrintable(figure(diskRan, disk.diskKib, 1)),
        grid.warmReads, peakMb, grid.firstScreenMs, grid.inputMaxMs, grid.secondLaunchMs,
        grid.secondLaunchReads, grid.selectAllMs, grid.scrollMs,
        qPrintable(figure(djpegRan, djpegVsVips, 3)));
    const int orderRuns = parser.value(orderOption).toInt();
    if (orderRuns > 0) {
        const OrderFigures order = measureOrder(folder, orderRuns);
        // cold_ms: the grid in the order the pictures were taken; name_cold_ms: in name order,
        // in the same run; reads: the pictures read (the time taken counted as a read of its
        // own), against name_reads; second_launch: a new window on the shared cache.
        std::printf("grid: folder=%s platform=%s order=date pictures=%lld runs=%d cold_ms=%.0f "
                    "name_cold_ms=%.0f date_vs_name=%.3f reads=%d name_reads=%d reordered=%s "
                    "second_launch_ms=%.0f name_second_launch_ms=%.0f second_launch_reads=%d "
                    "name_second_launch_reads=%d\n",
            qPrintable(QFileInfo(folder).fileName()), qPrintable(platform),
            static_cast<long long>(grid.pictures), orderRuns, order.dateMs, order.nameMs,
            order.nameMs > 0 ? order.dateMs / order.nameMs : 0.0, order.dateReads, order.nameReads,
            order.reordered ? "yes" : "no", order.dateSecondMs, order.nameSecondMs,
            order.dateSecondReads, order.nameSecondReads);
    }
    return 0;
}
