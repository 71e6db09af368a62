#pragma once

#include <QString>
#include <QUrl>
#include <vector>

// The only doorway from the windows to the platform: message boxes, the mouse pointer,
// the file system, drives, the single-instance guard and ending the program. Tests put
// fakes behind these interfaces to answer boxes and see what was shown.
namespace platform
{

enum class Answer { Ok = 1, Cancel = 2 };

// Message-box codes: buttons in the low bits, the icon above them.
namespace box
{
    inline constexpr int OkOnly = 0;
    inline constexpr int OkCancel = 1;
    inline constexpr int Critical = 16;
    inline constexpr int Question = 32;
    inline constexpr int Exclamation = 48;
} // namespace box

inline const QString programTitle = QStringLiteral("Ravelin");

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // code: 0 OK, 16 critical, 33 OK/Cancel question, 48 exclamation. An empty title gives
    // the program's title. OK is the default button; closing the box answers Cancel.
    virtual Answer MsgBox(const QString &text, int code = box::OkOnly, const QString &title = {})
        = 0;
};

class MousePointer
{
public:
    virtual ~MousePointer() = default;
    virtual void setHourglass() = 0;
    virtual void setArrow() = 0;
};

struct FsResult {
    bool ok = true;
    QString error;
    // Where the file went when the operation chose the place itself: its path in the trash.
    QString placedAt;
    explicit operator bool() const { return ok; }
    static FsResult failure(const QString &why) { return { false, why, {} }; }
};

// The volume that holds a folder: the kind of its file system as the mount table names it
// ("ext4", "vfat", "fuseblk.exfat"; empty when unknown), and the longest file name it takes
// as the system reports it (in bytes on Unix).
struct Volume {
    QString fileSystem;
    qint64 maxNameLength = 255;
};

class FileSystem
{
public:
    virtual ~FileSystem() = default;
    // Gives a file a new name; never replaces an existing file.
    [[nodiscard]] virtual FsResult renameFile(const QString &from, const QString &to) = 0;
    // Moves a file to another folder, possibly on another volume; never replaces an
    // existing file and never loses the source on a failure.
    [[nodiscard]] virtual FsResult moveFile(const QString &from, const QString &to) = 0;
    [[nodiscard]] virtual FsResult removeFile(const QString &path) = 0;
    [[nodiscard]] virtual FsResult moveToTrash(const QString &path) = 0;
    [[nodiscard]] virtual FsResult makeFolder(const QString &path) = 0;
    // Removes a folder only when it is empty.
    [[nodiscard]] virtual FsResult removeEmptyFolder(const QString &path) = 0;
    // The folder where the program keeps what must outlive a run (the journal of the last
    // batch); empty when there is none.
    [[nodiscard]] virtual QString stateFolder() const = 0;
    // Writes a whole file in place of any of that name, on disk before it returns: the bytes
    // go to a new file beside it, which is flushed and then renamed over it.
    [[nodiscard]] virtual FsResult replaceFileDurably(const QString &path, const QByteArray &bytes)
        = 0;
    [[nodiscard]] virtual Volume volumeOf(const QString &folder) const = 0;
    [[nodiscard]] virtual FsResult setCurrentFolder(const QString &path) = 0;
    [[nodiscard]] virtual QString currentFolder() const = 0;
    // The folder the program was started from, without a trailing separator except at a root.
    [[nodiscard]] virtual QString programFolder() const = 0;
};

// One entry of a drive list: the text shown, and the folder that choosing it opens.
struct Drive {
    QString text;
    QString root;
};

class Drives
{
public:
    virtual ~Drives() = default;
    [[nodiscard]] virtual std::vector<Drive> drives() const = 0;
};

// What claiming the single-instance lock gave.
struct InstanceClaim {
    enum Outcome { Claimed, AnotherRunning, Failed };
    Outcome outcome = Claimed;
    // Why the lock could not be taken, when no running copy holds it (Failed).
    QString error;
};

class Instance
{
public:
    virtual ~Instance() = default;
    // Claims this program's single-instance lock: AnotherRunning only when a running copy
    // holds it.
    [[nodiscard]] virtual InstanceClaim claim() = 0;
};

class Program
{
public:
    virtual ~Program() = default;
    // Ends the program at once, whatever windows are still open.
    virtual void end() = 0;
    // Opens a web address in the user's browser; false when no browser could be started.
    [[nodiscard]] virtual bool openExternal(const QUrl &url) = 0;
};

class Services
{
public:
    virtual ~Services() = default;
    virtual MessageBoxes &boxes() = 0;
    virtual MousePointer &mouse() = 0;
    virtual FileSystem &fs() = 0;
    virtual Drives &drives() = 0;
    virtual Instance &instance() = 0;
    virtual Program &program() = 0;
};

} // namespace platform
