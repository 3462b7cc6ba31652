#pragma once

#include <windows.h>

#include <cstddef>

#include "framework/Window.h"

namespace discdeck::fw {

class MessageHost;

// The message being dispatched.
struct Message {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Messages a parent reflects to the child host they concern are dispatched in the child's map as
// ReflectedMessage(message), so a child never mistakes them for its own.
constexpr UINT kReflectBase = WM_USER + 0x1C00;
constexpr UINT ReflectedMessage(UINT message) {
    return kReflectBase + message;
}

// Calls the handler; returns false when the entry declines the message after all (then the search
// goes on to the base class's map and finally to default processing).
using MessageThunk = bool (*)(MessageHost& host, const Message& message, LRESULT& result);

constexpr UINT kAnyCode = 0xFFFFFFFFu;

// One entry: a message, or for WM_COMMAND and WM_NOTIFY a notification code and a control id
// range as well. Build entries with the On... helpers below, which check the handler's type.
struct MessageEntry {
    UINT message;
    UINT code;
    UINT firstId;
    UINT lastId;
    MessageThunk thunk;
};

// A class's static table, chained to its base class's table.
struct MessageMap {
    const MessageMap* (*base)();
    const MessageEntry* entries;
    size_t count;
};

template <size_t N>
constexpr MessageMap MakeMessageMap(const MessageMap* (*base)(), const MessageEntry (&entries)[N]) {
    return MessageMap{base, entries, N};
}

namespace detail {
template <typename F>
struct MemberOf;
template <typename C, typename R, typename... A>
struct MemberOf<R (C::*)(A...)> {
    using Class = C;
};
template <auto F>
using ClassOf = typename MemberOf<decltype(F)>::Class;

template <auto F>
auto& Self(MessageHost& host) {
    return static_cast<ClassOf<F>&>(host);
}
// What a handler without a result answers: the result of the default processing it ran, or 0.
LRESULT DefaultResult(const MessageHost& host);
inline POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}
}  // namespace detail

// Any message: LRESULT F(WPARAM, LPARAM).
template <auto F>
constexpr MessageEntry OnMessage(UINT message) {
    return {message, 0, 0, 0, [](MessageHost& h, const Message& m, LRESULT& r) {
                r = (detail::Self<F>(h).*F)(m.wParam, m.lParam);
                return true;
            }};
}

// WM_COMMAND with notification code 0 (menu command or BN_CLICKED) from one id: void F().
template <auto F>
constexpr MessageEntry OnCommand(UINT id) {
    return {WM_COMMAND, 0, id, id, [](MessageHost& h, const Message&, LRESULT& r) {
                (detail::Self<F>(h).*F)();
                r = detail::DefaultResult(h);
                return true;
            }};
}

// WM_COMMAND with notification code 0 from a range of ids: void F(UINT id).
template <auto F>
constexpr MessageEntry OnCommandRange(UINT firstId, UINT lastId) {
    return {WM_COMMAND, 0, firstId, lastId, [](MessageHost& h, const Message& m, LRESULT& r) {
                (detail::Self<F>(h).*F)(static_cast<UINT>(LOWORD(m.wParam)));
                r = detail::DefaultResult(h);
                return true;
            }};
}

// WM_COMMAND with a given notification code from a control (LBN_DBLCLK, EN_CHANGE...): void F().
template <auto F>
constexpr MessageEntry OnControl(UINT code, UINT id) {
    return {WM_COMMAND, code, id, id, [](MessageHost& h, const Message&, LRESULT& r) {
                (detail::Self<F>(h).*F)();
                r = detail::DefaultResult(h);
                return true;
            }};
}

// WM_NOTIFY with a given code from a control: LRESULT F(NMHDR&).
template <auto F>
constexpr MessageEntry OnNotify(UINT code, UINT id) {
    return {WM_NOTIFY, code, id, id, [](MessageHost& h, const Message& m, LRESULT& r) {
                r = (detail::Self<F>(h).*F)(*reinterpret_cast<NMHDR*>(m.lParam));
                return true;
            }};
}

// WM_TIMER: void F(UINT_PTR id).
template <auto F>
constexpr MessageEntry OnTimer() {
    return {WM_TIMER, 0, 0, 0, [](MessageHost& h, const Message& m, LRESULT& r) {
                (detail::Self<F>(h).*F)(static_cast<UINT_PTR>(m.wParam));
                r = detail::DefaultResult(h);
                return true;
            }};
}

// Mouse messages with key flags and a client point (WM_MOUSEMOVE, WM_LBUTTONDOWN...):
// void F(UINT flags, POINT point).
template <auto F>
constexpr MessageEntry OnMouse(UINT message) {
    return {message, 0, 0, 0, [](MessageHost& h, const Message& m, LRESULT& r) {
                (detail::Self<F>(h).*F)(static_cast<UINT>(m.wParam), detail::PointOf(m.lParam));
                r = detail::DefaultResult(h);
                return true;
            }};
}

// WM_PAINT: void F().
template <auto F>
constexpr MessageEntry OnPaint() {
    return {WM_PAINT, 0, 0, 0, [](MessageHost& h, const Message&, LRESULT& r) {
                (detail::Self<F>(h).*F)();
                r = detail::DefaultResult(h);
                return true;
            }};
}

// WM_ERASEBKGND: BOOL F(HDC); true when the background counts as erased.
template <auto F>
constexpr MessageEntry OnEraseBkgnd() {
    return {WM_ERASEBKGND, 0, 0, 0, [](MessageHost& h, const Message& m, LRESULT& r) {
                r = (detail::Self<F>(h).*F)(reinterpret_cast<HDC>(m.wParam)) ? TRUE : FALSE;
                return true;
            }};
}

// WM_SETCURSOR: BOOL F(HWND window, UINT hitTest, UINT mouseMessage).
template <auto F>
constexpr MessageEntry OnSetCursor() {
    return {WM_SETCURSOR, 0, 0, 0, [](MessageHost& h, const Message& m, LRESULT& r) {
                r = (detail::Self<F>(h).*F)(reinterpret_cast<HWND>(m.wParam), LOWORD(m.lParam), HIWORD(m.lParam))
                        ? TRUE
                        : FALSE;
                return true;
            }};
}

// Every WM_CTLCOLOR* message: HBRUSH F(HDC, HWND control, UINT kind), kind being CTLCOLOR_MSGBOX
// ... CTLCOLOR_STATIC. A null brush declines (default processing).
// The dispatcher matches every WM_CTLCOLOR* message (or its reflection) to this entry.
template <auto F>
constexpr MessageEntry OnCtlColor(UINT message = WM_CTLCOLORMSGBOX) {
    return {message, 0, 0, 0, [](MessageHost& h, const Message& m, LRESULT& r) {
                UINT own = m.message >= kReflectBase ? m.message - kReflectBase : m.message;
                HBRUSH brush = (detail::Self<F>(h).*F)(reinterpret_cast<HDC>(m.wParam),
                                                       reinterpret_cast<HWND>(m.lParam), own - WM_CTLCOLORMSGBOX);
                r = reinterpret_cast<LRESULT>(brush);
                return brush != nullptr;
            }};
}

// WM_QUERYDRAGICON: HICON F().
template <auto F>
constexpr MessageEntry OnQueryDragIcon() {
    return {WM_QUERYDRAGICON, 0, 0, 0, [](MessageHost& h, const Message&, LRESULT& r) {
                r = reinterpret_cast<LRESULT>((detail::Self<F>(h).*F)());
                return true;
            }};
}

// WM_SYSCOMMAND: void F(UINT command, LPARAM).
template <auto F>
constexpr MessageEntry OnSysCommand() {
    return {WM_SYSCOMMAND, 0, 0, 0, [](MessageHost& h, const Message& m, LRESULT& r) {
                (detail::Self<F>(h).*F)(static_cast<UINT>(m.wParam), m.lParam);
                r = detail::DefaultResult(h);
                return true;
            }};
}

// WM_CAPTURECHANGED: void F(HWND newCapture).
template <auto F>
constexpr MessageEntry OnCaptureChanged() {
    return {WM_CAPTURECHANGED, 0, 0, 0, [](MessageHost& h, const Message& m, LRESULT& r) {
                (detail::Self<F>(h).*F)(reinterpret_cast<HWND>(m.lParam));
                r = detail::DefaultResult(h);
                return true;
            }};
}

// WM_HSCROLL / WM_VSCROLL: void F(UINT code, UINT position, HWND scrollBar).
template <auto F>
constexpr MessageEntry OnScroll(UINT message) {
    return {message, 0, 0, 0, [](MessageHost& h, const Message& m, LRESULT& r) {
                (detail::Self<F>(h).*F)(LOWORD(m.wParam), HIWORD(m.wParam), reinterpret_cast<HWND>(m.lParam));
                r = detail::DefaultResult(h);
                return true;
            }};
}

// Owner-draw requests, in the parent (WM_DRAWITEM) or reflected to the control
// (ReflectedMessage(WM_DRAWITEM)): void F(const DRAWITEMSTRUCT&).
template <auto F>
constexpr MessageEntry OnDrawItem(UINT message = WM_DRAWITEM) {
    return {message, 0, 0, 0, [](MessageHost& h, const Message& m, LRESULT& r) {
                (detail::Self<F>(h).*F)(*reinterpret_cast<const DRAWITEMSTRUCT*>(m.lParam));
                r = TRUE;
                return true;
            }};
}

// WM_MEASUREITEM (or its reflection): void F(MEASUREITEMSTRUCT&).
template <auto F>
constexpr MessageEntry OnMeasureItem(UINT message = WM_MEASUREITEM) {
    return {message, 0, 0, 0, [](MessageHost& h, const Message& m, LRESULT& r) {
                (detail::Self<F>(h).*F)(*reinterpret_cast<MEASUREITEMSTRUCT*>(m.lParam));
                r = TRUE;
                return true;
            }};
}

// Declares a class's message map: its own static table and the virtual that returns it.
#define DISCDECK_DECLARE_MESSAGE_MAP()                                 \
  public:                                                              \
    static const ::discdeck::fw::MessageMap* GetThisMessageMap();      \
    const ::discdeck::fw::MessageMap* GetMessageMap() const override { \
        return GetThisMessageMap();                                    \
    }                                                                  \
                                                                       \
  private:

}  // namespace discdeck::fw
