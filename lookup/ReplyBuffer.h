#pragma once

#include <cstddef>

namespace discdeck {

// Size of the CDDB reply text: the first 4096 bytes of a response body.
constexpr size_t kReplyBufferSize = 4096;

}  // namespace discdeck
