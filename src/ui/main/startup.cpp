#include "ui/main/startup.h"

#include "core/pictures/picturecache.h"
#include "core/pictures/pictureloader.h"
#include "core/pictures/sharedthumbnails.h"
#include "core/state/handover.h"
#include "core/state/savedsettings.h"
#include "ui/info/frmsplash.h"
#include "ui/main/frmmain.h"
#include "ui/options/frmoptions.h"
#include "ui/widgets/qtplatform.h"

#include <QApplication>
#include <QTimer>

namespace
{
// How often a folder handed over while the main window is out of use looks again.
constexpr int inUseRetryMs = 200;

void openWhenInUse(frmMain &window, const QString &folder)
{
    if (QApplication::activeModalWidget() != nullptr || !window.isEnabled()) {
        QTimer::singleShot(
            inUseRetryMs, &window, [&window, folder] { openWhenInUse(window, folder); });
        return;
    }
    window.openFolder(folder);
}
} // namespace

bool handOverToRunningCopy(const QString &folder)
{
    QString error;
    const QString lock = platform::QtInstance::standardLockPath(error);
    return !lock.isEmpty() && handover::sendFolder(handover::socketBeside(lock), folder);
}

void takeHandedFolders(handover::FolderServer &server, frmMain &window)
{
    QObject::connect(
        &server, &handover::FolderServer::folderAsked, &window, [&window](const QString &folder) {
            window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
            window.show();
            window.raise();
            // The window the main window waits for (a question, Options) takes the keys.
            QWidget *keys = QApplication::activeModalWidget();
            if (keys == nullptr && window.state().heldOutOfUse())
                keys = window.optionsWindow();
            if (keys == nullptr)
                keys = &window;
            keys->raise();
            keys->activateWindow();
            openWhenInUse(window, folder);
        });
}

int runMainWindow(platform::QtServices &services, const QtPictureLoader &loader,
    std::unique_ptr<frmSplash> splash, const QString &folder)
{
    frmMain window(services, loader);
    // The thumbnails desktop programs share serve this one, and its serve them.
    window.pictureCache().useShared(
        std::make_shared<SharedThumbnails>(SharedThumbnails::standardRoot()));
    // The choices of the last run, when the user asked for them to be kept; otherwise (and
    // from a file that cannot be read) the start values.
    window.state().setSettings(savedsettings::load(savedsettings::standardFile()));
    if (!window.Form_Load())
        return 0;
    splash.reset();
    window.show();
    // Once the window is on screen: what is left of a batch the last run did not finish.
    QMetaObject::invokeMethod(
        &window, [&window] { window.recoverUnfinishedBatch(); }, Qt::QueuedConnection);
    if (!folder.isEmpty()) {
        QMetaObject::invokeMethod(
            &window, [&window, &folder] { window.openFolder(folder); }, Qt::QueuedConnection);
    }
    // Later starts asked for a folder hand it to this copy, which holds the lock.
    handover::FolderServer handedFolders;
    if (services.instance().holdsLock()
        && handedFolders.listen(handover::socketBeside(services.instance().lockPath())))
        takeHandedFolders(handedFolders, window);
    const int code = QApplication::exec();
    // The socket goes before the lock: a start from now on does not wait for an answer.
    handedFolders.close();
    platform::endProcess(services.instance(), code);
}
