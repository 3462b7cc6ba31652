#pragma once

#include <string>

namespace discdeck {

// The COM server registration switches of the player's command line.
enum class RegistrationSwitch { None, RegServer, UnregServer };

// Looks at every "-" and "/" of the whole command line (program path included), from left to
// right, and compares the rest of the line after it, ignoring case, with "RegServer" and
// "UnregServer"; the first full match counts. A switch is therefore recognised only as the very
// last thing on the line.
RegistrationSwitch FindRegistrationSwitch(const std::string& commandLine);

// True when an argument of the command line is "Embedding" or "Automation" after "-" or "/"
// (ignoring case): the program was started by COM and shows no window.
bool IsAutomationStart(const std::string& commandLine);

// The folder of "--data-folder=<path>" on the command line (the last one counts), empty without one.
// The player works in it, so its database and exports land there whichever folder it was started
// from (the installer's "Play with discdeck" starts it in the .cue file's folder).
constexpr char kDataFolderOption[] = "--data-folder=";
std::string DataFolderOption(const std::string& commandLine);

}  // namespace discdeck
