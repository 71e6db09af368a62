#include "core/files/filesystem.h"
#include "core/flows/journal.h"
#include "core/pictures/picturecache.h"
#include "core/pictures/sharedthumbnails.h"
#include "core/state/gridcells.h"
#include "environment.h"
#include "memory.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"
#include "ui/main/frmmain.h"
#include "ui/main/imagebox.h"
#include "ui/widgets/filelistbox.h"
#include "ui/widgets/folderlistbox.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <cstdio>

// Peak memory of the grid and of a preview for every hostile sample picture in one folder
// (truncated and fuzzed files, wrong extensions, headers declaring absurd sizes), with the
// hostile cases made at run time (scan, icon and PNG bombs, a 20 GB sparse file, links to a
// FIFO and to devices), and then each of those alone, as a picture and as a shared-cache entry.
//   bench_hostile [folder [threads]]   (default: the samples kept with the tests, and as many
//   decoding threads as the machine has cores)

namespace
{
constexpr double peakLimitMb = 300.0;

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
} // namespace

int main(int argc, char *argv[])
{
    setBenchEnvironment();
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    const QStringList args = QCoreApplication::arguments();
    const QString samples
        = args.size() > 1 && !args[1].isEmpty() ? args[1] : testpictures::data("bad-all");

    QTemporaryDir dir;
    const QString folder = QDir::toNativeSeparators(dir.filePath(QStringLiteral("hostile")));
    QDir().mkpath(folder);
    int files = 0;
    QStringList made;
    // With the default folder, the inputs that fuzzing found and the ones made here come too.
    QStringList sources = { samples };
    if (samples == testpictures::data("bad-all")) {
        sources << testpictures::data("fuzz") << testpictures::data("made");
        made = testpictures::writeHostileCases(folder);
        files += int(made.size());
    }
    for (const QString &source : sources) {
        QDirIterator it(source, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo sample(it.next());
            if (QFile::copy(sample.filePath(), QDir(folder).filePath(sample.fileName())))
                ++files;
        }
    }
    const double before = benchmemory::peakMb();

    FakeServices services;
    const QtPictureLoader loader;
    frmMain w(services, loader);
    if (!w.Form_Load())
        return 2;
    if (args.size() > 2)
        w.pictureCache().setThreadCount(args[2].toInt());
    w.show();
    settle();

    QElapsedTimer clock;
    clock.start();
    if (!control<FolderListBox>(w, "Dir1").setPath(folder)
        || !control<ThumbnailGrid>(w).cells().waitUntilBuilt(600000))
        return 2;
    settle();
    const qint64 gridMs = clock.elapsed();
    const double gridPeak = benchmemory::peakMb();
    const int cells = control<FileListBox>(w, "File1").count();
    int broken = 0;
    for (int i = 0; i < cells; ++i)
        broken += (control<ThumbnailGrid>(w).cells().cell(i).shown == GridCells::Shown::Broken) ? 1
                                                                                                : 0;

    clock.restart();
    int previews = 0;
    for (int i = 0; i < cells; ++i) {
        control<PicturePreview>(w).Image1_DblClick(i);
        previews += control<PicturePreview>(w).isShown() ? 1 : 0;
        control<PicturePreview>(w).Image4_Click();
        settle();
    }
    const qint64 previewMs = clock.elapsed();
    const double peak = benchmemory::peakMb();

    // Each case made here alone, as a picture and as an entry of the shared thumbnail cache:
    // its time and the most memory it took beyond what the program held before.
    const SharedThumbnails shared(dir.filePath(QStringLiteral("thumbnails")));
    const SharedThumbnails::Key key { QStringLiteral("file:///hostile.jpg"), 1, 2 };
    const QString entry = shared.entryPath(key.uri, SharedThumbnails::Flavour::Normal);
    QDir().mkpath(QFileInfo(entry).path());
    QFile::setPermissions(
        shared.root(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const QString &name : made) {
        const QString path = QDir(folder).filePath(name);
        settle();
        double resident = benchmemory::residentMb();
        benchmemory::resetPeak();
        clock.restart();
        const LoadedPicture picture = loader.load(path, QSize(100, 100));
        std::printf("hostile: %s: picture %lld ms, peak_mb +%.1f, %s\n", qPrintable(name),
            static_cast<long long>(clock.elapsed()), benchmemory::peakMb() - resident,
            picture.ok() ? "shown" : qPrintable(picture.error));
        QFile::remove(entry);
        if (!QFileInfo(path).isFile() || QFileInfo(path).size() > 64 * 1024 * 1024
            || !QFile::copy(path, entry))
            continue;
        resident = benchmemory::residentMb();
        benchmemory::resetPeak();
        clock.restart();
        const bool used = !shared.read(key, SharedThumbnails::Flavour::Normal).isNull();
        std::printf("hostile: %s: cache entry %lld ms, peak_mb +%.1f, %s\n", qPrintable(name),
            static_cast<long long>(clock.elapsed()), benchmemory::peakMb() - resident,
            used ? "used" : "not used");
    }

    // The journal of the last batch as the next start reads it: that of a rename of 100,000
    // pictures, then one grown past 101 MB, which is refused unread.
    {
        platform::QtFileSystem fs;
        const QString path = dir.filePath(QStringLiteral("last-batch.journal"));
        constexpr int journalPictures = 100000;
        QStringList from;
        QStringList to;
        for (int i = 0; i < journalPictures; ++i) {
            from << QStringLiteral("/home/someone/Pictures/2026-12-07 Holidays/IMG_%1.JPG").arg(i);
            to << QStringLiteral("/home/someone/Pictures/2026-12-07 Holidays/Beach %1.JPG").arg(i);
        }
        journal::Recorder recorder(fs, path);
        (void)recorder.begin(journal::Kind::Rename, from, to);
        const auto readJournal = [&](const char *what) {
            settle();
            const double resident = benchmemory::residentMb();
            benchmemory::resetPeak();
            clock.restart();
            const journal::Reading reading = journal::read(path);
            std::printf("hostile: journal of %s, %.1f MB: read %lld ms, peak_mb +%.1f, %s\n", what,
                double(QFileInfo(path).size()) / 1e6, static_cast<long long>(clock.elapsed()),
                benchmemory::peakMb() - resident,
                reading.status == journal::Reading::Status::Whole ? "whole"
                                                                  : qPrintable(reading.problem));
        };
        readJournal("100000 pictures");
        QFile grown(path);
        if (grown.open(QIODevice::Append)) {
            const QByteArray block(1 << 20, 'x');
            while (grown.size() < 101 * 1000 * 1000)
                grown.write(block);
            grown.close();
            readJournal("101 MB");
        }
    }

    std::printf("hostile: files=%d cells=%d broken=%d previews=%d messages=%zu threads=%d\n", files,
        cells, broken, previews, services.boxesFake.shown.size(), w.pictureCache().threadCount());
    std::printf("hostile: grid %lld ms, previews %lld ms\n", static_cast<long long>(gridMs),
        static_cast<long long>(previewMs));
    std::printf("hostile: peak_mb before=%.1f grid=%.1f previews=%.1f limit=%.0f\n", before,
        gridPeak, peak, peakLimitMb);
    return peak < peakLimitMb && previews == cells ? 0 : 1;
}
