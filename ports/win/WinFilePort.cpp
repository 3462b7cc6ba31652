#include "ports/win/WinFilePort.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ports/win/WideText.h"

namespace discdeck {
namespace {

// The system's message for an error code, without its line break.
// https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-formatmessage
std::string ErrorText(DWORD error) {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text.empty() ? "Error " + std::to_string(error) : text;
}

// The rename information that puts a file under `name` (a full path), over a file there.
// FileRenameInfoEx takes flags where FileRenameInfo has ReplaceIfExists.
// https://learn.microsoft.com/windows/win32/api/winbase/ns-winbase-file_rename_info
std::vector<char> RenameInfo(const std::wstring& name, DWORD flags) {
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    FILE_RENAME_INFO* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    std::memcpy(info, &flags, sizeof flags);  // ReplaceIfExists is the low byte of the flags
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    return buffer;
}

class WinFileView : public FileView {
  public:
    WinFileView(void* base, size_t skip) : base(base), skip(skip) {}
    ~WinFileView() override { UnmapViewOfFile(base); }
    WinFileView(const WinFileView&) = delete;
    WinFileView& operator=(const WinFileView&) = delete;

    const uint8_t* Data() const override { return static_cast<const uint8_t*>(base) + skip; }

  private:
    void* base;
    size_t skip;  // from the granularity boundary the view starts at to the offset asked for
};

class WinFileHandle : public FileHandle {
  public:
    WinFileHandle(HANDLE handle, std::shared_ptr<std::string> failure) : handle(handle), failure(std::move(failure)) {}
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
                return Failed();
            }
            if (read == 0) {
                break;  // end of file
            }
            got += read;
        }
        return true;
    }

    // A synchronous handle reads at the offset an OVERLAPPED gives.
    // https://learn.microsoft.com/windows/win32/api/fileapi/nf-fileapi-readfile
    bool ReadAt(uint64_t offset, void* buffer, size_t size, size_t& got) override {
        got = 0;
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        char* out = static_cast<char*>(buffer);
        while (got < size) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset + got);
            at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
            DWORD read = 0;
            if (!ReadFile(handle, out + got, Chunk(size - got), &read, &at)) {
                return GetLastError() == ERROR_HANDLE_EOF || Failed();
            }
            if (read == 0) {
                break;
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
                return Failed();
            }
            done += written;
        }
        return true;
    }

    bool Seek(uint64_t offset) override {
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        return handle != INVALID_HANDLE_VALUE && offset <= static_cast<uint64_t>(INT64_MAX) &&
               SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
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
    bool Flush() override { return handle != INVALID_HANDLE_VALUE && (FlushFileBuffers(handle) || Failed()); }

    bool Close() override {
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        BOOL closed = CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        return closed != FALSE || Failed();
    }

    // The section ends where the view does and its handle goes at once: the view alone holds it,
    // so the file is free to be replaced as soon as the view is unmapped. A view starts on the
    // allocation granularity (64 KB).
    // https://learn.microsoft.com/windows/win32/api/memoryapi/nf-memoryapi-mapviewoffile
    std::unique_ptr<FileView> MapView(uint64_t offset, size_t size) override {
        uint64_t fileSize = 0;
        if (size == 0 || !GetSize(fileSize) || offset > fileSize || size > fileSize - offset) {
            return nullptr;
        }
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const uint64_t start = offset - offset % system.dwAllocationGranularity;
        const size_t skip = static_cast<size_t>(offset - start);
        if (size > SIZE_MAX - skip) {
            return nullptr;
        }
        const uint64_t end = offset + size;
        HANDLE section = CreateFileMappingA(handle, nullptr, PAGE_READONLY, static_cast<DWORD>(end >> 32),
                                            static_cast<DWORD>(end), nullptr);
        if (section == nullptr) {
            return nullptr;
        }
        void* base = MapViewOfFile(section, FILE_MAP_READ, static_cast<DWORD>(start >> 32), static_cast<DWORD>(start),
                                   skip + size);
        CloseHandle(section);
        if (base == nullptr) {
            return nullptr;
        }
        return std::make_unique<WinFileView>(base, skip);
    }

    // With POSIX semantics the new file replaces the old one while our handle (which shares delete
    // for this) still holds it, so nobody ever finds the name free or the file unheld. Where the
    // system lacks them (before Windows 10 1809, FAT, Wine) an open file can't be replaced: our
    // handle goes first and the rename follows at once; whoever opens the old file in that moment
    // keeps the rename from happening (Busy), and the caller takes the file back before it tries
    // again. Renaming through the handle keeps the file ours under its new name.
    // https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-setfileinformationbyhandle
    // https://learn.microsoft.com/windows-hardware/drivers/ddi/ntifs/ns-ntifs-_file_rename_information
    FileFailure ReplaceTarget(const std::string& target, std::unique_ptr<FileHandle>& previous) override {
        constexpr DWORD kReplaceIfExists = 0x1;  // FILE_RENAME_FLAG_REPLACE_IF_EXISTS
        constexpr DWORD kPosixSemantics = 0x2;   // FILE_RENAME_FLAG_POSIX_SEMANTICS
        constexpr auto kRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);  // FileRenameInfoEx
        if (handle == INVALID_HANDLE_VALUE) {
            return FileFailure::Refused;
        }
        std::wstring name = WideFullPath(target);
        if (name.empty()) {
            *failure = ErrorText(ERROR_INVALID_NAME);
            return FileFailure::Refused;
        }
        if (previous) {
            std::vector<char> posix = RenameInfo(name, kReplaceIfExists | kPosixSemantics);
            if (SetFileInformationByHandle(handle, kRenameInfoEx, posix.data(), static_cast<DWORD>(posix.size()))) {
                previous->Close();
                previous.reset();
                return FileFailure::None;
            }
            if (IsBusy(GetLastError())) {
                *failure = ErrorText(GetLastError());
                return FileFailure::Busy;  // someone else holds it too: ours stays held meanwhile
            }
        }
        std::vector<char> classic = RenameInfo(name, TRUE);
        if (previous) {
            previous->Close();
            previous.reset();
        }
        if (SetFileInformationByHandle(handle, FileRenameInfo, classic.data(), static_cast<DWORD>(classic.size()))) {
            return FileFailure::None;
        }
        DWORD error = GetLastError();
        *failure = ErrorText(error);
        return IsBusy(error) ? FileFailure::Busy : FileFailure::Refused;
    }

  private:
    static std::wstring WideFullPath(const std::string& path) {
        const std::wstring wide = Widen(path);
        const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
        std::wstring full(needed, L'\0');
        const DWORD length = needed > 0 ? GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr) : 0;
        return length > 0 && length < needed ? full.substr(0, length) : std::wstring();
    }

    // A target held open by someone else refuses a rename with either code.
    static bool IsBusy(DWORD error) { return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION; }

    // Keeps the system's reason for the failure that just happened; false, for the caller to return.
    bool Failed() const {
        *failure = ErrorText(GetLastError());
        return false;
    }

    static DWORD Chunk(size_t remaining) {
        const size_t most = 1u << 30;
        return static_cast<DWORD>(remaining < most ? remaining : most);
    }

    HANDLE handle;
    std::shared_ptr<std::string> failure;
};

