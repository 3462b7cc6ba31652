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

// Starts a thread that owns start; the thread's handle is closed at once, the thread runs on.
// Returns 0, or the error when no thread could be started (start is then freed).
DWORD StartThread(std::unique_ptr<ThreadStart> start, LPTHREAD_START_ROUTINE main, HANDLE* keep) {
    HANDLE thread = CreateThread(nullptr, 0, main, start.get(), 0, nullptr);
    if (thread == nullptr) {
        return GetLastError();
    }
    static_cast<void>(start.release());  // the thread owns it now
    if (keep != nullptr) {
        *keep = thread;
    } else {
        CloseHandle(thread);
    }
    return 0;
}

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
    HANDLE thread = nullptr;
    if (const DWORD error = StartThread(std::move(start), WorkerMain, &thread)) {
        return {WaitOutcome::NotStarted, SystemMessageText(error)};
    }
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

bool PostingExchangeRunner::Start(std::function<void()> work, std::function<void()> done, std::string& failure) {
    auto start = std::make_unique<ThreadStart>();
    start->work = [work = std::move(work), done = std::move(done), window = window, message = message]() mutable {
        work();
        auto posted = std::make_unique<std::function<void()>>(std::move(done));
        if (::PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(posted.get()))) {
            static_cast<void>(posted.release());  // the window's Deliver frees it
        }
    };
    if (const DWORD error = StartThread(std::move(start), WorkerMain, nullptr)) {
        failure = SystemMessageText(error);
        return false;
    }
    return true;
}

void PostingExchangeRunner::Deliver(LPARAM doneFunction) noexcept {
    std::unique_ptr<std::function<void()>> done(reinterpret_cast<std::function<void()>*>(doneFunction));
    try {
        if (done && *done) {
            (*done)();
        }
    } catch (...) {
        // Nothing may leave a window procedure.
    }
}

}  // namespace discdeck
