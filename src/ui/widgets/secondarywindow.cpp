#include "ui/widgets/secondarywindow.h"

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
    // Hiding alone would leave the program running without a window once this was the last
    // one: closing it lets the program end, as the close box does. closeEvent unloads.
    if (m_loaded)
        close();
}

void SecondaryWindow::closeEvent(QCloseEvent *event)
{
    if (m_loaded) {
        m_loaded = false;
        Form_Unload();
    }
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
