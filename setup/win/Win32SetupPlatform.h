#pragma once

#include "setup/SetupView.h"

namespace discdeck {

class Win32SetupPlatform : public SetupPlatform {
  public:
    std::string WindowsDirectory() override;
    std::string ModulePath() override;
    bool StartProgram(const std::string& path) override;
    void Sleep(unsigned milliseconds) override;
};

}  // namespace discdeck
