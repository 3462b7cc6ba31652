#include "setup/PackageCopy.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <new>
#include <vector>

#include "setup/FileNameRules.h"

namespace discdeck {
namespace {

// Closes a file on the way out of an error; a successful copy closes its files itself, in order.
class OpenFile {
  public:
    OpenFile(SetupFiles& files, SetupFileHandle handle) : files_(files), handle_(handle) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() {
        if (handle_ != kNoFile) {
            files_.Close(handle_);
        }
    }
    SetupFileHandle get() const { return handle_; }
    SetupFileHandle release() {
        const SetupFileHandle handle = handle_;
        handle_ = kNoFile;
        return handle;
    }

  private:
    SetupFiles& files_;
    SetupFileHandle handle_;
};

[[noreturn]] void Fail(SetupFiles& files, const char* action, const std::string& path) {
    throw FileError("Cannot " + std::string(action) + " " + path + ": " + files.LastErrorText());
}

void SeekTo(SetupFiles& files, SetupFileHandle file, std::int64_t position, const std::string& path) {
    if (files.Seek(file, position, SeekOrigin::Begin) != position) {
        Fail(files, "seek in", path);
    }
}

void ReadExactly(SetupFiles& files, SetupFileHandle file, void* buffer, std::size_t count, const std::string& path) {
    const std::int64_t done = files.Read(file, buffer, count);
    if (done < 0) {
        Fail(files, "read", path);
    }
    // A short read would copy stale buffer bytes into the package.
    if (static_cast<std::size_t>(done) != count) {
        throw FileError("Cannot read " + path + ": the file ended early.");
    }
}

// The copy after it was created: any failure closes it (OpenFile) and CopyPackage removes it.
PackageTrailer CopyInto(SetupFiles& files,
                        SetupFileHandle created,
                        const std::string& setupPath,
                        const std::string& copyPath,
                        SetupView& view) {
    OpenFile copy(files, created);
    OpenFile setup(files, files.OpenRead(setupPath));
    if (setup.get() == kNoFile) {
        Fail(files, "open", setupPath);
    }

    view.SetStatus("Read setup file ...");
    const std::int64_t wholeLength = files.Seek(setup.get(), 0, SeekOrigin::End);
    if (wholeLength < 0) {
        Fail(files, "seek in", setupPath);
    }
    // A signed setup file carries its certificate after the trailer.
    std::uint8_t header[PackageTrailer::kHeaderReadSize];
    const std::size_t headerSize =
        static_cast<std::size_t>(std::min<std::int64_t>(wholeLength, static_cast<std::int64_t>(sizeof header)));
    SeekTo(files, setup.get(), 0, setupPath);
    ReadExactly(files, setup.get(), header, headerSize, setupPath);
    const std::int64_t fileLength = PackageTrailer::ContentEnd(header, headerSize, wholeLength);
    if (fileLength < 0) {
        throw FileError("The setup file is damaged: its signature does not end the file.");
    }
    PackageTrailer trailer;
    if (fileLength < static_cast<std::int64_t>(PackageTrailer::kSize)) {
        throw FileError(trailer.CheckLayout(fileLength));
    }
    std::uint8_t nameField[PackageTrailer::kNameSize];
    SeekTo(files, setup.get(), fileLength - static_cast<std::int64_t>(PackageTrailer::kSize), setupPath);
    ReadExactly(files, setup.get(), nameField, sizeof nameField, setupPath);
    trailer.name = files.NameToUtf8(PackageTrailer::ParseName(nameField));

    view.SetStatus("Read offset ...");
    std::uint8_t offsetField[PackageTrailer::kOffsetSize];
    SeekTo(files, setup.get(), fileLength - static_cast<std::int64_t>(PackageTrailer::kOffsetSize), setupPath);
    ReadExactly(files, setup.get(), offsetField, sizeof offsetField, setupPath);
    trailer.offset = PackageTrailer::ParseOffset(offsetField);

    // Checked before anything is allocated or read at the offset.
    const std::string layoutProblem = trailer.CheckLayout(fileLength);
    if (!layoutProblem.empty()) {
        throw FileError(layoutProblem);
    }
    // The name is later joined to the temporary directory and started by the shell.
    if (!IsPlainFileName(trailer.name)) {
        throw FileError("The setup file is damaged: it names no valid program to start (\"" +
                        PrintableName(trailer.name) + "\").");
    }
    view.SetProgress(1);

    const std::int64_t packageSize = trailer.PackageSize(fileLength);
    char allocateText[120];
    std::snprintf(allocateText, sizeof allocateText, "Allocate buffer: %08lld B ( Package: %06lld / Header: %06lld )",
                  static_cast<long long>(packageSize), static_cast<long long>(fileLength),
                  static_cast<long long>(trailer.offset));
    view.Note(allocateText);
    std::vector<std::uint8_t> buffer;
    if (static_cast<std::uint64_t>(packageSize) > std::numeric_limits<std::size_t>::max() / 2) {
        throw FileError("The package of " + std::to_string(packageSize) + " bytes is too large.");
    }
    try {
        buffer.resize(static_cast<std::size_t>(packageSize));
    } catch (const std::bad_alloc&) {
        throw FileError("Not enough memory for the package of " + std::to_string(packageSize) + " bytes.");
    }

    view.SetStatus("Writing of package ...");
    SeekTo(files, setup.get(), trailer.offset, setupPath);
    ReadExactly(files, setup.get(), buffer.data(), buffer.size(), setupPath);
    const std::int64_t written = files.Write(copy.get(), buffer.data(), buffer.size());
    if (written < 0 || static_cast<std::size_t>(written) != buffer.size()) {
        Fail(files, "write", copyPath);
    }

    view.SetStatus("Closing of package ...");
    if (!files.Close(setup.release())) {
        Fail(files, "close", setupPath);
    }
    if (!files.Close(copy.release())) {
        Fail(files, "close", copyPath);
    }
    view.SetProgress(2);
    return trailer;
}

}  // namespace

PackageTrailer CopyPackage(SetupFiles& files,
                           const std::string& setupPath,
                           const std::string& copyPath,
                           SetupView& view) {
    // A file that cannot be created or emptied is not this run's: it is left as it is.
    const SetupFileHandle created = files.CreateWrite(copyPath);
    if (created == kNoFile) {
        Fail(files, "create", copyPath);
    }
    try {
        return CopyInto(files, created, setupPath, copyPath, view);
    } catch (...) {
        files.Delete(copyPath);
        throw;
    }
}

}  // namespace discdeck
