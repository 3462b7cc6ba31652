// The end-to-end driver: acts on the running player from outside, as a user would, and prints what
// the player's window shows. One command a run; JSON on standard output; exit code 0 when the
// command could be carried out, 1 when not (no player window, a message that timed out), 2 for a
// bad command line.
//
//   driver state                   the player window: caption, title line, fields, list, buttons,
//                                  the process's other top-level windows
//   driver click ID [--post]       a click on the player's button ID (sent: returns when the
//                                  command has run; posted: at once, for a command that opens a
//                                  modal dialog)
//   driver settext ID TEXT         types TEXT into the player's edit ID (the edit tells the player)
//   driver dblclick INDEX          selects list line INDEX and double-clicks it
//   driver rbutton                 presses and releases the right button on the face
//   driver preview [SECONDS]       waits for the Database Preview dialog; its tree, counts, check box
//   driver preview-click ID        a click on button ID of the preview (1056 Report, 1057 the
//                                  "+ Tracks" check box, 1 OK)
//   driver shell-open LOG ARGS...  the prefix's "open" handler: appends ARGS to the file LOG
//   driver players                 every running player: process, report lines, message boxes
//   driver drop PATH               drops the file PATH (a Windows path) on the player window
//   driver appcommand N            the keyboard's command N (WM_APPCOMMAND), e.g. 14 play/pause
//   driver wait-shown SECONDS      waits until the player window is shown
//   driver geometry                the player window's rectangle, its region's bands and every
//                                  control's rectangle, all in window pixels
//   driver mouse-click X Y         a real left click (mouse input) at window pixel (X, Y)
//   driver dpi-changed DPI         tells the player its monitor's DPI changed (WM_DPICHANGED), with
//                                  its own place as the suggested one
//   driver ping SECONDS            from the moment the player window shows, WM_NULL every 50 ms for
//                                  SECONDS (SendMessageTimeout, SMTO_ABORTIFHUNG, 100 ms): the
//                                  longest time the window left a ping unanswered
//   driver handover PATH           hands PATH over as a second start does; how long finding the
//                                  window and the hand-over took
//
// The driver is DPI aware, so what it reads and where it clicks are the screen's own pixels at
// every DPI.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <shellapi.h>

#include "ports/win/WideText.h"
#include "tests/e2e/driver/PlayerWindows.h"

namespace discdeck::e2e {
namespace {

constexpr int kListId = 1000;
constexpr int kTitleLineId = 1047;
constexpr int kFieldIds[] = {1011, 1012, 1017, 1018};
constexpr int kWatchedButtons[] = {1003, 1015, 1032, 1034};  // HELP, LOOK UP, PLAY, PAUSE
constexpr int kPreviewTree = 1055;
constexpr int kPreviewTracks = 1057;
constexpr int kPreviewCounts = 1060;
constexpr const char* kPreviewCaption = "Database Preview";

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

int Fail(const std::string& why) {
    std::printf("{\"error\": %s}\n", Quote(why).c_str());
    return 1;
}

HWND Player(DWORD& processId) {
    // The player may still be starting: its window appears once its first PLAY has run.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (HWND hwnd = FindPlayerWindow(processId)) {
            return hwnd;
        }
        ::Sleep(100);
    }
    return nullptr;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM context) {
    char name[32] = {};
    ::GetClassNameA(child, name, sizeof name);
    std::string text = WindowText(child);
    if (lstrcmpiA(name, "Static") == 0 && !text.empty()) {
        auto* texts = reinterpret_cast<std::string*>(context);
        *texts += (texts->empty() ? "" : "\n") + text;
    }
    return TRUE;
}