FileFailure FailureOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return FileFailure::NotFound;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return FileFailure::Exists;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return FileFailure::Busy;
        default:
            return FileFailure::Refused;
    }
}

}  // namespace

// No other open of the file for reading or writing succeeds while this handle lives: an existing
// file is shared for deleting only, so that a new image can replace it while it is held (see
// ReplaceTarget). CREATE_NEW never touches a file that exists, and CREATE_ALWAYS fails on a held
// file instead of emptying it.
// https://learn.microsoft.com/windows/win32/api/fileapi/nf-fileapi-createfilea
std::unique_ptr<FileHandle> WinFilePort::OpenFile(const std::string& path, Access access, FileFailure& failure) {
    DWORD desired = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    DWORD share = FILE_SHARE_DELETE;
    switch (access) {
        case Access::Read:
            break;
        case Access::ReadWrite:
            desired = GENERIC_READ | GENERIC_WRITE;
            break;
        case Access::CreateNew:
            desired = GENERIC_READ | GENERIC_WRITE;
            disposition = CREATE_NEW;
            break;
        case Access::Overwrite:
            desired = GENERIC_WRITE | DELETE;  // DELETE: the new file may be renamed into place
            disposition = CREATE_ALWAYS;
            share = 0;
            break;
    }
    HANDLE handle =
        CreateFileW(Widen(path).c_str(), desired, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        failure = FailureOf(error);
        NoteFailure(ErrorText(error));
        return nullptr;
    }
    failure = FileFailure::None;
    return std::make_unique<WinFileHandle>(handle, this->failure);
}

bool WinFilePort::Remove(const std::string& path) {
    return DeleteFileW(Widen(path).c_str()) != FALSE;
}

}  // namespace discdeck
