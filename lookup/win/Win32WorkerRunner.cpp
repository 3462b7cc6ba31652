#include "lookup/win/Win32WorkerRunner.h"

#include <windows.h>

#include <memory>
#include <utility>

#include "lookup/win/SystemMessage.h"

namespace discdeck {

namespace {

// The thread's own copy of its work; the thread frees it before it ends.
struct ThreadStart {
    std::function<void()> work;
};

DWORD WINAPI WorkerMain(LPVOID parameter) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    try {
        start->work();
    } catch (...) {
        // An exception that leaves a thread ends the process.
    }
    return 0;
}

// Owner of a thread handle. Closing it lets go of the handle only; the thread runs on.
class ThreadHandle {
  public:
    explicit ThreadHandle(HANDLE handle) : handle(handle) {}
    ~ThreadHandle() { CloseHandle(handle); }
    ThreadHandle(const ThreadHandle&) = delete;
    ThreadHandle& operator=(const ThreadHandle&) = delete;
    HANDLE Get() const { return handle; }

  private:
    HANDLE handle;
};

}  // namespace

WaitResult Win32WorkerRunner::StartAndWait(std::function<void()> work, unsigned timeoutMs) {
    auto start = std::make_unique<ThreadStart>();
    start->work = std::move(work);
    HANDLE thread = CreateThread(nullptr, 0, WorkerMain, start.get(), 0, nullptr);
    if (thread == nullptr) {
        const DWORD error = GetLastError();
        return {WaitOutcome::NotStarted, SystemMessageText(error)};
    }
    static_cast<void>(start.release());  // the thread owns it now
    ThreadHandle owner(thread);
    const DWORD waited = WaitForSingleObject(thread, timeoutMs);
    if (waited == WAIT_OBJECT_0) {
        return {WaitOutcome::Finished, {}};
    }
    if (waited == WAIT_TIMEOUT) {
        return {WaitOutcome::TimedOut, {}};
    }
    const DWORD error = GetLastError();
    return {WaitOutcome::WaitFailed, SystemMessageText(error)};
}

}  // namespace discdeck
