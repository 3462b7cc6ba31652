#pragma once

#include "ports/FilePort.h"

namespace discdeck {

// The file port of the Windows program: CreateFileW with share mode 0, so a file is in exclusive
// use while a handle lives; a finished file is renamed into place through its own handle.
class WinFilePort : public FilePort {
  public:
    std::unique_ptr<FileHandle> OpenFile(const std::string& path, Access access, FileFailure& failure) override;
    bool Remove(const std::string& path) override;
};

}  // namespace discdeck
