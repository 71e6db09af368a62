#include "app/mainwindow.h"
#include "app/qtplatform.h"
#include "browser/frmmain.h"
#include "browser/pictureloader.h"
#include "info/frmsplash.h"

#include <QApplication>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(platform::programTitle);

    platform::QtServices services;
    const QtPictureLoader loader;

    auto splash = std::make_unique<frmSplash>();
    splash->show();
    splash->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    frmMain window(services, loader);
    if (!window.Form_Load())
        return 0;
    splash.reset();
    window.show();
    return QApplication::exec();
}
