#include "core/pictures/pictureloader.h"
#include "core/state/commandline.h"
#include "ui/info/frmsplash.h"
#include "ui/main/startup.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/qtplatform.h"
#include "ui/widgets/translations.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLocale>
#include <QWindow>
#include <cstdio>
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
    // The command line is read before anything reaches for the window system: --help,
    // --version and a refused argument need no display and open no window.
    StartRequest request;
    {
        const QCoreApplication commandLine(argc, argv);
        setProgramIdentity();
        installTranslations(QLocale());
        request = readCommandLine(QCoreApplication::arguments());
        // Asked for a folder while a copy runs: that copy shows it, and this start ends.
        if (request.run && !request.folder.isEmpty() && handOverToRunningCopy(request.folder))
            return 0;
    }
    if (!request.run) {
        std::fputs(qPrintable(request.message), request.exitCode == 0 ? stdout : stderr);
        return request.exitCode;
    }

    QApplication app(argc, argv);
    setProgramIdentity();
    installFontSubstitutes();
    installTranslations(QLocale());

    platform::QtServices services;
    const QtPictureLoader loader;

    auto splash = std::make_unique<frmSplash>();
    showAtOnce(*splash);

    return runMainWindow(services, loader, std::move(splash), request.folder);
}
