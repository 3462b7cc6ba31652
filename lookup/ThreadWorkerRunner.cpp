#include "lookup/ThreadWorkerRunner.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace discdeck {

namespace {
// Outlives the waiting caller when the work runs late.
struct Completion {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
};
}  // namespace

WaitResult ThreadWorkerRunner::StartAndWait(std::function<void()> work, unsigned timeoutMs) {
    auto completion = std::make_shared<Completion>();
    try {
        std::thread([completion, work = std::move(work)]() {
            try {
                work();
            } catch (...) {
                // Nothing may leave the thread; the work reports its own failures.
            }
            std::lock_guard<std::mutex> lock(completion->mutex);
            completion->finished = true;
            completion->done.notify_all();
        }).detach();
    } catch (const std::system_error& error) {
        return {WaitOutcome::NotStarted, error.what()};
    }
    std::unique_lock<std::mutex> lock(completion->mutex);
    if (completion->done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return completion->finished; })) {
        return {WaitOutcome::Finished, {}};
    }
    return {WaitOutcome::TimedOut, {}};
}

}  // namespace discdeck
