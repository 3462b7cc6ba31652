#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/Controls.h"

namespace discdeck {

// The player's report list: an owner-drawn list box whose lines each carry their own text colour
// (as item data). Lines stand in their colour on the background; the selected line is drawn in
// the background colour on the selection colour.
class ColourListBox : public fw::ListBoxT<fw::ControlHost> {
  public:
    ColourListBox();

    // Appends a line; the colour goes into its item data. Returns the index, or a negative list
    // box error.
    int AddLine(const std::string& text, COLORREF colour);
    COLORREF GetLineColour(int index) const { return static_cast<COLORREF>(GetItemData(index)); }

    void SetBackgroundColour(COLORREF colour) { background = colour; }
    void SetSelectionColour(COLORREF colour) { selection = colour; }
    COLORREF GetBackgroundColour() const { return background; }
    COLORREF GetSelectionColour() const { return selection; }

    // Draws one line into the item's DC (also usable on a memory DC by tests).
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    // Only reached when the request comes after binding; a fixed-height list asks once, when the
    // dialog creates it, and keeps the height it got then.
    void MeasureItem(MEASUREITEMSTRUCT& item) override;

  private:
    COLORREF background;
    COLORREF selection = RGB(0, 0, 0);
};

}  // namespace discdeck
