#pragma once

#include "controls/ButtonLogic.h"
#include "controls/RegionBlock.h"

namespace discdeck {

// The player's skin is drawn for 96 DPI. On denser screens everything (face, outline, buttons,
// slider, control places) is multiplied by one whole factor, so bitmaps can be enlarged pixel for
// pixel and every control keeps its exact place on the face.

constexpr int kBaseDpi = 96;
// More than this would ask for bitmaps of hundreds of megabytes.
constexpr int kMaxSkinScale = 8;

// Factor for a screen of this many dots per inch: the nearest whole multiple of 96, at least 1
// (1 up to 143, 2 from 144 to 239, 3 from 240 to 335, and so on).
int SkinScaleForDpi(int dpi);

// The largest factor up to `wanted` at which a face of faceWidth x faceHeight still fits a work area
// of workWidth x workHeight; at least 1. A work area of zero size (unknown) limits nothing.
int FitSkinScale(int wanted, int faceWidth, int faceHeight, int workWidth, int workHeight);

BandRect ScaleRect(const BandRect& rect, int factor);
// Every band and the bounds multiplied: the scaled outline covers exactly the scaled pixels.
RegionBlock ScaleRegion(const RegionBlock& block, int factor);

// A control of the player window at 96 DPI, in window pixels: the place the skin was drawn around.
struct ControlPlace {
    int controlId;
    BandRect rect;
};

constexpr int kPlayerControlCount = 31;
extern const ControlPlace kPlayerControlPlaces[kPlayerControlCount];
// The player window's size at 96 DPI (the face and outline are smaller: what lies beyond them is
// cut off by the outline).
constexpr int kPlayerWindowWidth = 657;
constexpr int kPlayerWindowHeight = 588;
// The outline's bounds at 96 DPI: what has to fit on the screen.
constexpr int kOutlineWidth = 570;
constexpr int kOutlineHeight = 566;

// Height of the text of the list, the fields and the title line at 96 DPI: 8 points.
constexpr int kSkinFontHeight = 11;

// The slider's picture (track and thumb) stands this many 96-DPI pixels below the control's top.
constexpr int kSliderPictureTop = 3;

}  // namespace discdeck
