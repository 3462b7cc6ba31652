#pragma once

namespace discdeck {

// Moving a window without caption by dragging its face: the press point is kept in client
// coordinates and the window's top-left corner follows the mouse minus that point.
class WindowDrag {
  public:
    struct Move {
        int cursorId = 0;       // cursor to show: drag while the button is held, else normal
        bool moved = false;     // whether the window moves
        int left = 0, top = 0;  // new top-left corner in screen coordinates
    };

    WindowDrag(int normalCursor, int dragCursor) : normalCursor(normalCursor), dragCursor(dragCursor) {}

    void OnLeftButtonDown(int clientX, int clientY) {
        grabX = clientX;
        grabY = clientY;
    }
    Move OnMouseMove(int screenX, int screenY, bool leftButtonHeld) const {
        Move move;
        move.cursorId = leftButtonHeld ? dragCursor : normalCursor;
        if (leftButtonHeld) {
            move.moved = true;
            move.left = screenX - grabX;
            move.top = screenY - grabY;
        }
        return move;
    }

  private:
    int normalCursor;
    int dragCursor;
    int grabX = 0;
    int grabY = 0;
};

}  // namespace discdeck
