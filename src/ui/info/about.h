#pragma once

#include "core/files/platform.h"
#include "ui/widgets/secondarywindow.h"

class QLabel;

// Shows the program's name, version and logo; it has no behaviour of its own.
class About : public SecondaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(About)
public:
    explicit About(platform::Services &services, QWidget *parent = nullptr);

    QLabel *Picture1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;

private:
    void buildControls();
};
