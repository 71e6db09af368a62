#include "ui/main/frmmain.h"

#include "ui/info/about.h"
#include "ui/info/help.h"
#include "ui/main/filecommands.h"
#include "ui/main/picturepreview.h"
#include "ui/main/thumbnailgrid.h"
#include "ui/move/movefilewindow.h"
#include "ui/options/frmoptions.h"
#include "ui/rename/rename.h"
#include <QWindow>

frmMain::~frmMain()
{
    // The windows still loaded close after this one is gone, and reach it no more.
    for (const QObject *part : { static_cast<QObject *>(this), static_cast<QObject *>(m_grid.get()),
             static_cast<QObject *>(m_commands.get()) })
        m_state.disconnect(part);
    if (m_options)
        m_options->disconnect(this);
}

// Each secondary window is made the first time its command is used and kept from then on.

Rename *frmMain::renameWindow()
{
    if (!m_rename)
        m_rename = std::make_unique<Rename>(m_services, m_state);
    return m_rename.get();
}

MoveFileWindow *frmMain::moveWindow()
{
    if (!m_move) {
        m_move = std::make_unique<MoveFileWindow>(m_services, m_state);
        connect(m_move.get(), &MoveFileWindow::moved, this, [this] {
            show();
            raise();
            activateWindow();
        });
    }
    return m_move.get();
}

frmOptions *frmMain::optionsWindow()
{
    if (!m_options) {
        m_options = std::make_unique<frmOptions>(m_services, m_state);
        connect(m_options.get(), &frmOptions::loaded, this, [this] { keepInFront(*m_options); });
        connect(m_options.get(), &frmOptions::unloaded, this, &QWidget::activateWindow);
    }
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

void frmMain::keepInFront(QWidget &window)
{
    // Without an owner, a click on the main window would bury the window behind it, and the
    // program would look frozen. A child widget would be disabled with the main window, so the
    // main window owns it only as the window system sees it.
    if (QWindow *owner = windowHandle()) {
        window.winId();
        window.windowHandle()->setTransientParent(owner);
    }
    if (!isVisible())
        return;
    QRect frame = window.geometry();
    frame.moveCenter(frameGeometry().center());
    window.move(frame.topLeft());
}
