#pragma once

#include "lookup/CddbTransport.h"

namespace discdeck {

// Runs each piece of work on a detached std::thread and waits on a condition variable; the
// portable counterpart of the product's Win32WorkerRunner.
class ThreadWorkerRunner : public WorkerRunner {
  public:
    WaitResult StartAndWait(std::function<void()> work, unsigned timeoutMs) override;
};

}  // namespace discdeck
