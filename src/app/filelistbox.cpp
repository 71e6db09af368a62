#include "app/filelistbox.h"

#include <QDir>

FileListBox::FileListBox(QWidget *parent)
    : QListWidget(parent)
{
    setUniformItemSizes(true);
}

void FileListBox::setPattern(const QString &pattern)
{
    if (pattern == m_pattern)
        return;
    m_pattern = pattern;
    refresh();
}

void FileListBox::setPath(const QString &path)
{
    m_path = path;
    refresh();
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

void FileListBox::refresh()
{
    clear();
    QStringList filters;
    for (const QString &part : m_pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (!part.trimmed().isEmpty())
            filters.append(part.trimmed());
    }
    // An empty pattern lists nothing rather than everything.
    if (m_path.isEmpty() || filters.isEmpty())
        return;
    QDir dir(QDir::fromNativeSeparators(m_path));
    dir.setNameFilters(filters);
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    // A link passes the filter whatever it points at; only what leads to a regular file is a
    // picture (reading a link to a FIFO or a terminal would wait for ever).
    for (const QFileInfo &entry : dir.entryInfoList()) {
        if (entry.isFile())
            addItem(entry.fileName());
    }
}
