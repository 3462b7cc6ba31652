#include "framework/Application.h"

#include "framework/Window.h"

namespace discdeck::fw {

namespace {
// The one application object of the process, as the platform has one instance handle and one
// command line per process.
Application* currentApplication = nullptr;

std::string ModuleFileName() {
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

// Profile used before the registry key is set: nothing stored, nothing read.
class NoProfile : public Profile {
  public:
    std::string GetString(const std::string&, const std::string&, const std::string& fallback) override {
        return fallback;
    }
    uint32_t GetInt(const std::string&, const std::string&, uint32_t fallback) override { return fallback; }
    bool WriteString(const std::string&, const std::string&, const std::string&) override { return false; }
    bool WriteInt(const std::string&, const std::string&, uint32_t) override { return false; }
};
}  // namespace

std::string BaseNameWithoutExtension(const std::string& path) {
    size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

Application::Application() : profile(std::make_unique<NoProfile>()) {
    currentApplication = this;
}

Application::~Application() {
    if (currentApplication == this) {
        currentApplication = nullptr;
    }
}

Application* Application::Current() {
    return currentApplication;
}

int Application::Run(HINSTANCE moduleInstance, const char* line) {
    instance = moduleInstance;
    commandLine = line != nullptr ? line : "";
    appName = BaseNameWithoutExtension(ModuleFileName());
    if (InitInstance()) {
        RunMessageLoop();
    }
    return ExitInstance();
}

int Application::RunMessageLoop() {
    MSG message{};
    for (;;) {
        BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            break;
        }
        HWND main = mainWindow != nullptr ? mainWindow->GetHandle() : nullptr;
        if (main != nullptr && ::IsDialogMessageA(main, &message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    exitCode = static_cast<int>(message.wParam);
    return exitCode;
}

void Application::SetRegistryKey(const std::string& key) {
    profile = std::make_unique<RegistryProfile>(key, appName);
}

Profile& Application::GetProfile() {
    return *profile;
}

HINSTANCE ResourceInstance() {
    if (currentApplication != nullptr && currentApplication->GetInstance() != nullptr) {
        return currentApplication->GetInstance();
    }
    return ::GetModuleHandleA(nullptr);
}

std::string ApplicationName() {
    if (currentApplication != nullptr && !currentApplication->GetAppName().empty()) {
        return currentApplication->GetAppName();
    }
    return BaseNameWithoutExtension(ModuleFileName());
}

}  // namespace discdeck::fw
