#include "ui/main/frmmain.h"

#include "core/pictures/picturecache.h"
#include "core/state/gridcells.h"
#include "ui/info/about.h"
#include "ui/info/help.h"
#include "ui/move/movefilewindow.h"
#include "ui/options/frmoptions.h"
#include "ui/rename/rename.h"
#include "ui/widgets/mainwindow.h"

frmMain::~frmMain()
{
    if (MainWindow == this)
        MainWindow = nullptr;
}

// Each secondary window is made the first time its command is used and kept from then on.

Rename *frmMain::renameWindow()
{
    if (!m_rename)
        m_rename = std::make_unique<Rename>(m_services);
    return m_rename.get();
}

MoveFileWindow *frmMain::moveWindow()
{
    if (!m_move)
        m_move = std::make_unique<MoveFileWindow>(m_services);
    return m_move.get();
}

frmOptions *frmMain::optionsWindow()
{
    if (!m_options)
        m_options = std::make_unique<frmOptions>(m_services);
    return m_options.get();
}

Help *frmMain::helpWindow()
{
    if (!m_help)
        m_help = std::make_unique<Help>(m_services);
    return m_help.get();
}

About *frmMain::aboutWindow()
{
    if (!m_about)
        m_about = std::make_unique<About>(m_services);
    return m_about.get();
}

void frmMain::mnuRename_Click()
{
    renameWindow()->showWindow();
}

void frmMain::mnuMovePictures_Click()
{
    moveWindow()->showWindow();
}

void frmMain::mnuToolsOptions_Click()
{
    optionsWindow()->showWindow();
}

void frmMain::mnuHelpContents_Click()
{
    helpWindow()->showWindow();
}

void frmMain::mnuHelpAbout_Click()
{
    aboutWindow()->showWindow();
}

BrowserState *mainState()
{
    return MainWindow != nullptr ? &MainWindow->state() : nullptr;
}

QWidget *mainWidget()
{
    return MainWindow;
}
