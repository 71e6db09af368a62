#pragma once

#include <QString>

#include <memory>

class QtPictureLoader;
class frmSplash;

namespace platform
{
class QtServices;
}

// Loads the main window behind the splash, shows it, and runs the program until the user ends
// it: then the process ends at once (what still decodes on other threads is abandoned). Returns,
// with the program's exit code, only when the window refused to load (another copy runs).
// A folder given is opened once the window is on screen, as if the user had opened it there.
[[nodiscard]] int runMainWindow(platform::QtServices &services, const QtPictureLoader &loader,
    std::unique_ptr<frmSplash> splash, const QString &folder);
