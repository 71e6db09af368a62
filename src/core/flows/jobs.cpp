#include "core/flows/jobs.h"

#include "core/files/fserrors.h"
#include "core/flows/journal.h"
#include "core/names/rules.h"
#include "core/pictures/pictureformats.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <functional>

namespace jobs
{

namespace
{
    // A failure report lists at most this many files, then says how many more there were.
    constexpr qsizetype maxListedFailures = 15;

    // Why a batch is refused, for the file that meets the problem.
    QString batchProblemText(rules::BatchProblem problem, const rules::PlannedRename &file)
    {
        const QString name = rules::filePart(file.to);
        switch (problem) {
        case rules::BatchProblem::None:
            break;
        case rules::BatchProblem::TooLong:
            return QCoreApplication::translate(
                "jobs", "Its new name is %1 %2 long; this drive takes at most %3.")
                .arg(rules::nameLength(name, file.nameRules))
                .arg(file.nameRules == rules::NameRules::Windows
                        ? QCoreApplication::translate("jobs", "characters")
                        : QCoreApplication::translate("jobs", "bytes"))
                .arg(rules::longestName(file.nameRules, file.maxNameLength));
        case rules::BatchProblem::SameAsOther:
            return QCoreApplication::translate(
                "jobs", "Another picture of this rename gets the same new name, %1.")
                .arg(name);
        case rules::BatchProblem::Taken:
            return QCoreApplication::translate("jobs", "A file named %1 is already there.")
                .arg(name);
        }
        return {};
    }

    // The journal of a batch, when there is one: it starts with the plan and ends with the
    // batch.
    class Journaled
    {
    public:
        Journaled(journal::Recorder *recorder, journal::Kind kind, const QList<Target> &files,
            const QString &madeFolder = {})
            : m_recorder(files.isEmpty() ? nullptr : recorder)
        {
            // A batch of nothing is not recorded: the last batch's undo stays as it was.
            if (m_recorder == nullptr)
                return;
            QStringList from;
            QStringList to;
            for (const Target &file : files) {
                from.append(file.from);
                to.append(file.to);
            }
            m_recorder->begin(kind, from, to, madeFolder);
        }
        ~Journaled()
        {
            if (m_recorder != nullptr)
                m_recorder->finish();
        }
        Journaled(const Journaled &) = delete;
        Journaled &operator=(const Journaled &) = delete;
        void done(qsizetype index, const QString &placedAt,
            const std::optional<journal::FileState> &after = std::nullopt)
        {
            if (m_recorder != nullptr)
                m_recorder->done(index, placedAt, after);
        }
        // A picture and the files that go with it are recorded once all of them are done, so
        // that a shot put back after a failure leaves nothing in the journal.
        void done(qsizetype first, const QList<Target> &shot)
        {
            for (qsizetype i = 0; i < shot.size(); ++i)
                done(first + i, shot.at(i).to);
        }

    private:
        journal::Recorder *m_recorder;
    };

    bool taken(const QString &path)
    {
        return !path.isEmpty() && (QFileInfo::exists(path) || QFileInfo(path).isSymLink());
    }

    // A free name in the folder of the file at path for it to wait under while a circle of
    // renames is broken: hidden, the program's own, and kept apart by the batch's token and
    // the file's place in the batch.
    QString temporaryName(
        const QString &path, qsizetype index, const QString &token, QSet<QString> &used)
    {
        // Kept in step with journal::isTemporaryName().
        const QString stem = rules::folderPart(path)
            + QStringLiteral(".ravelin-rename-%1-%2").arg(token).arg(index);
        for (int n = 0;; ++n) {
            const QString name = stem + (n == 0 ? QString() : QStringLiteral("-%1").arg(n))
                + rules::keptExtension(path);
            if (!taken(name) && !used.contains(name)) {
                used.insert(name);
                return name;
            }
        }
    }

    // The files of a batch cut into shots: a picture with the files that go with it.
    QList<QList<Target>> shotsOf(const QList<Target> &files, Pairs pairs)
    {
        QStringList froms;
        for (const Target &file : files)
            froms.append(file.from);
        const QList<qsizetype> shots = pictureformats::shotsOf(froms, pairs == Pairs::Together);
        QList<QList<Target>> cut;
        for (qsizetype i = 0; i < files.size(); ++i) {
            if (cut.size() <= shots[i])
                cut.append(QList<Target>());
            cut.last().append(files[i]);
        }
        return cut;
    }

    // Puts the files of a shot that one step already changed back (last first) with the
    // step's own call; a file that cannot be put back is reported with where it now is.
    using Step = std::function<platform::FsResult(const QString &, const QString &)>;
    void putBack(const QList<Target> &changed, const Step &step, JobReport &report)
    {
        for (auto file = changed.rbegin(); file != changed.rend(); ++file) {
            report.done.removeOne(file->from);
            const platform::FsResult back = step(file->to, file->from);
            if (!back) {
                report.failed.append({ file->from,
                    QCoreApplication::translate(
                        "jobs", "It is now %1 and could not be put back: %2")
                        .arg(file->to, back.error) });
            }
        }
    }

