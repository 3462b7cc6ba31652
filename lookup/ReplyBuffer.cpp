#include "lookup/ReplyBuffer.h"

namespace discdeck {

namespace {
// Process-wide by design: the last reply stays readable by the window after the request that
// produced it, and the window shows it without knowing which command was sent.
char replyBuffer[kReplyBufferSize + 1];
}  // namespace

char* ReplyBuffer() {
    return replyBuffer;
}

}  // namespace discdeck
