#pragma once

#include <windows.h>

#include "controls/WindowDrag.h"
#include "controls/win/SkinBitmap.h"
#include "framework/Gdi.h"

namespace discdeck {

// Shapes the window from the "REGION" resource "CDDB" of the module. The system takes the region
// over. A missing or damaged block leaves the window rectangular and returns null; the region
// handle otherwise (owned by the window now, for reference only).
HRGN ApplyWindowRegion(HWND window, HINSTANCE module);

// The player window's skin: the face painted on erase, the control colours, dragging by the face.
class WindowSkin {
  public:
    WindowSkin();

    // Face bitmap (resource 162); false when it does not load (the face then stays unpainted).
    bool LoadFace(HINSTANCE instance, int faceId);

    // WM_ERASEBKGND: the face at (0, 0), unscaled and opaque. Always true (background erased).
    BOOL EraseBackground(HDC dc);

    // WM_CTLCOLOR*: black background and text background; orange text for list boxes and statics
    // (read-only edits paint as statics), white for everything else.
    HBRUSH ControlColours(HDC dc, UINT kind) const;

    // Dragging by the face: the press captures the mouse and keeps the grab point; moves with the
    // button held move the window (size and z-order kept) under the drag cursor, other moves show
    // the normal cursor; the release ends the capture. Default processing is the caller's.
    void OnLeftButtonDown(HWND window, POINT clientPoint);
    void OnMouseMove(HWND window, UINT flags, POINT clientPoint, HCURSOR normal, HCURSOR drag);
    void OnLeftButtonUp();

  private:
    SkinBitmap face;
    fw::Brush blackBrush;  // the window's for its whole life
    WindowDrag drag;
};

}  // namespace discdeck
