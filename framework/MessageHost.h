#pragma once

#include <windows.h>

#include <string>

#include "framework/MessageMap.h"
#include "framework/Window.h"

namespace discdeck::fw {

// A window whose messages go through a C++ object's message map: dialogs and subclassed
// controls. Immovable; registered with its window when it attaches (subclassing with
// SetWindowSubclass, the object as reference data) and unregistered at WM_NCDESTROY or when the
// object goes first.
//
// A parent reflects WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR*, WM_HSCROLL/WM_VSCROLL, WM_COMMAND
// and WM_NOTIFY to the child host they concern first (as ReflectedMessage(message) in the child's
// map); only when the child has no entry for it does the parent's own map see it.
class MessageHost : public Window {
  public:
    MessageHost() = default;
    MessageHost(const MessageHost&) = delete;
    MessageHost& operator=(const MessageHost&) = delete;
    virtual ~MessageHost();

    // The map chain of the most derived class (DISCDECK_DECLARE_MESSAGE_MAP overrides it).
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap();

    // The host attached to a window, or null.
    static MessageHost* FromHandle(HWND window);

    // Dispatches a message through the map chain as the window procedure does (used by it, and by
    // tests that call a host without a window message).
    LRESULT Dispatch(const Message& message);

  protected:
    // Default processing of the message being handled: the window's previous procedure
    // (DefSubclassProc). Outside a handler it returns 0.
    LRESULT Default();
    const Message* GetCurrentMessage() const { return current; }

    // Attaches to an existing window (subclassing it); false when already attached or when
    // SetWindowSubclass fails.
    bool Attach(HWND window);
    // Detaches (removes the subclass); the window lives on.
    void Detach();

    // Called after the window's last message, once the object is no longer attached.
    virtual void OnFinalMessage() {}
    // Called when a handler lets an exception escape; the message then counts as handled with 0.
    virtual void OnHandlerException(const char* what);

  private:
    static LRESULT CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
    bool FindAndCall(const Message& message, LRESULT& result);
    bool ReflectToChild(const Message& message, LRESULT& result);

    friend LRESULT detail::DefaultResult(const MessageHost& host);

    const Message* current = nullptr;
    bool defaultCalled = false;
    LRESULT defaultResult = 0;
};

}  // namespace discdeck::fw