    // Runs a step over each file of a shot; if one fails, the others are put back. False when
    // the shot failed.
    bool runShot(const QList<Target> &shot, const Step &step, JobReport &report, Progress *progress)
    {
        QList<Target> changed;
        for (const Target &file : shot) {
            const platform::FsResult result = step(file.from, file.to);
            if (progress != nullptr)
                progress->add();
            if (!result) {
                report.failed.append({ file.from, result.error });
                putBack(changed, step, report);
                return false;
            }
            changed.append(file);
            report.done.append(file.from);
        }
        return true;
    }
} // namespace

const platform::Volume &Volumes::of(const QString &path)
{
    const QString folder = rules::folderPart(path);
    auto known = m_known.find(folder);
    if (known == m_known.end())
        known = m_known.insert(folder, m_fs.volumeOf(folder));
    return *known;
}

rules::NameRules Volumes::nameRules(const QString &path)
{
    return rules::nameRulesFor(of(path).fileSystem);
}

JobReport deleteFiles(const QStringList &paths, bool toTrash, platform::FileSystem &fs,
    journal::Recorder *journal, Progress *progress)
{
    QList<Target> files;
    for (const QString &path : paths)
        files.append({ path, {} });
    Journaled journaled(journal, toTrash ? journal::Kind::Trash : journal::Kind::Delete, files);
    JobReport report;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString &path = paths.at(i);
        const platform::FsResult deleted = toTrash ? fs.moveToTrash(path) : fs.removeFile(path);
        if (progress != nullptr)
            progress->add();
        if (deleted) {
            journaled.done(i, deleted.placedAt);
            report.done.append(path);
        } else {
            report.failed.append({ path, deleted.error });
            // Nothing more would fit in the trash.
            if (deleted.error == platform::errorText(platform::FsError::TrashFull))
                break;
        }
    }
    return report;
}

