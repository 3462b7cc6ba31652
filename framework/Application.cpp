#include "framework/Application.h"

#include "framework/Window.h"

namespace discdeck::fw {

namespace {
// The one application object of the process, as the platform has one instance handle and one
// command line per process.
Application* currentApplication = nullptr;

std::string ModuleFileName() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Utf8FromWide(std::wstring_view(path, length < MAX_PATH ? length : 0));
}

}  // namespace

std::string BaseNameWithoutExtension(const std::string& path) {
    size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

Application::Application() {
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
        BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            break;
        }
        HWND main = mainWindow != nullptr ? mainWindow->GetHandle() : nullptr;
        if (main != nullptr && ::IsDialogMessageW(main, &message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    exitCode = static_cast<int>(message.wParam);
    return exitCode;
}

void Application::SetRegistryKey(const std::string& key) {
    profile.registry = std::make_unique<RegistryProfile>(key, appName);
}

Profile& Application::GetProfile() {
    return profile;
}

std::string Application::ApplicationProfile::GetString(const std::string& section,
                                                       const std::string& value,
                                                       const std::string& fallback) {
    return registry ? registry->GetString(section, value, fallback) : fallback;
}

uint32_t Application::ApplicationProfile::GetInt(const std::string& section,
                                                 const std::string& value,
                                                 uint32_t fallback) {
    return registry ? registry->GetInt(section, value, fallback) : fallback;
}

bool Application::ApplicationProfile::WriteString(const std::string& section,
                                                  const std::string& value,
                                                  const std::string& text) {
    return registry && registry->WriteString(section, value, text);
}

bool Application::ApplicationProfile::WriteInt(const std::string& section, const std::string& value, uint32_t number) {
    return registry && registry->WriteInt(section, value, number);
}

// https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-getusernamew
std::string Application::ApplicationProfile::UserName() {
    wchar_t name[257] = L"";
    DWORD length = 257;
    return ::GetUserNameW(name, &length) ? Utf8FromWide(name) : std::string();
}

std::string Application::ApplicationProfile::ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &length) ? Utf8FromWide(name) : std::string();
}

HINSTANCE ResourceInstance() {
    if (currentApplication != nullptr && currentApplication->GetInstance() != nullptr) {
        return currentApplication->GetInstance();
    }
    return ::GetModuleHandleW(nullptr);
}

std::string ApplicationName() {
    if (currentApplication != nullptr && !currentApplication->GetAppName().empty()) {
        return currentApplication->GetAppName();
    }
    return BaseNameWithoutExtension(ModuleFileName());
}

}  // namespace discdeck::fw
