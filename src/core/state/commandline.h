#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of a start: run the program (in the current folder, or in the
// folder given), or print a text and end at once with an exit code. Read before any window
// or window-system connection exists, so that --help and --version work without a display.
struct StartRequest {
    bool run = true;
    int exitCode = 0;
    // Printed on standard output (help, version) or, when exitCode is not 0, standard error.
    QString message;
    // The folder to open; empty for the current folder.
    QString folder;
};

// Reads the arguments (the program's own path first). One optional argument is a folder, or
// a picture, which stands for its folder; anything that is not a readable folder or picture
// is refused with a message.
StartRequest readCommandLine(const QStringList &arguments);

// The program's name, version and application id, for the command line, the window system
// and the desktop's launcher.
void setProgramIdentity();
