#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace discdeck {

// One open file. Every open is exclusive: while a handle lives, no other open of the same file
// succeeds, in this process or another. Destroying a handle closes it without reporting errors;
// call Close to learn whether buffered data reached the file.
class FileHandle {
  public:
    virtual ~FileHandle() = default;
    // Reads up to `size` bytes at the current position; `got` is what was read (0 at the end).
    virtual bool Read(void* buffer, size_t size, size_t& got) = 0;
    // Writes all bytes or fails; a failure may have written part of them.
    virtual bool Write(const void* data, size_t size) = 0;
    virtual bool GetSize(uint64_t& size) = 0;
    // Commits written data to the storage device.
    virtual bool Flush() = 0;
    virtual bool Close() = 0;
};

// The file operations of the database and the exports, so that tests can inject faults and the
// product can use the platform's own calls. Implementations: PosixFilePort (native builds) and
// WinFilePort (ports/win, CreateFileA with share mode 0).
class FilePort {
  public:
    enum class Access {
        Read,         // an existing file, reading only
        ReadWrite,    // an existing file, reading and writing
        CreateWrite,  // created, or an existing file truncated, writing only
    };

    virtual ~FilePort() = default;
    // Null when the file can't be opened, also when another handle holds it.
    virtual std::unique_ptr<FileHandle> Open(const std::string& path, Access access) = 0;
    // Puts the complete file `source` in place of `target` in one step: afterwards `target` is
    // either wholly the old file or wholly the new one. `target` need not exist. Neither file may
    // be open. On success `source` is gone.
    virtual bool Replace(const std::string& source, const std::string& target) = 0;
    virtual bool Remove(const std::string& path) = 0;
};

// Writes a whole file through the port: create (or truncate), write, close. False on any failure;
// the file may then be left partly written.
inline bool WriteWholeFile(FilePort& files, const std::string& path, const std::string& content) {
    std::unique_ptr<FileHandle> file = files.Open(path, FilePort::Access::CreateWrite);
    if (!file) {
        return false;
    }
    bool written = file->Write(content.data(), content.size());
    bool closed = file->Close();
    return written && closed;
}

// The path of a database or export file: a bare name in the current directory when `directory`
// is empty (as the player uses it), otherwise inside that directory.
inline std::string JoinPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) {
        return name;
    }
    char last = directory.back();
    if (last == '/' || last == '\\') {
        return directory + name;
    }
    return directory + "/" + name;
}

}  // namespace discdeck
