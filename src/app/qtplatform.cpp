#include "app/qtplatform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QWidget>

namespace platform
{

Answer QtMessageBoxes::MsgBox(const QString &text, int code, const QString &title)
{
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? programTitle : title);
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

FsResult QtFileSystem::setCurrentFolder(const QString &path)
{
    if (!QDir::setCurrent(path))
        return FsResult::failure(QStringLiteral("Cannot open the folder %1.").arg(path));
    return {};
}

QString QtFileSystem::currentFolder() const
{
    return QDir::toNativeSeparators(QDir::currentPath());
}

QString QtFileSystem::programFolder() const
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
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

bool QtInstance::claim()
{
    if (m_path.isEmpty()) {
        const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
        m_path = QDir::temp().filePath(QStringLiteral("ravelin-%1.lock").arg(user));
    }
    m_lock = std::make_unique<QLockFile>(m_path);
    // Never stale by age: only a lock whose owner is no longer running is taken over.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
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
