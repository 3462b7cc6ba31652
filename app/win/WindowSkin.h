#pragma once

#include <windows.h>

#include "controls/WindowDrag.h"
#include "controls/win/SkinBitmap.h"
#include "framework/Gdi.h"

namespace discdeck {

// Shapes the window from the "REGION" resource "CDDB" of the module, enlarged `factor` times. The
// system takes the region over. A missing or damaged block leaves the window rectangular and
// returns null; the region handle otherwise (owned by the window now, for reference only).
HRGN ApplyWindowRegion(HWND window, HINSTANCE module, int factor = 1);

// Dots per inch of the monitor the window is on (of the system where Windows cannot tell per
// monitor).
int WindowDpi(HWND window);
// The skin's factor for that DPI, made smaller where the face would not fit the monitor's work area.
int SkinScaleForWindow(HWND window, int dpi);
// Per-monitor aware dialogs are re-laid out by Windows 10 when their DPI changes, from dialog units;
// the player places its controls itself, so that is switched off (where the system has it).
void KeepOwnDialogLayout(HWND dialog);

// The player window's skin: the face painted on erase, the control colours, dragging by the face.
class WindowSkin {
  public:
    WindowSkin();

    // Face bitmap (resource 162) enlarged `factor` times; false when it does not load (the face
    // then stays unpainted).
    bool LoadFace(HINSTANCE instance, int faceId, int factor = 1);

    // The skin at a factor on the player's window: its size, every control at its place on the
    // face, the outline, the face and the text font of the list, the fields and the title line.
    // Returns the applied region (see ApplyWindowRegion). The buttons and the slider are scaled by
    // their owner.
    HRGN Apply(HWND window, HINSTANCE instance, int factor);

    // WM_ERASEBKGND: the face at (0, 0), at the skin's factor and opaque. Always true (background erased).
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
    fw::Font textFont;     // the text controls', at the current factor
    WindowDrag drag;
};

}  // namespace discdeck
