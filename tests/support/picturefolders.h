#pragma once

#include "browser/frmmain.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A main window on fake services that counts the pictures it reads.
struct MainSession {
    FakeServices services;
    CountingLoader loader;
    frmMain w { services, loader };
};

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
    // Makes the folder with the named pictures in it; returns its path.
    QString make(const QString &name, const QStringList &files);
    // Loads the window (started from the temporary folder), shows and activates it, then
    // opens the folder as the user would.
    [[nodiscard]] bool open(frmMain &w, const QString &folder) const;

private:
    QTemporaryDir m_dir;
    QString m_startFolder;
    int m_hue = 0;
};
