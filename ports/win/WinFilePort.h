#pragma once

#include "ports/FilePort.h"

namespace discdeck {

// The file port of the Windows program: CreateFileA with share mode 0, so a file is in exclusive
// use while a handle lives; ReplaceFileA (or MoveFileExA) puts a saved file in place in one step.
class WinFilePort : public FilePort {
  public:
    std::unique_ptr<FileHandle> Open(const std::string& path, Access access) override;
    bool Replace(const std::string& source, const std::string& target) override;
    bool Remove(const std::string& path) override;
};

}  // namespace discdeck
