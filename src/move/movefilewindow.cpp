#include "move/movefilewindow.h"

MoveFileWindow::MoveFileWindow(platform::Services &services, QWidget *parent)
    : SecondaryWindow(parent)
    , m_services(services)
{
}
