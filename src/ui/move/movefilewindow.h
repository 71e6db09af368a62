#pragma once

#include "core/files/platform.h"
#include "core/flows/moveflow.h"
#include "ui/widgets/secondarywindow.h"

#include <QSet>

#include <functional>

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class BrowserState;
class DriveListBox;
class FolderListBox;

// Moves the selected pictures to a folder the user picks or creates.
class MoveFileWindow : public SecondaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MoveFileWindow)
public:
    MoveFileWindow(platform::Services &services, BrowserState &state, QWidget *parent = nullptr);

    // Asks, runs the plan through the journal and reports how many files moved and why the
    // others did not: the one way a move runs, from this window or from a drop onto a folder.
    // beforeReport runs once the files are moved, before the report is shown. False when the
    // user cancelled.
    static bool askAndMove(platform::Services &services, const flows::MovePlan &plan,
        const std::function<void()> &beforeReport = {});

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

Q_SIGNALS:
    // The pictures moved, and the window is about to close: the main window comes to the
    // front again, and is shown first if it had been closed, so that the program does not end.
    void moved();

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
    // Plans the move of the pictures to the destination chosen, if any, and shows the plan.
    void showPlan(const QString &destination);

    platform::Services &m_services;
    BrowserState &m_state;
    // The pictures the window was opened with, and the move of them the lists show.
    QStringList m_pictures;
    flows::MovePlan m_plan;
    // The folders made here since the window was opened.
    QSet<QString> m_madeFolders;
};