// The static texts of a window, one a line: what a message box says.
std::string StaticTexts(HWND hwnd) {
    std::string texts;
    ::EnumChildWindows(hwnd, CollectStaticText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

std::string WindowsJson(DWORD processId, HWND except) {
    std::string json = "[";
    bool first = true;
    for (const TopWindow& window : TopWindowsOf(processId)) {
        if (window.hwnd == except || !window.visible) {
            continue;
        }
        json += first ? "" : ", ";
        first = false;
        json += "{\"class\": " + Quote(window.className) + ", \"caption\": " + Quote(window.caption) +
                ", \"text\": " + Quote(StaticTexts(window.hwnd)) + "}";
    }
    return json + "]";
}

int State() {
    DWORD processId = 0;
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    HWND list = ::GetDlgItem(player, kListId);
    std::vector<std::string> lines = ListLines(list);
    std::string json = "{\"pid\": " + std::to_string(processId);
    json += ", \"caption\": " + Quote(WindowText(player));
    json += ", \"title\": " + Quote(ItemText(player, kTitleLineId));
    json += ", \"fields\": {";
    for (size_t i = 0; i < std::size(kFieldIds); ++i) {
        json += (i ? ", " : "") + Quote(std::to_string(kFieldIds[i])) + ": " + Quote(ItemText(player, kFieldIds[i]));
    }
    json += "}, \"lines\": [";
    for (size_t i = 0; i < lines.size(); ++i) {
        json += (i ? ", " : "") + Quote(lines[i]);
    }
    // Each line's colour is its item data (a COLORREF: red in the low byte).
    json += "], \"colours\": [";
    for (size_t i = 0; i < lines.size(); ++i) {
        LRESULT colour = 0;
        Send(list, LB_GETITEMDATA, i, 0, &colour);
        char text[16];
        std::snprintf(text, sizeof text, "\"%06lx\"", static_cast<unsigned long>(colour) & 0xFFFFFFul);
        json += (i ? ", " : "") + std::string(text);
    }
    LRESULT selected = -1;
    Send(list, LB_GETCURSEL, 0, 0, &selected);
    json += "], \"selected\": " + std::to_string(static_cast<long>(selected));
    json += ", \"enabled\": {";
    for (size_t i = 0; i < std::size(kWatchedButtons); ++i) {
        bool enabled = ::IsWindowEnabled(::GetDlgItem(player, kWatchedButtons[i])) != FALSE;
        json += (i ? ", " : "") + Quote(std::to_string(kWatchedButtons[i])) + ": " + (enabled ? "true" : "false");
    }
    RECT rect{};
    ::GetWindowRect(player, &rect);
    json += "}, \"visible\": " + std::string(::IsWindowVisible(player) ? "true" : "false");
    json += ", \"rect\": [" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " +
            std::to_string(rect.right) + ", " + std::to_string(rect.bottom) + "]";
    json += ", \"windows\": " + WindowsJson(processId, player) + "}";
    std::printf("%s\n", json.c_str());
    return 0;
}

int Click(int id, bool post) {
    DWORD processId = 0;
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    if (!ClickCommand(player, id, post)) {
        return Fail("the click was not handled in time");
    }
    std::printf("{\"clicked\": %d}\n", id);
    return 0;
}

// A mouse click on a skinned button, as its toggle kind (the play modes) needs: down and up inside it.
int Press(int id) {
    DWORD processId = 0;
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    HWND button = ::GetDlgItem(player, id);
    if (button == nullptr || !Send(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4)) ||
        !Send(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4))) {
        return Fail("the button did not take the click in time");
    }
    std::printf("{\"pressed\": %d}\n", id);
    return 0;
}

int SetText(int id, const std::string& text) {
    DWORD processId = 0;
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    const std::wstring wide = Widen(text);
    LRESULT ok = 0;
    if (!Send(::GetDlgItem(player, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), &ok) || !ok) {
        return Fail("the text was not taken");
    }
    std::printf("{\"text\": %s}\n", Quote(ItemText(player, id)).c_str());
    return 0;
}

int DoubleClick(int index) {
    DWORD processId = 0;
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    HWND list = ::GetDlgItem(player, kListId);
    LRESULT selected = 0;
    if (!Send(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0, &selected) || selected != index) {
        return Fail("no such line");
    }
    // A double-click in a list with LBS_NOTIFY ends in this notification to its parent.
    if (!Send(player, WM_COMMAND, MAKEWPARAM(kListId, LBN_DBLCLK), reinterpret_cast<LPARAM>(list))) {
        return Fail("the double-click was not handled in time");
    }
    std::printf("{\"doubleClicked\": %d}\n", index);
    return 0;
}

int RightButton() {
    DWORD processId = 0;
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    POINT point{};
    if (!FindFacePoint(player, point)) {
        return Fail("no free point on the face");
    }
    LPARAM where = MAKELPARAM(point.x, point.y);
    if (!Send(player, WM_RBUTTONDOWN, MK_RBUTTON, where) || !Send(player, WM_RBUTTONUP, 0, where)) {
        return Fail("the right button was not handled in time");
    }
    std::printf("{\"point\": [%ld, %ld]}\n", point.x, point.y);
    return 0;
}

void TreeJson(const std::vector<TreeItem>& items, std::string& json) {
    json += "[";
    for (size_t i = 0; i < items.size(); ++i) {
        json += (i ? ", " : "") + std::string("{\"text\": ") + Quote(items[i].text) + ", \"children\": ";
        TreeJson(items[i].children, json);
        json += "}";
    }
    json += "]";
}

