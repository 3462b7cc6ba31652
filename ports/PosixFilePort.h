#pragma once

#include "ports/FilePort.h"

namespace discdeck {

// The file port of native builds over POSIX calls. Exclusive use is an advisory lock (flock)
// taken on every open, so two handles on one file exclude each other even within one process.
// A file renamed over while someone waited for its lock counts as busy: the waiter would
// otherwise hold a file that is no longer there.
class PosixFilePort : public FilePort {
  public:
    std::unique_ptr<FileHandle> OpenFile(const std::string& path, Access access, FileFailure& failure) override;
    bool Remove(const std::string& path) override;
};

}  // namespace discdeck
