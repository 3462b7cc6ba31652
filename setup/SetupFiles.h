#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "setup/Utf8.h"

namespace discdeck {

// Handle of an open file as the file port hands it out; kNoFile marks a failed open.
using SetupFileHandle = std::intptr_t;
constexpr SetupFileHandle kNoFile = -1;

enum class SeekOrigin { Begin, Current, End };

// Everything the setup program does with files: the package copy, the library's access to the
// cabinet and to the files it unpacks, the file times and attributes, deletions. Implementations:
// Win32 (setup/win/Win32SetupFiles) in the product; in memory and on a POSIX disk in the native
// tests, the fuzz target and the benchmark. Paths are UTF-8.
class SetupFiles {
  public:
    virtual ~SetupFiles() = default;

    // Opens an existing file for reading, sharing it with everybody.
    virtual SetupFileHandle OpenRead(const std::string& path) = 0;
    // Creates a new file for writing; fails when the path exists, so that a file planted by somebody
    // else is never written into (it would keep its owner and rights).
    virtual SetupFileHandle CreateWrite(const std::string& path) = 0;
    // Number of bytes transferred (fewer at the end of a file), or -1 on failure.
    virtual std::int64_t Read(SetupFileHandle file, void* buffer, std::size_t count) = 0;
    virtual std::int64_t Write(SetupFileHandle file, const void* buffer, std::size_t count) = 0;
    // New position from the start of the file, or -1 on failure.
    virtual std::int64_t Seek(SetupFileHandle file, std::int64_t offset, SeekOrigin origin) = 0;
    virtual bool Close(SetupFileHandle file) = 0;

    // Sets creation and last-write time from an MS-DOS date and time given in local time.
    virtual bool SetDosTime(const std::string& path, std::uint16_t dosDate, std::uint16_t dosTime) = 0;
    // Sets the read-only, hidden, system and archive attributes (bits 0x01, 0x02, 0x04, 0x20).
    virtual bool SetAttributes(const std::string& path, std::uint8_t attributes) = 0;
    virtual bool Delete(const std::string& path) = 0;
    // Creates a new directory; false when the path exists already or the directory cannot be made.
    virtual bool MakeDirectory(const std::string& path) = 0;
    // Removes an empty directory.
    virtual bool RemoveEmptyDirectory(const std::string& path) = 0;

    // The system's description of the last failure, for messages to the user.
    virtual std::string LastErrorText() = 0;

    // A name the package stores as 8-bit text (a cabinet entry without the UTF-8 flag, the program
    // the trailer names) as UTF-8. Such names are in the code page of the system that packed them:
    // the Win32 port takes the ANSI code page, as Windows' own extraction does; elsewhere
    // ISO-8859-1, as libmspack documents it.
    virtual std::string NameToUtf8(const std::string& bytes) { return Latin1ToUtf8(bytes); }
};

}  // namespace discdeck
