#include "controls/SkinScale.h"

#include <algorithm>

#include "res/resource.h"

namespace discdeck {

int SkinScaleForDpi(int dpi) {
    const int factor = (dpi + kBaseDpi / 2) / kBaseDpi;
    return std::clamp(factor, 1, kMaxSkinScale);
}

int FitSkinScale(int wanted, int faceWidth, int faceHeight, int workWidth, int workHeight) {
    int factor = std::clamp(wanted, 1, kMaxSkinScale);
    if (workWidth <= 0 || workHeight <= 0) {
        return factor;
    }
    while (factor > 1 && (faceWidth * factor > workWidth || faceHeight * factor > workHeight)) {
        --factor;
    }
    return factor;
}

BandRect ScaleRect(const BandRect& rect, int factor) {
    return BandRect{rect.left * factor, rect.top * factor, rect.right * factor, rect.bottom * factor};
}

RegionBlock ScaleRegion(const RegionBlock& block, int factor) {
    RegionBlock scaled;
    scaled.bounds = ScaleRect(block.bounds, factor);
    scaled.rects.reserve(block.rects.size());
    for (const BandRect& rect : block.rects) {
        scaled.rects.push_back(ScaleRect(rect, factor));
    }
    return scaled;
}

namespace {
constexpr ControlPlace Place(int id, int left, int top, int width, int height) {
    return ControlPlace{id, BandRect{left, top, left + width, top + height}};
}
}  // namespace

// Where Windows put the controls of dialog 102 at 96 DPI with its font, MS Sans Serif 8 (base units
// 6 x 13), when the face and the outline were drawn around them (res/art/layout.py). The window is
// laid out from these pixels, so a missing font or another DPI no longer moves anything.
const ControlPlace kPlayerControlPlaces[kPlayerControlCount] = {
    Place(IDC_REPORT_LIST, 116, 135, 405, 242), Place(IDC_CDDB_HELP, 41, 63, 42, 24),
    Place(IDC_VERSION, 29, 180, 63, 24),        Place(IDC_SITES, 38, 101, 42, 23),
    Place(IDC_STAT, 33, 141, 53, 24),           Place(IDC_MOTD, 23, 258, 72, 23),
    Place(IDC_DATABASE, 39, 362, 47, 24),       Place(IDC_SERVER, 171, 111, 227, 20),
    Place(IDC_PORT, 467, 111, 48, 20),          Place(IDC_CATEGORIES, 20, 221, 75, 23),
    Place(IDC_LOOKUP, 26, 293, 66, 23),         Place(IDC_DISC_ID, 381, 431, 140, 21),
    Place(IDC_CATEGORY, 381, 403, 140, 20),     Place(IDC_LYRICS, 32, 327, 56, 24),
    Place(IDC_SAVE_LIST, 558, 533, 84, 28),     Place(IDC_ANIMATION, 567, 322, 65, 62),
    Place(IDC_PLAY, 257, 486, 41, 26),          Place(IDC_STOP, 347, 486, 41, 26),
    Place(IDC_PAUSE, 299, 486, 41, 26),         Place(IDC_REWIND, 200, 486, 41, 26),
    Place(IDC_FORWARD, 443, 486, 41, 26),       Place(IDC_EXIT, 515, 46, 17, 16),
    Place(IDC_HIDE, 474, 46, 17, 16),           Place(IDC_EJECT, 395, 486, 41, 26),
    Place(IDC_ABOUT, 495, 46, 17, 16),          Place(IDC_SLIDER, 192, 517, 297, 20),
    Place(IDC_TITLE_LINE, 114, 380, 407, 20),   Place(IDC_REPEAT_TRACK, 140, 80, 101, 24),
    Place(IDC_REPEAT_DISC, 249, 80, 86, 24),    Place(IDC_RANDOM, 345, 80, 74, 24),
    Place(IDC_SAMPLE, 419, 80, 84, 24)};

}  // namespace discdeck
