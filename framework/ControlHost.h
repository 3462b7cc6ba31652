#pragma once

#include <windows.h>

#include "framework/MessageHost.h"

namespace discdeck::fw {

// Base of the controls that handle their own messages (skinned buttons, sliders, owner-drawn
// lists): an existing control window, typically from a dialog template, is subclassed with
// SetWindowSubclass and its messages go through the class's message map; Default() passes a
// message on to the control's own procedure. Owner-draw requests reach DrawItem and MeasureItem
// by reflection from the parent dialog.
class ControlHost : public MessageHost {
  public:
    // Subclasses the window: PreSubclassWindow first (the handle is already set), then the
    // subclass is installed. False when the window is null or already has a host.
    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(int id, HWND parent) { return SubclassWindow(::GetDlgItem(parent, id)); }
    // Removes the subclass and forgets the window.
    void UnsubclassWindow() { Detach(); }

    // Reflected WM_DRAWITEM / WM_MEASUREITEM of an owner-drawn control.
    virtual void DrawItem(const DRAWITEMSTRUCT& item);
    virtual void MeasureItem(MEASUREITEMSTRUCT& item);

  protected:
    // Last chance to adjust the window before its messages come here (styles, for instance).
    virtual void PreSubclassWindow() {}

    DISCDECK_DECLARE_MESSAGE_MAP()
};

}  // namespace discdeck::fw
