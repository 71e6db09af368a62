#pragma once

#include "core/flows/jobs.h"
#include "core/names/namerules.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace journal
{
class Recorder;
}

// The batch rename: the plan of new names the rename window previews, and its run.
namespace flows
{

struct RenamePlan {
    // The first new name that cannot be used, with the rules of the volume it is on; a plan
    // with a problem gives no file a new name.
    rules::NameProblem problem = rules::NameProblem::None;
    rules::NameRules nameRules = rules::platformNameRules();
    // Every file with its new path, empty while there is none.
    QList<jobs::Target> files;
    jobs::Pairs pairs = jobs::Pairs::Apart;
};

// The files as they are, with no new names yet.
[[nodiscard]] RenamePlan unnamed(const QStringList &files, jobs::Pairs pairs);

// When a picture was taken, as its file says; invalid when it says nothing.
using TakenTime = std::function<QDateTime(const QString &path)>;

// The new names: the prefix and a running number from the start count, kept by a RAW file
// and a sidecar from their picture; a single picture gets the prefix alone. Given the time
// taken, each name begins with the date of its shot's first file (rules::datedPrefix). Each
// name is checked under the rules of its own volume.
[[nodiscard]] RenamePlan renamePlan(const QStringList &files, const QString &prefix,
    const QString &startCount, jobs::Pairs pairs, platform::FileSystem &fs,
    const TakenTime &dated = {});

// The files shot by shot in the order they were taken, to the fraction of a second the camera
// kept; the shots whose first file does not say when follow, by the time that file was last
// changed, then by name. A shot's files keep their order.
[[nodiscard]] QStringList inTakenOrder(
    const QStringList &files, jobs::Pairs pairs, const TakenTime &taken);

// Runs the plan through the journal given.
[[nodiscard]] jobs::JobReport rename(const RenamePlan &plan, platform::FileSystem &fs,
    journal::Recorder *journal = nullptr, jobs::Progress *progress = nullptr);

} // namespace flows
