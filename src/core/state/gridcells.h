#pragma once

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QStringList>
#include <QThreadPool>
#include <vector>

class PictureCache;
struct LoadedPicture;

// The cells of the thumbnail grid: one per file of the folder it was built from, with the
// file's thumbnail or how far it got. Thumbnails are read in the background, the rows on
// screen first, then the rest in order; a new folder cancels the build it leaves. Only the
// rows on screen and a bounded margin around them hold their thumbnails: the rest read theirs
// again, from the picture cache, when they come into view.
class GridCells : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GridCells)
public:
    enum class Shown { Pending, Picture, Broken };
    struct Cell {
        QImage image;
        QString error;
        // When the picture was taken, as its read found (see takenTime).
        QDateTime taken;
        Shown shown = Shown::Pending;
        bool reading = false;
    };

    explicit GridCells(PictureCache &cache, QObject *parent = nullptr);
    ~GridCells() override;

    // Starts the grid of a folder's files, cancelling the build of the grid before. listed,
    // when given, is the order the names came in, if names is already another (a grid read
    // again in its order).
    void build(const QString &folder, const QStringList &names, const QStringList &listed = {});
    // Once every cell is read, the cells are put in the order the pictures were taken
    // (takentime::order) instead of the order given (for the builds from now on).
    void setOrderByTaken(bool on) { m_orderByTaken = on; }
    bool ordersByTaken() const { return m_orderByTaken; }
    // Lets go of every cell and thumbnail.
    void clear();

    QString folder() const { return m_folder; }
    // The names in the grid's order; listedNames in the order the build was given them.
    const QStringList &names() const { return m_names; }
    const QStringList &listedNames() const { return m_listed; }
    int count() const { return static_cast<int>(m_names.size()); }
    QString path(int index) const;
    // The cell at index; an empty pending cell out of range.
    const Cell &cell(int index) const;

    // The cells on screen, first to last inclusive: read before any other. Thumbnails more
    // than the margin away from them are let go of.
    void setOnScreen(int first, int last);
    int firstOnScreen() const { return m_first; }
    int lastOnScreen() const { return m_last; }
    void setMargin(int cells) { m_margin = cells; }
    int margin() const { return m_margin; }

    // Cells whose thumbnail or failure is known.
    int done() const { return m_done; }
    bool isBuilding() const { return m_done < count(); }
    int heldThumbnails() const;
    // Handles events until the grid is built and the cells near the screen hold their
    // thumbnails, or the time is up; false then.
    bool waitUntilBuilt(int timeoutMs = 30000);

Q_SIGNALS:
    void cellChanged(int index);
    void progress(int done, int total);
    // The cells were put in the order the pictures were taken, just before built.
    void reordered();
    void built();

private:
    bool nearScreen(int index) const;
    bool wanted(int index) const;
    int nextToRead();
    void readMore();
    void arrived(quint64 generation, int index, const LoadedPicture &picture);
    void orderByTaken();
    int inFlightLimit() const;

    PictureCache &m_cache;
    QThreadPool m_pool;
    QString m_folder;
    QStringList m_names;
    QStringList m_listed;
    std::vector<Cell> m_cells;
    bool m_orderByTaken = false;
    quint64 m_generation = 0;
    int m_done = 0;
    int m_inFlight = 0;
    int m_nextInOrder = 0;
    int m_first = 0;
    int m_last = -1;
    int m_margin = 250;
};
