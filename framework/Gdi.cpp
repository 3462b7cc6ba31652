#include "framework/Gdi.h"

namespace discdeck::fw {

SIZE Bitmap::GetSize() const {
    BITMAP info{};
    if (!*this || ::GetObjectA(Get(), sizeof(info), &info) == 0) {
        return SIZE{0, 0};
    }
    return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace discdeck::fw
