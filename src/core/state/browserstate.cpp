#include "core/state/browserstate.h"

#include "core/pictures/pictureformats.h"

#include <QDir>
#include <QSet>

#include <utility>

BrowserState::BrowserState(QObject *parent)
    : QObject(parent)
{
}

void BrowserState::setSettings(const BrowserSettings &settings)
{
    if (settings == m_settings)
        return;
    const BrowserSettings before = std::exchange(m_settings, settings);
    if (settings.thumbManual != before.thumbManual)
        Q_EMIT thumbManualChanged(settings.thumbManual);
    Q_EMIT settingsChanged();
    // A format just ticked shows in the folder on screen, not only in the next one.
    if (!m_folder.isEmpty()
        && (settings.imageFormat != before.imageFormat || settings.keepPairs != before.keepPairs))
        formatsChanged();
}

void BrowserState::setThumbManual(bool manual)
{
    // Said even when the mode stays, so that what shows the mode follows it again.
    if (manual == m_settings.thumbManual) {
        Q_EMIT thumbManualChanged(manual);
        return;
    }
    BrowserSettings settings = m_settings;
    settings.thumbManual = manual;
    setSettings(settings);
}

void BrowserState::showFolder(const QString &folder)
{
    m_folder = folder;
    m_pattern = m_settings.imageFormat;
    refreshFiles();
}

void BrowserState::refreshFiles()
{
    m_fileNames = listPictures(m_folder, m_pattern);
    if (m_settings.keepPairs)
        m_fileNames = pictureformats::withoutPairedRaws(m_fileNames);
    Q_EMIT filesChanged();
}

void BrowserState::formatsChanged()
{
    m_pattern = m_settings.imageFormat;
    refreshFiles();
    if (!m_settings.thumbManual)
        Q_EMIT rebuildRequested();
}

void BrowserState::select(const QStringList &paths)
{
    const qsizetype before = m_selection.size();
    for (const QString &path : paths) {
        if (!m_selected.contains(path)) {
            m_selected.insert(path);
            m_selection.append(path);
        }
    }
    if (m_selection.size() != before)
        Q_EMIT selectionChanged();
}

void BrowserState::deselect(const QString &path)
{
    if (m_selected.remove(path)) {
        m_selection.removeOne(path);
        Q_EMIT selectionChanged();
    }
}

bool BrowserState::toggle(const QString &path)
{
    if (isSelected(path)) {
        deselect(path);
        return false;
    }
    select({ path });
    return true;
}

void BrowserState::clearSelection()
{
    if (m_selection.isEmpty())
        return;
    m_selection.clear();
    m_selected.clear();
    Q_EMIT selectionChanged();
}

QStringList BrowserState::jobFiles() const
{
    return m_settings.keepPairs ? pictureformats::withCompanions(m_selection) : m_selection;
}

void BrowserState::afterJob(ManualGrid manual)
{
    batchRan();
    clearSelection();
    refreshFiles();
    if (!m_settings.thumbManual)
        Q_EMIT rebuildRequested();
    else if (manual == ManualGrid::Unload)
        Q_EMIT unloadRequested();
}

void BrowserState::holdOutOfUse(bool held)
{
    m_held = held;
    Q_EMIT usableChanged(!held);
}

QStringList listPictures(const QString &folder, const QString &pattern)
{
    QStringList filters;
    for (const QString &part : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (!part.trimmed().isEmpty())
            filters.append(part.trimmed());
    }
    QStringList names;
    if (folder.isEmpty() || filters.isEmpty())
        return names;
    QDir dir(QDir::fromNativeSeparators(folder));
    dir.setNameFilters(filters);
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    // A link passes the filter whatever it points at; only what leads to a regular file is a
    // picture (reading a link to a FIFO or a terminal would wait for ever).
    for (const QFileInfo &entry : dir.entryInfoList()) {
        if (entry.isFile())
            names.append(entry.fileName());
    }
    return names;
}
