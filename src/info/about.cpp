#include "info/about.h"

About::About(platform::Services &services, QWidget *parent)
    : SecondaryWindow(parent)
    , m_services(services)
{
}
