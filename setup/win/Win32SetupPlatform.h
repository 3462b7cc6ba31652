#pragma once

#include <windows.h>

#include "setup/SetupView.h"

namespace discdeck {

class Win32SetupPlatform : public SetupPlatform {
  public:
    std::string TemporaryDirectory() override;
    std::string ModulePath() override;
    std::uint32_t UniqueNumber() override;
    bool RunProgram(const std::string& path, const std::string& arguments, std::uint32_t& exitCode) override;
    std::string LastErrorText() override;

  private:
    DWORD lastError_ = ERROR_SUCCESS;
};

}  // namespace discdeck
