#pragma once

#include <string>

namespace discdeck {

// What follows the program's own name on a command line, as given, for handing on to the installer.
// The name ends at its closing quote when it starts with one, else at the first blank or tab, as the
// runtime finds WinMain's command line; the blanks after it are dropped.
std::string ArgumentsAfterProgram(const std::string& commandLine);

// Whether the arguments hold the switch as a word of its own outside quotes, compared exactly, as
// NSIS installers read "/S".
bool HasSwitch(const std::string& arguments, const std::string& name);

}  // namespace discdeck
