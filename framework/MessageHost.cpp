#include "framework/MessageHost.h"

#include <commctrl.h>

#include <exception>

namespace discdeck::fw {

namespace {
// One id for all of our subclasses: a window carries at most one host.
constexpr UINT_PTR kSubclassId = 0xD15CDECC;

bool IsCtlColor(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// The entry's message as dispatch compares it: every WM_CTLCOLOR* kind meets OnCtlColor's entry.
UINT Normalised(UINT message) {
    if (IsCtlColor(message)) {
        return WM_CTLCOLORMSGBOX;
    }
    if (message >= kReflectBase && IsCtlColor(message - kReflectBase)) {
        return ReflectedMessage(WM_CTLCOLORMSGBOX);
    }
    return message;
}

bool Matches(const MessageEntry& entry, const Message& m, UINT message) {
    if (entry.message != message) {
        return false;
    }
    UINT own = message >= kReflectBase ? message - kReflectBase : message;
    if (own == WM_COMMAND) {
        // Reflected commands carry no meaningful id for the child; match the code only.
        if (message >= kReflectBase) {
            return entry.code == kAnyCode || entry.code == HIWORD(m.wParam);
        }
        UINT id = LOWORD(m.wParam);
        UINT code = HIWORD(m.wParam);
        // Accelerators (code 1 without a control) count as commands, as menu items do.
        if (code == 1 && m.lParam == 0) {
            code = 0;
        }
        return (entry.code == kAnyCode || entry.code == code) && id >= entry.firstId && id <= entry.lastId;
    }
    if (own == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(m.lParam);
        if (header == nullptr) {
            return false;
        }
        if (message >= kReflectBase) {
            return entry.code == kAnyCode || entry.code == header->code;
        }
        UINT id = static_cast<UINT>(header->idFrom);
        return (entry.code == kAnyCode || entry.code == header->code) && id >= entry.firstId && id <= entry.lastId;
    }
    return true;
}

// The child window a reflectable message concerns, or null.
HWND ChildOf(HWND parent, const Message& m) {
    switch (m.message) {
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m.lParam);
            return item != nullptr && item->CtlType != ODT_MENU ? item->hwndItem : nullptr;
        }
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(m.lParam);
            return item != nullptr && item->CtlType != ODT_MENU ? ::GetDlgItem(parent, static_cast<int>(item->CtlID))
                                                                : nullptr;
        }
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_COMMAND:
            return reinterpret_cast<HWND>(m.lParam);
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<const NMHDR*>(m.lParam);
            return header != nullptr ? header->hwndFrom : nullptr;
        }
        default:
            return IsCtlColor(m.message) ? reinterpret_cast<HWND>(m.lParam) : nullptr;
    }
}
}  // namespace

namespace detail {
LRESULT DefaultResult(const MessageHost& host) {
    return host.defaultCalled ? host.defaultResult : 0;
}
}  // namespace detail

MessageHost::~MessageHost() {
    Detach();
}

const MessageMap* MessageHost::GetThisMessageMap() {
    static const MessageMap map{nullptr, nullptr, 0};
    return &map;
}

MessageHost* MessageHost::FromHandle(HWND window) {
    DWORD_PTR reference = 0;
    if (window == nullptr || !::GetWindowSubclass(window, HostProc, kSubclassId, &reference)) {
        return nullptr;
    }
    return reinterpret_cast<MessageHost*>(reference);
}

bool MessageHost::Attach(HWND window) {
    if (hwnd != nullptr || window == nullptr || FromHandle(window) != nullptr) {
        return false;
    }
    if (!::SetWindowSubclass(window, HostProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    hwnd = window;
    return true;
}

void MessageHost::Detach() {
    if (hwnd != nullptr) {
        ::RemoveWindowSubclass(hwnd, HostProc, kSubclassId);
        hwnd = nullptr;
    }
}

LRESULT MessageHost::Default() {
    if (current == nullptr || hwnd == nullptr) {
        return 0;
    }
    defaultCalled = true;
    defaultResult = ::DefSubclassProc(current->hwnd, current->message, current->wParam, current->lParam);
    return defaultResult;
}

void MessageHost::OnHandlerException(const char* what) {
    std::string text = "discdeck: exception in a message handler: ";
    text += what != nullptr ? what : "unknown";
    text += "\n";
    ::OutputDebugStringA(text.c_str());
}

bool MessageHost::FindAndCall(const Message& message, LRESULT& result) {
    UINT normalised = Normalised(message.message);
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base != nullptr ? map->base() : nullptr) {
        for (size_t i = 0; i < map->count; ++i) {
            const MessageEntry& entry = map->entries[i];
            if (Matches(entry, message, normalised) && entry.thunk(*this, message, result)) {
                return true;
            }
        }
    }
    return false;
}

bool MessageHost::ReflectToChild(const Message& message, LRESULT& result) {
    HWND child = ChildOf(hwnd, message);
    if (child == nullptr || child == hwnd) {
        return false;
    }
    MessageHost* host = FromHandle(child);
    if (host == nullptr) {
        return false;
    }
    Message reflected{child, ReflectedMessage(message.message), message.wParam, message.lParam};
    // Default() of a reflected message has nothing to fall back to: it answers 0.
    const Message* saved = host->current;
    bool savedCalled = host->defaultCalled;
    host->current = nullptr;
    host->defaultCalled = false;
    bool handled = host->FindAndCall(reflected, result);
    host->current = saved;
    host->defaultCalled = savedCalled;
    return handled;
}

LRESULT MessageHost::Dispatch(const Message& message) {
    const Message* savedMessage = current;
    bool savedCalled = defaultCalled;
    LRESULT savedResult = defaultResult;
    current = &message;
    defaultCalled = false;
    defaultResult = 0;
    LRESULT result = 0;
    try {
        if (!ReflectToChild(message, result) && !FindAndCall(message, result)) {
            result = Default();
        }
    } catch (const std::exception& error) {
        OnHandlerException(error.what());
        result = 0;
    } catch (...) {
        OnHandlerException(nullptr);
        result = 0;
    }
    current = savedMessage;
    defaultCalled = savedCalled;
    defaultResult = savedResult;
    return result;
}

LRESULT CALLBACK
MessageHost::HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR reference) noexcept {
    auto* host = reinterpret_cast<MessageHost*>(reference);
    if (message == WM_NCDESTROY) {
        // Last message: default processing first, then let go of the window.
        LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        ::RemoveWindowSubclass(window, HostProc, kSubclassId);
        if (host != nullptr && host->hwnd == window) {
            host->hwnd = nullptr;
            try {
                host->OnFinalMessage();
            } catch (...) {
                ::OutputDebugStringA("discdeck: exception in OnFinalMessage\n");
            }
        }
        return result;
    }
    if (host == nullptr || host->hwnd != window) {
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    return host->Dispatch(Message{window, message, wParam, lParam});
}

}  // namespace discdeck::fw
