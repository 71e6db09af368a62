#include "rename/rename.h"

Rename::Rename(platform::Services &services, QWidget *parent)
    : SecondaryWindow(parent)
    , m_services(services)
{
}
