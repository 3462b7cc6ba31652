#pragma once

#include <windows.h>

#include "setup/SetupFiles.h"
#include "setup/win/WideText.h"

namespace discdeck {

// The file port on Win32: handles are file HANDLEs; paths go to the wide forms of the file functions.
class Win32SetupFiles : public SetupFiles {
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
    std::string NameToUtf8(const std::string& bytes) override;

  private:
    // False (ERROR_INVALID_NAME) for a path that is not UTF-8.
    bool WidePath(const std::string& path, WideText& wide);
    bool Failed() {
        lastError_ = GetLastError();
        return false;
    }

    DWORD lastError_ = ERROR_SUCCESS;
};

// The system's text for an error code, without the trailing line break, as UTF-8.
std::string SystemErrorText(DWORD error);

}  // namespace discdeck
