#include "ports/tests/FileTestSupport.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace discdeck {
namespace testing_support {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/discdeck-db-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path = buffer.data();
}

TempDir::~TempDir() {
    // Tests take write permission away from the directory; give it back before cleaning up.
    ::chmod(path.c_str(), 0700);
    for (const std::string& name : ListDirectory(path)) {
        std::string file = path + "/" + name;
        ::chmod(file.c_str(), 0600);
        if (::unlink(file.c_str()) != 0) {
            ::rmdir(file.c_str());
        }
    }
    ::rmdir(path.c_str());
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    in.seekg(0, std::ios::end);
    Bytes bytes(static_cast<size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::string ReadText(const std::string& path) {
    Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.push_back(entry->d_name);
        }
    }
    ::closedir(dir);
    return names;
}

namespace {

// Passes everything to the real handle, failing where the port says. Injected failures give the
// port the reason the system would (a write: the disk is full; anything else: an I/O error), and
// real ones keep the real port's.
class FaultyHandle : public FileHandle {
  public:
    FaultyHandle(std::unique_ptr<FileHandle> real, FaultyFilePort& port) : real(std::move(real)), port(port) {}
    bool Read(void* buffer, size_t size, size_t& got) override {
        got = 0;
        return Step() && Real(real->Read(buffer, size, got));
    }
    bool ReadAt(uint64_t offset, void* buffer, size_t size, size_t& got) override {
        got = 0;
        return Step() && Real(real->ReadAt(offset, buffer, size, got));
    }
    bool Write(const void* data, size_t size) override {
        if (port.StepFails()) {
            real->Write(data, size / 2);  // part of it reaches the file, as on a full disk
            return Injected(ENOSPC);
        }
        if (port.writeBudget >= 0 && static_cast<uint64_t>(port.writeBudget) < size) {
            real->Write(data, static_cast<size_t>(port.writeBudget));
            port.writeBudget = 0;
            return Injected(ENOSPC);
        }
        if (port.writeBudget >= 0) {
            port.writeBudget -= static_cast<int64_t>(size);
        }
        return Real(real->Write(data, size));
    }
    bool Seek(uint64_t offset) override { return Step() && Real(real->Seek(offset)); }
    bool GetSize(uint64_t& size) override { return Step() && Real(real->GetSize(size)); }
    bool Flush() override { return Step() && (!port.failFlush || Injected(EIO)) && Real(real->Flush()); }
    bool Close() override {
        bool closed = Real(real->Close());
        return Step() && closed && (!port.failClose || Injected(EIO));
    }
    FileFailure ReplaceTarget(const std::string& target, std::unique_ptr<FileHandle>& previous) override {
        if (!Step() || (port.failReplace && port.Matches(target) && !Injected(EACCES))) {
            return FileFailure::Refused;
        }
        if (port.busyReplaces > 0 && port.Matches(target)) {
            --port.busyReplaces;
            port.unheldReplaces += previous ? 0 : 1;
            previous.reset();
            Injected(EACCES);
            return FileFailure::Busy;
        }
        FileFailure result = real->ReplaceTarget(target, previous);
        Real(result == FileFailure::None);
        return result;
    }

  private:
    bool Step() { return !port.StepFails() || Injected(EIO); }
    bool Injected(int error) {
        port.NoteFailure(std::strerror(error));
        return false;
    }
    bool Real(bool succeeded) {
        if (!succeeded) {
            port.NoteFailure(port.RealFailure());
        }
        return succeeded;
    }

    std::unique_ptr<FileHandle> real;
    FaultyFilePort& port;
};

}  // namespace

bool FaultyFilePort::Matches(const std::string& path) const {
    return target.empty() || path.find(target) != std::string::npos;
}

bool FaultyFilePort::StepFails() {
    ++steps;
    return steps == failStep;
}

std::unique_ptr<FileHandle> FaultyFilePort::OpenFile(const std::string& path, Access access, FileFailure& failure) {
    ++opens;
    bool creates = access == Access::CreateNew || access == Access::Overwrite;
    if (Matches(path) && (StepFails() || (failCreate && creates) || (readOnly && access != Access::Read))) {
        NoteFailure(std::strerror(readOnly || failCreate ? EACCES : EIO));
        failure = FileFailure::Refused;
        return nullptr;
    }
    std::unique_ptr<FileHandle> handle = real.OpenFile(path, access, failure);
    if (!handle) {
        NoteFailure(real.LastFailure());
    }
    if (!handle || !Matches(path)) {
        return handle;
    }
    return std::make_unique<FaultyHandle>(std::move(handle), *this);
}

bool FaultyFilePort::Remove(const std::string& path) {
    return real.Remove(path);
}

}  // namespace testing_support
}  // namespace discdeck
