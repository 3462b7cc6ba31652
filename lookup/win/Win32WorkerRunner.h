#pragma once

#include <string>

#include "lookup/CddbTransport.h"

namespace discdeck {

// Runs each piece of work on a thread of its own (CreateThread) and waits for the thread's handle
// (WaitForSingleObject). A failed start or wait is described by the system's message text.
class Win32WorkerRunner : public WorkerRunner {
  public:
    WaitResult StartAndWait(std::function<void()> work, unsigned timeoutMs) override;
};

}  // namespace discdeck
