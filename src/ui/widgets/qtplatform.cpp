#include "ui/widgets/qtplatform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

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

QtDrives::QtDrives(const QString &mountTable, const QString &labels)
    : m_mountTable(mountTable)
    , m_labels(labels)
{
}

QtInstance::QtInstance(const QString &lockPath)
    : m_path(lockPath)
{
}

QString QtInstance::lockFolder(QString &error)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? privateTempFolder(error) : runtime;
}

QString QtInstance::standardLockPath(QString &error)
{
    const QString folder = lockFolder(error);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("ravelin.lock"));
}

InstanceClaim QtInstance::claim()
{
    if (m_path.isEmpty()) {
        QString error;
        m_path = standardLockPath(error);
        if (m_path.isEmpty())
            return { InstanceClaim::Failed, error };
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

void QtInstance::release()
{
    m_lock.reset();
}

void QtProgram::end()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    // What is left to do before the program is gone (a decode under way) must not keep a new
    // start out.
    m_instance.release();
    QCoreApplication::exit(0);
}

void endProcess(QtInstance &instance, int code)
{
    instance.release();
    std::fflush(nullptr);
    std::_Exit(code);
}

bool QtProgram::openExternal(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace platform
