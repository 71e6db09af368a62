#pragma once

#include "app/platform.h"

#include <QComboBox>

// The drive list: the drives (or, without drive letters, the mounted volumes) a user
// cares about. Picking one emits changed().
class DriveListBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveListBox(platform::Drives &drives, QWidget *parent = nullptr);

    // The text of the chosen drive, and the folder that opens it.
    QString drive() const;
    QString root() const;
    // Shows the drive that holds the path, without emitting changed().
    void showDriveOf(const QString &path);
    void refresh();

Q_SIGNALS:
    void changed();

private:
    platform::Drives &m_drives;
    std::vector<platform::Drive> m_list;
};
