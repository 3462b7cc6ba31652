#pragma once

#include <filesystem>
#include <string>

namespace discdeck {

// A path named in the program's UTF-8 text. A plain std::filesystem::path from a narrow string
// would read it in the system's ANSI code page on Windows, losing any name outside it; text that
// is not UTF-8 is taken as it is.
inline std::filesystem::path PathFromUtf8(const std::string& text) {
    try {
        return std::filesystem::u8path(text);
    } catch (const std::exception&) {
        return std::filesystem::path(text);
    }
}

}  // namespace discdeck