int Preview(int seconds) {
    DWORD processId = 0;
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    HWND preview = nullptr;
    for (int waited = 0; preview == nullptr && waited <= seconds * 10; ++waited) {
        preview = FindDialog(processId, kPreviewCaption);
        if (preview == nullptr) {
            ::Sleep(100);
        }
    }
    if (preview == nullptr) {
        return Fail("no Database Preview dialog");
    }
    std::vector<TreeItem> tree;
    if (!ReadTree(::GetDlgItem(preview, kPreviewTree), processId, tree)) {
        return Fail("the tree could not be read");
    }
    LRESULT checked = 0;
    Send(::GetDlgItem(preview, kPreviewTracks), BM_GETCHECK, 0, 0, &checked);
    std::string json = "{\"caption\": " + Quote(WindowText(preview));
    json += ", \"counts\": " + Quote(ItemText(preview, kPreviewCounts));
    json += ", \"tracksChecked\": " + std::string(checked == BST_CHECKED ? "true" : "false");
    json += ", \"visible\": " + std::string(::IsWindowVisible(preview) ? "true" : "false");
    json += ", \"tree\": ";
    TreeJson(tree, json);
    std::printf("%s}\n", json.c_str());
    return 0;
}

int PreviewClick(int id) {
    DWORD processId = 0;
    HWND player = Player(processId);
    HWND preview = player != nullptr ? FindDialog(processId, kPreviewCaption) : nullptr;
    if (preview == nullptr) {
        return Fail("no Database Preview dialog");
    }
    // The preview's controls are plain ones: BM_CLICK presses and releases them as the mouse does,
    // so a check box also changes its state.
    if (!Send(::GetDlgItem(preview, id), BM_CLICK, 0, 0)) {
        return Fail("the click was not handled in time");
    }
    std::printf("{\"clicked\": %d}\n", id);
    return 0;
}

int ShellOpen(const std::string& log, const std::vector<std::string>& arguments) {
    FILE* file = std::fopen(log.c_str(), "ab");
    if (file == nullptr) {
        return 1;
    }
    std::string line;
    for (size_t i = 0; i < arguments.size(); ++i) {
        line += (i ? " " : "") + arguments[i];
    }
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
    return 0;
}

// Every running player, for players that run side by side: its process, its report's lines and its
// other visible windows (message boxes).
int Players() {
    std::string json = "{\"players\": [";
    std::vector<DWORD> ids = FindProcesses("discdeck.exe");
    for (size_t i = 0; i < ids.size(); ++i) {
        HWND player = PlayerWindowOf(ids[i]);
        std::string lines = "[";
        if (player != nullptr) {
            std::vector<std::string> texts = ListLines(::GetDlgItem(player, kListId));
            for (size_t j = 0; j < texts.size(); ++j) {
                lines += (j == 0 ? "" : ", ") + Quote(texts[j]);
            }
        }
        json += (i == 0 ? "" : ", ") + std::string("{\"pid\": ") + std::to_string(ids[i]) + ", \"lines\": " + lines +
                "], \"windows\": " + WindowsJson(ids[i], player) + "}";
    }
    std::printf("%s]}\n", json.c_str());
    return 0;
}

int Drop(const std::string& path) {
    DWORD processId = 0;
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    if (!DropFile(player, processId, path)) {
        return Fail("the drop was not delivered");
    }
    std::printf("{\"dropped\": %s}\n", Quote(path).c_str());
    return 0;
}

int AppCommand(int command) {
    DWORD processId = 0;
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    // What DefWindowProc sends for a media key: the command in the high word (FAPPCOMMAND_KEY).
    LRESULT handled = 0;
    if (!Send(player, WM_APPCOMMAND, reinterpret_cast<WPARAM>(player), MAKELPARAM(0, command), &handled)) {
        return Fail("the command was not handled in time");
    }
    std::printf("{\"appcommand\": %d, \"handled\": %d}\n", command, static_cast<int>(handled));
    return 0;
}

int WaitShown(int seconds) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < static_cast<DWORD>(seconds) * 1000) {
        DWORD processId = 0;
        HWND player = FindPlayerWindow(processId);
        if (player != nullptr && ::IsWindowVisible(player)) {
            std::printf("{\"shown\": true, \"pid\": %lu}\n", static_cast<unsigned long>(processId));
            return 0;
        }
        ::Sleep(10);
    }
    return Fail("no player window shown");
}

