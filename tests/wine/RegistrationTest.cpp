// The player program's registration switches, run as the real program.
#include <windows.h>

#include <gmock/gmock.h>

#include <string>

#include "app/win/PlayerApp.h"
#include "framework/Handle.h"
#include "framework/Registry.h"
#include "tests/wine/WineTestSupport.h"

namespace discdeck {
namespace {

// Runs discdeck.exe with the arguments; its exit code, or -1 when it did not end in time (it is
// then ended: a switch that was not recognised starts the player).
long RunPlayer(const std::string& arguments) {
    std::string line = "\"" + test::WindowsPath(DISCDECK_PLAYER_EXE) + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return -2;
    }
    fw::Handle processHandle(process.hProcess);
    fw::Handle threadHandle(process.hThread);
    if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 1);
        return -1;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    return static_cast<long>(code);
}

TEST(RegistrationSwitchesTest, RegServerWritesTheAppIdAndUnregServerRemovesIt) {
    const std::string idKey = std::string("AppID\\") + kAppId;
    const std::string exeKey = std::string("AppID\\") + kAppIdExecutable;

    EXPECT_EQ(RunPlayer("/RegServer"), 0);
    EXPECT_EQ(fw::Key::Open(HKEY_CLASSES_ROOT, idKey).QueryString(""), std::optional<std::string>("discdeck"));
    EXPECT_EQ(fw::Key::Open(HKEY_CLASSES_ROOT, exeKey).QueryString("AppID"), std::optional<std::string>(kAppId));

    EXPECT_EQ(RunPlayer("-unregserver"), 0);
    EXPECT_FALSE(fw::Key::Open(HKEY_CLASSES_ROOT, idKey));
    EXPECT_FALSE(fw::Key::Open(HKEY_CLASSES_ROOT, exeKey));
    EXPECT_TRUE(fw::Key::Open(HKEY_CLASSES_ROOT, "AppID"));
}

}  // namespace
}  // namespace discdeck
