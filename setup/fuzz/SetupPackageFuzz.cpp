// Arbitrary bytes through the setup sequence: once as the whole setup file (trailer, package copy,
// extraction) and once as the cabinet of a package with a sound trailer (extraction), all in memory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "setup/SetupRunner.h"
#include "setup/tests/support/MemorySetupFiles.h"
#include "setup/tests/support/SetupTestData.h"

namespace {

class QuietView : public discdeck::SetupView {
  public:
    void SetStatus(const std::string&) override {}
    void SetProgress(int) override {}
    void ShowFileError(const std::string&) override {}
    void Note(const std::string&) override {}
};

class QuietPlatform : public discdeck::SetupPlatform {
  public:
    std::string TemporaryDirectory() override { return "C:\\TEMP\\"; }
    std::string ModulePath() override { return "C:\\setup.exe"; }
    std::uint32_t UniqueNumber() override { return 1; }
    bool RunProgram(const std::string&, const std::string&, std::uint32_t& exitCode) override {
        exitCode = 0;
        return true;
    }
    std::string LastErrorText() override { return std::string(); }
};

void RunOnSetupFile(discdeck::Bytes setupFile) {
    discdeck::MemorySetupFiles files;
    files.writeBudget = 8u << 20;  // bounds what a hostile folder can make the decoder write
    files.Put("C:\\setup.exe", std::move(setupFile));
    files.MakeDirectory("C:\\TEMP");
    QuietView view;
    QuietPlatform platform;
    discdeck::SetupRunner(files, platform, view, std::string()).RunSetup();
    if (files.OpenCount() != 0) {
        std::abort();  // a file left open
    }
    if (!files.FilesIn("C:\\TEMP\\").empty() || files.directories.size() != 1) {
        std::abort();  // something of the run left behind
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const discdeck::Bytes input(data, data + size);
    RunOnSetupFile(input);
    RunOnSetupFile(discdeck::MakeSetupFile(discdeck::Bytes(64, 0x4D), input, "setup.exe"));
    return 0;
}