std::string RectJson(const RECT& r) {
    return "[" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + "]";
}

struct ChildList {
    HWND parent;
    RECT origin;
    std::string json;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM context) {
    auto* list = reinterpret_cast<ChildList*>(context);
    if (::GetParent(child) != list->parent) {
        return TRUE;
    }
    RECT r{};
    ::GetWindowRect(child, &r);
    ::OffsetRect(&r, -list->origin.left, -list->origin.top);
    list->json += std::string(list->json.empty() ? "" : ", ") + "{\"id\": " + std::to_string(::GetDlgCtrlID(child)) +
                  ", \"rect\": " + RectJson(r) + ", \"visible\": " + (::IsWindowVisible(child) ? "true" : "false") +
                  "}";
    return TRUE;
}

int Geometry() {
    DWORD processId = 0;
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    RECT window{};
    ::GetWindowRect(player, &window);
    std::string bands;
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    if (::GetWindowRgn(player, region) != ERROR) {
        std::vector<char> data(::GetRegionData(region, 0, nullptr));
        auto* header = reinterpret_cast<RGNDATA*>(data.data());
        if (!data.empty() && ::GetRegionData(region, static_cast<DWORD>(data.size()), header) != 0) {
            const RECT* rects = reinterpret_cast<const RECT*>(header->Buffer);
            for (DWORD i = 0; i < header->rdh.nCount; ++i) {
                bands += (i ? ", " : "") + RectJson(rects[i]);
            }
        }
    }
    ::DeleteObject(region);
    ChildList children{player, window, ""};
    ::EnumChildWindows(player, CollectChild, reinterpret_cast<LPARAM>(&children));
    std::printf("{\"rect\": %s, \"region\": [%s], \"controls\": [%s]}\n", RectJson(window).c_str(), bands.c_str(),
                children.json.c_str());
    return 0;
}

int MouseClick(int x, int y) {
    DWORD processId = 0;
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    RECT window{};
    ::GetWindowRect(player, &window);
    POINT screen{window.left + x, window.top + y};
    ::SetCursorPos(screen.x, screen.y);
    // What is under the point is what the click reaches: the region decides, not the rectangle.
    HWND target = ::WindowFromPoint(screen);
    // Absolute input is in 65536ths of the screen: round up, so the pixel maps back exactly.
    const LONG width = ::GetSystemMetrics(SM_CXSCREEN);
    const LONG height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = (screen.x * 65536 + width - 1) / width;
        input.mi.dy = (screen.y * 65536 + height - 1) / height;
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &inputs[0], sizeof(INPUT));
    ::Sleep(50);
    ::SendInput(1, &inputs[1], sizeof(INPUT));
    const int targetId = target != nullptr && ::GetParent(target) == player ? ::GetDlgCtrlID(target) : 0;
    std::printf("{\"clicked\": [%d, %d], \"control\": %d}\n", x, y, targetId);
    return 0;
}

int DpiChanged(int dpi) {
    DWORD processId = 0;
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    RECT suggested{};
    ::GetWindowRect(player, &suggested);
    if (!SendDpiChanged(player, processId, dpi, suggested)) {
        return Fail("the change was not handled in time");
    }
    std::printf("{\"dpi\": %d}\n", dpi);
    return 0;
}

// The longest a ping waited for its answer: from its sending (or, after pings that got none, from
// the first of those) to the next answer. A window that never answers again counts to the end.
int Ping(double seconds) {
    DWORD processId = 0;
    const ULONGLONG searchStart = ::GetTickCount64();
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    // A dialog exists, hidden, while it initialises: the count starts once the user can see it.
    while (!::IsWindowVisible(player) && ::IsWindow(player) && ::GetTickCount64() - searchStart < 30000) {
        ::Sleep(10);
    }
    const ULONGLONG found = ::GetTickCount64() - searchStart;
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    ULONGLONG longest = 0;
    ULONGLONG waitingSince = 0;
    bool waiting = false;
    int pings = 0;
    int unanswered = 0;
    while (::GetTickCount64() < end) {
        const ULONGLONG sent = ::GetTickCount64();
        DWORD_PTR answer = 0;
        const bool answered = ::SendMessageTimeoutW(player, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, &answer) != 0;
        const ULONGLONG now = ::GetTickCount64();
        ++pings;
        if (answered) {
            longest = std::max(longest, now - (waiting ? waitingSince : sent));
            waiting = false;
        } else {
            ++unanswered;
            if (!waiting) {
                waiting = true;
                waitingSince = sent;
            }
        }
        ::Sleep(50);
    }
    if (waiting) {
        longest = std::max(longest, ::GetTickCount64() - waitingSince);
    }
    std::printf("{\"longest_ms\": %llu, \"pings\": %d, \"unanswered\": %d, \"found_after_ms\": %llu}\n", longest, pings,
                unanswered, found);
    return 0;
}

