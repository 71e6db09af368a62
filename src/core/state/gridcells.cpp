#include "core/state/gridcells.h"

#include "core/names/rules.h"
#include "core/pictures/picturecache.h"
#include "core/pictures/takentime.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>

#include <algorithm>

GridCells::GridCells(PictureCache &cache, QObject *parent)
    : QObject(parent)
    , m_cache(cache)
{
}

GridCells::~GridCells()
{
    // Reads under way still write into the cache; their results go nowhere.
    ++m_generation;
    m_pool.clear();
    m_pool.waitForDone();
}

void GridCells::build(const QString &folder, const QStringList &names, const QStringList &listed)
{
    clear();
    m_folder = folder;
    m_names = names;
    m_listed = listed.isEmpty() ? names : listed;
    m_cells.resize(static_cast<size_t>(names.size()));
    m_pool.setMaxThreadCount(m_cache.threadCount());
    Q_EMIT progress(0, count());
    if (names.isEmpty())
        Q_EMIT built();
    readMore();
}

void GridCells::clear()
{
    // Reads under way (a few: the queue is kept short) finish for nothing.
    ++m_generation;
    m_folder.clear();
    m_names.clear();
    m_listed.clear();
    std::vector<Cell>().swap(m_cells);
    m_done = 0;
    m_nextInOrder = 0;
    m_first = 0;
    m_last = -1;
}

QString GridCells::path(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return rules::joinPath(m_folder, m_names[index]);
}

const GridCells::Cell &GridCells::cell(int index) const
{
    static const Cell none;
    if (index < 0 || index >= count())
        return none;
    return m_cells[static_cast<size_t>(index)];
}

void GridCells::setOnScreen(int first, int last)
{
    const int oldFirst = m_first - m_margin;
    const int oldLast = m_last + m_margin;
    m_first = std::max(0, first);
    m_last = std::min(count() - 1, last);
    for (int i = std::max(0, oldFirst); i <= std::min(count() - 1, oldLast); ++i) {
        if (!nearScreen(i))
            m_cells[static_cast<size_t>(i)].image = QImage();
    }
    readMore();
}

bool GridCells::nearScreen(int index) const
{
    return index >= m_first - m_margin && index <= m_last + m_margin;
}

int GridCells::heldThumbnails() const
{
    return static_cast<int>(std::count_if(
        m_cells.begin(), m_cells.end(), [](const Cell &c) { return !c.image.isNull(); }));
}

bool GridCells::wanted(int index) const
{
    const Cell &c = m_cells[static_cast<size_t>(index)];
    if (c.reading)
        return false;
    return c.shown == Shown::Pending || (c.shown == Shown::Picture && c.image.isNull());
}

int GridCells::nextToRead()
{
    // The rows on screen, then those around them, then the rest in order.
    for (int i = m_first; i <= m_last; ++i) {
        if (wanted(i))
            return i;
    }
    const int from = std::max(0, m_first - m_margin);
    const int to = std::min(count() - 1, m_last + m_margin);
    for (int i = std::max(from, m_last + 1); i <= to; ++i) {
        if (wanted(i))
            return i;
    }
    for (int i = std::min(m_first - 1, to); i >= from; --i) {
        if (wanted(i))
            return i;
    }
    while (m_nextInOrder < count()) {
        const Cell &c = m_cells[static_cast<size_t>(m_nextInOrder)];
        if (c.shown == Shown::Pending && !c.reading)
            return m_nextInOrder;
        ++m_nextInOrder;
    }
    return -1;
}

int GridCells::inFlightLimit() const
{
    // A short queue: what scrolling brings into view goes next.
    return m_pool.maxThreadCount() + 1;
}

void GridCells::readMore()
{
    while (m_inFlight < inFlightLimit()) {
        const int index = nextToRead();
        if (index < 0)
            return;
        m_cells[static_cast<size_t>(index)].reading = true;
        ++m_inFlight;
        const quint64 generation = m_generation;
        const QString file = path(index);
        PictureCache *cache = &m_cache;
        m_pool.start([this, cache, generation, index, file] {
            const LoadedPicture picture = cache->thumbnail(file);
            QMetaObject::invokeMethod(
                this, [this, generation, index, picture] { arrived(generation, index, picture); },
                Qt::QueuedConnection);
        });
    }
}

void GridCells::arrived(quint64 generation, int index, const LoadedPicture &picture)
{
    --m_inFlight;
    if (generation == m_generation) {
        Cell &c = m_cells[static_cast<size_t>(index)];
        c.reading = false;
        const bool first = c.shown == Shown::Pending;
        c.shown = picture.image.isNull() ? Shown::Broken : Shown::Picture;
        c.error = picture.error;
        c.taken = picture.taken;
        if (nearScreen(index))
            c.image = picture.image;
        Q_EMIT cellChanged(index);
        if (first) {
            ++m_done;
            Q_EMIT progress(m_done, count());
            if (m_done == count()) {
                if (m_orderByTaken)
                    orderByTaken();
                Q_EMIT built();
            }
        }
    }
    readMore();
}

void GridCells::orderByTaken()
{
    std::vector<takentime::Key> keys(m_cells.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        keys[i].taken = m_cells[i].taken;
        // A look at the file's entry, not a read of it, and only for pictures without a time.
        if (!keys[i].taken.isValid())
            keys[i].modified = QFileInfo(path(int(i))).lastModified();
    }
    const std::vector<int> order = takentime::order(keys);
    if (std::is_sorted(order.begin(), order.end()))
        return;
    // Reads under way were asked for the cells where they were: they finish for nothing.
    ++m_generation;
    QStringList names;
    std::vector<Cell> cells(m_cells.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const size_t from = size_t(order[i]);
        names.append(m_names[qsizetype(from)]);
        cells[i] = std::move(m_cells[from]);
        cells[i].reading = false;
        if (!nearScreen(int(i)))
            cells[i].image = QImage();
    }
    m_names = std::move(names);
    m_cells = std::move(cells);
    Q_EMIT reordered();
}

bool GridCells::waitUntilBuilt(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const auto settled = [this] {
        if (isBuilding() || m_inFlight > 0)
            return false;
        for (int i = std::max(0, m_first - m_margin); i <= std::min(count() - 1, m_last + m_margin);
             ++i) {
            if (wanted(i))
                return false;
        }
        return true;
    };
    while (!settled()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(
            m_inFlight > 0 ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
    }
    return true;
}
