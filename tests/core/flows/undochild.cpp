// A batch run through the journal, one step at a time, for a test to kill where it likes.
//
//   undochild STATE-FOLDER rename|move|trash|delete COPY FROM TO [FROM TO ...]
//
// Before and after each file it prints "before N" or "after N" and waits for a line on its
// standard input. A move copies as across volumes when COPY is 1; a copy also stops after
// each of its system calls ("fsync N", "rename N", "lstat N"...) and just before the finished
// copy takes its name ("placing N"). A RAW file after its JPEG goes with it.
#include "core/files/filesystem.h"
#include "core/files/safemove.h"
#include "core/flows/jobs.h"
#include "core/flows/journal.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

namespace
{
void pause(const char *where, int index)
{
    std::printf("%s %d\n", where, index);
    std::fflush(stdout);
    std::string go;
    if (!std::getline(std::cin, go))
        std::exit(3);
}

struct SteppedFs : platform::QtFileSystem {
    QString state;
    bool copy = false;
    int next = 0;

    template <typename Op>
    platform::FsResult step(Op op)
    {
        const int index = next++;
        pause("before", index);
        const platform::FsResult result = op(index);
        pause("after", index);
        return result;
    }
    QString stateFolder() const override { return state; }
    platform::FsResult renameFile(const QString &from, const QString &to) override
    {
        return step([&](int) { return QtFileSystem::renameFile(from, to); });
    }
    platform::FsResult moveFile(const QString &from, const QString &to) override
    {
        return step([&](int index) {
            platform::MoveHooks hooks;
            hooks.alwaysCopy = copy;
            hooks.beforePlace = [index] { pause("placing", index); };
            hooks.afterCall = [index](const char *call) { pause(call, index); };
            return platform::safeMoveFile(from, to, hooks);
        });
    }
    platform::FsResult moveToTrash(const QString &path) override
    {
        return step([&](int) { return QtFileSystem::moveToTrash(path); });
    }
    platform::FsResult removeFile(const QString &path) override
    {
        return step([&](int) { return QtFileSystem::removeFile(path); });
    }
};
} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4 || args.size() % 2 != 0)
        return 2;
    SteppedFs fs;
    fs.state = args.at(1);
    fs.copy = args.at(3) == QLatin1String("1");
    QList<jobs::Target> files;
    for (qsizetype i = 4; i + 1 < args.size(); i += 2)
        files.append({ args.at(i), args.at(i + 1) });
    journal::Recorder journal(fs);
    jobs::JobReport report;
    if (args.at(2) == QLatin1String("rename")) {
        report = jobs::renameFiles(files, fs, jobs::Pairs::Together, &journal);
    } else if (args.at(2) == QLatin1String("move")) {
        report = jobs::moveFiles(files, fs, jobs::Pairs::Together, &journal);
    } else {
        QStringList paths;
        for (const jobs::Target &file : files)
            paths.append(file.from);
        report = jobs::deleteFiles(paths, args.at(2) == QLatin1String("trash"), fs, &journal);
    }
    return report.failed.isEmpty() ? 0 : 1;
}
