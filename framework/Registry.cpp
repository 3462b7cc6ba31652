#include "framework/Registry.h"

#include <vector>

#include "framework/WideText.h"

namespace discdeck::fw {

Key Key::Open(HKEY parent, const std::string& path, REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, Widen(path).c_str(), 0, access, &key) != ERROR_SUCCESS) {
        return Key();
    }
    return Key(key);
}

Key Key::Create(HKEY parent, const std::string& path, REGSAM access) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(parent, Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        return Key();
    }
    return Key(key);
}

std::optional<std::string> Key::QueryString(const std::string& name) const {
    DWORD type = 0;
    DWORD size = 0;
    const std::wstring wideName = Widen(name);
    if (!*this || ::RegQueryValueExW(Get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(Get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    // The stored data need not end with a zero; the extra character guarantees one.
    return Utf8FromWide(buffer.data());
}

std::optional<uint32_t> Key::QueryDword(const std::string& name) const {
    DWORD type = 0;
    DWORD number = 0;
    DWORD size = sizeof(number);
    if (!*this ||
        ::RegQueryValueExW(Get(), Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&number), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(number)) {
        return std::nullopt;
    }
    return number;
}

bool Key::SetString(const std::string& name, const std::string& text) const {
    const std::wstring wide = Widen(text);
    return *this && ::RegSetValueExW(Get(), Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                                     static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Key::SetDword(const std::string& name, uint32_t number) const {
    DWORD value = number;
    return *this && ::RegSetValueExW(Get(), Widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                     sizeof(value)) == ERROR_SUCCESS;
}

bool Key::DeleteValue(const std::string& name) const {
    return *this && ::RegDeleteValueW(Get(), Widen(name).c_str()) == ERROR_SUCCESS;
}

bool DeleteKeyTree(HKEY parent, const std::string& path) {
    {
        Key key = Key::Open(parent, path, KEY_READ | KEY_WRITE);
        if (!key) {
            return Key::Open(parent, path) ? false : true;
        }
        // Delete the children first (RegDeleteTree is not there on every system we run on).
        for (;;) {
            wchar_t name[256];
            DWORD length = 256;
            if (::RegEnumKeyExW(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                break;
            }
            if (!DeleteKeyTree(key.Get(), Utf8FromWide(name))) {
                return false;
            }
        }
    }
    return ::RegDeleteKeyW(parent, Widen(path).c_str()) == ERROR_SUCCESS;
}

std::string RegistryProfile::SectionPath(const std::string& section) const {
    return "Software\\" + registryKey + "\\" + application + "\\" + section;
}

std::string RegistryProfile::GetString(const std::string& section,
                                       const std::string& value,
                                       const std::string& fallback) {
    std::optional<std::string> text = Key::Open(HKEY_CURRENT_USER, SectionPath(section)).QueryString(value);
    return text ? *text : fallback;
}

uint32_t RegistryProfile::GetInt(const std::string& section, const std::string& value, uint32_t fallback) {
    std::optional<uint32_t> number = Key::Open(HKEY_CURRENT_USER, SectionPath(section)).QueryDword(value);
    return number ? *number : fallback;
}

bool RegistryProfile::WriteString(const std::string& section, const std::string& value, const std::string& text) {
    return Key::Create(HKEY_CURRENT_USER, SectionPath(section)).SetString(value, text);
}

bool RegistryProfile::WriteInt(const std::string& section, const std::string& value, uint32_t number) {
    return Key::Create(HKEY_CURRENT_USER, SectionPath(section)).SetDword(value, number);
}

}  // namespace discdeck::fw
