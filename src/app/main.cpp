#include "app/fonts.h"
#include "app/mainwindow.h"
#include "app/qtplatform.h"
#include "browser/frmmain.h"
#include "browser/pictureloader.h"
#include "info/frmsplash.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QWindow>
#include <memory>

namespace
{
// How long startup waits for the window system to put the splash window on screen.
constexpr int splashExposeMs = 1000;
constexpr int splashEventSliceMs = 10;

// Shows the splash window and paints it before the main window starts loading, which keeps
// the event loop busy until it is done.
void showAtOnce(frmSplash &splash)
{
    splash.show();
    const QDeadlineTimer deadline(splashExposeMs);
    while (!splash.windowHandle()->isExposed() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, splashEventSliceMs);
    splash.repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(platform::programTitle);
    installFontSubstitutes();

    platform::QtServices services;
    const QtPictureLoader loader;

    auto splash = std::make_unique<frmSplash>();
    showAtOnce(*splash);

    frmMain window(services, loader);
    if (!window.Form_Load())
        return 0;
    splash.reset();
    window.show();
    return QApplication::exec();
}
