#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "lookup/CddbTransport.h"
#include "lookup/ThreadWorkerRunner.h"
#include "ports/TextSink.h"

namespace discdeck::testing {

// Holds a fake request inside Get until the test opens it.
class Gate {
  public:
    void Pass() {
        std::unique_lock<std::mutex> lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [&] { return open; });
    }
    void Open() {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
    void WaitEntered() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return entered; });
    }

  private:
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool open = false;
};

struct FakeAnswer {
    bool ok = true;     // false: the exchange fails after producing status and body
    std::string error;  // the failure's text, when ok is false
    int status = 200;
    std::string body;
    std::shared_ptr<Gate> gate;
    bool throws = false;
};

inline FakeAnswer Answer(std::string body, int status = 200) {
    FakeAnswer answer;
    answer.status = status;
    answer.body = std::move(body);
    return answer;
}

// Answers requests from a script, in order; an empty script fails the exchange. Like a careless
// HTTP layer it hands back bodies of any status and any length, so the transport's own limits are
// what the tests see.
class FakeHttpGet : public HttpGet {
  public:
    void Push(FakeAnswer answer) {
        std::lock_guard<std::mutex> lock(mutex);
        script.push_back(std::move(answer));
    }
    bool Get(const HttpRequest& request, size_t bodyLimit, HttpResponse& response) override {
        FakeAnswer answer;
        {
            std::lock_guard<std::mutex> lock(mutex);
            requests.push_back(request);
            limits.push_back(bodyLimit);
            if (script.empty()) {
                return false;
            }
            answer = script.front();
            script.pop_front();
        }
        if (answer.gate) {
            answer.gate->Pass();
        }
        if (answer.throws) {
            throw std::runtime_error("fake transport broke");
        }
        response.status = answer.status;
        response.body = answer.body;
        if (!answer.ok) {
            response.error = answer.error;
        }
        return answer.ok;
    }
    std::vector<HttpRequest> Requests() {
        std::lock_guard<std::mutex> lock(mutex);
        return requests;
    }
    std::vector<size_t> Limits() {
        std::lock_guard<std::mutex> lock(mutex);
        return limits;
    }

  private:
    std::mutex mutex;
    std::deque<FakeAnswer> script;
    std::vector<HttpRequest> requests;
    std::vector<size_t> limits;
};

// Runs the work on the caller's thread: deterministic look-ups without threads.
class InlineRunner : public WorkerRunner {
  public:
    WaitResult StartAndWait(std::function<void()> work, unsigned timeoutMs) override {
        requestedMs.push_back(timeoutMs);
        work();
        return {WaitOutcome::Finished, {}};
    }
    std::vector<unsigned> requestedMs;
};

// Real threads, with the wait shortened to nothing when the test wants a time-out: a gated fake
// request is then certain to be still running when the wait ends.
class ShortWaitRunner : public WorkerRunner {
  public:
    WaitResult StartAndWait(std::function<void()> work, unsigned timeoutMs) override {
        requestedMs.push_back(timeoutMs);
        const unsigned wait = expireNext ? 0 : timeoutMs;
        expireNext = false;
        return threads.StartAndWait(std::move(work), wait);
    }
    bool expireNext = false;
    std::vector<unsigned> requestedMs;

  private:
    ThreadWorkerRunner threads;
};

// Reports a scripted outcome, running the work first when it would have been started.
class ScriptedRunner : public WorkerRunner {
  public:
    explicit ScriptedRunner(WaitResult result) : result(std::move(result)) {}
    WaitResult StartAndWait(std::function<void()> work, unsigned) override {
        if (result.outcome != WaitOutcome::NotStarted) {
            work();
        }
        return result;
    }

  private:
    WaitResult result;
};

class RecordingTextSink : public TextSink {
  public:
    void SetText(const std::string& value) override { text = value; }
    std::string text = "untouched";
};

// Waits (without asserting on time) until every abandoned worker has ended; fails after a
// generous bound so a broken transport cannot hang the suite.
inline bool WaitForAbandonedWorkers(const CddbTransport& transport) {
    for (int i = 0; i < 20000 && transport.AbandonedWorkers() > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return transport.AbandonedWorkers() == 0;
}

}  // namespace discdeck::testing
