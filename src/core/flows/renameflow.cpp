#include "core/flows/renameflow.h"

#include "core/pictures/pictureformats.h"

namespace flows
{

RenamePlan unnamed(const QStringList &files, jobs::Pairs pairs)
{
    RenamePlan plan;
    plan.pairs = pairs;
    for (const QString &file : files)
        plan.files.append({ file, {} });
    return plan;
}

RenamePlan renamePlan(const QStringList &files, const QString &prefix, const QString &startCount,
    jobs::Pairs pairs, platform::FileSystem &fs)
{
    RenamePlan plan = unnamed(files, pairs);
    plan.problem = rules::prefixProblem(prefix, plan.nameRules);
    if (plan.problem != rules::NameProblem::None)
        return plan;
    jobs::Volumes volumes(fs);
    rules::NameCount counter = rules::startCount(startCount);
    const QList<qsizetype> shots = pictureformats::shotsOf(files, pairs == jobs::Pairs::Together);
    const bool numbered = !shots.isEmpty() && shots.last() > 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString newPath = rules::renamedPath(
            files[i], prefix, numbered ? std::optional(counter) : std::nullopt);
        // A memory card keeps Windows rules, whatever the system.
        plan.nameRules = volumes.nameRules(files[i]);
        plan.problem = rules::renameProblem(files[i], newPath, plan.nameRules);
        if (plan.problem != rules::NameProblem::None) {
            // No new names are better than half of them.
            for (jobs::Target &file : plan.files)
                file.to.clear();
            return plan;
        }
        plan.files[i].to = newPath;
        if (i + 1 >= files.size() || shots[i + 1] != shots[i])
            ++counter;
    }
    return plan;
}

jobs::JobReport rename(const RenamePlan &plan, platform::FileSystem &fs, journal::Recorder *journal,
    jobs::Progress *progress)
{
    return jobs::renameFiles(plan.files, fs, plan.pairs, journal, progress);
}

} // namespace flows
