#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lookup/CddbHello.h"
#include "lookup/ReplyBuffer.h"

namespace discdeck {

struct HttpRequest {
    std::string server;
    uint16_t port = 0;
    std::string path;
};

struct HttpResponse {
    int status = 0;
    std::string body;
    // Why the exchange failed, in the system's words, when Get returns false (may stay empty).
    std::string error;
};

// One HTTP GET. Implementations: WinInetHttpGet in the product, fakes in the tests. The steps run
// in this order: open a session, connect, open the request, send it, ask for the status code and,
// only when the status lies in 200-299, read the body until bodyLimit bytes or its end. Returns
// false when any step fails (the caller then keeps no reply), with the reason in response.error
// where the system gives one; an answer whose status code can't be had is not a failure but
// status 0. May be called on any thread and may outlive the request's caller, so
// it must not depend on the window's thread.
class HttpGet {
  public:
    virtual ~HttpGet() = default;
    virtual bool Get(const HttpRequest& request, size_t bodyLimit, HttpResponse& response) = 0;
};

enum class WaitOutcome {
    Finished,    // the work has returned
    TimedOut,    // the work was started and runs on after the time limit
    WaitFailed,  // the work was started and runs on; the wait itself failed (message says why)
    NotStarted,  // the work never runs (message says why)
};

struct WaitResult {
    WaitOutcome outcome = WaitOutcome::Finished;
    std::string message;
};

// Starts a piece of work on a thread of its own and waits for it at most timeoutMs. A worker is
// never terminated: one that is still running when the wait ends keeps running to its own end.
// Implementations: ThreadWorkerRunner (std::thread), Win32WorkerRunner (CreateThread and
// WaitForSingleObject) in the product.
class WorkerRunner {
  public:
    virtual ~WorkerRunner() = default;
    virtual WaitResult StartAndWait(std::function<void()> work, unsigned timeoutMs) = 0;
};

// One request: what the worker needs and the reply bytes it produces. Shared by the caller and the
// worker, so a worker that outlives its caller's wait writes into its own bytes only and the last
// of the two to let go frees them.
struct CddbRequest {
    enum State : int { Running, Finished, Abandoned };

    HttpRequest http;
    std::string reply;
    // The exchange with the server failed (no connection, the request not sent, the answer broken
    // off), as opposed to an answer without a reply; failure says why when the system does.
    bool failed = false;
    std::string failure;
    std::atomic<int> state{Running};
};

// What one command brought back. A server that cannot be reached is a failure like one that does
// not answer in time, not an empty answer: the callers then say so instead of carrying on as if the
// server had found nothing.
struct CddbAnswer {
    bool answered = false;  // the server answered in time, whatever the reply
    std::string reply;      // the body of a 2xx answer, at most kReplyBufferSize bytes
    std::string failure;    // when not answered: "Timeout ...." or the system's message
};

// Sends CDDB commands to a server, each on its own worker, and hands back the answer. Keeps no
// state of a request, so it may be used from any one thread at a time (the player's exchange
// worker); SetHello only before or between exchanges.
class CddbTransport {
  public:
    static constexpr unsigned kWaitMs = 5000;
    // Workers that outlived their caller's wait and have not ended yet. When this many are still
    // running, a new command is refused as a time-out: the server has left that many requests
    // unanswered, and each would hold a thread and a connection.
    static constexpr int kMaxAbandonedWorkers = 4;

    CddbTransport(std::shared_ptr<HttpGet> http, std::unique_ptr<WorkerRunner> runner);
    ~CddbTransport();
    CddbTransport(const CddbTransport&) = delete;
    CddbTransport& operator=(const CddbTransport&) = delete;

    // Sends one command and waits at most kWaitMs for the answer. A command that can't go into a
    // request line is not sent: answered, with no reply.
    CddbAnswer Send(const std::string& command, const std::string& server, uint16_t port);

    int AbandonedWorkers() const { return abandoned->load(); }

    // The user and host that every later command's hello carries.
    void SetHello(CddbHello value) { hello = std::move(value); }

  private:
    CddbHello hello;
    std::shared_ptr<HttpGet> http;
    std::unique_ptr<WorkerRunner> runner;
    // Shared with the workers: a late worker counts itself out after the transport may be gone.
    std::shared_ptr<std::atomic<int>> abandoned;
};

// The worker's part of a request: one GET, and the body of a 2xx answer (at most
// kReplyBufferSize bytes) into the request's own reply. Any failure leaves the reply empty.
void RunCddbRequest(CddbRequest& request, HttpGet& http) noexcept;

}  // namespace discdeck
