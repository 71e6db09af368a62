#pragma once

#include "app/platform.h"
#include "app/secondarywindow.h"

// Edits the program settings: picture formats, delete mode, thumbnail loading.
class frmOptions : public SecondaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmOptions)
public:
    explicit frmOptions(platform::Services &services, QWidget *parent = nullptr);

private:
    platform::Services &m_services;
};
