#include "widgets/qtplatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace platform
{

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
    return result;
}

QString QtInstance::privateTempFolder(QString &error)
{
    const QString folder = QDir::tempPath() + QStringLiteral("/ravelin-%1").arg(uint(::geteuid()));
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
}

} // namespace platform
