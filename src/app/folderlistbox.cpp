#include "app/folderlistbox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace
{
constexpr int pathRole = Qt::UserRole;
constexpr int indentPerLevel = 2;
} // namespace

FolderListBox::FolderListBox(QWidget *parent)
    : QListWidget(parent)
{
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemActivated, this, &FolderListBox::openItem);
}

bool FolderListBox::setPath(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable() || !QDir(path).isReadable())
        return false;
    const QString clean = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
    if (clean == m_path)
        return true;
    m_path = clean;
    refresh();
    Q_EMIT changed();
    return true;
}

void FolderListBox::openItem(QListWidgetItem *item)
{
    const QString target = item->data(pathRole).toString();
    if (target == m_path)
        return;
    if (!setPath(target))
        Q_EMIT openFailed(target);
}

void FolderListBox::refresh()
{
    clear();
    if (m_path.isEmpty())
        return;
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    // The chain of folders from the root down to the current one.
    QStringList chain;
    QDir dir(QDir::fromNativeSeparators(m_path));
    for (;;) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    int level = 0;
    QListWidgetItem *current = nullptr;
    for (const QString &folder : std::as_const(chain)) {
        const QString name = QDir(folder).isRoot() ? QDir::toNativeSeparators(folder)
                                                   : QFileInfo(folder).fileName();
        auto *item
            = new QListWidgetItem(open, QString(level * indentPerLevel, QLatin1Char(' ')) + name);
        item->setData(pathRole, QDir::toNativeSeparators(folder));
        addItem(item);
        current = item;
        ++level;
    }
    const QFileInfoList subfolders
        = QDir(QDir::fromNativeSeparators(m_path))
              .entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &sub : subfolders) {
        // A link passes the filter whatever it points at (a FIFO, a device): only folders count.
        if (!sub.isDir())
            continue;
        auto *item = new QListWidgetItem(
            closed, QString(level * indentPerLevel, QLatin1Char(' ')) + sub.fileName());
        item->setData(pathRole, QDir::toNativeSeparators(sub.absoluteFilePath()));
        addItem(item);
    }
    setCurrentItem(current);
}
