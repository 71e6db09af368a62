#include "ui/main/startup.h"

#include "core/pictures/picturecache.h"
#include "core/pictures/pictureloader.h"
#include "core/pictures/sharedthumbnails.h"
#include "core/state/savedsettings.h"
#include "ui/info/frmsplash.h"
#include "ui/main/frmmain.h"
#include "ui/widgets/qtplatform.h"

#include <QApplication>

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
    platform::endProcess(services.instance(), QApplication::exec());
}
