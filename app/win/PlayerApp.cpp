#include "app/win/PlayerApp.h"

#include <objbase.h>
#include <winsock2.h>

#include <memory>

#include "app/CommandLineSwitches.h"
#include "app/win/DiscHandOver.h"
#include "app/win/PlayerDialog.h"
#include "drive/VirtualDiscOption.h"
#include "drive/win/MediaControlFactory.h"
#include "framework/Controls.h"
#include "framework/Registry.h"
#include "lookup/win/ProductTransport.h"
#include "res/resource.h"

namespace discdeck {

bool RegisterAppId(HKEY root) {
    fw::Key appId = fw::Key::Create(root, std::string("AppID\\") + kAppId);
    fw::Key executable = fw::Key::Create(root, std::string("AppID\\") + kAppIdExecutable);
    return appId.SetString("", kAppIdName) && executable.SetString("AppID", kAppId);
}

bool UnregisterAppId(HKEY root) {
    bool removedId = fw::DeleteKeyTree(root, std::string("AppID\\") + kAppId);
    bool removedExecutable = fw::DeleteKeyTree(root, std::string("AppID\\") + kAppIdExecutable);
    return removedId && removedExecutable;
}

bool PlayerApp::InitInstance() {
    comInitialised = true;
    if (FAILED(::CoInitialize(nullptr))) {
        comInitialised = false;
        return false;
    }

    // Registration switches: write or remove the AppID entries and end. No COM classes and no
    // type library are served, so there is nothing else to register. Failures are not reported.
    // The wide command line: a sheet or folder named outside the ANSI code page arrives whole.
    const std::string wholeLine = fw::Utf8FromWide(::GetCommandLineW());
    RegistrationSwitch registration = FindRegistrationSwitch(wholeLine);
    if (registration != RegistrationSwitch::None) {
        if (registration == RegistrationSwitch::RegServer) {
            RegisterAppId(HKEY_CLASSES_ROOT);
        } else {
            UnregisterAppId(HKEY_CLASSES_ROOT);
        }
        comInitialised = false;
        ::CoUninitialize();
        return false;
    }

    // Started by COM: no window; the process waits in the message loop.
    if (IsAutomationStart(wholeLine)) {
        return true;
    }

    // A sheet given to a second start goes to the player that runs already, which plays it; this
    // process ends without touching the database.
    const std::string bareSheet = BareSheetArgument(wholeLine);
    if (!bareSheet.empty() && HandSheetToRunningPlayer(bareSheet)) {
        return false;
    }
    // The drive is chosen in the folder the player was started in, so that a sheet named relative
    // to it stays that sheet when the data folder is entered.
    std::unique_ptr<DriveSelector> drive = CreateMediaControl(wholeLine);

    // A data folder on the command line: work there (made if missing), as the Start menu shortcut
    // does; when it cannot be had, the folder the player was started in stays.
    std::string dataFolder = DataFolderOption(wholeLine);
    // The all-users shortcut names it as "%APPDATA%\discdeck", for each user to get their own; the
    // shell may hand the text on unexpanded.
    char expanded[MAX_PATH];
    const DWORD length = ::ExpandEnvironmentStringsA(dataFolder.c_str(), expanded, MAX_PATH);
    if (!dataFolder.empty() && length > 0 && length <= MAX_PATH) {
        dataFolder.assign(expanded, length - 1);
    }
    if (!dataFolder.empty()) {
        const std::wstring folder = fw::Widen(dataFolder);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        ::SetCurrentDirectoryW(folder.c_str());
    }

    WSADATA data{};
    if (::WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        std::string text = fw::LoadText(GetInstance(), IDS_SOCKETS_INIT_FAILED);
        ::MessageBoxW(nullptr, fw::Widen(text).c_str(), fw::Widen(GetAppName()).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    socketsStarted = true;

    fw::InitCommonControls();
    PlayerDialog::Services services;
    services.discChanger = drive.get();
    services.mediaControl = std::move(drive);
    services.transport = CreateProductTransport(GetAppName());
    services.profile = &GetProfile();
    {
        PlayerDialog dialog(std::move(services));
        mainWindow = &dialog;
        // The window's constructor only sets its defaults; the stored settings are read while it
        // initialises, from the key given here.
        SetRegistryKey(kRegistryKey);
        dialog.DoModal();
        mainWindow = nullptr;
    }
    return false;
}

int PlayerApp::ExitInstance() {
    if (socketsStarted) {
        ::WSACleanup();
        socketsStarted = false;
    }
    if (comInitialised) {
        ::CoUninitialize();
        comInitialised = false;
    }
    return 0;
}

}  // namespace discdeck
