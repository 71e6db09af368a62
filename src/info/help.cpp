#include "info/help.h"

Help::Help(platform::Services &services, QWidget *parent)
    : SecondaryWindow(parent)
    , m_services(services)
{
}
