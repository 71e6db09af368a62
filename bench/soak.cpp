#include "core/state/gridcells.h"
#include "environment.h"
#include "memory.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"
#include "ui/main/frmmain.h"
#include "ui/widgets/filelistbox.h"
#include "ui/widgets/folderlistbox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QListWidget>
#include <QTemporaryDir>
#include <cstdio>

// Long use: cycles of open a 1000-picture folder, build its grid, Select All, preview a
// picture, close it, Select None and switch to another folder. Resident memory after the
// first cycles and at the end must differ by less than the allowed growth.
//   bench_soak [cycles] [pictures]

namespace
{
constexpr int defaultCycles = 200;
constexpr int defaultPictures = 1000;
constexpr int otherFolderPictures = 12;
constexpr int warmUpCycles = 10;
constexpr int reportEvery = 25;
constexpr double allowedGrowthPct = 5.0;
constexpr QSize pictureSize(640, 480);

bool writePictures(const QString &folder, int count)
{
    if (!QDir().mkpath(folder))
        return false;
    QImage image(pictureSize, QImage::Format_RGB32);
    for (int i = 0; i < count; ++i) {
        image.fill(QColor::fromHsv((i * 37) % 360, 200, 90 + i % 160));
        const QString name = QStringLiteral("DSC%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
        if (!image.save(QDir(folder).filePath(name), "JPEG", 85))
            return false;
    }
    return true;
}

// What the event loop does between two user actions: widgets unloaded by the last action
// are deleted.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

bool cycle(frmMain &w, const QString &pictures, const QString &other, int round)
{
    if (!control<FolderListBox>(w, "Dir1").setPath(pictures)
        || !control<ThumbnailGrid>(w).cells().waitUntilBuilt(600000))
        return false;
    settle();
    control<QAction>(w, "mnuEditSelectAll").trigger();
    control<PicturePreview>(w).Image1_DblClick(round % control<FileListBox>(w, "File1").count());
    settle();
    control<PicturePreview>(w).Image4_Click();
    control<QAction>(w, "mnuEditSelectNone").trigger();
    const bool switched = control<FolderListBox>(w, "Dir1").setPath(other);
    settle();
    return switched;
}
} // namespace

int main(int argc, char *argv[])
{
    setBenchEnvironment();
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int cycles = args.size() > 1 ? args[1].toInt() : defaultCycles;
    const int count = args.size() > 2 ? args[2].toInt() : defaultPictures;
    if (cycles <= warmUpCycles || count < 1) {
        std::fprintf(stderr, "usage: bench_soak [cycles > %d] [pictures]\n", warmUpCycles);
        return 2;
    }

    QTemporaryDir dir;
    const QString pictures = QDir::toNativeSeparators(dir.filePath(QStringLiteral("pictures")));
    const QString other = QDir::toNativeSeparators(dir.filePath(QStringLiteral("other")));
    std::printf(
        "soak: writing %d pictures of %dx%d\n", count, pictureSize.width(), pictureSize.height());
    std::fflush(stdout);
    if (!dir.isValid() || !writePictures(pictures, count)
        || !writePictures(other, otherFolderPictures)) {
        std::fprintf(stderr, "soak: cannot write the pictures\n");
        return 2;
    }

    FakeServices services;
    const QtPictureLoader loader;
    frmMain w(services, loader);
    if (!w.Form_Load())
        return 2;
    w.show();
    settle();

    QElapsedTimer clock;
    clock.start();
    double start = 0;
    for (int i = 1; i <= cycles; ++i) {
        if (!cycle(w, pictures, other, i) || control<ThumbnailGrid>(w).cells().count() >= count
            || !services.boxesFake.shown.empty()) {
            std::fprintf(stderr, "soak: cycle %d left the grid or a message behind\n", i);
            return 1;
        }
        if (i == warmUpCycles) {
            start = benchmemory::residentMb();
            std::printf("soak: after %d cycles rss=%.1f MB\n", i, start);
        } else if (i % reportEvery == 0) {
            std::printf("soak: cycle %d rss=%.1f MB, %.0f ms a cycle\n", i,
                benchmemory::residentMb(), double(clock.elapsed()) / i);
        }
        std::fflush(stdout);
    }
    const double end = benchmemory::residentMb();
    const double growth = (end - start) / start * 100.0;
    std::printf("soak: at the end rss=%.1f MB, peak %.1f MB\n", end, benchmemory::peakMb());
    std::printf("soak: cycles=%d rss_start_mb=%.1f rss_end_mb=%.1f growth_pct=%.2f\n", cycles,
        start, end, growth);
    return growth < allowedGrowthPct ? 0 : 1;
}
