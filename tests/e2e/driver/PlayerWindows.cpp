#include "tests/e2e/driver/PlayerWindows.h"

#include "ports/win/WideText.h"

#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

namespace discdeck::e2e {

namespace {

constexpr int kTitleLineId = 1047;
constexpr int kListId = 1000;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                          nullptr);
    return result;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string ClassName(HWND hwnd) {
    char name[256] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

BOOL CALLBACK CollectTopWindow(HWND hwnd, LPARAM context) {
    auto* found = reinterpret_cast<std::vector<TopWindow>*>(context);
    TopWindow window;
    window.hwnd = hwnd;
    ::GetWindowThreadProcessId(hwnd, &window.processId);
    found->push_back(window);
    return TRUE;
}

// Memory allocated in another process and given back when it goes.
class RemoteMemory {
  public:
    RemoteMemory(HANDLE process, size_t size)
        : process(process), address(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteMemory() {
        if (address != nullptr) {
            ::VirtualFreeEx(process, address, 0, MEM_RELEASE);
        }
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    char* Get() const { return static_cast<char*>(address); }

  private:
    HANDLE process;
    void* address;
};

struct ProcessHandle {
    explicit ProcessHandle(HANDLE handle) : handle(handle) {}
    ~ProcessHandle() {
        if (handle != nullptr) {
            ::CloseHandle(handle);
        }
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    HANDLE handle;
};

constexpr size_t kTreeTextSize = 512;

// The text of one tree item, read through a TVITEMW and a text buffer in the owner's memory.
bool ReadTreeItemText(HWND tree, HANDLE process, char* remote, HTREEITEM item, std::string& text) {
    TVITEMW request{};
    request.mask = TVIF_TEXT | TVIF_HANDLE;
    request.hItem = item;
    request.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TVITEMW));
    request.cchTextMax = static_cast<int>(kTreeTextSize);
    SIZE_T written = 0;
    if (!::WriteProcessMemory(process, remote, &request, sizeof request, &written) || written != sizeof request) {
        return false;
    }
    LRESULT ok = 0;
    if (!Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote), &ok) || ok == 0) {
        return false;
    }
    wchar_t buffer[kTreeTextSize + 1] = {};
    SIZE_T read = 0;
    if (!::ReadProcessMemory(process, remote + sizeof(TVITEMW), buffer, kTreeTextSize * sizeof(wchar_t), &read)) {
        return false;
    }
    text = Utf8(buffer);
    return true;
}

bool ReadTreeLevel(HWND tree, HANDLE process, char* remote, HTREEITEM first, std::vector<TreeItem>& items) {
    // A tree this size is a few hundred items at most; the limit only guards against a loop.
    for (HTREEITEM item = first; item != nullptr && items.size() < 10000;) {
        TreeItem node;
        if (!ReadTreeItemText(tree, process, remote, item, node.text)) {
            return false;
        }
        // Children are added as an item is first opened, as a user opens it.
        LRESULT expanded = 0;
        Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item), &expanded);
        LRESULT child = 0;
        Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item), &child);
        if (child != 0 && !ReadTreeLevel(tree, process, remote, reinterpret_cast<HTREEITEM>(child), node.children)) {
            return false;
        }
        items.push_back(std::move(node));
        LRESULT next = 0;
        Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item), &next);
        item = reinterpret_cast<HTREEITEM>(next);
    }
    return true;
}

}  // namespace

std::vector<DWORD> FindProcesses(const std::string& exeName) {
    std::vector<DWORD> found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return found;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        if (Lower(entry.szExeFile) == Lower(exeName)) {
            found.push_back(entry.th32ProcessID);
        }
    }
    ::CloseHandle(snapshot);
    return found;
}

std::vector<TopWindow> TopWindowsOf(DWORD processId) {
    std::vector<TopWindow> all;
    ::EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&all));
    std::vector<TopWindow> result;
    for (TopWindow& window : all) {
        if (window.processId != processId) {
            continue;
        }
        window.className = ClassName(window.hwnd);
        window.caption = WindowText(window.hwnd);
        window.visible = ::IsWindowVisible(window.hwnd) != FALSE;
        result.push_back(window);
    }
    return result;
}

HWND FindPlayerWindow(DWORD& processId) {
    for (DWORD id : FindProcesses("discdeck.exe")) {
        if (HWND hwnd = PlayerWindowOf(id)) {
            processId = id;
            return hwnd;
        }
    }
    return nullptr;
}

HWND PlayerWindowOf(DWORD processId) {
    for (const TopWindow& window : TopWindowsOf(processId)) {
        if (window.className == "#32770" && ::GetDlgItem(window.hwnd, kTitleLineId) != nullptr &&
            ::GetDlgItem(window.hwnd, kListId) != nullptr) {
            return window.hwnd;
        }
    }
    return nullptr;
}

HWND FindDialog(DWORD processId, const std::string& caption) {
    for (const TopWindow& window : TopWindowsOf(processId)) {
        if (window.className == "#32770" && window.caption == caption) {
            return window.hwnd;
        }
    }
    return nullptr;
}

