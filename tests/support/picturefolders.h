#pragma once

#include "core/state/gridcells.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"
#include "ui/main/frmmain.h"
#include "ui/main/picturepreview.h"
#include "ui/main/thumbnailgrid.h"
#include "ui/main/thumbnailview.h"

#include <QString>
#include <QStringList>

class QListWidget;

// A main window on fake services that counts the pictures it reads.
struct MainSession {
    FakeServices services;
    CountingLoader loader;
    frmMain w { services, loader };
};

// A window's control, or part, by its name (any name when none is given), as the user's tools
// find it. A test that asks for one the window does not have stops there, naming it.
template <class T>
T &control(const QObject &window, const char *name = "")
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (found == nullptr)
        qFatal("%s has no %s named \"%s\"", window.metaObject()->className(),
            T::staticMetaObject.className(), name);
    return *found;
}

// Clicks thumbnail i as the user would, inside its picture.
void clickThumbnail(frmMain &w, int i);

// The texts of a list's entries, in order.
QStringList listTexts(const QListWidget *list);

// What a reader sees of a tooltip: rich text as it is drawn, plain text as it is.
QString shownTip(const QString &tip);

// Folders of real pictures, and a main window opened on one of them. The process's current
// folder is put back afterwards.
class PictureFolders : public TestFolders
{
public:
    PictureFolders();
    ~PictureFolders();
    PictureFolders(const PictureFolders &) = delete;
    PictureFolders &operator=(const PictureFolders &) = delete;

    // Loads the window (started from the temporary folder), shows and activates it, then
    // opens the folder as the user would, and waits for its grid.
    [[nodiscard]] bool open(frmMain &w, const QString &folder) const;
    // Selects pictures ("folder/name", relative to the temporary folder) in that order in an
    // opened window, as the user would: opening each one's folder, building the grid when it
    // is built by hand, and clicking the thumbnail.
    [[nodiscard]] bool select(frmMain &w, const QStringList &files) const;

private:
    QString m_startFolder;
};
