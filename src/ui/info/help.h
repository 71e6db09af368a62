#pragma once

#include "core/files/platform.h"
#include "ui/widgets/secondarywindow.h"

class QPushButton;
class HelpBrowser;

// Shows the help page from the program's folder (or the installed data folder) with back, forward,
// home and close buttons; links to web pages open in the user's browser.
class Help : public SecondaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Help)
public:
    explicit Help(platform::Services &services, QWidget *parent = nullptr);

    HelpBrowser *WebBrowser1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;

    // The address of the help page: in the program's folder, else in the installed data folder.
    QString helpAddress() const;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void followLink(const QUrl &url);

private:
    void buildControls();
    void connectEvents();
    void navigate(const QString &address);

    platform::Services &m_services;
};
