// Looks at a setup run from outside, for the Wine test script:
//   setup_probe attributes PATH   prints the file's attributes in hex
//   setup_probe times PATH        prints creation and last-write time in seconds since 1970 (UTC)
//   setup_probe status            prints the status line of the setup window; exit code 1 without one
//   setup_probe close             asks the setup window to close (as Escape would); 1 without one
//   setup_probe template PATH     prints dialog 102 of the program at PATH as its resource holds it:
//                                 "dialog STYLE EXSTYLE CX CY POINTS FONT", then for each control
//                                 "item ID CLASS X Y CX CY STYLE EXSTYLE" (styles in hex)
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kStatusId = 1006;
constexpr int kProgressId = 1008;

long long UnixSeconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<long long>(value.QuadPart / 10000000ULL) - 11644473600LL;
}

BOOL CALLBACK FindSetupWindow(HWND window, LPARAM result) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    const HWND progress = GetDlgItem(window, kProgressId);
    char progressClass[64] = {};
    if (progress != nullptr) {
        GetClassNameA(progress, progressClass, sizeof progressClass);
    }
    if (std::strcmp(className, "#32770") == 0 && GetDlgItem(window, kStatusId) != nullptr &&
        _stricmp(progressClass, "msctls_progress32") == 0) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

HWND SetupWindow() {
    HWND window = nullptr;
    EnumWindows(&FindSetupWindow, reinterpret_cast<LPARAM>(&window));
    return window;
}

// Reads an extended dialog template (the resource compiler's DIALOGEX form).
class TemplateReader {
  public:
    TemplateReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Print() {
        if (Word() != 1 || Word() != 0xFFFF) {
            return false;
        }
        Dword();  // help id
        const DWORD exStyle = Dword();
        const DWORD style = Dword();
        const unsigned count = Word();
        Short();
        Short();
        const int cx = Short();
        const int cy = Short();
        NameOrOrdinal();  // menu
        NameOrOrdinal();  // class
        NameOrOrdinal();  // caption
        unsigned points = 0;
        std::string font;
        if ((style & DS_SETFONT) != 0) {
            points = Word();
            Word();  // weight
            Word();  // italic, character set
            font = NameOrOrdinal();
        }
        std::printf("dialog %08lx %08lx %d %d %u %s\n", static_cast<unsigned long>(style),
                    static_cast<unsigned long>(exStyle), cx, cy, points, font.c_str());
        for (unsigned i = 0; i < count && ok_; ++i) {
            at_ = (at_ + 3) & ~static_cast<std::size_t>(3);
            Dword();  // help id
            const DWORD itemExStyle = Dword();
            const DWORD itemStyle = Dword();
            const int x = Short();
            const int y = Short();
            const int width = Short();
            const int height = Short();
            const DWORD id = Dword();
            const std::string className = NameOrOrdinal();
            NameOrOrdinal();  // title
            at_ += Word();    // creation data
            if (ok_) {
                std::printf("item %lu %s %d %d %d %d %08lx %08lx\n", static_cast<unsigned long>(id), className.c_str(),
                            x, y, width, height, static_cast<unsigned long>(itemStyle),
                            static_cast<unsigned long>(itemExStyle));
            }
        }
        return ok_;
    }

  private:
    unsigned Word() {
        if (at_ + 2 > size_) {
            ok_ = false;
            return 0;
        }
        const unsigned value = data_[at_] | data_[at_ + 1] << 8;
        at_ += 2;
        return value;
    }
    int Short() { return static_cast<std::int16_t>(Word()); }
    DWORD Dword() {
        const DWORD low = Word();
        return low | static_cast<DWORD>(Word()) << 16;
    }
    // Ordinals as "#<number>"; the names in these templates are ASCII.
    std::string NameOrOrdinal() {
        unsigned first = Word();
        if (first == 0xFFFF) {
            return "#" + std::to_string(Word());
        }
        std::string text;
        for (; first != 0 && ok_; first = Word()) {
            text += static_cast<char>(first);
        }
        return text;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

int PrintDialogTemplate(const char* path) {
    const HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HRSRC found = module != nullptr ? FindResourceA(module, MAKEINTRESOURCEA(102), MAKEINTRESOURCEA(5)) : nullptr;
    const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    const bool printed = data != nullptr &&
                         TemplateReader(static_cast<const std::uint8_t*>(data), SizeofResource(module, found)).Print();
    if (module != nullptr) {
        FreeLibrary(module);
    }
    return printed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "attributes") == 0) {
        const DWORD attributes = GetFileAttributesA(argv[2]);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return 1;
        }
        std::printf("%02lx\n", static_cast<unsigned long>(attributes));
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "times") == 0) {
        const HANDLE file = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        FILETIME creation;
        FILETIME access;
        FILETIME write;
        if (file == INVALID_HANDLE_VALUE || !GetFileTime(file, &creation, &access, &write)) {
            return 1;
        }
        CloseHandle(file);
        std::printf("%lld %lld\n", UnixSeconds(creation), UnixSeconds(write));
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "status") == 0) {
        const HWND window = SetupWindow();
        if (window == nullptr) {
            return 1;
        }
        char text[256] = {};
        GetDlgItemTextA(window, kStatusId, text, sizeof text);
        std::printf("%s\n", text);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "close") == 0) {
        const HWND window = SetupWindow();
        if (window == nullptr) {
            return 1;
        }
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "template") == 0) {
        return PrintDialogTemplate(argv[2]);
    }
    std::fprintf(stderr, "usage: setup_probe attributes|times|template PATH, or status|close\n");
    return 2;
}
