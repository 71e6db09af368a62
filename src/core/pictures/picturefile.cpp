#include "core/pictures/picturefile.h"

#include <cstring>

namespace
{
constexpr uchar jpegMarker = 0xFF;
constexpr uchar jpegStartOfScan = 0xDA;
} // namespace

PictureFile::PictureFile(const QString &path)
    : QFile(path)
{
}

PictureFile::~PictureFile() = default;

qint64 PictureFile::readData(char *data, qint64 maxSize)
{
    // Where the bytes about to be read lie: the descriptor's own position, whatever the
    // buffering above it.
    const qint64 offset = systemPosition();
    if (m_byteBudget >= 0) {
        const qint64 left = m_byteBudget - m_bytesRead;
        if (left <= 0) {
            m_budgetHit = m_budgetHit || (maxSize > 0 && offset >= 0 && offset < m_fileSize);
            return 0;
        }
        maxSize = qMin(maxSize, left);
    }
    if (scanLimitHit())
        return 0;
    const qint64 read = QFile::readData(data, maxSize);
    if (read <= 0)
        return read;
    m_bytesRead += read;
    if (offset < 0)
        return read;
    // Past the scan limit the bytes are dropped, and every later read finds the end.
    return countScans(data, read, offset);
}

qint64 PictureFile::countScans(const char *data, qint64 size, qint64 offset)
{
    const qint64 end = offset + size;
    if (end <= m_scannedTo)
        return size;
    qint64 from = m_scannedTo - offset;
    if (from < 0) {
        // Bytes skipped by a seek are not counted; their markers cannot be told apart anyway.
        from = 0;
        m_lastWasMarker = false;
    }
    for (qint64 i = from; i < size; ++i) {
        if (!m_lastWasMarker) {
            // Marker bytes are rare in the compressed data: on to the next one.
            const void *next = std::memchr(data + i, jpegMarker, static_cast<size_t>(size - i));
            if (next == nullptr)
                break;
            i = static_cast<const char *>(next) - data;
            m_lastWasMarker = true;
            continue;
        }
        const auto byte = static_cast<uchar>(data[i]);
        if (byte == jpegStartOfScan && ++m_scans > m_scanLimit && m_scanLimit > 0) {
            m_scannedTo = offset + i;
            m_lastWasMarker = false;
            return i;
        }
        m_lastWasMarker = byte == jpegMarker;
    }
    m_scannedTo = end;
    return size;
}
