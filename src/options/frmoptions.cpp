#include "options/frmoptions.h"

frmOptions::frmOptions(platform::Services &services, QWidget *parent)
    : SecondaryWindow(parent)
    , m_services(services)
{
}
