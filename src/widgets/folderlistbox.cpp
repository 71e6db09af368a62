#include "widgets/folderlistbox.h"

#include <QDir>
#include <QFileInfo>
#include <QStyledItemDelegate>

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
