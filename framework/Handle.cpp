#include "framework/Handle.h"

namespace discdeck::fw {

namespace {
DWORD WINAPI ThreadEntry(LPVOID parameter) noexcept {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    try {
        (*body)();
    } catch (...) {
        // An exception leaving a thread ends the process; the thread's owner sees its result instead.
        ::OutputDebugStringA("discdeck: exception left a worker thread\n");
        return 1;
    }
    return 0;
}
}  // namespace

Thread Thread::Start(std::function<void()> body) {
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    HANDLE h = ::CreateThread(nullptr, 0, ThreadEntry, owned.get(), 0, nullptr);
    Thread thread;
    if (h != nullptr) {
        owned.release();  // the thread deletes it
        thread.handle.Reset(h);
    }
    return thread;
}

}  // namespace discdeck::fw
