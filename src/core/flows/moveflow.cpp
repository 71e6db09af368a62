#include "core/flows/moveflow.h"

#include "core/names/moverules.h"
#include "core/pictures/pictureformats.h"

#include <QDir>

namespace flows
{

MovePlan movePlan(const QStringList &pictures, const QString &destination, jobs::Pairs pairs)
{
    MovePlan plan;
    plan.pairs = pairs;
    const QStringList files
        = pairs == jobs::Pairs::Together ? pictureformats::withCompanions(pictures) : pictures;
    for (const QString &file : files) {
        const QString target
            = destination.isEmpty() ? QString() : rules::destinationPath(destination, file);
        // A picture and its companions share a folder, so a pair is left out whole or not at
        // all.
        if (target.isEmpty() || QDir::cleanPath(target) != QDir::cleanPath(file))
            plan.files.append({ file, target });
    }
    if (destination.isEmpty())
        plan.problem = MovePlan::Problem::NoDestination;
    else if (plan.files.isEmpty())
        plan.problem = MovePlan::Problem::NothingToMove;
    return plan;
}

jobs::JobReport move(const MovePlan &plan, platform::FileSystem &fs, journal::Recorder *journal,
    jobs::Progress *progress)
{
    if (plan.problem != MovePlan::Problem::None)
        return {};
    return jobs::moveFiles(plan.files, fs, plan.pairs, journal, plan.madeFolder, progress);
}

} // namespace flows
