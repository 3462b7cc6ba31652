#include "setup/tests/support/MemorySetupFiles.h"

#include <algorithm>
#include <cstring>

namespace discdeck {
namespace {

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::vector<std::string> MemorySetupFiles::FilesIn(const std::string& directory) const {
    std::vector<std::string> result;
    for (const auto& entry : files) {
        if (entry.first.size() > directory.size() && entry.first.compare(0, directory.size(), directory) == 0 &&
            entry.first.find('\\', directory.size()) == std::string::npos) {
            result.push_back(entry.first);
        }
    }
    return result;
}

MemorySetupFiles::OpenFile* MemorySetupFiles::Find(SetupFileHandle file) {
    auto found = open_.find(file);
    return found == open_.end() ? nullptr : &found->second;
}

SetupFileHandle MemorySetupFiles::OpenRead(const std::string& path) {
    if (failOpen.count(path) != 0 || files.count(path) == 0) {
        return Fail("The system cannot find the file specified.");
    }
    open_[nextHandle_] = OpenFile{path, 0, false};
    return nextHandle_++;
}

SetupFileHandle MemorySetupFiles::CreateWrite(const std::string& path) {
    const std::string directory = DirectoryOf(path);
    if (failCreate.count(path) != 0 || (!directory.empty() && directories.count(directory) == 0)) {
        return Fail("The system cannot find the path specified.");
    }
    if (files.count(path) != 0 || directories.count(path) != 0) {
        return Fail("The file exists.");
    }
    files[path].clear();
    log.push_back("create " + path);
    open_[nextHandle_] = OpenFile{path, 0, true};
    return nextHandle_++;
}

std::int64_t MemorySetupFiles::Read(SetupFileHandle file, void* buffer, std::size_t count) {
    OpenFile* state = Find(file);
    if (state == nullptr || state->writing) {
        lastError_ = "The handle is invalid.";
        return -1;
    }
    const std::vector<std::uint8_t>& content = files[state->path];
    const std::int64_t available =
        std::max<std::int64_t>(0, static_cast<std::int64_t>(content.size()) - state->position);
    const std::int64_t done = std::min<std::int64_t>(available, static_cast<std::int64_t>(count));
    if (done > 0) {
        std::memcpy(buffer, content.data() + state->position, static_cast<std::size_t>(done));
    }
    state->position += done;
    return done;
}

std::int64_t MemorySetupFiles::Write(SetupFileHandle file, const void* buffer, std::size_t count) {
    OpenFile* state = Find(file);
    if (state == nullptr || !state->writing) {
        lastError_ = "The handle is invalid.";
        return -1;
    }
    if (count > writeBudget) {
        lastError_ = "There is not enough space on the disk.";
        return -1;
    }
    writeBudget -= count;
    std::vector<std::uint8_t>& content = files[state->path];
    const std::size_t end = static_cast<std::size_t>(state->position) + count;
    if (content.size() < end) {
        content.resize(end);
    }
    if (count > 0) {
        std::memcpy(content.data() + state->position, buffer, count);
    }
    state->position = static_cast<std::int64_t>(end);
    return static_cast<std::int64_t>(count);
}

std::int64_t MemorySetupFiles::Seek(SetupFileHandle file, std::int64_t offset, SeekOrigin origin) {
    OpenFile* state = Find(file);
    if (state == nullptr) {
        lastError_ = "The handle is invalid.";
        return -1;
    }
    std::int64_t base = 0;
    if (origin == SeekOrigin::Current) {
        base = state->position;
    } else if (origin == SeekOrigin::End) {
        base = static_cast<std::int64_t>(files[state->path].size());
    }
    if (base + offset < 0) {
        lastError_ = "An attempt was made to move the file pointer before the beginning of the file.";
        return -1;
    }
    state->position = base + offset;
    return state->position;
}

bool MemorySetupFiles::Close(SetupFileHandle file) {
    OpenFile* state = Find(file);
    if (state == nullptr) {
        lastError_ = "The handle is invalid.";
        return false;
    }
    if (state->writing) {
        log.push_back("close " + state->path);
    }
    open_.erase(file);
    return true;
}

bool MemorySetupFiles::SetDosTime(const std::string& path, std::uint16_t dosDate, std::uint16_t dosTime) {
    if (files.count(path) == 0) {
        lastError_ = "The system cannot find the file specified.";
        return false;
    }
    times[path] = Stamp{dosDate, dosTime};
    log.push_back("time " + path);
    return true;
}

bool MemorySetupFiles::SetAttributes(const std::string& path, std::uint8_t bits) {
    if (files.count(path) == 0) {
        lastError_ = "The system cannot find the file specified.";
        return false;
    }
    attributes[path] = bits;
    log.push_back("attributes " + path);
    return true;
}

bool MemorySetupFiles::Delete(const std::string& path) {
    log.push_back("delete " + path);
    auto attribute = attributes.find(path);
    if (attribute != attributes.end() && (attribute->second & 0x01) != 0) {
        lastError_ = "Access is denied.";
        return false;
    }
    attributes.erase(path);
    times.erase(path);
    return files.erase(path) != 0;
}

namespace {

std::string WithoutBackslash(std::string directory) {
    while (!directory.empty() && directory.back() == '\\') {
        directory.pop_back();
    }
    return directory;
}

}  // namespace

bool MemorySetupFiles::MakeDirectory(const std::string& path) {
    const std::string directory = WithoutBackslash(path);
    if (failCreate.count(directory) != 0 || files.count(directory) != 0 || !directories.insert(directory).second) {
        lastError_ = "Cannot create a file when that file already exists.";
        return false;
    }
    log.push_back("mkdir " + directory);
    return true;
}

bool MemorySetupFiles::RemoveEmptyDirectory(const std::string& path) {
    const std::string directory = WithoutBackslash(path);
    if (!FilesIn(directory + "\\").empty()) {
        lastError_ = "The directory is not empty.";
        return false;
    }
    log.push_back("rmdir " + directory);
    return directories.erase(directory) != 0;
}

}  // namespace discdeck
