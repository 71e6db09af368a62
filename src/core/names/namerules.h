#pragma once

#include "core/names/rules.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

// Rules of the batch rename, free of widgets: the start count, the counter text, the new
// path of a file and what a prefix or a new file name may hold. Each takes the separator
// and the file-name rules it works with, so Windows names can be checked on any system.
namespace rules
{

// The counter is wider than the design's 16 bits, so a long run never wraps around.
using NameCount = qint64;

// The number a text starts with, read as the classic Val() reads it: blanks, tabs and line
// breaks are skipped, then an optional sign, digits, a decimal point and an exponent are
// taken up to the first other character; no number gives 0. The value is rounded to the
// nearest whole number, a half to the even neighbour.
NameCount startCount(const QString &text);

// A blank, then the number with at least three digits ("7" gives " 007"); a negative number
// keeps its minus sign before the zero-padded digits, three characters in all (" -07").
QString counterText(NameCount counter);

// What a renamed file keeps of its old name: the part of the file's own name from its last
// dot on, the dot included ("x.jpeg" keeps ".jpeg"); a dot in a folder name does not count.
QString keptExtension(const QString &path, QChar separator = nativeSeparator());

// The new path of a file: its own folder, the prefix, the counter text unless there is no
// counter (a single file), and the kept extension.
QString renamedPath(const QString &path, const QString &prefix, std::optional<NameCount> counter,
    QChar separator = nativeSeparator());

// The prefix of a name that begins with the date a picture was taken, "2024-06-01 Trip": the
// day the camera's clock read (taken, its reading held as UTC), or, when the picture says
// nothing, the day its file was last changed (modified, in local time); the prefix follows
// after a blank, or the date stands alone. The date holds nothing a FAT or exFAT card refuses.
QString datedPrefix(const QString &prefix, const QDateTime &taken, const QDateTime &modified);

// Which system's file-name rules a name must keep.
enum class NameRules { Unix, Windows };
NameRules platformNameRules();

// The rules of a volume, by the kind of file system the mount table names: FAT, exFAT and
// NTFS keep Windows rules on any system, directly or through a FUSE driver.
NameRules nameRulesFor(const QString &fileSystem);

// How long a file name is as its volume counts it: in bytes of the system's encoding under
// Unix rules, in UTF-16 units under Windows rules.
qint64 nameLength(const QString &name, NameRules nameRules);

// The longest name a volume takes: what the system reports, and under Windows rules never
// more than 255 units.
qint64 longestName(NameRules nameRules, qint64 reported);

enum class NameProblem {
    None,
    Empty, // no name at all
    DotName, // "." or "..", which name folders
    Hidden, // a name that starts with a dot is hidden on Unix
    Separator, // a "/" or "\" would put the file into another folder
    Character, // a character that file names cannot hold
    TrailingDotOrBlank, // Windows drops a final dot or blank
    ReservedName, // a Windows device name such as CON or LPT1
    OtherFolder, // the new path does not lie in the file's own folder
};

// Whether a prefix may go into the names of a rename. Both separators are refused under
// either rules: the program's paths may come from a Windows folder.
NameProblem prefixProblem(const QString &prefix, NameRules nameRules = platformNameRules());

// Whether a complete new file name (without its folder) is one the system can hold.
NameProblem fileNameProblem(const QString &name, NameRules nameRules = platformNameRules());

// Whether renaming the file at "from" to "to" keeps it in its folder under a sound name.
// An empty "to" is left to the rename itself, which refuses it.
NameProblem renameProblem(const QString &from, const QString &to,
    NameRules nameRules = platformNameRules(), QChar separator = nativeSeparator());

// One file of a batch rename as things stand before the first rename.
struct PlannedRename {
    QString from;
    QString to;
    NameRules nameRules = NameRules::Unix;
    qint64 maxNameLength = 255;
    bool targetExists = false; // something is at "to" now
    // The files of a shot (a picture and the files that go with it) follow each other and
    // share this number; they are renamed together.
    qsizetype shot = 0;
};

enum class BatchProblem {
    None,
    TooLong, // the new name is longer than its volume takes
    SameAsOther, // an earlier file of the batch gets the same new path
    Taken, // a file not renamed away first has the name
};

// How a file is renamed: straight to its new name, or, to break a circle of shots that take
// each other's names, first to a temporary name that frees its own, and later from there.
enum class Leg { Straight, ToTemporary, FromTemporary };

struct RenameStep {
    qsizetype index = -1; // the file of the batch
    Leg leg = Leg::Straight;
    bool operator==(const RenameStep &) const = default;
};

struct BatchCheck {
    BatchProblem problem = BatchProblem::None;
    qsizetype index = -1; // the file of the batch that meets it
    // Without a problem, the renames in the order to make them: the batch's own, except that a
    // shot whose new name another shot of the batch still has waits until that one is
    // renamed, so that a batch can renumber its own files. When the shots left all wait for
    // each other, the first of them on the circle goes to temporary names first. A file that
    // already has its new name has no step.
    std::vector<RenameStep> order;
};

// The first file of a batch, in its order, whose rename would fail for a cause that is
// known before the batch starts, or the order that avoids them. Names on a Windows volume
// are compared ignoring case, as that volume does; renaming a file to its own name in another
// case is no problem, and to its very own name is nothing to do. An empty "to" is left to the
// rename itself, which refuses it.
BatchCheck batchProblem(
    const std::vector<PlannedRename> &batch, QChar separator = nativeSeparator());

} // namespace rules
