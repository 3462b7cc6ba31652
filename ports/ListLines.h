#pragma once

#include <string>

namespace discdeck {

// Read access to the lines of a list box (the player's report list).
class ListLines {
  public:
    virtual ~ListLines() = default;
    virtual int GetLineCount() const = 0;
    virtual std::string GetLineText(int index) const = 0;
};

}  // namespace discdeck
