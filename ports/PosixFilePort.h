#pragma once

#include "ports/FilePort.h"

namespace discdeck {

// The file port of native builds over POSIX calls. Exclusive use is an advisory lock (flock)
// taken on every open, so two handles on one file exclude each other even within one process.
class PosixFilePort : public FilePort {
  public:
    std::unique_ptr<FileHandle> Open(const std::string& path, Access access) override;
    bool Replace(const std::string& source, const std::string& target) override;
    bool Remove(const std::string& path) override;
};

}  // namespace discdeck
