#include "lookup/CddbTransport.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "lookup/CddbCommands.h"
#include "ports/TextSink.h"

namespace discdeck {

namespace {
constexpr const char* kTimeoutText = "Timeout ....";
// For a failed exchange whose cause the system does not put into words.
constexpr const char* kNoConnectionText = "No connection ....";

void ShowStatus(TextSink* status, const std::string& text) {
    if (status != nullptr) {
        status->SetText(text);
    }
}
}  // namespace

void RunCddbRequest(CddbRequest& request, HttpGet& http) noexcept {
    request.length = 0;
    request.failed = false;
    try {
        HttpResponse response;
        if (!http.Get(request.http, kReplyBufferSize, response)) {
            request.failed = true;
            request.failure = std::move(response.error);
            return;
        }
        if (response.status < 200 || response.status > 299) {
            return;
        }
        const size_t length = std::min(response.body.size(), kReplyBufferSize);
        std::memcpy(request.reply.data(), response.body.data(), length);
        request.length = length;
    } catch (...) {
        // An exception must not leave a worker thread: it would end the process.
        request.length = 0;
        request.failed = true;
    }
}

CddbTransport::CddbTransport(std::shared_ptr<HttpGet> http, std::unique_ptr<WorkerRunner> runner)
    : http(std::move(http)), runner(std::move(runner)), abandoned(std::make_shared<std::atomic<int>>(0)) {}

CddbTransport::~CddbTransport() = default;

int CddbTransport::Send(const std::string& command,
                        const std::string& server,
                        uint16_t port,
                        TextSink* status,
                        char* reply) {
    std::memset(reply, 0, kReplyBufferSize);

    auto request = std::make_shared<CddbRequest>();
    if (!BuildObjectPath(command, request->http.path, hello)) {
        return 0;  // a command that can't go into a request line is not sent: no reply
    }
    request->http.server = server;
    request->http.port = port;

    if (abandoned->load() >= kMaxAbandonedWorkers) {
        ShowStatus(status, kTimeoutText);
        return -1;
    }

    auto work = [request, http = http, abandoned = abandoned]() {
        RunCddbRequest(*request, *http);
        int expected = CddbRequest::Running;
        if (!request->state.compare_exchange_strong(expected, CddbRequest::Finished)) {
            abandoned->fetch_sub(1);  // the caller gave up on this one and counted it
        }
    };
    const WaitResult result = runner->StartAndWait(std::move(work), kWaitMs);

    if (result.outcome == WaitOutcome::Finished && request->state.load() == CddbRequest::Finished) {
        if (request->failed) {
            ShowStatus(status, request->failure.empty() ? std::string(kNoConnectionText) : request->failure);
            return -1;
        }
        std::memcpy(reply, request->reply.data(), request->length);
        return 0;
    }
    if (result.outcome == WaitOutcome::NotStarted) {
        ShowStatus(status, result.message);
        return -1;
    }
    // The worker runs on: count it as abandoned unless it has just finished after all.
    abandoned->fetch_add(1);
    int expected = CddbRequest::Running;
    if (!request->state.compare_exchange_strong(expected, CddbRequest::Abandoned)) {
        abandoned->fetch_sub(1);
    }
    ShowStatus(status, result.outcome == WaitOutcome::WaitFailed ? result.message : std::string(kTimeoutText));
    return -1;
}

}  // namespace discdeck
