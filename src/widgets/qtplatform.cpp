#include "widgets/qtplatform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QWidget>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform
{

Answer QtMessageBoxes::MsgBox(const QString &text, int code, const QString &title)
{
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? programTitle : title);
    // Texts name files and folders, which may look like markup: they are shown as they are.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (code & 0x70) {
    case box::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case box::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case box::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    QPushButton *ok = box.addButton(QMessageBox::Ok);
    if ((code & 0x7) == box::OkCancel)
        box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    box.setDefaultButton(ok);
    box.exec();
    // Closing the box by its close button counts as Cancel.
    return box.clickedButton() == ok ? Answer::Ok : Answer::Cancel;
}

void QtMousePointer::setHourglass()
{
    if (m_depth++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtMousePointer::setArrow()
{
    if (m_depth > 0 && --m_depth == 0)
        QApplication::restoreOverrideCursor();
}

namespace
{

    // File systems that hold no user files: kernel interfaces and the like.
    bool isPseudoFileSystem(const QByteArray &type)
    {
        static const QList<QByteArray> pseudo = {
            "proc",
            "sysfs",
            "devtmpfs",
            "devpts",
            "cgroup",
            "cgroup2",
            "pstore",
            "bpf",
            "debugfs",
            "tracefs",
            "securityfs",
            "mqueue",
            "hugetlbfs",
            "configfs",
            "fusectl",
            "autofs",
            "binfmt_misc",
            "efivarfs",
            "rpc_pipefs",
            "nsfs",
            "ramfs",
            "squashfs",
            "overlay",
            "tmpfs",
        };
        return pseudo.contains(type);
    }

    bool isUserMount(const QString &root)
    {
        for (const char *prefix : { "/media/", "/mnt/", "/run/media/" }) {
            if (root.startsWith(QLatin1String(prefix)))
                return true;
        }
        return false;
    }

    bool isNetworkFileSystem(const QByteArray &type)
    {
        return type.startsWith("nfs") || type == "cifs" || type.startsWith("smb")
            || type == "fuse.sshfs";
    }

} // namespace

std::vector<Drive> QtDrives::drives() const
{
    std::vector<Drive> result;
#ifdef Q_OS_WIN
    // Every drive letter, including removable drives that hold no medium: choosing one of
    // those is what fails.
    for (const QFileInfo &info : QDir::drives()) {
        const QString root = QDir::toNativeSeparators(info.absoluteFilePath());
        const QStorageInfo storage(root);
        QString text = root.left(2).toLower();
        if (storage.isValid() && storage.isReady() && !storage.name().isEmpty())
            text += QStringLiteral(" [%1]").arg(storage.name());
        result.push_back({ text, root.left(2) + QLatin1Char('\\') });
    }
#else
    const QString home = QStorageInfo(QDir::homePath()).rootPath();
    result.push_back({ QStringLiteral("/"), QStringLiteral("/") });
    for (const QStorageInfo &storage : QStorageInfo::mountedVolumes()) {
        const QString root = storage.rootPath();
        if (!storage.isValid() || root == QLatin1String("/"))
            continue;
        const QByteArray type = storage.fileSystemType();
        const bool wanted = root == home || isUserMount(root) || isNetworkFileSystem(type);
        if (!wanted || (isPseudoFileSystem(type) && !isUserMount(root)))
            continue;
        QString text = root;
        if (!storage.name().isEmpty() && storage.name() != root)
            text += QStringLiteral(" [%1]").arg(storage.name());
        result.push_back({ text, root });
    }
#endif
    return result;
}

QtInstance::QtInstance(const QString &lockPath)
    : m_path(lockPath)
{
}

namespace
{
    // The user's runtime folder, which only they can reach; where there is none, a folder of
    // their own in the temporary folder, named by their user id. Empty, with the reason, when
    // neither can be had: a folder that another user made or can write is never used.
    QString lockFolder(QString &error)
    {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty())
            return runtime;
#ifdef Q_OS_UNIX
        const QString folder
            = QDir::tempPath() + QStringLiteral("/ravelin-%1").arg(uint(::geteuid()));
        const QByteArray name = QFile::encodeName(folder);
        if (::mkdir(name.constData(), S_IRWXU) != 0 && errno != EEXIST) {
            error = QCoreApplication::translate("platform", "The folder %1 cannot be made: %2.")
                        .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
            return {};
        }
        struct stat info {
        };
        if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode)
            || info.st_uid != ::geteuid() || (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
            error = QCoreApplication::translate(
                "platform", "The folder %1 is not a private folder of yours.")
                        .arg(folder);
            return {};
        }
        return folder;
#else
        return QDir::tempPath();
#endif
    }
} // namespace

InstanceClaim QtInstance::claim()
{
    if (m_path.isEmpty()) {
        QString error;
        const QString folder = lockFolder(error);
        if (folder.isEmpty())
            return { InstanceClaim::Failed, error };
        m_path = QDir(folder).filePath(QStringLiteral("ravelin.lock"));
    }
    m_lock = std::make_unique<QLockFile>(m_path);
    // Never stale by age: only a lock that no running copy holds is taken over, whatever
    // process id it names (the id of a copy that crashed may belong to another program now).
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return {};
    if (m_lock->error() == QLockFile::LockFailedError) {
        // Removing it fails while a running copy holds it locked.
        m_lock->removeStaleLockFile();
        if (m_lock->tryLock(0))
            return {};
        if (m_lock->error() == QLockFile::LockFailedError)
            return { InstanceClaim::AnotherRunning, {} };
    }
    return { InstanceClaim::Failed,
        QCoreApplication::translate("platform", "Its lock file %1 cannot be made.")
            .arg(QDir::toNativeSeparators(m_path)) };
}

void QtProgram::end()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}

bool QtProgram::openExternal(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace platform
