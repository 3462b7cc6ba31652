#include "setup/tests/support/DiskSetupFiles.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "setup/DosDateTime.h"

namespace discdeck {
namespace {

// Descriptor 0 is a valid descriptor; handles are descriptors plus one.
SetupFileHandle ToHandle(int fd) {
    return fd < 0 ? kNoFile : static_cast<SetupFileHandle>(fd) + 1;
}
int ToFd(SetupFileHandle handle) {
    return static_cast<int>(handle - 1);
}

}  // namespace

SetupFileHandle DiskSetupFiles::OpenRead(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    lastErrno_ = errno;
    return ToHandle(fd);
}

SetupFileHandle DiskSetupFiles::CreateWrite(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    lastErrno_ = errno;
    return ToHandle(fd);
}

std::int64_t DiskSetupFiles::Read(SetupFileHandle file, void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(ToFd(file), static_cast<char*>(buffer) + done, count - done);
        if (got < 0) {
            lastErrno_ = errno;
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t DiskSetupFiles::Write(SetupFileHandle file, const void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(ToFd(file), static_cast<const char*>(buffer) + done, count - done);
        if (put < 0) {
            lastErrno_ = errno;
            return -1;
        }
        done += static_cast<std::size_t>(put);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t DiskSetupFiles::Seek(SetupFileHandle file, std::int64_t offset, SeekOrigin origin) {
    const int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    const off_t position = ::lseek(ToFd(file), static_cast<off_t>(offset), whence);
    lastErrno_ = errno;
    return position;
}

bool DiskSetupFiles::Close(SetupFileHandle file) {
    const bool ok = ::close(ToFd(file)) == 0;
    lastErrno_ = errno;
    return ok;
}

bool DiskSetupFiles::SetDosTime(const std::string& path, std::uint16_t dosDate, std::uint16_t dosTime) {
    const DosDateTime stamp = DosDateTime::Unpack(dosDate, dosTime);
    std::tm local{};
    local.tm_year = stamp.year - 1900;
    local.tm_mon = stamp.month - 1;
    local.tm_mday = stamp.day;
    local.tm_hour = stamp.hour;
    local.tm_min = stamp.minute;
    local.tm_sec = stamp.second;
    local.tm_isdst = -1;
    const std::time_t utc = std::mktime(&local);
    if (utc == static_cast<std::time_t>(-1)) {
        lastErrno_ = EINVAL;
        return false;
    }
    const struct timespec times[2] = {{0, UTIME_OMIT}, {utc, 0}};
    const bool ok = ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
    lastErrno_ = errno;
    return ok;
}

bool DiskSetupFiles::SetAttributes(const std::string& path, std::uint8_t attributes) {
    const bool ok = ::chmod(path.c_str(), (attributes & 0x01) != 0 ? 0444 : 0644) == 0;
    lastErrno_ = errno;
    return ok;
}

bool DiskSetupFiles::Delete(const std::string& path) {
    const bool ok = ::unlink(path.c_str()) == 0;
    lastErrno_ = errno;
    return ok;
}

bool DiskSetupFiles::MakeDirectory(const std::string& path) {
    const bool ok = ::mkdir(path.c_str(), 0700) == 0;
    lastErrno_ = errno;
    return ok;
}

bool DiskSetupFiles::RemoveEmptyDirectory(const std::string& path) {
    const bool ok = ::rmdir(path.c_str()) == 0;
    lastErrno_ = errno;
    return ok;
}

std::string DiskSetupFiles::LastErrorText() {
    return std::strerror(lastErrno_);
}

}  // namespace discdeck
