#include "ui/widgets/folderlistbox.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QStyledItemDelegate>
#include <QUrl>

namespace
{
constexpr int pathRole = Qt::UserRole;
constexpr int levelRole = Qt::UserRole + 1;
constexpr int indentPerLevel = 8;

// Draws each folder indented by its depth, so that the names themselves carry no blanks and
// typing a name finds it.
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex &index)
    {
        return index.data(levelRole).toInt() * indentPerLevel;
    }
};

// The plain files among the dropped addresses, as full paths: folders and addresses that
// are not local files are left out.
QStringList droppedFiles(const QMimeData *data)
{
    QStringList files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls()) {
        const QFileInfo info(url.toLocalFile());
        if (url.isLocalFile() && info.isFile())
            files.append(QDir::toNativeSeparators(info.absoluteFilePath()));
    }
    return files;
}

// The file manager is told that the files were copied, whatever it offered: then it deletes
// nothing itself, and the files are moved here by a job that never loses one.
bool takeAsCopy(QDropEvent *event)
{
    if (!event->possibleActions().testFlag(Qt::CopyAction))
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}
} // namespace

FolderListBox::FolderListBox(QWidget *parent)
    : QListWidget(parent)
{
    setUniformItemSizes(true);
    setItemDelegate(new IndentDelegate(this));
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

QString FolderListBox::cannotOpenText(const QString &path)
{
    return tr("The folder %1 cannot be opened. It may have been removed, or you may not have "
              "permission to read it.")
        .arg(path);
}

void FolderListBox::openItem(QListWidgetItem *item)
{
    const QString target = item->data(pathRole).toString();
    if (target == m_path) {
        // Opening the folder shown reads it again.
        refresh();
        Q_EMIT changed();
        return;
    }
    if (!setPath(target)) {
        // The folder may have gone: the list shows what is there now, at the folder shown.
        refresh();
        Q_EMIT openFailed(target);
    }
}

void FolderListBox::acceptFileDrops()
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

QString FolderListBox::folderAt(const QPoint &position) const
{
    const QListWidgetItem *item = itemAt(position);
    return item != nullptr ? item->data(pathRole).toString() : QString();
}

void FolderListBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (droppedFiles(event->mimeData()).isEmpty() || !takeAsCopy(event))
        event->ignore();
}

void FolderListBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (folderAt(event->position().toPoint()).isEmpty() || !takeAsCopy(event))
        event->ignore();
}

void FolderListBox::dropEvent(QDropEvent *event)
{
    const QString folder = folderAt(event->position().toPoint());
    const QStringList files = droppedFiles(event->mimeData());
    if (folder.isEmpty() || files.isEmpty() || !takeAsCopy(event)) {
        event->ignore();
        return;
    }
    Q_EMIT filesDropped(files, folder);
}

void FolderListBox::refresh()
{
    clear();
    if (m_path.isEmpty())
        return;
    const QIcon open(QStringLiteral(":/icons/folderopen.svg"));
    const QIcon closed(QStringLiteral(":/icons/folderclosed.svg"));

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
        auto *item = new QListWidgetItem(open, name);
        item->setData(pathRole, QDir::toNativeSeparators(folder));
        item->setData(levelRole, level);
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
        auto *item = new QListWidgetItem(closed, sub.fileName());
        item->setData(pathRole, QDir::toNativeSeparators(sub.absoluteFilePath()));
        item->setData(levelRole, level);
        addItem(item);
    }
    setCurrentItem(current);
}
