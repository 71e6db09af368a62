#pragma once

#include "support/fakeservices.h"
#include "support/testpictures.h"
#include "ui/main/frmmain.h"

#include <QByteArrayList>
#include <QColor>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

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

// Folders of real pictures under one temporary folder, each picture of its own colour, and a
// main window opened on one of them. The process's current folder is put back afterwards.
class PictureFolders
{
public:
    PictureFolders();
    ~PictureFolders();
    PictureFolders(const PictureFolders &) = delete;
    PictureFolders &operator=(const PictureFolders &) = delete;

    // The temporary folder, or a path inside it, with native separators.
    QString path(const QString &relative = {}) const;
    QStringList paths(const QStringList &relative) const;
    // Makes the folder with the named pictures in it; returns its path.
    QString make(const QString &name, const QStringList &files, QSize size = QSize(64, 48));
    // Loads the window (started from the temporary folder), shows and activates it, then
    // opens the folder as the user would, and waits for its grid.
    [[nodiscard]] bool open(frmMain &w, const QString &folder) const;
    // Selects pictures ("folder/name", relative to the temporary folder) in that order in an
    // opened window, as the user would: opening each one's folder, building the grid when it
    // is built by hand, and clicking the thumbnail.
    [[nodiscard]] bool select(frmMain &w, const QStringList &files) const;
    // Every file under the temporary folder, hidden ones too, by relative path in name order.
    QStringList files() const;
    // The contents of the files, by relative path; empty for a file that is not there.
    QByteArrayList bytes(const QStringList &files) const;

private:
    QTemporaryDir m_dir;
    QString m_startFolder;
    int m_hue = 0;
};
