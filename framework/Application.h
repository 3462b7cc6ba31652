#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Registry.h"

namespace discdeck::fw {

class Window;

// The program's application object: one global instance, constructed before WinMain, which calls
// Run. Run calls InitInstance; true means a message loop follows (until WM_QUIT), false goes
// straight to ExitInstance. The process exit code is ExitInstance's result.
class Application {
  public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The application object of the process, or null (tests run without one).
    static Application* Current();

    int Run(HINSTANCE instance, const char* commandLine);

    HINSTANCE GetInstance() const { return instance; }
    const std::string& CommandLine() const { return commandLine; }
    // The program file's name without folder and extension.
    const std::string& GetAppName() const { return appName; }

    // From now on the profile goes to HKEY_CURRENT_USER\Software\<key>\<application name>.
    void SetRegistryKey(const std::string& key);
    // The settings store. The reference stays valid for the application's life; before the
    // registry key is set, reads give the defaults and writes fail.
    Profile& GetProfile();

    Window* mainWindow = nullptr;

  protected:
    virtual bool InitInstance() { return false; }
    virtual int ExitInstance() { return exitCode; }
    // Messages until WM_QUIT; its code becomes exitCode.
    int RunMessageLoop();

    int exitCode = 0;

  private:
    HINSTANCE instance = nullptr;
    std::string commandLine;
    std::string appName;
    // Hands every call to the registry profile once there is one.
    class ApplicationProfile : public Profile {
      public:
        std::string GetString(const std::string& section,
                              const std::string& value,
                              const std::string& fallback) override;
        uint32_t GetInt(const std::string& section, const std::string& value, uint32_t fallback) override;
        bool WriteString(const std::string& section, const std::string& value, const std::string& text) override;
        bool WriteInt(const std::string& section, const std::string& value, uint32_t number) override;
        std::string UserName() override;
        std::string ComputerName() override;
        std::unique_ptr<RegistryProfile> registry;
    };
    ApplicationProfile profile;
};

// The module that holds the program's resources: the application's instance, or the executable's
// module when there is no application object.
HINSTANCE ResourceInstance();
// The application's name, or the executable's file name without extension.
std::string ApplicationName();
// The program file's name without folder and extension, from a module path.
std::string BaseNameWithoutExtension(const std::string& path);

}  // namespace discdeck::fw