JobReport renameFiles(const QList<Target> &files, platform::FileSystem &fs, Pairs pairs,
    journal::Recorder *journal, Progress *progress)
{
    // Everything that can be known before the first rename is checked first, so that a
    // batch is not left half-applied for it.
    Volumes volumes(fs);
    QStringList froms;
    for (const Target &target : files)
        froms.append(target.from);
    const QList<qsizetype> shots = pictureformats::shotsOf(froms, pairs == Pairs::Together);
    std::vector<rules::PlannedRename> batch;
    for (qsizetype i = 0; i < files.size(); ++i) {
        rules::PlannedRename file;
        file.from = files[i].from;
        file.to = files[i].to;
        const platform::Volume &volume = volumes.of(file.from);
        file.nameRules = rules::nameRulesFor(volume.fileSystem);
        file.maxNameLength = volume.maxNameLength;
        file.targetExists = taken(file.to);
        file.shot = shots[i];
        batch.push_back(std::move(file));
    }
    JobReport report;
    const rules::BatchCheck check = rules::batchProblem(batch);
    if (check.problem != rules::BatchProblem::None) {
        const rules::PlannedRename &file = batch[check.index];
        report.failed.append({ file.from,
            batchProblemText(check.problem, file)
                + QCoreApplication::translate("jobs", "\n\nNo picture was renamed.") });
        return report;
    }

    // The renames in the order they are made, a shot's files together: a shot on a circle
    // goes to temporary names, then later from them to its new names.
    struct Leg {
        QList<Target> files;
        QStringList originals;
        rules::Leg leg = rules::Leg::Straight;
        qsizetype first = 0; // its first step in the journal
    };
    QList<Leg> legs;
    QList<Target> ordered;
    QHash<qsizetype, QString> temporary;
    QSet<QString> used;
    const QString token = QString::number(QRandomGenerator::global()->generate(), 36);
    for (qsizetype k = 0; k < qsizetype(check.order.size()); ++k) {
        const auto [i, leg] = check.order[k];
        if (k == 0 || batch[i].shot != batch[check.order[k - 1].index].shot
            || leg != check.order[k - 1].leg) {
            legs.append({ {}, {}, leg, ordered.size() });
        }
        Target step = files[i];
        if (leg == rules::Leg::ToTemporary) {
            step.to = temporaryName(step.from, i, token, used);
            temporary.insert(i, step.to);
        } else if (leg == rules::Leg::FromTemporary) {
            step.from = temporary.value(i);
        }
        legs.last().files.append(step);
        legs.last().originals.append(files[i].from);
        ordered.append(step);
    }
    // Files that already have their new names are done as they are.
    for (const rules::PlannedRename &file : batch) {
        if (!file.to.isEmpty() && file.to == file.from) {
            report.done.append(file.from);
            if (progress != nullptr)
                progress->add();
        }
    }

    // The journal has the renames in the order they are made, which its undo reverses.
    Journaled journaled(journal, journal::Kind::Rename, ordered);
    const Step rename
        = [&fs](const QString &from, const QString &to) { return fs.renameFile(from, to); };
    // The shots at temporary names, by shot: they are recorded done once at their new names.
    // The state of each of their files there is taken as they get there.
    struct Parked {
        const Leg *leg = nullptr;
        QList<journal::FileState> states;
    };
    QHash<qsizetype, Parked> parked;
    for (const Leg &leg : std::as_const(legs)) {
        const qsizetype shot = batch[check.order[leg.first].index].shot;
        JobReport legReport;
        const bool straight = leg.leg == rules::Leg::Straight;
        const bool ran = runShot(leg.files, rename, straight ? report : legReport,
            leg.leg == rules::Leg::ToTemporary ? nullptr : progress);
        for (Failure failure : std::as_const(legReport.failed)) {
            // The reports name the files by their old names.
            const auto at = std::find_if(leg.files.begin(), leg.files.end(),
                [&](const Target &file) { return file.from == failure.path; });
            if (at != leg.files.end())
                failure.path = leg.originals.at(at - leg.files.begin());
            report.failed.append(failure);
        }
        if (!ran)
            break;
        if (leg.leg == rules::Leg::ToTemporary) {
            Parked park { &leg, {} };
            for (const Target &file : leg.files)
                park.states.append(journal::stateOf(file.to).state);
            parked.insert(shot, park);
            continue;
        }
        if (leg.leg == rules::Leg::FromTemporary) {
            const Parked park = parked.take(shot);
            for (qsizetype k = 0; k < park.leg->files.size(); ++k)
                journaled.done(park.leg->first + k, park.leg->files.at(k).to, park.states.at(k));
            report.done.append(leg.originals);
        }
        journaled.done(leg.first, leg.files);
    }
    // A stopped run gives the shots at temporary names their old names back where it can; one
    // that stays is kept in the journal for the undo, and reported with where it is.
    for (const Parked &park : std::as_const(parked)) {
        for (qsizetype k = park.leg->files.size() - 1; k >= 0; --k) {
            const Target &file = park.leg->files.at(k);
            const platform::FsResult back = fs.renameFile(file.to, file.from);
            if (back)
                continue;
            journaled.done(park.leg->first + k, file.to, park.states.at(k));
            report.failed.append({ file.from,
                QCoreApplication::translate("jobs", "It is now %1 and could not be put back: %2")
                    .arg(file.to, back.error) });
        }
    }
    return report;
}

JobReport moveFiles(const QList<Target> &files, platform::FileSystem &fs, Pairs pairs,
    journal::Recorder *journal, const QString &madeFolder, Progress *progress)
{
    Journaled journaled(journal, journal::Kind::Move, files, madeFolder);
    JobReport report;
    qsizetype first = 0;
    const Step move
        = [&fs](const QString &from, const QString &to) { return fs.moveFile(from, to); };
    for (const QList<Target> &shot : shotsOf(files, pairs)) {
        // A pair is checked whole before any of it moves.
        const auto blocked = std::find_if(shot.begin(), shot.end(),
            [](const Target &file) { return file.to.isEmpty() || taken(file.to); });
        if (shot.size() > 1 && blocked != shot.end()) {
            first += shot.size();
            if (progress != nullptr)
                progress->add(shot.size());
            for (const Target &file : shot) {
                report.failed.append({ file.from,
                    &file != &*blocked ? QCoreApplication::translate(
                        "jobs", "It stays with %1, which cannot be moved.")
                                             .arg(rules::filePart(blocked->from))
                        : file.to.isEmpty()
                        ? QCoreApplication::translate("jobs", "It has no destination.")
                        : QCoreApplication::translate("jobs", "A file named %1 is already there.")
                              .arg(rules::filePart(file.to)) });
            }
            continue;
        }
        if (runShot(shot, move, report, progress))
            journaled.done(first, shot);
        first += shot.size();
    }
    return report;
}

QString failureList(const QString &heading, const JobReport &report)
{
    QString text = heading;
    for (qsizetype i = 0; i < report.failed.size() && i < maxListedFailures; ++i)
        text += QStringLiteral("\n\n") + report.failed.at(i).path + QLatin1Char('\n')
            + report.failed.at(i).reason;
    if (report.failed.size() > maxListedFailures)
        text += QCoreApplication::translate("jobs", "\n\n... and %1 more.")
                    .arg(report.failed.size() - maxListedFailures);
    return text;
}

} // namespace jobs
