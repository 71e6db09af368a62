#include "ui/widgets/filelistbox.h"

FileListBox::FileListBox(QWidget *parent)
    : QListWidget(parent)
{
    setUniformItemSizes(true);
}

void FileListBox::showFiles(const QString &path, const QStringList &names)
{
    m_path = path;
    clear();
    addItems(names);
}

QString FileListBox::fileName(int index) const
{
    const QListWidgetItem *entry = item(index);
    return entry != nullptr ? entry->text() : QString();
}

QStringList FileListBox::fileNames() const
{
    QStringList names;
    names.reserve(count());
    for (int i = 0; i < count(); ++i)
        names.append(item(i)->text());
    return names;
}
