#pragma once

#include <QWidget>

// The window shown while the program starts.
class frmSplash : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSplash)
public:
    explicit frmSplash(QWidget *parent = nullptr);
};
