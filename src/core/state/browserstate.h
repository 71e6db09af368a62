#pragma once

#include "core/flows/jobs.h"

#include <QObject>
#include <QSet>
#include <QStringList>

// The program's settings, as the options window sets them, with their start values.
struct BrowserSettings {
    // The picture formats listed: ";"-separated wildcards.
    QString imageFormat = QStringLiteral("*.jpg;*.jpeg;*.bmp;*.gif;*.ico");
    // Deleted pictures go to the trash rather than away for good.
    bool deleteRecycle = true;
    // True while thumbnails load only when the View Thumbnails button is pressed.
    bool thumbManual = false;
    // A RAW file beside a JPEG of the same name is shown, renamed, moved and deleted with it.
    bool keepPairs = false;
    // The grid and Select All follow the time each picture was taken rather than its name.
    bool orderByTaken = false;
    // Thumbnails and the large preview show each picture in its own proportions, centred in
    // its box, rather than stretched to fill it.
    bool keepProportions = false;
    // These choices are kept for the next start (savedsettings); every run starts from the
    // values above otherwise.
    bool rememberChoices = false;

    bool autoThumbnails() const { return !thumbManual; }
    bool operator==(const BrowserSettings &) const = default;
};

// What the main window shows and the other windows work on: the settings, the folder shown
// with its picture files, and the selection in the order it was made. The windows are views
// of it: they change it through these calls and follow it through the signals.
class BrowserState : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowserState)
public:
    explicit BrowserState(QObject *parent = nullptr);

    const BrowserSettings &settings() const { return m_settings; }
    // Changes the settings, and says so; when the formats or the pairing changed, the folder
    // shown is listed again with them (formatsChanged).
    void setSettings(const BrowserSettings &settings);
    void setThumbManual(bool manual);

    // The folder shown and its files that match the picture formats, as bare names in
    // case-insensitive alphabetical order.
    QString folder() const { return m_folder; }
    QStringList fileNames() const { return m_fileNames; }
    // Lists a folder with the picture formats set now.
    void showFolder(const QString &folder);
    // Lists the folder shown again, with the formats it was shown with.
    void refreshFiles();
    // The formats or the pairing changed: the folder shown is listed again with them, and in
    // automatic mode its grid is built again at once.
    void formatsChanged();

    // The selection: full paths, in the order they were selected, each once. It outlives
    // folder changes.
    QStringList selection() const { return m_selection; }
    bool isSelected(const QString &path) const { return m_selected.contains(path); }
    void select(const QStringList &paths);
    void deselect(const QString &path);
    // Selects a path that is not selected and deselects one that is; true when it ends selected.
    bool toggle(const QString &path);
    void clearSelection();
    // The files a job on the selection changes: the selection and, when pairs are kept
    // together, after each picture the RAW file and the sidecar that go with it.
    QStringList jobFiles() const;
    jobs::Pairs pairs() const
    {
        return m_settings.keepPairs ? jobs::Pairs::Together : jobs::Pairs::Apart;
    }

    // What follows a rename, a move or a delete: the selection is emptied and the folder
    // re-read; the grid is rebuilt in automatic mode, and in manual mode emptied, or kept
    // until the next build.
    enum class ManualGrid { Unload, Keep };
    Q_ENUM(ManualGrid)
    void afterJob(ManualGrid manual = ManualGrid::Unload);
    // A batch, or the undo of one, has run: what Edit > Undo offers has changed.
    void batchRan() { Q_EMIT lastBatchChanged(); }

    // Another window made a folder, which the folder lists show.
    void folderMade() { Q_EMIT foldersChanged(); }

    // The options window keeps the main window out of use while it is loaded; the others
    // that put it back in use do so only when that window is not loaded.
    bool heldOutOfUse() const { return m_held; }
    void holdOutOfUse(bool held);
    void backInUse() { Q_EMIT usableChanged(!m_held); }

Q_SIGNALS:
    void settingsChanged();
    void selectionChanged();
    void filesChanged();
    void thumbManualChanged(bool manual);
    void rebuildRequested();
    void unloadRequested();
    void foldersChanged();
    void usableChanged(bool usable);
    void lastBatchChanged();

private:
    BrowserSettings m_settings;
    QString m_folder;
    QString m_pattern;
    QStringList m_fileNames;
    QStringList m_selection;
    // The same paths, to look up.
    QSet<QString> m_selected;
    bool m_held = false;
};

// The files of a folder that match a pattern of ";"-separated wildcards, in case-insensitive
// alphabetical order. Matching ignores case, so "*.jpg" lists "DSC00001.JPG"; an empty
// pattern lists nothing.
QStringList listPictures(const QString &folder, const QString &pattern);
