#pragma once

#include <QDir>
#include <QProcess>

// A small tmpfs mounted on a folder while it lives, to move files across file systems onto
// a disk that fills up. Mounting needs root and a system that allows it.
class TmpfsMount
{
public:
    TmpfsMount(const QString &folder, const QString &size)
        : m_folder(folder)
    {
        QDir().mkpath(folder);
        QProcess mount;
        mount.start(QStringLiteral("mount"),
            { "-t", "tmpfs", "-o", QStringLiteral("size=") + size, "tmpfs", folder });
        m_mounted = mount.waitForFinished() && mount.exitStatus() == QProcess::NormalExit
            && mount.exitCode() == 0;
        m_why = "Cannot mount a small tmpfs to fill up (needs root; "
            + (mount.error() == QProcess::UnknownError ? mount.readAllStandardError().trimmed()
                                                       : mount.errorString().toUtf8())
            + "); the injected write failures of tst_safemove cover the same ground.";
    }
    ~TmpfsMount()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), { m_folder });
    }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool mounted() const { return m_mounted; }
    const char *why() const { return m_why.constData(); }

private:
    QString m_folder;
    QByteArray m_why;
    bool m_mounted = false;
};
