#pragma once

#include "setup/SetupFiles.h"

namespace discdeck {

// The file port on a POSIX disk, for native tests and the benchmark: paths are host paths, the DOS
// time is taken as local time and becomes the modification time, and only the read-only attribute
// has an effect (it removes the write permission).
class DiskSetupFiles : public SetupFiles {
  public:
    SetupFileHandle OpenRead(const std::string& path) override;
    SetupFileHandle CreateWrite(const std::string& path) override;
    std::int64_t Read(SetupFileHandle file, void* buffer, std::size_t count) override;
    std::int64_t Write(SetupFileHandle file, const void* buffer, std::size_t count) override;
    std::int64_t Seek(SetupFileHandle file, std::int64_t offset, SeekOrigin origin) override;
    bool Close(SetupFileHandle file) override;
    bool SetDosTime(const std::string& path, std::uint16_t dosDate, std::uint16_t dosTime) override;
    bool SetAttributes(const std::string& path, std::uint8_t attributes) override;
    bool Delete(const std::string& path) override;
    bool MakeDirectory(const std::string& path) override;
    bool RemoveEmptyDirectory(const std::string& path) override;
    std::string LastErrorText() override;

  private:
    int lastErrno_ = 0;
};

}  // namespace discdeck
