#pragma once

#include "app/platform.h"
#include "app/secondarywindow.h"

// Batch rename: copies the selection and renames the files to a prefix and a running number.
class Rename : public SecondaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Rename)
public:
    explicit Rename(platform::Services &services, QWidget *parent = nullptr);

private:
    platform::Services &m_services;
};
