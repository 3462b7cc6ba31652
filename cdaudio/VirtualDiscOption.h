#pragma once

#include <string>
#include <vector>

namespace discdeck {

// The option and the environment variable that put the player on a virtual disc.
constexpr char kVirtualDiscOption[] = "--virtual-disc=";
constexpr char kVirtualDiscVariable[] = "DISCDECK_VIRTUAL_DISC";

// Splits a Windows command line into arguments as the C runtime does: blanks separate, double
// quotes group (and are removed), backslashes are literal unless they precede a quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The CUE sheet to play as a virtual disc: the value of "--virtual-disc=<path>" on the command line,
// else the environment variable's value; empty when neither names one (the real drive is used).
std::string VirtualDiscSheet(const std::string& commandLine, const std::string& environmentValue);

}  // namespace discdeck
