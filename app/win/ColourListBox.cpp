#include "app/win/ColourListBox.h"

#include "framework/Gdi.h"
#include "framework/WideText.h"

namespace discdeck {

ColourListBox::ColourListBox() : background(::GetSysColor(COLOR_WINDOW)) {}

int ColourListBox::AddLine(const std::string& text, COLORREF colour) {
    int index = AddString(text);
    if (index >= 0) {
        SetItemData(index, static_cast<LPARAM>(colour));
    }
    return index;
}

void ColourListBox::MeasureItem(MEASUREITEMSTRUCT& item) {
    item.itemHeight = static_cast<UINT>(::GetSystemMetrics(SM_CYMENUCHECK));
}

void ColourListBox::DrawItem(const DRAWITEMSTRUCT& item) {
    if (static_cast<int>(item.itemID) < 0) {
        return;
    }
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    bool disabled = (item.itemState & ODS_DISABLED) != 0;

    // An unselected line drawn whole is not filled: the list's erase (the window's control colour
    // brush) has given it its background already.
    if (selected && (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) != 0) {
        fw::Brush brush = fw::Brush::Solid(selection);
        ::FillRect(dc, &rect, brush.Get());
    } else if (!selected && (item.itemAction & ODA_SELECT) != 0) {
        fw::Brush brush = fw::Brush::Solid(background);
        ::FillRect(dc, &rect, brush.Get());
    }
    if ((item.itemAction & ODA_FOCUS) != 0) {
        ::DrawFocusRect(dc, &rect);
    }

    COLORREF colour = static_cast<COLORREF>(item.itemData);
    COLORREF text;
    if (colour != 0) {
        text = selected ? background : disabled ? ::GetSysColor(COLOR_GRAYTEXT) : colour;
    } else {
        text = selected   ? ::GetSysColor(COLOR_HIGHLIGHTTEXT)
               : disabled ? ::GetSysColor(COLOR_GRAYTEXT)
                          : ::GetSysColor(COLOR_WINDOWTEXT);
    }
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = ::SetTextColor(dc, text);
    // The list has no tab stops, so tabs are not expanded.
    std::string line = GetLineText(static_cast<int>(item.itemID));
    const std::wstring wide = fw::Widen(line);
    ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
}

}  // namespace discdeck
