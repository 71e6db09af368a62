#pragma once

#include "core/platform.h"
#include "widgets/secondarywindow.h"

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class DriveListBox;
class FolderListBox;

// Moves the selected pictures to a folder the user picks or creates.
class MoveFileWindow : public SecondaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MoveFileWindow)
public:
    explicit MoveFileWindow(platform::Services &services, QWidget *parent = nullptr);

    QGroupBox *NewFolder = nullptr;
    QLineEdit *Text4 = nullptr;
    QPushButton *MakeDir = nullptr;
    QGroupBox *Frame3 = nullptr;
    DriveListBox *Drive2 = nullptr;
    FolderListBox *Dir2 = nullptr;
    QLineEdit *Text5 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QListWidget *List1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QListWidget *List2 = nullptr;
    QPushButton *MoveFolderOK = nullptr;
    QPushButton *Command1 = nullptr;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private slots:
    void Drive2_Change();
    void Dir2_Change();
    void MakeDir_Click();
    void Command1_Click();
    void MoveFolderOK_Click();
    void openFailed(const QString &path);

private:
    void buildControls();
    void connectEvents();
    void returnToMainWindow();

    platform::Services &m_services;
    // The entry being worked on and where it goes.
    QString CurrentPath;
    QString NewPath;
    // Files actually moved by the last press of "Move Pictures".
    int MovedCount = 0;
    platform::Answer MoveAnswer = platform::Answer::Cancel;
};
