#pragma once

#include "app/platform.h"
#include "app/secondarywindow.h"

// Moves the selected pictures to a folder the user picks or creates.
class MoveFileWindow : public SecondaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MoveFileWindow)
public:
    explicit MoveFileWindow(platform::Services &services, QWidget *parent = nullptr);

private:
    platform::Services &m_services;
};
