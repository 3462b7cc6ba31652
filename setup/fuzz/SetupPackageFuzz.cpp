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
};

class QuietPlatform : public discdeck::SetupPlatform {
  public:
    std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
    std::string ModulePath() override { return "C:\\setup.exe"; }
    bool StartProgram(const std::string&) override { return true; }
    void Sleep(unsigned) override {}
};

void RunOnSetupFile(discdeck::Bytes setupFile) {
    discdeck::MemorySetupFiles files;
    files.writeBudget = 8u << 20;  // bounds what a hostile folder can make the decoder write
    files.Put("C:\\setup.exe", std::move(setupFile));
    QuietView view;
    QuietPlatform platform;
    discdeck::SetupRunner(files, platform, view).RunSetup();
    if (files.OpenCount() != 0) {
        std::abort();  // a file left open
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const discdeck::Bytes input(data, data + size);
    RunOnSetupFile(input);
    RunOnSetupFile(discdeck::MakeSetupFile(discdeck::Bytes(64, 0x4D), input, "setup.exe"));
    return 0;
}
