#pragma once

#include <windows.h>

#include <commctrl.h>

#include <iterator>
#include <string>
#include <vector>

#include "framework/ControlHost.h"
#include "framework/Handle.h"
#include "framework/Window.h"

namespace discdeck::fw {

// Control views. Each is a template over its base so that the same methods serve a plain handle
// view (ButtonT<Window>, copyable) and a subclassed host (ButtonT<ControlHost>, a base for
// skinned controls). One SendMessage per method.

template <typename Base = Window>
class ButtonT : public Base {
  public:
    using Base::Base;
    int GetCheck() const { return static_cast<int>(this->Send(BM_GETCHECK)); }
    void SetCheck(int state) const { this->Send(BM_SETCHECK, static_cast<WPARAM>(state)); }
    UINT GetState() const { return static_cast<UINT>(this->Send(BM_GETSTATE)); }
    void Click() const { this->Send(BM_CLICK); }
};
using Button = ButtonT<>;

template <typename Base = Window>
class EditT : public Base {
  public:
    using Base::Base;
    void LimitText(int maxChars) const { this->Send(EM_LIMITTEXT, static_cast<WPARAM>(maxChars)); }
    void SetSel(int start, int end) const { this->Send(EM_SETSEL, static_cast<WPARAM>(start), end); }
    void SetReadOnly(bool readOnly) const { this->Send(EM_SETREADONLY, readOnly ? TRUE : FALSE); }
};
using Edit = EditT<>;

template <typename Base = Window>
class StaticT : public Base {
  public:
    using Base::Base;
};
using Static = StaticT<>;

template <typename Base = Window>
class ListBoxT : public Base {
  public:
    using Base::Base;
    int AddString(const std::string& text) const {
        const std::wstring wide = Widen(text);
        return static_cast<int>(this->Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
    }
    void ResetContent() const { this->Send(LB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(this->Send(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(this->Send(LB_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(this->Send(LB_SETCURSEL, static_cast<WPARAM>(index))); }
    int GetTextLen(int index) const { return static_cast<int>(this->Send(LB_GETTEXTLEN, static_cast<WPARAM>(index))); }
    // Text of a line; empty for an index out of range.
    std::string GetLineText(int index) const {
        int length = GetTextLen(index);
        if (length < 0) {
            return std::string();
        }
        std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
        int copied = static_cast<int>(
            this->Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data())));
        return Utf8FromWide(std::wstring_view(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0));
    }
    LRESULT GetItemData(int index) const { return this->Send(LB_GETITEMDATA, static_cast<WPARAM>(index)); }
    int SetItemData(int index, LPARAM data) const {
        return static_cast<int>(this->Send(LB_SETITEMDATA, static_cast<WPARAM>(index), data));
    }
    int GetItemHeight(int index = 0) const {
        return static_cast<int>(this->Send(LB_GETITEMHEIGHT, static_cast<WPARAM>(index)));
    }
    void SetItemHeight(int height) const { this->Send(LB_SETITEMHEIGHT, 0, MAKELPARAM(height, 0)); }
    int GetTopIndex() const { return static_cast<int>(this->Send(LB_GETTOPINDEX)); }
    RECT GetItemRect(int index) const {
        RECT rect{};
        this->Send(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
        return rect;
    }
};
using ListBox = ListBoxT<>;

template <typename Base = Window>
class TrackbarT : public Base {
  public:
    using Base::Base;
    void SetRange(LONG minimum, LONG maximum, bool redraw = false) const {
        this->Send(TBM_SETRANGEMIN, FALSE, minimum);
        this->Send(TBM_SETRANGEMAX, redraw ? TRUE : FALSE, maximum);
    }
    LONG GetRangeMin() const { return static_cast<LONG>(this->Send(TBM_GETRANGEMIN)); }
    LONG GetRangeMax() const { return static_cast<LONG>(this->Send(TBM_GETRANGEMAX)); }
    LONG GetPos() const { return static_cast<LONG>(this->Send(TBM_GETPOS)); }
    void SetPos(LONG position, bool redraw = true) const { this->Send(TBM_SETPOS, redraw ? TRUE : FALSE, position); }
};
using Trackbar = TrackbarT<>;

template <typename Base = Window>
class ProgressBarT : public Base {
  public:
    using Base::Base;
    void SetRange(int low, int high) const { this->Send(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
    int SetPos(int position) const { return static_cast<int>(this->Send(PBM_SETPOS, static_cast<WPARAM>(position))); }
    int GetPos() const { return static_cast<int>(this->Send(PBM_GETPOS)); }
    void SetStep(int step) const { this->Send(PBM_SETSTEP, static_cast<WPARAM>(step)); }
    int StepIt() const { return static_cast<int>(this->Send(PBM_STEPIT)); }
};
using ProgressBar = ProgressBarT<>;

template <typename Base = Window>
class TreeViewT : public Base {
  public:
    using Base::Base;
    // Inserts an item with text and images; withChildren shows the expand button before any child
    // exists; `data` is the caller's (GetItemData). Returns the new item or null.
    HTREEITEM InsertItem(const std::string& text,
                         int image,
                         int selectedImage,
                         HTREEITEM parent = TVI_ROOT,
                         HTREEITEM after = TVI_LAST,
                         bool withChildren = false,
                         LPARAM data = 0) const {
        std::wstring wide = Widen(text);
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
        insert.item.lParam = data;
        insert.item.pszText = wide.data();
        insert.item.iImage = image;
        insert.item.iSelectedImage = selectedImage;
        insert.item.cChildren = withChildren ? 1 : 0;
        return reinterpret_cast<HTREEITEM>(this->Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    bool DeleteAllItems() const { return this->Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)) != FALSE; }
    UINT GetCount() const { return static_cast<UINT>(this->Send(TVM_GETCOUNT)); }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const {
        return reinterpret_cast<HTREEITEM>(this->Send(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    std::string GetItemText(HTREEITEM item) const {
        wchar_t buffer[1024] = {};
        TVITEMW query{};
        query.mask = TVIF_TEXT;
        query.hItem = item;
        query.pszText = buffer;
        query.cchTextMax = static_cast<int>(std::size(buffer));
        this->Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
        return Utf8FromWide(buffer);
    }
    // Returns the previous image list of that kind.
    HIMAGELIST SetImageList(HIMAGELIST list, int kind = TVSIL_NORMAL) const {
        return reinterpret_cast<HIMAGELIST>(
            this->Send(TVM_SETIMAGELIST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(list)));
    }
    HIMAGELIST GetImageList(int kind = TVSIL_NORMAL) const {
        return reinterpret_cast<HIMAGELIST>(this->Send(TVM_GETIMAGELIST, static_cast<WPARAM>(kind)));
    }
    LPARAM GetItemData(HTREEITEM item) const {
        TVITEMA query{};
        query.mask = TVIF_PARAM;
        query.hItem = item;
        this->Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
        return query.lParam;
    }
    bool Expand(HTREEITEM item, UINT code = TVE_EXPAND) const {
        return this->Send(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)) != FALSE;
    }
};
using TreeView = TreeViewT<>;

struct ImageListTraits {
    using Type = HIMAGELIST;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::ImageList_Destroy(h); }
};

// An image list we own.
class ImageList : public UniqueHandle<ImageListTraits> {
  public:
    using UniqueHandle::UniqueHandle;
    static ImageList Create(int width, int height, UINT flags, int initial, int grow) {
        return ImageList(::ImageList_Create(width, height, flags, initial, grow));
    }
    // Index of the added icon, -1 on failure.
    int AddIcon(HICON icon) const { return ::ImageList_AddIcon(Get(), icon); }
    int GetImageCount() const { return ::ImageList_GetImageCount(Get()); }
};

// InitCommonControlsEx for the classes the programs use (trackbar, tree view, progress bar,
// animation); once per process is enough.
bool InitCommonControls();

}  // namespace discdeck::fw
