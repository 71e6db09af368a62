#pragma once

#include "core/files/platform.h"
#include "core/flows/renameflow.h"
#include "ui/widgets/secondarywindow.h"

#include <QDateTime>
#include <QHash>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class BrowserState;

// Batch rename: copies the selection and renames the files to a prefix and a running number.
class Rename : public SecondaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Rename)
public:
    Rename(platform::Services &services, BrowserState &state, QWidget *parent = nullptr);

    QGroupBox *Frame1 = nullptr;
    QListWidget *List1 = nullptr;
    QGroupBox *Frame4 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QPushButton *Command1 = nullptr;
    QListWidget *List2 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Go = nullptr;
    // Each new name begins with the date its picture was taken, off at start.
    QCheckBox *DateTaken = nullptr;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private slots:
    void Command1_Click();
    void Command2_Click();
    void Go_Click();

private:
    void buildControls();
    void connectEvents();
    // Shows why a name cannot be used under the rules of its volume.
    void refuseName(rules::NameProblem problem, rules::NameRules nameRules);
    // When the picture was taken, read once while the window is open: the order and each
    // preview of dated names ask again.
    QDateTime taken(const QString &path);
    platform::Services &m_services;
    BrowserState &m_state;
    // The files List1 shows, with the new names List2 shows once the preview is built.
    flows::RenamePlan m_plan;
    QHash<QString, QDateTime> m_taken;
};
