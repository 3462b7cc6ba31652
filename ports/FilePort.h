#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace discdeck {

// Why a file could not be opened or moved. "Not found" and "busy" must never be confused: a file
// that another program holds exists all the same, and creating it anew would empty it.
enum class FileFailure {
    None,
    NotFound,  // no such file (or no such folder)
    Exists,    // a new file was asked for and there is one already
    Busy,      // another handle holds it: worth trying again shortly
    Refused,   // anything else: no permission, not a file, an I/O error
};

// A read-only view of part of an open file, mapped into memory until the view goes. It must go
// before the file's handle does, and before the file is replaced: on Windows a mapped file can't be.
class FileView {
  public:
    virtual ~FileView() = default;
    // The bytes from the offset that was asked for on.
    virtual const uint8_t* Data() const = 0;
};

// One open file. Every open is exclusive: while a handle lives, no other open of the same file
// succeeds, in this process or another. Destroying a handle closes it without reporting errors;
// call Close to learn whether buffered data reached the file.
class FileHandle {
  public:
    virtual ~FileHandle() = default;
    // Reads up to `size` bytes at the current position; `got` is what was read (0 at the end).
    virtual bool Read(void* buffer, size_t size, size_t& got) = 0;
    // Reads up to `size` bytes at `offset` in one call, whatever the current position.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t size, size_t& got) = 0;
    // Writes all bytes at the current position or fails; a failure may have written part of them.
    virtual bool Write(const void* data, size_t size) = 0;
    // Moves the position of the next Read or Write to `offset` bytes from the start.
    virtual bool Seek(uint64_t offset) = 0;
    virtual bool GetSize(uint64_t& size) = 0;
    // Commits written data to the storage device.
    virtual bool Flush() = 0;
    virtual bool Close() = 0;
    // Puts this file, complete and flushed, in place of `target` in one step: afterwards `target`
    // is either wholly the old file or wholly this one, and this handle keeps holding the file
    // under its new name. `previous` is this program's own handle on the old `target` (or null);
    // the port closes it where the platform needs it: after the swap where an open file can be
    // replaced, so that nobody opens the old file in between; before it where it can't. Busy when
    // another program holds `target`: nothing moved, and trying again later may succeed.
    virtual FileFailure ReplaceTarget(const std::string& target, std::unique_ptr<FileHandle>& previous) = 0;
    // Maps `size` bytes from `offset` (any offset: the port aligns it) for reading, all of them
    // within the file. Null where the port offers no mapping or it fails: read instead.
    virtual std::unique_ptr<FileView> MapView(uint64_t /*offset*/, size_t /*size*/) { return nullptr; }
};

// The file operations of the database and the exports, so that tests can inject faults and the
// product can use the platform's own calls. Implementations: PosixFilePort (native builds) and
// WinFilePort (ports/win, CreateFileW with share mode 0).
class FilePort {
  public:
    enum class Access {
        Read,       // an existing file, reading only
        ReadWrite,  // an existing file, reading and writing
        CreateNew,  // a new file, reading and writing; never one that exists already
        Overwrite,  // created, or an existing file emptied, writing only
    };

    virtual ~FilePort() = default;
    // Null when the file can't be opened (also when another handle holds it); `failure` says why.
    virtual std::unique_ptr<FileHandle> OpenFile(const std::string& path, Access access, FileFailure& failure) = 0;
    virtual bool Remove(const std::string& path) = 0;

    std::unique_ptr<FileHandle> Open(const std::string& path, Access access) {
        FileFailure ignored = FileFailure::None;
        return OpenFile(path, access, ignored);
    }

    // The system's words for the last failure of an open, read, write, flush or replacement
    // through this port or a handle it made ("There is not enough space on the disk."), so that a
    // failed store can say why; empty when nothing failed since ClearFailure. Read it at once: a
    // later failure (even of a clean-up) takes its place.
    std::string LastFailure() const { return *failure; }
    void ClearFailure() { failure->clear(); }
    void NoteFailure(const std::string& text) { *failure = text; }

  protected:
    // Shared with the handles, which may outlive the port.
    std::shared_ptr<std::string> failure = std::make_shared<std::string>();
};

// Writes a whole file through the port: create (or empty), write, close. False on any failure;
// the file may then be left partly written.
inline bool WriteWholeFile(FilePort& files, const std::string& path, const std::string& content) {
    std::unique_ptr<FileHandle> file = files.Open(path, FilePort::Access::Overwrite);
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
