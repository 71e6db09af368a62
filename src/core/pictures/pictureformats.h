#pragma once

#include <QString>
#include <QStringList>

// The file kinds beyond the classic four that the program can list: what each is called in
// the options window, its file-name pattern, and which files belong together as one shot.
namespace pictureformats
{

// The extensions of camera RAW files, lower case, without the dot.
const QStringList &rawExtensions();

// The extensions of every kind of file the program can show, lower case, without the dot:
// the four classic formats, the further ones the options offer, and camera RAW files.
const QStringList &pictureExtensions();

// The ";"-separated wildcards of camera RAW files.
QString rawPattern();

// True for a file whose extension names a camera RAW file, in either case.
bool isRaw(const QString &name);
// True for a JPEG by its extension (".jpg" or ".jpeg", in either case).
bool isJpegName(const QString &name);
// True for an XMP sidecar (".xmp", in either case).
bool isSidecar(const QString &name);

// True for the name of a file the program can list as a picture, in any of its formats, or
// of a file that goes with one (a RAW file, a sidecar), by its extension in either case.
bool isPictureOrCompanion(const QString &name);

// The name without its last extension ("IMG_0001.CR2" gives "IMG_0001").
QString baseName(const QString &name);

// The files of a folder listing, without the RAW files whose base name matches a listed
// JPEG's, ignoring case: the JPEG stands for the pair.
QStringList withoutPairedRaws(const QStringList &names);

// True when other goes with the picture at main as one shot: the same folder and the same
// base name in any case, and other a RAW file beside a JPEG, or an XMP sidecar.
bool isCompanion(const QString &main, const QString &other);

// The files on disk that go with the picture at path (its RAW file, its sidecar), sorted.
QStringList companionsOf(const QString &path);

// Each path followed by the files that go with it, each file once.
QStringList withCompanions(const QStringList &paths);

// For each path of a list so made, the number of its shot: a companion shares the number of
// the picture before it, every other file starts the next number. Without pairs, every file
// is a shot of its own.
QList<qsizetype> shotsOf(const QStringList &paths, bool keepPairs);

} // namespace pictureformats
