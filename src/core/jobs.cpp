#include "core/jobs.h"

#include "core/journal.h"
#include "core/rules.h"

#include <QCoreApplication>
#include <QFileInfo>

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
        case rules::BatchProblem::TakenByLater:
            return QCoreApplication::translate("jobs",
                "Its new name, %1, is still taken by a picture further down the "
                "list.")
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
        Journaled(journal::Recorder *recorder, journal::Kind kind, const QList<Target> &files)
            : m_recorder(recorder)
        {
            if (m_recorder == nullptr)
                return;
            QStringList from;
            QStringList to;
            for (const Target &file : files) {
                from.append(file.from);
                to.append(file.to);
            }
            m_recorder->begin(kind, from, to);
        }
        ~Journaled()
        {
            if (m_recorder != nullptr)
                m_recorder->finish();
        }
        Journaled(const Journaled &) = delete;
        Journaled &operator=(const Journaled &) = delete;
        void done(qsizetype index, const QString &placedAt)
        {
            if (m_recorder != nullptr)
                m_recorder->done(index, placedAt);
        }

    private:
        journal::Recorder *m_recorder;
    };
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

JobReport deleteFiles(
    const QStringList &paths, bool toTrash, platform::FileSystem &fs, journal::Recorder *journal)
{
    QList<Target> files;
    for (const QString &path : paths)
        files.append({ path, {} });
    Journaled journaled(journal, toTrash ? journal::Kind::Trash : journal::Kind::Delete, files);
    JobReport report;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString &path = paths.at(i);
        const platform::FsResult deleted = toTrash ? fs.moveToTrash(path) : fs.removeFile(path);
        if (deleted) {
            journaled.done(i, deleted.placedAt);
            report.done.append(path);
        } else {
            report.failed.append({ path, deleted.error });
        }
    }
    return report;
}

JobReport renameFiles(
    const QList<Target> &files, platform::FileSystem &fs, journal::Recorder *journal)
{
    // Everything that can be known before the first rename is checked first, so that a
    // batch is not left half-applied for it.
    Volumes volumes(fs);
    std::vector<rules::PlannedRename> batch;
    for (const Target &target : files) {
        rules::PlannedRename file;
        file.from = target.from;
        file.to = target.to;
        const platform::Volume &volume = volumes.of(file.from);
        file.nameRules = rules::nameRulesFor(volume.fileSystem);
        file.maxNameLength = volume.maxNameLength;
        file.targetExists
            = !file.to.isEmpty() && (QFileInfo::exists(file.to) || QFileInfo(file.to).isSymLink());
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

    Journaled journaled(journal, journal::Kind::Rename, files);
    for (qsizetype i = 0; i < qsizetype(batch.size()); ++i) {
        const rules::PlannedRename &file = batch[size_t(i)];
        const platform::FsResult renamed = fs.renameFile(file.from, file.to);
        if (!renamed) {
            report.failed.append({ file.from, renamed.error });
            break;
        }
        journaled.done(i, file.to);
        report.done.append(file.from);
    }
    return report;
}

JobReport moveFiles(
    const QList<Target> &files, platform::FileSystem &fs, journal::Recorder *journal)
{
    Journaled journaled(journal, journal::Kind::Move, files);
    JobReport report;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const Target &file = files.at(i);
        const platform::FsResult moved = fs.moveFile(file.from, file.to);
        if (moved) {
            journaled.done(i, file.to);
            report.done.append(file.from);
        } else {
            report.failed.append({ file.from, moved.error });
        }
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
