#include "ui/widgets/drivelistbox.h"

#include "core/names/rules.h"

#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QSignalBlocker>

DriveListBox::DriveListBox(platform::Drives &drives, QWidget *parent)
    : QComboBox(parent)
    , m_drives(drives)
{
    refresh();
    m_chosen = root();
    connect(this, &QComboBox::activated, this, [this](int) {
        if (!m_browsing)
            choose();
    });
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
    else
        showChosen();
}

void DriveListBox::showPopup()
{
    // A card put in since the list was last read shows up in it.
    refresh();
    QComboBox::showPopup();
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
        m_chosen = root();
    }
}

void DriveListBox::choose()
{
    m_chosen = root();
    Q_EMIT changed();
}

void DriveListBox::showChosen()
{
    for (size_t i = 0; i < m_list.size(); ++i) {
        if (m_list[i].root == m_chosen) {
            const QSignalBlocker blocker(this);
            setCurrentIndex(static_cast<int>(i));
            return;
        }
    }
}

void DriveListBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        choose();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape)
        showChosen();
    // Arrows and letters move through the closed list without changing the drive; a key that
    // opens the list still lets the user choose from it.
    const QScopedValueRollback<bool> browsing(m_browsing, true);
    QComboBox::keyPressEvent(event);
}

void DriveListBox::wheelEvent(QWheelEvent *event)
{
    // A turn of the wheel on the way to the folder list must not leave the folder.
    event->ignore();
}

void DriveListBox::focusOutEvent(QFocusEvent *event)
{
    if (event->reason() != Qt::PopupFocusReason)
        showChosen();
    QComboBox::focusOutEvent(event);
}
