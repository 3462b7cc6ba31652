#include "lookup/win/WinInetHttpGet.h"

#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <utility>

namespace discdeck {

namespace {

// Owner of one internet handle.
class InternetHandle {
  public:
    explicit InternetHandle(HINTERNET handle = nullptr) : handle(handle) {}
    ~InternetHandle() { Reset(); }
    InternetHandle(InternetHandle&& other) noexcept : handle(std::exchange(other.handle, nullptr)) {}
    InternetHandle& operator=(InternetHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle = std::exchange(other.handle, nullptr);
        }
        return *this;
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET Get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }
    void Reset() {
        if (handle != nullptr) {
            InternetCloseHandle(handle);
            handle = nullptr;
        }
    }

  private:
    HINTERNET handle;
};

void SetTimeouts(HINTERNET handle) {
    DWORD connect = WinInetHttpGet::kConnectTimeoutMs;
    DWORD send = WinInetHttpGet::kSendTimeoutMs;
    DWORD receive = WinInetHttpGet::kReceiveTimeoutMs;
    InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
    InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

// The text of the thread's last error. WinINet's own codes (12000 and up) have their texts in
// wininet.dll, not in the system's table
// (https://learn.microsoft.com/windows/win32/wininet/wininet-errors).
std::string LastErrorText() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  GetModuleHandleA("wininet.dll"), code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result(text != nullptr ? text : "", length);
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ')) {
        result.pop_back();
    }
    return result;
}

}  // namespace

WinInetHttpGet::WinInetHttpGet(std::string userAgent) : userAgent(std::move(userAgent)) {}

bool WinInetHttpGet::Get(const HttpRequest& request, size_t bodyLimit, HttpResponse& response) {
    InternetHandle root(InternetOpenA(userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root) {
        response.error = LastErrorText();
        return false;
    }
    // Set on the session so the connection and request inherit them, and again on the request.
    SetTimeouts(root.Get());
    InternetHandle connection(InternetConnectA(root.Get(), request.server.c_str(), request.port, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection) {
        response.error = LastErrorText();
        return false;
    }
    // RELOAD, NO_CACHE_WRITE and PRAGMA_NOCACHE: a stale answer must never come from the cache.
    // NO_AUTO_REDIRECT: a redirect is an answer outside 200-299, never a request to another host.
    const DWORD flags = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    InternetHandle file(
        HttpOpenRequestA(connection.Get(), "GET", request.path.c_str(), "HTTP/1.0", nullptr, nullptr, flags, 1));
    if (!file) {
        response.error = LastErrorText();
        return false;
    }
    SetTimeouts(file.Get());
    if (!HttpSendRequestA(file.Get(), nullptr, 0, nullptr, 0)) {
        response.error = LastErrorText();
        return false;
    }
    // The server has answered; an answer without a status code is one without a reply (status 0),
    // like an answer outside 200-299, not a failed exchange.
    char statusText[32] = {};
    DWORD statusLength = sizeof statusText - 1;
    long status = 0;
    if (HttpQueryInfoA(file.Get(), HTTP_QUERY_STATUS_CODE, statusText, &statusLength, nullptr)) {
        status = std::strtol(statusText, nullptr, 10);
    }
    response.status = static_cast<int>(status);
    response.body.clear();
    if (status >= 200 && status <= 299) {
        // One read may return less than is available: read until the limit or the end of the body.
        response.body.resize(bodyLimit);
        size_t received = 0;
        while (received < bodyLimit) {
            DWORD count = 0;
            if (!InternetReadFile(file.Get(), &response.body[received], static_cast<DWORD>(bodyLimit - received),
                                  &count)) {
                response.body.clear();
                response.error = LastErrorText();
                return false;
            }
            if (count == 0) {
                break;
            }
            received += count;
        }
        response.body.resize(received);
    }
    // Children before their parents, as InternetCloseHandle asks
    // (https://learn.microsoft.com/windows/win32/wininet/appendix-a-hinternet-handles).
    file.Reset();
    connection.Reset();
    root.Reset();
    return true;
}

}  // namespace discdeck
