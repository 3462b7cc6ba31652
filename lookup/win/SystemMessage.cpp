#include "lookup/win/SystemMessage.h"

namespace discdeck {

std::string SystemMessageText(DWORD errorCode, HMODULE messageModule) {
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (messageModule != nullptr) {
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    }
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(flags, messageModule, errorCode, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text;
    if (length != 0 && buffer != nullptr) {
        text.assign(buffer, length);
    }
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = "Error " + std::to_string(errorCode);
    }
    return text;
}

}  // namespace discdeck
