#include "app/secondarywindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

SecondaryWindow::SecondaryWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
}

void SecondaryWindow::showWindow()
{
    if (!m_loaded) {
        m_loaded = true;
        centreOnScreen();
        Form_Load();
    }
    show();
    raise();
    activateWindow();
}

void SecondaryWindow::unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    Form_Unload();
    hide();
}

void SecondaryWindow::closeEvent(QCloseEvent *event)
{
    unload();
    event->accept();
}

void SecondaryWindow::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame = geometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}
