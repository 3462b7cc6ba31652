#pragma once

#include <string>

namespace discdeck {

// Modal message boxes with an OK button. An empty caption means the application's own caption.
class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& text, const std::string& caption = std::string()) = 0;
};

}  // namespace discdeck