// What a second start with a sheet does: WM_COPYDATA marked 'DDSH' with the zero-ended path, sent
// with a 5 s limit that gives up on a hung window.
int HandOver(const std::string& path) {
    DWORD processId = 0;
    const ULONGLONG searchStart = ::GetTickCount64();
    HWND player = Player(processId);
    if (player == nullptr) {
        return Fail("no player window");
    }
    COPYDATASTRUCT data{};
    data.dwData = 0x44445348;
    data.cbData = static_cast<DWORD>(path.size() + 1);
    data.lpData = const_cast<char*>(path.c_str());
    DWORD_PTR answer = 0;
    const ULONGLONG start = ::GetTickCount64();
    const bool sent = ::SendMessageTimeoutA(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                            5000, &answer) != 0;
    const ULONGLONG took = ::GetTickCount64() - start;
    std::printf("{\"handed\": %s, \"taken\": %s, \"ms\": %llu, \"found_after_ms\": %llu}\n", sent ? "true" : "false",
                sent && answer ? "true" : "false", took, start - searchStart);
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: driver state | click ID [--post] | press ID | settext ID TEXT | dblclick INDEX | rbutton |\n"
                 "       preview [SECONDS] | preview-click ID | shell-open LOG ARGS... | players |\n"
                 "       drop PATH | appcommand N | wait-shown SECONDS | geometry | mouse-click X Y |\n"
                 "       dpi-changed DPI | ping SECONDS | handover PATH\n");
    return 2;
}

}  // namespace
}  // namespace discdeck::e2e

int main() {
    using namespace discdeck::e2e;
    // The wide command line, so paths outside the ANSI code page arrive whole.
    std::vector<std::string> args;
    int count = 0;
    if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) {
            args.push_back(discdeck::Utf8FromWide(wide[i]));
        }
        ::LocalFree(wide);
    }
    if (args.empty()) {
        return Usage();
    }
    ::SetProcessDPIAware();
    const std::string& command = args[0];
    int status = 2;
    if (command == "state" && args.size() == 1) {
        status = State();
    } else if (command == "click" && (args.size() == 2 || (args.size() == 3 && args[2] == "--post"))) {
        status = Click(std::atoi(args[1].c_str()), args.size() == 3);
    } else if (command == "press" && args.size() == 2) {
        status = Press(std::atoi(args[1].c_str()));
    } else if (command == "settext" && args.size() == 3) {
        status = SetText(std::atoi(args[1].c_str()), args[2]);
    } else if (command == "dblclick" && args.size() == 2) {
        status = DoubleClick(std::atoi(args[1].c_str()));
    } else if (command == "rbutton" && args.size() == 1) {
        status = RightButton();
    } else if (command == "preview" && args.size() <= 2) {
        status = Preview(args.size() == 2 ? std::atoi(args[1].c_str()) : 10);
    } else if (command == "preview-click" && args.size() == 2) {
        status = PreviewClick(std::atoi(args[1].c_str()));
    } else if (command == "players" && args.size() == 1) {
        status = Players();
    } else if (command == "drop" && args.size() == 2) {
        status = Drop(args[1]);
    } else if (command == "appcommand" && args.size() == 2) {
        status = AppCommand(std::atoi(args[1].c_str()));
    } else if (command == "wait-shown" && args.size() == 2) {
        status = WaitShown(std::atoi(args[1].c_str()));
    } else if (command == "geometry" && args.size() == 1) {
        status = Geometry();
    } else if (command == "mouse-click" && args.size() == 3) {
        status = MouseClick(std::atoi(args[1].c_str()), std::atoi(args[2].c_str()));
    } else if (command == "dpi-changed" && args.size() == 2) {
        status = DpiChanged(std::atoi(args[1].c_str()));
    } else if (command == "ping" && args.size() == 2) {
        status = Ping(std::atof(args[1].c_str()));
    } else if (command == "handover" && args.size() == 2) {
        status = HandOver(args[1]);
    } else if (command == "shell-open" && args.size() >= 2) {
        status = ShellOpen(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    } else {
        return Usage();
    }
    std::fflush(stdout);
    return status;
}
