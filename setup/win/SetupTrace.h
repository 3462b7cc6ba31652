#pragma once

#include <string>

#include "setup/win/WideText.h"

namespace discdeck {

// For tests: when the environment variable DISCDECK_SETUP_TRACE names a file, every status text,
// progress position and message box of the progress window is appended to it as one line
// ("status <text>", "progress <n>", "message <text>", UTF-8), each written at once so that a test
// can follow a running setup.
class SetupTrace {
  public:
    SetupTrace();
    void Write(const std::string& line) const;

  private:
    WideText path_;  // empty: no trace
};

}  // namespace discdeck
