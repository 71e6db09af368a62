#pragma once

#include <QFrame>

class QGroupBox;
class QLabel;

// The window shown while the program starts: the logo, the name and the version. It has no
// behaviour; clicks and keys do nothing.
class frmSplash : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSplash)
public:
    explicit frmSplash(QWidget *parent = nullptr);

    QGroupBox *fraMainFrame = nullptr;
    QLabel *picLogo = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *lblVersion = nullptr;

private:
    void buildControls();
};
