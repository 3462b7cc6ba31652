#include "ports/Utf8Text.h"

namespace discdeck {

// Native builds have no system code page; old database files come from Western systems.
std::string AnsiToUtf8(std::string_view bytes) {
    return Windows1252ToUtf8(bytes);
}

}  // namespace discdeck
