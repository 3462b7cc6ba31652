#include "ports/win/WinFilePort.h"

#include <windows.h>

namespace discdeck {
namespace {

class WinFileHandle : public FileHandle {
  public:
    explicit WinFileHandle(HANDLE handle) : handle(handle) {}
    ~WinFileHandle() override {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    WinFileHandle(const WinFileHandle&) = delete;
    WinFileHandle& operator=(const WinFileHandle&) = delete;

    bool Read(void* buffer, size_t size, size_t& got) override {
        got = 0;
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        char* out = static_cast<char*>(buffer);
        while (got < size) {
            DWORD chunk = Chunk(size - got);
            DWORD read = 0;
            if (!ReadFile(handle, out + got, chunk, &read, nullptr)) {
                return false;
            }
            if (read == 0) {
                break;  // end of file
            }
            got += read;
        }
        return true;
    }

    bool Write(const void* data, size_t size) override {
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        const char* in = static_cast<const char*>(data);
        size_t done = 0;
        while (done < size) {
            DWORD written = 0;
            if (!WriteFile(handle, in + done, Chunk(size - done), &written, nullptr) || written == 0) {
                return false;
            }
            done += written;
        }
        return true;
    }

    bool GetSize(uint64_t& size) override {
        LARGE_INTEGER value;
        if (handle == INVALID_HANDLE_VALUE || !GetFileSizeEx(handle, &value)) {
            return false;
        }
        size = static_cast<uint64_t>(value.QuadPart);
        return true;
    }

    // https://learn.microsoft.com/windows/win32/api/fileapi/nf-fileapi-flushfilebuffers
    bool Flush() override { return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle); }

    bool Close() override {
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        BOOL closed = CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        return closed != FALSE;
    }

  private:
    static DWORD Chunk(size_t remaining) {
        const size_t most = 1u << 30;
        return static_cast<DWORD>(remaining < most ? remaining : most);
    }

    HANDLE handle;
};

}  // namespace

// Share mode 0: no other open of the file succeeds while this handle lives.
// https://learn.microsoft.com/windows/win32/api/fileapi/nf-fileapi-createfilea
std::unique_ptr<FileHandle> WinFilePort::Open(const std::string& path, Access access) {
    DWORD desired = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    switch (access) {
        case Access::Read:
            break;
        case Access::ReadWrite:
            desired = GENERIC_READ | GENERIC_WRITE;
            break;
        case Access::CreateWrite:
            desired = GENERIC_WRITE;
            disposition = CREATE_ALWAYS;
            break;
    }
    HANDLE handle = CreateFileA(path.c_str(), desired, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return std::make_unique<WinFileHandle>(handle);
}

// ReplaceFileA swaps the new file in for the old one and keeps the old one's attributes; when
// there is no old file it has nothing to replace, and a move that may replace does the job.
// https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-replacefilea
// https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-movefileexa
// ReplaceFileA derives the folder for its backup from the replaced file's path; a bare name has
// none, and Wine then fails with ERROR_DIRECTORY. Full paths work everywhere.
static std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

bool WinFilePort::Replace(const std::string& sourcePath, const std::string& targetPath) {
    const std::string source = FullPath(sourcePath);
    const std::string target = FullPath(targetPath);
    if (ReplaceFileA(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        return true;
    }
    if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return false;  // the old file is there and stays as it was
    }
    return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool WinFilePort::Remove(const std::string& path) {
    return DeleteFileA(path.c_str()) != FALSE;
}

}  // namespace discdeck
