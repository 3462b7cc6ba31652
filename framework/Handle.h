#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

namespace discdeck::fw {

// One move-only owner per kind of handle. Traits give the handle type, the empty value and how to
// give the handle back to the system.
template <typename Traits>
class UniqueHandle {
  public:
    using HandleType = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(HandleType handle) : handle(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HandleType Get() const { return handle; }
    explicit operator bool() const { return handle != Traits::Empty(); }

    // Gives up ownership, e.g. when the system takes the handle over (SetWindowRgn).
    HandleType Release() {
        HandleType released = handle;
        handle = Traits::Empty();
        return released;
    }
    void Reset(HandleType replacement = Traits::Empty()) {
        if (handle != Traits::Empty()) {
            Traits::Close(handle);
        }
        handle = replacement;
    }

  private:
    HandleType handle = Traits::Empty();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};

// Kernel object handle (events, processes, threads). CreateFile's INVALID_HANDLE_VALUE is turned
// into an empty owner by FromFile.
class Handle : public UniqueHandle<KernelHandleTraits> {
  public:
    using UniqueHandle::UniqueHandle;
    static Handle FromFile(HANDLE h) { return Handle(h == INVALID_HANDLE_VALUE ? nullptr : h); }
};

// A thread running a function; the owner closes the handle but does not wait. Callers that need
// the thread to finish wait on it themselves (Wait).
class Thread {
  public:
    Thread() = default;
    // Starts the thread at once; an empty Thread when CreateThread fails.
    static Thread Start(std::function<void()> body);
    bool Wait(DWORD timeoutMs) const {
        return handle && ::WaitForSingleObject(handle.Get(), timeoutMs) == WAIT_OBJECT_0;
    }
    HANDLE Get() const { return handle.Get(); }
    explicit operator bool() const { return static_cast<bool>(handle); }

  private:
    Handle handle;
};

struct KeyTraits {
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};

}  // namespace discdeck::fw
