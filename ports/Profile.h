#pragma once

#include <cstdint>
#include <string>

namespace discdeck {

// Per-user settings store (the registry under HKEY_CURRENT_USER\Software\<key>\<application>).
class Profile {
  public:
    virtual ~Profile() = default;
    virtual std::string GetString(const std::string& section,
                                  const std::string& value,
                                  const std::string& fallback) = 0;
    virtual uint32_t GetInt(const std::string& section, const std::string& value, uint32_t fallback) = 0;
    virtual bool WriteString(const std::string& section, const std::string& value, const std::string& text) = 0;
    virtual bool WriteInt(const std::string& section, const std::string& value, uint32_t number) = 0;
    // Whose settings these are: the user's and the computer's names (empty where unknown).
    virtual std::string UserName() { return std::string(); }
    virtual std::string ComputerName() { return std::string(); }
};

}  // namespace discdeck
