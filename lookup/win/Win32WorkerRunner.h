#pragma once

#include <windows.h>

#include <string>

#include "lookup/CddbTransport.h"
#include "lookup/ExchangeRunner.h"

namespace discdeck {

// Runs each piece of work on a thread of its own (CreateThread) and waits for the thread's handle
// (WaitForSingleObject). A failed start or wait is described by the system's message text.
class Win32WorkerRunner : public WorkerRunner {
  public:
    WaitResult StartAndWait(std::function<void()> work, unsigned timeoutMs) override;
};

// Runs each exchange on a thread of its own (CreateThread) that posts done to a window when work
// has ended. The window hands the message's lParam to Deliver. A window that has gone refuses the
// post, and the thread then drops done unrun.
class PostingExchangeRunner : public ExchangeRunner {
  public:
    PostingExchangeRunner(HWND window, UINT message) : window(window), message(message) {}
    bool Start(std::function<void()> work, std::function<void()> done, std::string& failure) override;
    // Runs the done function a message carries, on the window's thread, and frees it.
    static void Deliver(LPARAM doneFunction) noexcept;

  private:
    HWND window;
    UINT message;
};

}  // namespace discdeck
