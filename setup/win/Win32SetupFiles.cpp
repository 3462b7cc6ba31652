#include "setup/win/Win32SetupFiles.h"

#include <cstdio>

#include "setup/win/WideText.h"

namespace discdeck {
namespace {

HANDLE ToHandle(SetupFileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

SetupFileHandle FromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<SetupFileHandle>(handle);
}

}  // namespace

std::string SystemErrorText(DWORD error) {
    wchar_t text[512] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, sizeof text / sizeof text[0], nullptr);
    std::string result = Utf8FromWide(text, length);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ')) {
        result.pop_back();
    }
    if (result.empty()) {
        char number[40];
        std::snprintf(number, sizeof number, "Error %lu.", static_cast<unsigned long>(error));
        result = number;
    }
    return result;
}

bool Win32SetupFiles::WidePath(const std::string& path, WideText& wide) {
    if (Widen(path, wide)) {
        return true;
    }
    lastError_ = ERROR_INVALID_NAME;
    return false;
}

SetupFileHandle Win32SetupFiles::OpenRead(const std::string& path) {
    WideText wide;
    if (!WidePath(path, wide)) {
        return kNoFile;
    }
    // Shared with everybody: the setup program reads its own running image.
    const HANDLE handle =
        CreateFileW(wide.data(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Failed();
    }
    return FromHandle(handle);
}

SetupFileHandle Win32SetupFiles::CreateWrite(const std::string& path) {
    // CREATE_NEW: an existing file, perhaps planted with other rights, is never opened.
    // https://learn.microsoft.com/windows/win32/api/fileapi/nf-fileapi-createfilew
    WideText wide;
    if (!WidePath(path, wide)) {
        return kNoFile;
    }
    const HANDLE handle = CreateFileW(wide.data(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Failed();
    }
    return FromHandle(handle);
}

std::int64_t Win32SetupFiles::Read(SetupFileHandle file, void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const DWORD chunk = static_cast<DWORD>(count - done > 0x40000000 ? 0x40000000 : count - done);
        DWORD got = 0;
        if (!ReadFile(ToHandle(file), static_cast<char*>(buffer) + done, chunk, &got, nullptr)) {
            Failed();
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t Win32SetupFiles::Write(SetupFileHandle file, const void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const DWORD chunk = static_cast<DWORD>(count - done > 0x40000000 ? 0x40000000 : count - done);
        DWORD put = 0;
        if (!WriteFile(ToHandle(file), static_cast<const char*>(buffer) + done, chunk, &put, nullptr) || put == 0) {
            Failed();
            return -1;
        }
        done += put;
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t Win32SetupFiles::Seek(SetupFileHandle file, std::int64_t offset, SeekOrigin origin) {
    const DWORD method = origin == SeekOrigin::Begin     ? FILE_BEGIN
                         : origin == SeekOrigin::Current ? FILE_CURRENT
                                                         : FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(ToHandle(file), distance, &position, method)) {
        Failed();
        return -1;
    }
    return position.QuadPart;
}

bool Win32SetupFiles::Close(SetupFileHandle file) {
    return CloseHandle(ToHandle(file)) ? true : Failed();
}

bool Win32SetupFiles::SetDosTime(const std::string& path, std::uint16_t dosDate, std::uint16_t dosTime) {
    // Cabinets keep local time; the file system keeps UTC.
    WideText wide;
    if (!WidePath(path, wide)) {
        return false;
    }
    const HANDLE handle = CreateFileW(wide.data(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return Failed();
    }
    FILETIME local;
    FILETIME utc;
    bool ok = DosDateTimeToFileTime(dosDate, dosTime, &local) && LocalFileTimeToFileTime(&local, &utc) &&
              SetFileTime(handle, &utc, nullptr, &utc);
    if (!ok) {
        Failed();
    }
    CloseHandle(handle);
    return ok;
}

bool Win32SetupFiles::SetAttributes(const std::string& path, std::uint8_t attributes) {
    // FILE_ATTRIBUTE_NORMAL stands for "none" and is valid only alone.
    const DWORD value = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    WideText wide;
    return WidePath(path, wide) && (SetFileAttributesW(wide.data(), value) || Failed());
}

bool Win32SetupFiles::Delete(const std::string& path) {
    WideText wide;
    return WidePath(path, wide) && (DeleteFileW(wide.data()) || Failed());
}

bool Win32SetupFiles::MakeDirectory(const std::string& path) {
    // Inherits the rights of the user's temporary folder, which only that user and the system reach.
    WideText wide;
    return WidePath(path, wide) && (CreateDirectoryW(wide.data(), nullptr) || Failed());
}

bool Win32SetupFiles::RemoveEmptyDirectory(const std::string& path) {
    WideText wide;
    return WidePath(path, wide) && (RemoveDirectoryW(wide.data()) || Failed());
}

std::string Win32SetupFiles::LastErrorText() {
    return SystemErrorText(lastError_);
}

std::string Win32SetupFiles::NameToUtf8(const std::string& bytes) {
    return Utf8FromCodePage(bytes, CP_ACP);
}

}  // namespace discdeck
