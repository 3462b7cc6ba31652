#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ports/PosixFilePort.h"

namespace discdeck {
namespace testing_support {

using Bytes = std::vector<uint8_t>;

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

  private:
    std::string path;
};

bool FileExists(const std::string& path);
Bytes ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
std::vector<std::string> ListDirectory(const std::string& path);

// The real file port with faults on demand, for files whose path contains `target`.
class FaultyFilePort : public FilePort {
  public:
    std::unique_ptr<FileHandle> OpenFile(const std::string& path, Access access, FileFailure& failure) override;
    bool Remove(const std::string& path) override;

    std::string target;        // empty: every file
    int64_t writeBudget = -1;  // bytes written before a write fails part-way (-1: none)
    bool failFlush = false;
    bool failClose = false;
    bool failReplace = false;
    bool failCreate = false;
    // Refuses every open but for reading, as a read-only file, folder or share does (as root,
    // permissions would not).
    bool readOnly = false;
    // Replacements of the target that someone comes between, as on Windows where our own hold on
    // the old file must go first: the hold goes and the replacement answers Busy. Each such
    // replacement that found the old file not held by the caller counts in `unheldReplaces`.
    int busyReplaces = 0;
    int unheldReplaces = 0;
    // Every open, read, write, seek, size, flush, close and replacement on the target files is a
    // step, counted in `steps`; step number `failStep` fails (0: none), a write after writing half.
    int failStep = 0;
    int steps = 0;
    int opens = 0;

    void Disarm() {
        writeBudget = -1;
        failFlush = failClose = failReplace = failCreate = readOnly = false;
        busyReplaces = 0;
        failStep = 0;
    }

    bool Matches(const std::string& path) const;
    bool StepFails();
    std::string RealFailure() const { return real.LastFailure(); }

  private:
    PosixFilePort real;
};

}  // namespace testing_support
}  // namespace discdeck
