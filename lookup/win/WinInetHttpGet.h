#pragma once

#include <string>

#include "lookup/CddbTransport.h"

namespace discdeck {

// HTTP GET through the Windows Internet functions, one session and connection per request. The
// answer never comes from the internet cache, redirects are not followed, and every handle gets
// connect, send and receive time-outs so a request whose caller stopped waiting still ends.
class WinInetHttpGet : public HttpGet {
  public:
    static constexpr unsigned long kConnectTimeoutMs = 10000;
    static constexpr unsigned long kSendTimeoutMs = 10000;
    static constexpr unsigned long kReceiveTimeoutMs = 10000;

    // userAgent: the application's name.
    explicit WinInetHttpGet(std::string userAgent);
    bool Get(const HttpRequest& request, size_t bodyLimit, HttpResponse& response) override;

  private:
    std::string userAgent;
};

}  // namespace discdeck
