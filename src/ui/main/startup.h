#pragma once

#include <QString>

#include <memory>

class QtPictureLoader;
class frmSplash;

class frmMain;
namespace platform
{
class QtServices;
}
namespace handover
{
class FolderServer;
}

// Loads the main window behind the splash, shows it, and runs the program until the user ends
// it: then the process ends at once (what still decodes on other threads is abandoned). Returns,
// with the program's exit code, only when the window refused to load (another copy runs).
// A folder given is opened once the window is on screen, as if the user had opened it there.
// The choices kept from the last run, if the user asked for that, are the start settings.
[[nodiscard]] int runMainWindow(platform::QtServices &services, const QtPictureLoader &loader,
    std::unique_ptr<frmSplash> splash, const QString &folder);

// A start asked for a folder while a copy runs gives that copy the folder, which shows it in
// front of the other windows. True when it took the folder: then this start has nothing left
// to do. False when no copy answers at once (none runs, or it is busy): the start goes on, and
// the lock decides whether another copy runs. Needs no window system.
[[nodiscard]] bool handOverToRunningCopy(const QString &folder);

// The main window follows the folders later starts hand over: it comes to the front at once,
// and opens the folder as soon as it is in use (after a question, or once Options closes).
void takeHandedFolders(handover::FolderServer &server, frmMain &window);
