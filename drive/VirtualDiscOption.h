#pragma once

#include <string>
#include <vector>

namespace discdeck {

// The option and the environment variable that put the player on a virtual disc.
constexpr char kVirtualDiscOption[] = "--virtual-disc=";
constexpr char kVirtualDiscVariable[] = "DISCDECK_VIRTUAL_DISC";

// True for a name that ends in ".cue" or ".flac" (an image with its sheet inside), ignoring case.
bool IsSheetName(const std::string& path);

// A sheet named on the command line as a bare path, as the shell passes a double-clicked file: the
// first argument after the program's own that IsSheetName takes and that does not start like a switch
// ("-" or "/"); empty when there is none.
std::string BareSheetArgument(const std::string& commandLine);

// The CUE sheet to play as a virtual disc: the value of "--virtual-disc=<path>" on the command line,
// else a bare sheet path, else the environment variable's value; empty when none names one (the
// real drive is used).
std::string VirtualDiscSheet(const std::string& commandLine, const std::string& environmentValue);

}  // namespace discdeck
