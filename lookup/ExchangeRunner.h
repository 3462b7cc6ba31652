#pragma once

#include <functional>
#include <string>

namespace discdeck {

// Runs a CDDB exchange beside the window: work on a thread of its own, then done on the window's
// thread, so the window never waits for a server. done is dropped unrun when the window has gone
// by the time work ends; the process may end while work still runs, so work holds its own copies
// of all it uses. Implementations: PostingExchangeRunner (a thread that posts done to the window)
// in the product, a fake that delivers when the test says in tests.
class ExchangeRunner {
  public:
    virtual ~ExchangeRunner() = default;
    // False when no thread could be started (message says why): neither function then runs.
    virtual bool Start(std::function<void()> work, std::function<void()> done, std::string& message) = 0;
};

}  // namespace discdeck
