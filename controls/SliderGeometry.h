#pragma once

#include <optional>

namespace discdeck {

// Codes of the slider's seek report, the first parameter of its notify message: the trackbar's
// thumb-track code while the position moves, its thumb-position code at the release.
constexpr int kSeekMoving = 5;
constexpr int kSeekReleased = 4;

// Left edge of the slider's thumb for a position: the track's width W spread over the range, the
// scale taken in double precision and the product truncated toward zero. pos = max puts the thumb
// at W, just past the drawn area. An empty or inverted range has no thumb (nullopt): the scale
// would divide by zero.
std::optional<int> ThumbLeft(int pos, int min, int max, int width);

// Position for a click or drag at client x in a control of the given client width: the integer
// step q = (max - min) / width is taken before the multiplication, so a range narrower than the
// control always gives min, and a click inside the control never reaches max. Positions outside
// the range become min. A control without width gives nullopt (the click is ignored).
std::optional<int> PositionFromPoint(int x, int min, int max, int width);

}  // namespace discdeck
