#pragma once

#include "core/state/browserstate.h"

#include <QString>

// The options' choices kept from one run to the next for the user who asks for it: one
// settings file in the user's configuration folder, read at start and written when the
// options are applied.
namespace savedsettings
{

// The settings file: ravelin/ravelin.conf in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config).
QString standardFile();

// The choices the file keeps when it keeps them (rememberChoices on) and each of them is one
// the options window can make; a choice the file does not name has its start value. A file
// that is missing, damaged, too large, of another version or of another program gives the
// start values, and so does one whose choices are not kept.
BrowserSettings load(const QString &file);

// Writes the choices in place of what the file held; with rememberChoices off, only that the
// choices are not kept. False when the file cannot be written.
[[nodiscard]] bool save(const QString &file, const BrowserSettings &settings);

} // namespace savedsettings
