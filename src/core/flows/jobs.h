#pragma once

#include "core/files/platform.h"
#include "core/names/namerules.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <atomic>

namespace journal
{
class Recorder;
}

// The batch jobs on the selected pictures. Each takes the files and the file system, does the
// whole run and tells what became of every file; the windows ask, confirm and show the report.
namespace jobs
{

struct Failure {
    QString path;
    QString reason;
    bool operator==(const Failure &) const = default;
};

struct JobReport {
    QStringList done;
    QList<Failure> failed;
};

// A file and the path it is to get; an empty target means none was given, which the file
// system refuses with its reason.
struct Target {
    QString from;
    QString to;
};

// How many files of a running batch have been dealt with, done or failed: the batch counts
// them on its own thread, and the window waiting for it reads the count on the GUI thread.
class Progress
{
public:
    void add(qsizetype files = 1) { m_done.fetch_add(files, std::memory_order_relaxed); }
    [[nodiscard]] qsizetype done() const { return m_done.load(std::memory_order_relaxed); }

private:
    std::atomic<qsizetype> m_done { 0 };
};

// Each job writes its plan and every file it has dealt with to the journal given, if any,
// before it changes anything and as it goes; it counts each file in the progress given, if any.

// Deletes each file, to the trash or for good; a file that cannot be deleted is reported and
// the others are still deleted.
[[nodiscard]] JobReport deleteFiles(const QStringList &paths, bool toTrash,
    platform::FileSystem &fs, journal::Recorder *journal = nullptr, Progress *progress = nullptr);

// Whether a RAW file and a sidecar that follow their picture in a batch go with it: then
// they are renamed or moved with it or not at all.
enum class Pairs { Apart, Together };

// Renames the files in order, never replacing a file; a file whose new name another file of
// the batch still has waits until that one is renamed, and a shot of files that take each
// other's names goes by temporary names in its folder. A file that has its new name already is
// done. A batch that would fail for a cause
// known beforehand is refused before the first rename; otherwise the run stops at the first
// file that fails, and the files after it keep their names. When a file of a pair fails, the
// files of the pair already renamed get their names back, and so do files at temporary names
// where they can; one that cannot is reported with where it is.
[[nodiscard]] JobReport renameFiles(const QList<Target> &files, platform::FileSystem &fs,
    Pairs pairs = Pairs::Apart, journal::Recorder *journal = nullptr, Progress *progress = nullptr);

// Moves each file to its target, never replacing a file; a file that cannot be moved stays
// where it was, is reported, and the others are still moved. A pair whose targets are not
// all free is not moved at all; when a file of a pair fails, the files of the pair already
// moved go back. madeFolder is a folder made for the move, which the journal keeps for its undo.
[[nodiscard]] JobReport moveFiles(const QList<Target> &files, platform::FileSystem &fs,
    Pairs pairs = Pairs::Apart, journal::Recorder *journal = nullptr,
    const QString &madeFolder = {}, Progress *progress = nullptr);

// The heading, then each file that failed with its reason; a long list is cut, and says how
// many more failed.
[[nodiscard]] QString failureList(const QString &heading, const JobReport &report);

// The volumes of the folders a batch touches, each asked for once.
class Volumes
{
public:
    explicit Volumes(platform::FileSystem &fs)
        : m_fs(fs)
    {
    }
    const platform::Volume &of(const QString &path);
    rules::NameRules nameRules(const QString &path);

private:
    platform::FileSystem &m_fs;
    QHash<QString, platform::Volume> m_known;
};

} // namespace jobs
