#pragma once

#include "app/platform.h"
#include "app/secondarywindow.h"

// Shows the program's name, version and logo.
class About : public SecondaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(About)
public:
    explicit About(platform::Services &services, QWidget *parent = nullptr);

private:
    platform::Services &m_services;
};
