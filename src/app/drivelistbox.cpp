#include "app/drivelistbox.h"

#include "app/rules.h"

#include <QSignalBlocker>

DriveListBox::DriveListBox(platform::Drives &drives, QWidget *parent)
    : QComboBox(parent)
    , m_drives(drives)
{
    refresh();
    connect(this, &QComboBox::activated, this, [this](int) { Q_EMIT changed(); });
}

void DriveListBox::refresh()
{
    const QSignalBlocker blocker(this);
    const QString current = drive();
    m_list = m_drives.drives();
    clear();
    for (const platform::Drive &d : m_list)
        addItem(d.text);
    const int index = findText(current);
    if (index >= 0)
        setCurrentIndex(index);
}

QString DriveListBox::drive() const
{
    return currentText();
}

QString DriveListBox::root() const
{
    const int index = currentIndex();
    if (index < 0 || index >= static_cast<int>(m_list.size()))
        return {};
    return m_list[static_cast<size_t>(index)].root;
}

void DriveListBox::showDriveOf(const QString &path)
{
    // The drive whose root is the longest start of the path.
    int best = -1;
    qsizetype bestLength = -1;
    const Qt::CaseSensitivity cs
        = rules::nativeSeparator() == QLatin1Char('\\') ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (size_t i = 0; i < m_list.size(); ++i) {
        const QString &root = m_list[i].root;
        const bool inside = path.startsWith(root, cs)
            && (path.size() == root.size() || rules::isSeparator(root.back())
                || rules::isSeparator(path.at(root.size())));
        if (inside && root.size() > bestLength) {
            best = static_cast<int>(i);
            bestLength = root.size();
        }
    }
    if (best >= 0) {
        const QSignalBlocker blocker(this);
        setCurrentIndex(best);
    }
}
