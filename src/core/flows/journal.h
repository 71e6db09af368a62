#pragma once

#include "core/files/platform.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QStringList>

#include <optional>

// The journal of the last batch: before a batch changes anything its plan is on disk, and
// each file it has dealt with is recorded there, so that the batch can be undone, and one the
// program did not finish can be told and undone at the next start. The records of files done
// reach the journal and the disk together, at the end and every so many files: after a stop
// they are a hint, and what the disk holds of every planned file is the truth.
//
// It is a text file of one record a line: eight hex digits of the record's checksum, a
// blank, and the record as a line of JSON. A line that is cut short or altered no longer
// matches its checksum, so a damaged journal is known as such and never acted on.
namespace journal
{

enum class Kind { Rename, Move, Trash, Delete };

// How a file was when the journal took note of it: whether it was a link, its size and
// modification time (nanoseconds), and the folder that held it with every link resolved.
struct FileState {
    bool link = false;
    qint64 size = -1;
    qint64 modified = -1;
    QString folder;
    bool operator==(const FileState &) const = default;
};

// The state of what is at a path now; exists is false when nothing is.
struct Found {
    bool exists = false;
    FileState state;
};
// The folders already resolved may be kept in folders, for a batch of files in few folders.
[[nodiscard]] Found stateOf(const QString &path, QHash<QString, QString> *folders = nullptr);

struct Step {
    QString from;
    // Empty for a delete.
    QString to;
    FileState before;
    bool done = false;
    // Where the step put the file: its target, or its place in the trash.
    QString placedAt;
    FileState after;
    bool undone = false;
};

struct Batch {
    Kind kind = Kind::Rename;
    QList<Step> steps;
    // The folder made for a move, which its undo removes when it leaves it empty.
    QString madeFolder;
    // The batch ran to its end, or the user was told at the next start that it did not.
    bool finished = false;
    bool undoBegun = false;
    bool undoFinished = false;

    // The files that were dealt with and have not been taken back (a file at a temporary name
    // and then at its new one, once).
    [[nodiscard]] qsizetype toUndo() const;
    // The batch is over, no undo of it has begun, and it left something to take back.
    [[nodiscard]] bool canUndo() const;
};

struct Reading {
    enum class Status { None, Whole, Damaged };
    Status status = Status::None;
    Batch batch;
    // Why a damaged journal cannot be read.
    QString problem;
};

// The journal of the last batch, in the state folder; empty when there is no such folder.
[[nodiscard]] QString pathFor(const platform::FileSystem &fs);
[[nodiscard]] Reading read(const QString &path);

// Keeps a journal that must not be acted on under a new name beside it; returns that name,
// or an empty text when it could not be renamed.
[[nodiscard]] QString setAside(platform::FileSystem &fs, const QString &path);

// Writes the journal as a batch, or the undo of one, runs, keeping it open meanwhile. Once a
// record cannot be written
// the journal is removed, so that no undo is built on a partial one, and nothing more is
// recorded.
class Recorder
{
public:
    Recorder(platform::FileSystem &fs, const QString &path);
    // The journal of the last batch, in the state folder.
    explicit Recorder(platform::FileSystem &fs);
    ~Recorder();
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    // Starts a new journal with the plan of the batch, replacing the last one; false when it
    // cannot be written. to is empty for a delete.
    bool begin(
        Kind kind, const QStringList &from, const QStringList &to, const QString &madeFolder = {});
    // Goes on with the journal there is, for its undo.
    bool resume();
    // The state of the file where it was placed is taken now, unless it is given.
    void done(qsizetype index, const QString &placedAt,
        const std::optional<FileState> &after = std::nullopt);
    void finish();
    void undoBegun();
    void undone(qsizetype index);
    void undoFinished();
    [[nodiscard]] bool recording() const { return m_recording; }

private:
    enum class Sync { Now, Later };
    bool open();
    // A record as a line of compact JSON.
    void append(const QByteArray &json, Sync sync);
    // Writes the records waiting, and makes them durable if asked.
    void writePending(bool durably);

    platform::FileSystem &m_fs;
    QString m_path;
    QFile m_file;
    bool m_recording = false;
    QByteArray m_pending;
    // The records not yet made durable, and since when the last were.
    qsizetype m_unsynced = 0;
    QElapsedTimer m_sinceSync;
    QHash<QString, QString> m_folders;
};

// Whether a file's name is one a rename gives a file only while it breaks a circle of new
// names: a step from such a name finishes the rename of a file another step began.
[[nodiscard]] bool isTemporaryName(const QString &path);

// A line of the journal for a record, with its checksum and its end of line.
[[nodiscard]] QByteArray line(const QJsonObject &record);

} // namespace journal
