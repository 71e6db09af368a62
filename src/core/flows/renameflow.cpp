#include "core/flows/renameflow.h"

#include "core/pictures/pictureformats.h"
#include "core/pictures/takentime.h"

#include <QFileInfo>
#include <algorithm>
#include <vector>

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
    jobs::Pairs pairs, platform::FileSystem &fs, const TakenTime &dated)
{
    RenamePlan plan = unnamed(files, pairs);
    plan.problem = rules::prefixProblem(prefix, plan.nameRules);
    if (plan.problem != rules::NameProblem::None)
        return plan;
    jobs::Volumes volumes(fs);
    rules::NameCount counter = rules::startCount(startCount);
    const QList<qsizetype> shots = pictureformats::shotsOf(files, pairs == jobs::Pairs::Together);
    const bool numbered = !shots.isEmpty() && shots.last() > 0;
    QString shotPrefix = prefix;
    for (qsizetype i = 0; i < files.size(); ++i) {
        // A shot's files share the date of its first, so they keep one name.
        if (dated && (i == 0 || shots[i] != shots[i - 1]))
            shotPrefix
                = rules::datedPrefix(prefix, dated(files[i]), QFileInfo(files[i]).lastModified());
        const QString newPath = rules::renamedPath(
            files[i], shotPrefix, numbered ? std::optional(counter) : std::nullopt);
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

QStringList inTakenOrder(const QStringList &files, jobs::Pairs pairs, const TakenTime &taken)
{
    // The shots, a picture with the files kept with it each, by name for the ties.
    std::vector<QStringList> shots;
    const QList<qsizetype> shotOf = pictureformats::shotsOf(files, pairs == jobs::Pairs::Together);
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (i == 0 || shotOf[i] != shotOf[i - 1])
            shots.emplace_back();
        shots.back().append(files[i]);
    }
    std::stable_sort(shots.begin(), shots.end(), [](const QStringList &a, const QStringList &b) {
        return QFileInfo(a.first()).fileName().compare(
                   QFileInfo(b.first()).fileName(), Qt::CaseInsensitive)
            < 0;
    });
    std::vector<takentime::Key> keys;
    for (const QStringList &shot : shots)
        keys.push_back({ taken(shot.first()), QFileInfo(shot.first()).lastModified() });
    QStringList ordered;
    for (const int i : takentime::order(keys))
        ordered += shots[size_t(i)];
    return ordered;
}

jobs::JobReport rename(const RenamePlan &plan, platform::FileSystem &fs, journal::Recorder *journal,
    jobs::Progress *progress)
{
    return jobs::renameFiles(plan.files, fs, plan.pairs, journal, progress);
}

} // namespace flows
