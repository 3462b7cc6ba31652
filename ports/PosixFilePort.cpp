#include "ports/PosixFilePort.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace discdeck {
namespace {

class PosixFileView : public FileView {
  public:
    PosixFileView(void* base, size_t length, size_t skip) : base(base), length(length), skip(skip) {}
    ~PosixFileView() override { ::munmap(base, length); }
    PosixFileView(const PosixFileView&) = delete;
    PosixFileView& operator=(const PosixFileView&) = delete;

    const uint8_t* Data() const override { return static_cast<const uint8_t*>(base) + skip; }

  private:
    void* base;
    size_t length;
    size_t skip;  // from the page boundary the mapping starts at to the offset asked for
};

// Reads until `size` bytes are in or the file ends, going on after interrupted calls. `next` reads
// into `out` up to `wanted` bytes, `done` being what is in already, as read() does.
template <typename ReadCall>
bool ReadAll(void* buffer, size_t size, size_t& got, ReadCall next) {
    char* out = static_cast<char*>(buffer);
    while (got < size) {
        ssize_t n = next(out + got, size - got, got);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    return true;
}

class PosixFileHandle : public FileHandle {
  public:
    PosixFileHandle(int fd, std::string path, std::shared_ptr<std::string> failure)
        : fd(fd), path(std::move(path)), failure(std::move(failure)) {}
    ~PosixFileHandle() override {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    PosixFileHandle(const PosixFileHandle&) = delete;
    PosixFileHandle& operator=(const PosixFileHandle&) = delete;

    bool Read(void* buffer, size_t size, size_t& got) override {
        got = 0;
        return Noted(fd >= 0 && ReadAll(buffer, size, got,
                                        [this](char* out, size_t wanted, size_t) { return ::read(fd, out, wanted); }));
    }

    bool ReadAt(uint64_t offset, void* buffer, size_t size, size_t& got) override {
        got = 0;
        if (fd < 0 || offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) {
            return false;
        }
        return Noted(ReadAll(buffer, size, got, [this, offset](char* out, size_t wanted, size_t done) {
            return ::pread(fd, out, wanted, static_cast<off_t>(offset + done));
        }));
    }

    bool Write(const void* data, size_t size) override {
        if (fd < 0) {
            return false;
        }
        const char* in = static_cast<const char*>(data);
        size_t done = 0;
        while (done < size) {
            ssize_t n = ::write(fd, in + done, size - done);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return Noted(false);
            }
            done += static_cast<size_t>(n);
        }
        return true;
    }

    bool Seek(uint64_t offset) override {
        return fd >= 0 && offset <= static_cast<uint64_t>(std::numeric_limits<off_t>::max()) &&
               ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) >= 0;
    }

    bool GetSize(uint64_t& size) override {
        struct stat st;
        if (fd < 0 || ::fstat(fd, &st) != 0) {
            return false;
        }
        size = static_cast<uint64_t>(st.st_size);
        return true;
    }

    bool Flush() override { return Noted(fd >= 0 && ::fsync(fd) == 0); }

    bool Close() override {
        if (fd < 0) {
            return false;
        }
        int result = ::close(fd);
        fd = -1;
        return Noted(result == 0);
    }

    // rename() replaces a file that others hold open; the old one goes only after the swap, and a
    // waiter that then gets its lock sees that the name has moved on (see OpenFile).
    FileFailure ReplaceTarget(const std::string& target, std::unique_ptr<FileHandle>& previous) override {
        if (fd < 0) {
            return FileFailure::Refused;
        }
        if (::rename(path.c_str(), target.c_str()) != 0) {
            Noted(false);
            return FileFailure::Refused;
        }
        path = target;
        SyncDirectoryOf(target);
        if (previous) {
            previous->Close();
            previous.reset();
        }
        return FileFailure::None;
    }

    // Only within the file: a page past its end would fault when touched.
    std::unique_ptr<FileView> MapView(uint64_t offset, size_t size) override {
        static const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
        uint64_t fileSize = 0;
        if (size == 0 || !GetSize(fileSize) || offset > fileSize || size > fileSize - offset) {
            return nullptr;
        }
        const uint64_t start = offset - offset % page;
        const size_t skip = static_cast<size_t>(offset - start);
        if (size > SIZE_MAX - skip || start > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) {
            return nullptr;
        }
        void* base = ::mmap(nullptr, skip + size, PROT_READ, MAP_SHARED, fd, static_cast<off_t>(start));
        if (base == MAP_FAILED) {
            return nullptr;
        }
        return std::make_unique<PosixFileView>(base, skip + size, skip);
    }

  private:
    // Keeps the system's reason for a failure (errno) for the port's LastFailure.
    bool Noted(bool succeeded) const {
        if (!succeeded) {
            *failure = std::strerror(errno);
        }
        return succeeded;
    }

    // The rename itself must survive a crash too; a directory that can't be synced (some file
    // systems refuse) does not undo the replacement.
    static void SyncDirectoryOf(const std::string& file) {
        std::string::size_type slash = file.find_last_of('/');
        std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : file.substr(0, slash));
        int handle = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (handle >= 0) {
            ::fsync(handle);
            ::close(handle);
        }
    }

    int fd;
    std::string path;
    std::shared_ptr<std::string> failure;
};

FileFailure FailureOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return FileFailure::NotFound;
        case EEXIST:
            return FileFailure::Exists;
        case EWOULDBLOCK:
            return FileFailure::Busy;
        default:
            return FileFailure::Refused;
    }
}

// Whether `path` still names the file open in `fd`: it may have been replaced while we waited.
FileFailure StillNamed(int fd, const std::string& path) {
    struct stat open;
    struct stat named;
    if (::fstat(fd, &open) != 0) {
        return FileFailure::Refused;
    }
    if (::stat(path.c_str(), &named) != 0) {
        return FailureOf(errno);
    }
    if (open.st_dev != named.st_dev || open.st_ino != named.st_ino) {
        return FileFailure::Busy;
    }
    return S_ISREG(open.st_mode) ? FileFailure::None : FileFailure::Refused;
}

}  // namespace

std::unique_ptr<FileHandle> PosixFilePort::OpenFile(const std::string& path, Access access, FileFailure& failure) {
    int flags = O_CLOEXEC;
    switch (access) {
        case Access::Read:
            flags |= O_RDONLY;
            break;
        case Access::ReadWrite:
            flags |= O_RDWR;
            break;
        case Access::CreateNew:
            flags |= O_RDWR | O_CREAT | O_EXCL;
            break;
        case Access::Overwrite:
            // No O_TRUNC: the file is emptied only once the lock is ours, so a file held by
            // another handle is never emptied under it.
            flags |= O_WRONLY | O_CREAT;
            break;
    }
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        failure = FailureOf(errno);
        NoteFailure(std::strerror(errno));
        return nullptr;
    }
    failure = ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? StillNamed(fd, path) : FailureOf(errno);
    if (failure == FileFailure::None && access == Access::Overwrite && ::ftruncate(fd, 0) != 0) {
        failure = FileFailure::Refused;
    }
    if (failure != FileFailure::None) {
        NoteFailure(failure == FileFailure::Busy ? std::strerror(EWOULDBLOCK) : std::strerror(errno));
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFileHandle>(fd, path, this->failure);
}

bool PosixFilePort::Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

}  // namespace discdeck
