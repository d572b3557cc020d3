// The user's own lpoptions file, where libcups and "lpoptions -d" keep the user's default
// printer as a "Default queue[/instance] options..." line among "Dest ..." lines.
//
// The default is changed by editing that one line rather than through cupsSetDests2: that call
// writes back every destination libcups merged in, so the system-wide default and options
// would land in the user's own file as if the user had chosen them.
#pragma once
#include <optional>
#include <string>

#include "platform/print/printer_system.h"

namespace vts {

// $HOME/.cups/lpoptions (the passwd home folder when HOME is unset), as libcups reads it.
std::string UserLpoptionsPath();

// The queue (and instance) of the file's "Default" line; nullopt when it has none.
std::optional<PrinterChoice> DefaultInLpoptions(const std::string& text);

// The file's text with choice as its one "Default" line, or with no "Default" line at all for
// nullopt. The choice's own "Dest" line, if any, becomes the "Default" line (its options
// stay); the earlier default becomes a "Dest" line again when it carries options or names an
// instance, else it goes. Every other line is kept as it was.
std::string WithDefault(const std::string& text, const std::optional<PrinterChoice>& choice);

// The file's text, "" when it does not exist. Throws vts::Error when it cannot be read.
std::string ReadLpoptions(const std::string& path);

// Replaces the file in one step (a new file renamed over it, keeping its permission bits);
// removes it when text is empty. Throws vts::Error with the reason when it cannot.
void WriteLpoptions(const std::string& path, const std::string& text);

}  // namespace vts
