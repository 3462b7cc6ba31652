#include "ports/PosixFilePort.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace discdeck {
namespace {

class PosixFileHandle : public FileHandle {
  public:
    explicit PosixFileHandle(int fd) : fd(fd) {}
    ~PosixFileHandle() override {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    PosixFileHandle(const PosixFileHandle&) = delete;
    PosixFileHandle& operator=(const PosixFileHandle&) = delete;

    bool Read(void* buffer, size_t size, size_t& got) override {
        got = 0;
        if (fd < 0) {
            return false;
        }
        char* out = static_cast<char*>(buffer);
        while (got < size) {
            ssize_t n = ::read(fd, out + got, size - got);
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
                return false;
            }
            done += static_cast<size_t>(n);
        }
        return true;
    }

    bool GetSize(uint64_t& size) override {
        struct stat st;
        if (fd < 0 || ::fstat(fd, &st) != 0) {
            return false;
        }
        size = static_cast<uint64_t>(st.st_size);
        return true;
    }

    bool Flush() override { return fd >= 0 && ::fsync(fd) == 0; }

    bool Close() override {
        if (fd < 0) {
            return false;
        }
        int result = ::close(fd);
        fd = -1;
        return result == 0;
    }

  private:
    int fd;
};

// The directory part of a path, for syncing a rename; "." for a bare name.
std::string DirectoryOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::unique_ptr<FileHandle> PosixFilePort::Open(const std::string& path, Access access) {
    int flags = O_CLOEXEC;
    switch (access) {
        case Access::Read:
            flags |= O_RDONLY;
            break;
        case Access::ReadWrite:
            flags |= O_RDWR;
            break;
        case Access::CreateWrite:
            // No O_TRUNC: the file is truncated only once the lock is ours, so a file held by
            // another handle is never emptied under it.
            flags |= O_WRONLY | O_CREAT;
            break;
    }
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    if (access == Access::CreateWrite && ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFileHandle>(fd);
}

bool PosixFilePort::Replace(const std::string& source, const std::string& target) {
    if (::rename(source.c_str(), target.c_str()) != 0) {
        return false;
    }
    // The rename itself must survive a crash too; a directory that can't be synced (some file
    // systems refuse) does not undo the replacement.
    int dir = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool PosixFilePort::Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

}  // namespace discdeck
