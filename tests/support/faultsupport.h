#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <sys/mount.h>
#include <unistd.h>

// Helpers that make file-system faults real: dropping root's power over permissions, a
// small scratch volume that can vanish, a watchdog, and a look at every file left on disk.
namespace faults
{

// For as long as it lives, a test run by root acts as an ordinary user, so that
// permissions stop it as they stop the program's users. Real and effective ids both
// change (Qt asks access(), which looks at the real one); the saved id lets root come back.
class Unprivileged
{
    Q_DISABLE_COPY_MOVE(Unprivileged)
public:
    static constexpr uid_t nobody = 65534;
    Unprivileged()
        : m_dropped(geteuid() == 0 && setresgid(nobody, nobody, 0) == 0
            && setresuid(nobody, nobody, 0) == 0)
    {
    }
    ~Unprivileged()
    {
        if (m_dropped) {
            [[maybe_unused]] const int user = setresuid(0, 0, 0);
            [[maybe_unused]] const int group = setresgid(0, 0, 0);
        }
    }

private:
    bool m_dropped = false;
};

// Lets the ordinary user that Unprivileged turns into reach a test's temporary folder.
inline bool openToEveryone(const QString &path)
{
    return QFile::setPermissions(path,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
            | QFileDevice::ExeOther | QFileDevice::WriteOther);
}

inline bool setReadOnly(const QString &path, bool readOnly)
{
    QFileDevice::Permissions permissions
        = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (QFileInfo(path).isDir())
        permissions |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    if (!readOnly)
        permissions |= QFileDevice::WriteOwner | QFileDevice::WriteOther;
    return QFile::setPermissions(path, permissions);
}

// Makes every folder under root writable again, so that a temporary folder can go away.
inline void makeWritable(const QString &root)
{
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        setReadOnly(it.next(), false);
}

// A small volume of its own (a tmpfs), which needs the right to mount: root in a container
// that allows it. Unmounting is lazy, as when a disk is pulled out while a folder of it is
// the current one.
class ScratchVolume
{
    Q_DISABLE_COPY_MOVE(ScratchVolume)
public:
    ScratchVolume(const QString &mountPoint, int kilobytes)
        : m_path(mountPoint)
    {
        QDir().mkpath(mountPoint);
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0777";
        m_mounted = ::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0,
                        options.constData())
            == 0;
    }
    ~ScratchVolume()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    bool isMounted() const { return m_mounted; }

private:
    QString m_path;
    bool m_mounted = false;
};

// Ends the test program when what runs while it lives has not returned within its time: a
// call that never returns fails the test instead of hanging it.
class Watchdog
{
    Q_DISABLE_COPY_MOVE(Watchdog)
public:
    explicit Watchdog(std::chrono::seconds limit = std::chrono::seconds(20))
        : m_thread([this, limit] {
            std::unique_lock lock(m_mutex);
            if (!m_done.wait_for(lock, limit, [this] { return m_finished; }))
                qFatal("Still running after %d seconds", int(limit.count()));
        })
    {
    }
    ~Watchdog()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

// Every file under a folder, as paths relative to it, sorted.
inline QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(
        folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

} // namespace faults
