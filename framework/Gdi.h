#pragma once

#include <windows.h>

#include "framework/Handle.h"

namespace discdeck::fw {

template <typename T>
struct GdiObjectTraits {
    using Type = T;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};

class Bitmap : public UniqueHandle<GdiObjectTraits<HBITMAP>> {
  public:
    using UniqueHandle::UniqueHandle;
    // LoadBitmapA from the module's resources; empty when the resource is missing.
    static Bitmap Load(HINSTANCE instance, UINT id) { return Bitmap(::LoadBitmapA(instance, MAKEINTRESOURCEA(id))); }
    SIZE GetSize() const;
};

// SetWindowRgn takes the region over: pass Release() to it.
class Region : public UniqueHandle<GdiObjectTraits<HRGN>> {
  public:
    using UniqueHandle::UniqueHandle;
};

class Brush : public UniqueHandle<GdiObjectTraits<HBRUSH>> {
  public:
    using UniqueHandle::UniqueHandle;
    static Brush Solid(COLORREF colour) { return Brush(::CreateSolidBrush(colour)); }
};

class Font : public UniqueHandle<GdiObjectTraits<HFONT>> {
  public:
    using UniqueHandle::UniqueHandle;
};

struct MemoryDcTraits {
    using Type = HDC;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DeleteDC(h); }
};

// A device context we created (CreateCompatibleDC); deleted with DeleteDC.
class DC : public UniqueHandle<MemoryDcTraits> {
  public:
    using UniqueHandle::UniqueHandle;
    static DC CompatibleWith(HDC reference) { return DC(::CreateCompatibleDC(reference)); }
};

// A window's device context (GetDC / ReleaseDC). Null window: the screen.
class WindowDC {
  public:
    explicit WindowDC(HWND window) : window(window), dc(::GetDC(window)) {}
    ~WindowDC() {
        if (dc != nullptr) {
            ::ReleaseDC(window, dc);
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc; }

  private:
    HWND window;
    HDC dc;
};

// BeginPaint / EndPaint for the span of a WM_PAINT handler.
class PaintDC {
  public:
    explicit PaintDC(HWND window) : window(window) { dc = ::BeginPaint(window, &paint); }
    ~PaintDC() { ::EndPaint(window, &paint); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return dc; }
    const PAINTSTRUCT& GetPaintStruct() const { return paint; }

  private:
    HWND window;
    PAINTSTRUCT paint{};
    HDC dc = nullptr;
};

// Undoes one SelectObject at the end of its scope. Declare it after the object it selects, so the
// object is selected out before it is deleted.
class SelectGuard {
  public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc(dc), previous(::SelectObject(dc, object)) {}
    ~SelectGuard() {
        if (previous != nullptr && previous != HGDI_ERROR) {
            ::SelectObject(dc, previous);
        }
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    HGDIOBJ GetPrevious() const { return previous; }

  private:
    HDC dc;
    HGDIOBJ previous;
};

struct IconTraits {
    using Type = HICON;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DestroyIcon(h); }
};

// An icon we own: loaded with LoadImage without LR_SHARED (shared icons must not be destroyed).
class Icon : public UniqueHandle<IconTraits> {
  public:
    using UniqueHandle::UniqueHandle;
    // size 0: the system's default size for the icon (LR_DEFAULTSIZE).
    static Icon Load(HINSTANCE instance, UINT id, int size = 0) {
        return Icon(static_cast<HICON>(
            ::LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, size == 0 ? LR_DEFAULTSIZE : 0)));
    }
};

struct CursorTraits {
    using Type = HCURSOR;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DestroyCursor(h); }
};

class Cursor : public UniqueHandle<CursorTraits> {
  public:
    using UniqueHandle::UniqueHandle;
    static Cursor Load(HINSTANCE instance, UINT id) {
        return Cursor(
            static_cast<HCURSOR>(::LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
    }
};

}  // namespace discdeck::fw
