#include "ui/widgets/qtplatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <map>
#include <set>
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

    // A label as its link's name writes it: a byte that a file name cannot hold as \x and two
    // hexadecimal digits.
    QByteArray unescapedLabel(const QString &name)
    {
        const QByteArray bytes = QFile::encodeName(name);
        QByteArray plain;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            bool ok = false;
            const int code = bytes.mid(i + 2, 2).toInt(&ok, 16);
            if (bytes[i] == '\\' && i + 3 < bytes.size() && bytes[i + 1] == 'x' && ok) {
                plain.append(char(code));
                i += 3;
            } else {
                plain.append(bytes[i]);
            }
        }
        return plain;
    }

} // namespace

std::vector<MountEntry> readMountTable(const QString &file)
{
    // One mount a line: device, mount point, type, options and two numbers, separated by
    // spaces; a space, tab, newline or backslash within a field is written as \ and 3 octal
    // digits.
    const auto unescaped = [](const QByteArray &field) {
        QByteArray plain;
        for (qsizetype i = 0; i < field.size(); ++i) {
            const auto isOctal = [&field](qsizetype at) {
                return at < field.size() && field[at] >= '0' && field[at] <= '7';
            };
            if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
                plain.append(char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3)
                    | (field[i + 3] - '0')));
                i += 3;
            } else {
                plain.append(field[i]);
            }
        }
        return plain;
    };
    std::vector<MountEntry> mounts;
    QFile table(file);
    if (!table.open(QIODevice::ReadOnly))
        return mounts;
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        mounts.push_back({ QFile::decodeName(unescaped(fields[0])),
            QFile::decodeName(unescaped(fields[1])), unescaped(fields[2]) });
    }
    return mounts;
}

std::vector<Drive> QtDrives::drives() const
{
    // Read from the mount table alone: a mount that no longer answers (a network share whose
    // server is gone) would hold up any call that asks the mount itself.
    const std::vector<MountEntry> mounts = readMountTable(m_mountTable);
    // The volume that holds the home folder: the mount whose point is the longest start of it.
    QString home = QFileInfo(QDir::homePath()).canonicalFilePath();
    if (home.isEmpty())
        home = QDir::cleanPath(QDir::homePath());
    QString homeRoot = QStringLiteral("/");
    for (const MountEntry &mount : mounts) {
        const bool holds = home == mount.root
            || home.startsWith(
                mount.root.endsWith(QLatin1Char('/')) ? mount.root : mount.root + QLatin1Char('/'));
        if (holds && mount.root.size() > homeRoot.size())
            homeRoot = mount.root;
    }
    // The volumes' names, as links named by them to the devices.
    std::map<QString, QString> labelOf;
    const QDir labels(m_labels);
    for (const QFileInfo &link : labels.entryInfoList(QDir::System | QDir::Files)) {
        const QString device = link.symLinkTarget();
        if (!device.isEmpty())
            labelOf.emplace(device, QString::fromUtf8(unescapedLabel(link.fileName())));
    }
    std::vector<Drive> result;
    result.push_back({ QStringLiteral("/"), QStringLiteral("/") });
    std::set<QString> seen { QStringLiteral("/") };
    for (const MountEntry &mount : mounts) {
        const QString &root = mount.root;
        if (!root.startsWith(QLatin1Char('/')) || seen.count(root) > 0)
            continue;
        const QByteArray &type = mount.type;
        const bool wanted = root == homeRoot || isUserMount(root) || isNetworkFileSystem(type);
        if (!wanted || (isPseudoFileSystem(type) && !isUserMount(root)))
            continue;
        seen.insert(root);
        QString text = root;
        QString device = mount.device;
        if (device.startsWith(QLatin1String("/dev/"))) {
            const QString target = QFileInfo(device).canonicalFilePath();
            if (!target.isEmpty())
                device = target;
        }
        const auto label = labelOf.find(device);
        if (label != labelOf.end() && !label->second.isEmpty() && label->second != root)
            text += QStringLiteral(" [%1]").arg(label->second);
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
