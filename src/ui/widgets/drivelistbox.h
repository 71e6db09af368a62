#pragma once

#include "core/files/platform.h"

#include <QComboBox>

// The drive list: the drives (or, without drive letters, the mounted volumes) a user
// cares about, read afresh each time the list opens. Choosing one from the opened list, or
// pressing Enter on the one shown, emits changed(); other keys and the mouse wheel only move
// through the list, which shows the chosen drive again when it loses the focus.
class DriveListBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveListBox(platform::Drives &drives, QWidget *parent = nullptr);

    // The text of the drive shown, and the folder that opens it.
    QString drive() const;
    QString root() const;
    // Shows the drive that holds the path, without emitting changed().
    void showDriveOf(const QString &path);
    void refresh();
    void showPopup() override;

Q_SIGNALS:
    void changed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void choose();
    void showChosen();

    platform::Drives &m_drives;
    std::vector<platform::Drive> m_list;
    // The root of the drive last chosen, or shown by showDriveOf().
    QString m_chosen;
    bool m_browsing = false;
};
