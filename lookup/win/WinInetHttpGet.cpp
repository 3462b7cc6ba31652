#include "lookup/win/WinInetHttpGet.h"

#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <utility>

#include "lookup/win/SystemMessage.h"

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

// The text of the thread's last error, looked up in WinINet's own messages first.
std::string LastErrorText() {
    return SystemMessageText(GetLastError(), GetModuleHandleA("wininet.dll"));
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
        // A server that closes the connection before the length it announced has broken the
        // answer off: half a reply must not be taken for a whole one.
        DWORD announced = 0;
        DWORD size = sizeof announced;
        if (received < bodyLimit &&
            HttpQueryInfoA(file.Get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size,
                           nullptr) &&
            received < announced) {
            response.body.clear();
            response.error = SystemMessageText(ERROR_INTERNET_CONNECTION_RESET, GetModuleHandleA("wininet.dll"));
            return false;
        }
    }
    // Children before their parents, as InternetCloseHandle asks
    // (https://learn.microsoft.com/windows/win32/wininet/appendix-a-hinternet-handles).
    file.Reset();
    connection.Reset();
    root.Reset();
    return true;
}

}  // namespace discdeck
