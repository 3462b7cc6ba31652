#pragma once

#include <windows.h>

#include <string>

#include "framework/Application.h"

namespace discdeck {

// The player's application object: prepares the process (COM, the registration switches, Windows
// sockets, the settings store) and runs the player window modally. Exit code 0 in every case.
class PlayerApp : public fw::Application {
  public:
    // The settings live under HKEY_CURRENT_USER\Software\<kRegistryKey>\<application name>.
    static constexpr const char* kRegistryKey = "Tarvikon";

  protected:
    // False once the window has run (or start-up failed); true only for a COM start, which keeps
    // the process in the message loop without a window.
    bool InitInstance() override;
    int ExitInstance() override;

  private:
    bool comInitialised = false;
    bool socketsStarted = false;
};

// The AppID registration the RegServer / UnregServer switches write and remove under
// HKEY_CLASSES_ROOT\AppID (the "AppID" key itself always stays).
constexpr const char* kAppId = "{6B0E5F3A-2C47-4D1E-9A8B-7C31D5E0F942}";
constexpr const char* kAppIdName = "discdeck";
constexpr const char* kAppIdExecutable = "discdeck.EXE";
bool RegisterAppId(HKEY root);
bool UnregisterAppId(HKEY root);

}  // namespace discdeck
