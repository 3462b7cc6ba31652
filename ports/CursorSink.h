#pragma once

namespace discdeck {

// Sets the mouse cursor to one of the program's cursor resources (207 busy, 209 normal, 212 drag).
class CursorSink {
  public:
    virtual ~CursorSink() = default;
    virtual void SetCursorResource(int resourceId) = 0;
};

}  // namespace discdeck
