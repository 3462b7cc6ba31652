#pragma once

#include <string>

namespace discdeck {

// Something that shows one line of text: the player's title line, used as the status window of
// CDDB requests.
class TextSink {
  public:
    virtual ~TextSink() = default;
    virtual void SetText(const std::string& text) = 0;
};

}  // namespace discdeck
