#pragma once

#include "app/platform.h"
#include "app/secondarywindow.h"

// Shows the help page with back, forward, home and close buttons.
class Help : public SecondaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Help)
public:
    explicit Help(platform::Services &services, QWidget *parent = nullptr);

private:
    platform::Services &m_services;
};
