#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "setup/SetupFiles.h"

namespace discdeck {

// Files in memory, with Windows-style paths compared as given. Remembers the times and attributes
// set, logs every change in order, and fails: creating a file or directory where one exists, a file
// in a directory it does not know or at a path in failCreate; deleting a read-only file; removing a
// directory that holds files; opening a path in failOpen; writing beyond writeBudget bytes in total.
class MemorySetupFiles : public SetupFiles {
  public:
    struct Stamp {
        std::uint16_t date = 0;
        std::uint16_t time = 0;
    };

    std::map<std::string, std::vector<std::uint8_t>> files;
    std::map<std::string, Stamp> times;
    std::map<std::string, std::uint8_t> attributes;
    std::set<std::string> directories;  // without trailing backslash
    std::vector<std::string> log;       // "create <path>", "delete <path>", "mkdir <path>", "rmdir <path>", ...

    std::set<std::string> failCreate;
    std::set<std::string> failOpen;
    std::uint64_t writeBudget = UINT64_MAX;

    void Put(const std::string& path, std::vector<std::uint8_t> content) { files[path] = std::move(content); }
    bool Has(const std::string& path) const { return files.count(path) != 0; }
    // Paths of the files directly inside directory (given with its trailing backslash).
    std::vector<std::string> FilesIn(const std::string& directory) const;
    int OpenCount() const { return static_cast<int>(open_.size()); }

    SetupFileHandle OpenRead(const std::string& path) override;
    SetupFileHandle CreateWrite(const std::string& path) override;
    std::int64_t Read(SetupFileHandle file, void* buffer, std::size_t count) override;
    std::int64_t Write(SetupFileHandle file, const void* buffer, std::size_t count) override;
    std::int64_t Seek(SetupFileHandle file, std::int64_t offset, SeekOrigin origin) override;
    bool Close(SetupFileHandle file) override;
    bool SetDosTime(const std::string& path, std::uint16_t dosDate, std::uint16_t dosTime) override;
    bool SetAttributes(const std::string& path, std::uint8_t bits) override;
    bool Delete(const std::string& path) override;
    bool MakeDirectory(const std::string& path) override;
    bool RemoveEmptyDirectory(const std::string& path) override;
    std::string LastErrorText() override { return lastError_; }

  private:
    struct OpenFile {
        std::string path;
        std::int64_t position = 0;
        bool writing = false;
    };
    OpenFile* Find(SetupFileHandle file);
    SetupFileHandle Fail(const std::string& text) {
        lastError_ = text;
        return kNoFile;
    }

    std::map<SetupFileHandle, OpenFile> open_;
    SetupFileHandle nextHandle_ = 100;
    std::string lastError_;
};

}  // namespace discdeck
