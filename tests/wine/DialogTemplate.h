#pragma once

// Reads a dialog template as the resource compiler stores it (the extended DIALOGEX form), so tests
// can check ids, places, sizes and styles exactly rather than through pixels.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace discdeck::test {

struct TemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string className;  // "#128" ... for the predefined classes, else the class name
    std::string title;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    int cx = 0, cy = 0;
    int pointSize = 0;
    std::string font;
    std::vector<TemplateItem> items;
};

class TemplateReader {
  public:
    TemplateReader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    bool Read(DialogTemplate& dialog) {
        if (Word() != 1 || Word() != 0xFFFF) {
            return false;
        }
        Dword();  // help id
        dialog.exStyle = Dword();
        dialog.style = Dword();
        const int count = static_cast<int>(Word());
        Short();
        Short();
        dialog.cx = Short();
        dialog.cy = Short();
        NameOrOrdinal();  // menu
        NameOrOrdinal();  // class
        NameOrOrdinal();  // caption
        if ((dialog.style & DS_SETFONT) != 0) {
            dialog.pointSize = static_cast<int>(Word());
            Word();  // weight
            Word();  // italic, character set
            dialog.font = NameOrOrdinal();
        }
        for (int i = 0; i < count && ok; ++i) {
            at = (at + 3) & ~std::size_t{3};
            TemplateItem item;
            Dword();  // help id
            item.exStyle = Dword();
            item.style = Dword();
            item.x = Short();
            item.y = Short();
            item.cx = Short();
            item.cy = Short();
            item.id = static_cast<int>(Dword());
            item.className = NameOrOrdinal();
            item.title = NameOrOrdinal();
            at += Word();  // creation data
            dialog.items.push_back(item);
        }
        return ok && at <= size;
    }

  private:
    unsigned Word() {
        if (at + 2 > size) {
            ok = false;
            return 0;
        }
        const unsigned value = data[at] | data[at + 1] << 8;
        at += 2;
        return value;
    }
    int Short() { return static_cast<std::int16_t>(Word()); }
    DWORD Dword() {
        const DWORD low = Word();
        return low | static_cast<DWORD>(Word()) << 16;
    }
    // An ordinal comes back as "#<number>"; names are plain ASCII in these templates.
    std::string NameOrOrdinal() {
        unsigned first = Word();
        if (first == 0xFFFF) {
            return "#" + std::to_string(Word());
        }
        std::string text;
        for (; first != 0 && ok; first = Word()) {
            text += static_cast<char>(first);
        }
        return text;
    }

    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    bool ok = true;
};

// Dialog `id` of a loaded module; false when it is missing or cannot be read.
inline bool LoadDialogTemplate(HMODULE module, int id, DialogTemplate& dialog) {
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    return data != nullptr &&
           TemplateReader(static_cast<const std::uint8_t*>(data), ::SizeofResource(module, found)).Read(dialog);
}

}  // namespace discdeck::test
