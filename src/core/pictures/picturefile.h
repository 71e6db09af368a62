#pragma once

#include <QFile>

// A picture file opened the careful way, and read within bounds.
//
// It is opened once and without waiting, and only a regular file is read: a link to a FIFO, a
// terminal or a device passes a folder listing, and opening one the ordinary way waits for a
// writer that may never come. Reads stop, as at the end of the file, past a byte budget or
// past a number of JPEG scans, so that neither a huge sparse file behind a small header nor
// thousands of empty scans can keep a decoder busy for minutes.
class PictureFile : public QFile
{
public:
    explicit PictureFile(const QString &path);
    ~PictureFile() override;
    PictureFile(const PictureFile &) = delete;
    PictureFile &operator=(const PictureFile &) = delete;

    enum class Links { Follow, Refuse };
    // Opens the file for reading, with the system's read-ahead off (see setReadAhead); false,
    // with errorString() saying why, when it cannot be opened or is not a regular file, or
    // (Links::Refuse) when its name is a symbolic link.
    bool openPicture(Links links = Links::Follow);

    // Turns the system's read-ahead on or off, where it has one. Off, a read of a few bytes
    // brings in those bytes only: a picture's header and embedded thumbnail lie in its first
    // few KiB, and on a memory card every KiB read ahead costs more than their decoding. On
    // for a whole decode.
    void setReadAhead(bool on);

    // Bytes read in all, from wherever, after which reads find the end of the file.
    void setByteBudget(qint64 bytes) { m_byteBudget = bytes; }
    // True when a read stopped at the budget with more of the file left.
    bool budgetHit() const { return m_budgetHit; }
    qint64 bytesRead() const { return m_bytesRead; }
    // Up to size bytes at offset, read around the buffer and outside the byte budget; the
    // position stays where it was.
    QByteArray bytesAt(qint64 offset, qint64 size);

    // Start-of-scan markers after which reads find the end of the file (0: no limit). The
    // markers are counted in every byte read from the start, once each.
    void setScanLimit(int scans) { m_scanLimit = scans; }
    bool scanLimitHit() const { return m_scanLimit > 0 && m_scans > m_scanLimit; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;

private:
    // Where the system's file position stands, whatever the buffering above it; -1 if unknown.
    qint64 systemPosition() const;
    // Counts the start-of-scan markers in bytes read at offset; returns how many of them may be
    // delivered before the scan limit is passed.
    qint64 countScans(const char *data, qint64 size, qint64 offset);

    qint64 m_fileSize = 0;
    qint64 m_byteBudget = -1;
    qint64 m_bytesRead = 0;
    bool m_budgetHit = false;
    int m_scanLimit = 0;
    int m_scans = 0;
    qint64 m_scannedTo = 0;
    bool m_lastWasMarker = false;
};
