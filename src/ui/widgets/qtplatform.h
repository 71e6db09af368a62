#pragma once

#include "core/files/filesystem.h"
#include "core/files/platform.h"

#include <QLockFile>
#include <memory>

// The real platform services, on top of Qt and, where Qt falls short, the operating system.
namespace platform
{

class QtMessageBoxes : public MessageBoxes
{
public:
    Answer MsgBox(const QString &text, int code, const QString &title) override;
};

class QtMousePointer : public MousePointer
{
public:
    void setHourglass() override;
    void setArrow() override;

private:
    int m_depth = 0;
};

// One line of a mount table: what is mounted, where, and the kind of its file system.
struct MountEntry {
    QString device;
    QString root;
    QByteArray type;
};

// A mount table in the format of /proc/self/mounts; empty when it cannot be read.
std::vector<MountEntry> readMountTable(const QString &file);

// The drives of the mount table, named by the links in the labels folder (on Windows, the
// drive letters).
class QtDrives : public Drives
{
public:
    explicit QtDrives(const QString &mountTable = QStringLiteral("/proc/self/mounts"),
        const QString &labels = QStringLiteral("/dev/disk/by-label"));
    std::vector<Drive> drives() const override;

private:
    QString m_mountTable;
    QString m_labels;
};

class QtInstance : public Instance
{
public:
    // Without a path, the lock lives in the user's own runtime folder.
    explicit QtInstance(const QString &lockPath = {});
    InstanceClaim claim() override;
    // Lets the lock go: a copy started from now on runs.
    void release();
    QString lockPath() const { return m_path; }
    // True while this copy holds the lock.
    bool holdsLock() const { return m_lock && m_lock->isLocked(); }
    // Where the lock lives when no path is given: in the user's runtime folder. Empty, with
    // the reason, when there is no folder the user alone can reach.
    static QString standardLockPath(QString &error);

private:
    // The user's runtime folder, which only they can reach; where there is none, a folder of
    // their own in the temporary folder, named by their user id. Empty, with the reason, when
    // neither can be had: a folder that another user made or can write is never used.
    static QString lockFolder(QString &error);
    static QString privateTempFolder(QString &error);

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

class QtProgram : public Program
{
public:
    // Ending lets the instance's lock go at once, before the program is gone.
    explicit QtProgram(QtInstance &instance)
        : m_instance(instance)
    {
    }
    void end() override;
    bool openExternal(const QUrl &url) override;

private:
    QtInstance &m_instance;
};

// Ends the process once its event loop is left, the lock let go first: what still runs on other
// threads (a decode a damaged picture keeps busy for minutes) is abandoned rather than waited
// for. A thumbnail being stored then is not stored: the shared cache's files are replaced whole
// or not at all.
[[noreturn]] void endProcess(QtInstance &instance, int code);

class QtServices : public Services
{
public:
    MessageBoxes &boxes() override { return m_boxes; }
    MousePointer &mouse() override { return m_mouse; }
    FileSystem &fs() override { return m_fs; }
    Drives &drives() override { return m_drives; }
    QtInstance &instance() override { return m_instance; }
    Program &program() override { return m_program; }

private:
    QtMessageBoxes m_boxes;
    QtMousePointer m_mouse;
    QtFileSystem m_fs;
    QtDrives m_drives;
    QtInstance m_instance;
    QtProgram m_program { m_instance };
};

} // namespace platform
