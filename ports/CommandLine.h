#pragma once

#include <string>
#include <vector>

namespace discdeck {

// Splits a Windows command line into arguments as the C runtime does: blanks separate, double
// quotes group (and are removed), backslashes are literal unless they precede a quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace discdeck
