#pragma once

#include "support/fakefilesystem.h"
#include "ui/widgets/qtplatform.h"

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

// Platform services for tests: message boxes are answered from a script and recorded, the
// file system is the real one (tests check real files in temporary folders) with a hook to
// make an operation fail, and the drives, the instance lock and the program's end are
// whatever the test says.
struct FakeBoxes : platform::MessageBoxes {
    struct Shown {
        QString text;
        int code = 0;
        QString title;
        bool operator==(const Shown &) const = default;
    };
    std::vector<Shown> shown;
    // Answers used in turn; when they run out, answer is given.
    std::deque<platform::Answer> answers;
    platform::Answer answer = platform::Answer::Ok;
    // Runs while a box is "on screen", to look at the windows at that moment.

    platform::Answer MsgBox(const QString &text, int code, const QString &title) override;
    QStringList texts() const;
};

struct FakeMouse : platform::MousePointer {
    int depth = 0;
    int hourglasses = 0;
    void setHourglass() override
    {
        ++depth;
        ++hourglasses;
    }
    void setArrow() override { --depth; }
};

struct FakeDrives : platform::Drives {
    std::vector<platform::Drive> list;
    std::vector<platform::Drive> drives() const override { return list; }
};

struct FakeInstance : platform::Instance {
    bool anotherRunning = false;
    QString failure; // the lock cannot be taken for this reason
    platform::InstanceClaim claim() override
    {
        if (anotherRunning)
            return { platform::InstanceClaim::AnotherRunning, {} };
        if (!failure.isEmpty())
            return { platform::InstanceClaim::Failed, failure };
        return {};
    }
};

struct FakeProgram : platform::Program {
    int ended = 0;
    std::vector<QUrl> opened;
    // False: there is no web browser to start.
    bool browser = true;
    void end() override { ++ended; }
    bool openExternal(const QUrl &url) override
    {
        opened.push_back(url);
        return browser;
    }
};

class FakeServices : public platform::Services
{
public:
    FakeBoxes boxesFake;
    FakeMouse mouseFake;
    FakeFileSystem fsFake;
    FakeDrives drivesFake;
    FakeInstance instanceFake;
    FakeProgram programFake;

    platform::MessageBoxes &boxes() override { return boxesFake; }
    platform::MousePointer &mouse() override { return mouseFake; }
    platform::FileSystem &fs() override { return fsFake; }
    platform::Drives &drives() override { return drivesFake; }
    platform::Instance &instance() override { return instanceFake; }
    platform::Program &program() override { return programFake; }
};
