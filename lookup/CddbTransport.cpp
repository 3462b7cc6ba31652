#include "lookup/CddbTransport.h"

#include <utility>

#include "lookup/CddbCommands.h"

namespace discdeck {

namespace {
constexpr const char* kTimeoutText = "Timeout ....";
// For a failed exchange whose cause the system does not put into words.
constexpr const char* kNoConnectionText = "No connection ....";

CddbAnswer Failed(std::string why) {
    CddbAnswer answer;
    answer.failure = std::move(why);
    return answer;
}
}  // namespace

void RunCddbRequest(CddbRequest& request, HttpGet& http) noexcept {
    request.reply.clear();
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
        response.body.resize(std::min(response.body.size(), kReplyBufferSize));
        request.reply = std::move(response.body);
    } catch (...) {
        // An exception must not leave a worker thread: it would end the process.
        request.reply.clear();
        request.failed = true;
    }
}

CddbTransport::CddbTransport(std::shared_ptr<HttpGet> http, std::unique_ptr<WorkerRunner> runner)
    : http(std::move(http)), runner(std::move(runner)), abandoned(std::make_shared<std::atomic<int>>(0)) {}

CddbTransport::~CddbTransport() = default;

CddbAnswer CddbTransport::Send(const std::string& command, const std::string& server, uint16_t port) {
    auto request = std::make_shared<CddbRequest>();
    if (!BuildObjectPath(command, request->http.path, hello)) {
        CddbAnswer unsent;
        unsent.answered = true;
        return unsent;
    }
    request->http.server = server;
    request->http.port = port;

    if (abandoned->load() >= kMaxAbandonedWorkers) {
        return Failed(kTimeoutText);
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
            return Failed(request->failure.empty() ? std::string(kNoConnectionText) : request->failure);
        }
        CddbAnswer answer;
        answer.answered = true;
        answer.reply = std::move(request->reply);
        return answer;
    }
    if (result.outcome == WaitOutcome::NotStarted) {
        return Failed(result.message);
    }
    // The worker runs on: count it as abandoned unless it has just finished after all.
    abandoned->fetch_add(1);
    int expected = CddbRequest::Running;
    if (!request->state.compare_exchange_strong(expected, CddbRequest::Abandoned)) {
        abandoned->fetch_sub(1);
    }
    return Failed(result.outcome == WaitOutcome::WaitFailed ? result.message : std::string(kTimeoutText));
}

}  // namespace discdeck