bool Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result, UINT timeoutMs) {
    DWORD_PTR answer = 0;
    LRESULT ok = ::SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer);
    if (result != nullptr) {
        *result = static_cast<LRESULT>(answer);
    }
    return ok != 0;
}

std::string WindowText(HWND hwnd) {
    LRESULT length = 0;
    if (hwnd == nullptr || !Send(hwnd, WM_GETTEXTLENGTH, 0, 0, &length) || length <= 0) {
        return std::string();
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    Send(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied);
    text.resize(static_cast<size_t>(std::max<LRESULT>(copied, 0)));
    return Utf8(text);
}

std::string ItemText(HWND dialog, int id) {
    return WindowText(::GetDlgItem(dialog, id));
}

std::vector<std::string> ListLines(HWND list) {
    std::vector<std::string> lines;
    LRESULT count = 0;
    if (!Send(list, LB_GETCOUNT, 0, 0, &count)) {
        return lines;
    }
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = 0;
        Send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, &length);
        std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        LRESULT copied = 0;
        Send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()), &copied);
        text.resize(static_cast<size_t>(std::max<LRESULT>(copied, 0)));
        lines.push_back(Utf8(text));
    }
    return lines;
}

bool ClickCommand(HWND dialog, int id, bool post) {
    HWND button = ::GetDlgItem(dialog, id);
    WPARAM wParam = MAKEWPARAM(id, BN_CLICKED);
    LPARAM lParam = reinterpret_cast<LPARAM>(button);
    if (post) {
        return ::PostMessageW(dialog, WM_COMMAND, wParam, lParam) != FALSE;
    }
    return Send(dialog, WM_COMMAND, wParam, lParam);
}

bool FindFacePoint(HWND hwnd, POINT& point) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    HRGN shape = ::CreateRectRgn(0, 0, 0, 0);
    bool shaped = ::GetWindowRgn(hwnd, shape) != ERROR;
    bool found = false;
    // Near the middle first: the face's edges are thin and shaped.
    const LONG cx = (client.left + client.right) / 2;
    const LONG cy = (client.top + client.bottom) / 2;
    for (LONG radius = 0; !found && radius < std::max(client.right, client.bottom); radius += 4) {
        for (LONG dy = -radius; !found && dy <= radius; dy += 4) {
            for (LONG dx = -radius; !found && dx <= radius; dx += 4) {
                if (std::max(std::labs(dx), std::labs(dy)) != radius) {
                    continue;  // only the ring of this radius
                }
                POINT p{cx + dx, cy + dy};
                if (!::PtInRect(&client, p) || (shaped && !::PtInRegion(shape, p.x, p.y))) {
                    continue;
                }
                if (::ChildWindowFromPointEx(hwnd, p, CWP_SKIPINVISIBLE) == hwnd) {
                    point = p;
                    found = true;
                }
            }
        }
    }
    ::DeleteObject(shape);
    return found;
}

bool ReadTree(HWND tree, DWORD processId, std::vector<TreeItem>& items) {
    ProcessHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (process.handle == nullptr) {
        return false;
    }
    RemoteMemory remote(process.handle, sizeof(TVITEMW) + (kTreeTextSize + 8) * sizeof(wchar_t));
    if (remote.Get() == nullptr) {
        return false;
    }
    LRESULT root = 0;
    Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0, &root);
    return ReadTreeLevel(tree, process.handle, remote.Get(), reinterpret_cast<HTREEITEM>(root), items);
}

namespace {
// Sends a message whose parameter points at a block of bytes: the block is copied into memory of the
// window's process first (a pointer means nothing in another process). Sent, so the block stays until
// the window has read it.
bool SendWithBlock(HWND window,
                   DWORD processId,
                   UINT message,
                   WPARAM wParam,
                   const std::string& block,
                   bool blockInWParam) {
    ProcessHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId));
    if (process.handle == nullptr) {
        return false;
    }
    RemoteMemory remote(process.handle, block.size());
    SIZE_T written = 0;
    if (remote.Get() == nullptr ||
        !::WriteProcessMemory(process.handle, remote.Get(), block.data(), block.size(), &written) ||
        written != block.size()) {
        return false;
    }
    const auto pointer = reinterpret_cast<UINT_PTR>(remote.Get());
    return blockInWParam ? Send(window, message, pointer, 0) : Send(window, message, wParam, pointer);
}
}  // namespace

bool DropFile(HWND window, DWORD processId, const std::string& path) {
    // The block the shell hands a drop target: DROPFILES, then the names, each ending in a zero, and
    // one more zero.
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);
    const std::wstring wide = Widen(path);
    block.append(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    block += std::string(2 * sizeof(wchar_t), '\0');
    return SendWithBlock(window, processId, WM_DROPFILES, 0, block, true);
}

bool SendDpiChanged(HWND window, DWORD processId, int dpi, const RECT& suggested) {
    constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED
    std::string block(reinterpret_cast<const char*>(&suggested), sizeof suggested);
    return SendWithBlock(window, processId, kDpiChanged, MAKEWPARAM(dpi, dpi), block, false);
}

}  // namespace discdeck::e2e
