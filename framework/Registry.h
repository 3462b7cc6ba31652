#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "framework/Handle.h"
#include "ports/Profile.h"

namespace discdeck::fw {

// An open registry key.
class Key : public UniqueHandle<KeyTraits> {
  public:
    using UniqueHandle::UniqueHandle;
    // Opens an existing key; empty when it does not exist.
    static Key Open(HKEY parent, const std::string& path, REGSAM access = KEY_READ);
    // Opens or creates a key with its parents.
    static Key Create(HKEY parent, const std::string& path, REGSAM access = KEY_READ | KEY_WRITE);

    // A REG_SZ (or REG_EXPAND_SZ, unexpanded) value; nothing when absent or of another type.
    std::optional<std::string> QueryString(const std::string& name) const;
    // A REG_DWORD value; nothing when absent or of another type.
    std::optional<uint32_t> QueryDword(const std::string& name) const;
    bool SetString(const std::string& name, const std::string& text) const;
    bool SetDword(const std::string& name, uint32_t number) const;
    bool DeleteValue(const std::string& name) const;
};

// Deletes a key with everything below it; true when it is gone (also when it never existed).
bool DeleteKeyTree(HKEY parent, const std::string& path);

// Per-user settings: HKEY_CURRENT_USER\Software\<registry key>\<application>\<section>, string
// values as REG_SZ, integers as REG_DWORD. A key is opened per call and closed again, so nothing
// stays open between reads.
class RegistryProfile : public Profile {
  public:
    RegistryProfile(std::string registryKey, std::string application)
        : registryKey(std::move(registryKey)), application(std::move(application)) {}

    std::string GetString(const std::string& section, const std::string& value, const std::string& fallback) override;
    uint32_t GetInt(const std::string& section, const std::string& value, uint32_t fallback) override;
    bool WriteString(const std::string& section, const std::string& value, const std::string& text) override;
    bool WriteInt(const std::string& section, const std::string& value, uint32_t number) override;

    // Software\<registry key>\<application>\<section>
    std::string SectionPath(const std::string& section) const;

  private:
    std::string registryKey;
    std::string application;
};

}  // namespace discdeck::fw
