#pragma once

#include <cstddef>

namespace discdeck {

// Size of the CDDB reply text: the first 4096 bytes of a response body.
constexpr size_t kReplyBufferSize = 4096;

// The reply of the last CDDB request, kReplyBufferSize bytes followed by a zero byte that nothing
// writes, so the buffer always reads as a zero-terminated text. Filled on the window's thread only,
// after a request's worker has finished; read by the reply parser and the player's reply display.
char* ReplyBuffer();
inline const char* ReplyText() {
    return ReplyBuffer();
}

}  // namespace discdeck
