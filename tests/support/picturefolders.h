#pragma once

#include "support/fakeservices.h"
#include "support/testpictures.h"
#include "ui/main/frmmain.h"

#include <QString>
#include <QStringList>

class QListWidget;

// A main window on fake services that counts the pictures it reads.
struct MainSession {
    FakeServices services;
    CountingLoader loader;
    frmMain w { services, loader };
};

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
