#include "controls/PlayerSkin.h"

#include "res/resource.h"

namespace discdeck {

namespace {
constexpr ButtonSkin Push(int strip, int width, int height) {
    return ButtonSkin{strip, 0, 3, width, height, kPushButton};
}
constexpr ButtonSkin Toggle(int strip, int width) {
    return ButtonSkin{strip, 0, 2, width, 16, kToggleButton};
}
}  // namespace

// The height column is the area drawn: the server column's buttons draw 26 rows from 15-row strips.
// Strips are named by their resource numbers (res/discdeck.rc).
const PlayerButtonSkin kPlayerButtonSkins[kPlayerButtonCount] = {
    {IDC_PLAY, Push(238, 24, 26)},       {IDC_STOP, Push(236, 28, 26)},       {IDC_PAUSE, Push(241, 34, 26)},
    {IDC_REWIND, Push(239, 42, 26)},     {IDC_FORWARD, Push(237, 47, 26)},    {IDC_EJECT, Push(240, 30, 26)},
    {IDC_CDDB_HELP, Push(244, 30, 26)},  {IDC_VERSION, Push(1004, 50, 26)},   {IDC_SITES, Push(1005, 34, 26)},
    {IDC_STAT, Push(1006, 44, 26)},      {IDC_MOTD, Push(246, 63, 26)},       {IDC_DATABASE, Push(247, 33, 26)},
    {IDC_CATEGORIES, Push(243, 70, 26)}, {IDC_LOOKUP, Push(250, 62, 26)},     {IDC_LYRICS, Push(1019, 47, 26)},
    {IDC_SAVE_LIST, Push(247, 33, 26)},  {IDC_ABOUT, Push(1003, 11, 13)},     {IDC_EXIT, Push(234, 11, 13)},
    {IDC_HIDE, Push(232, 11, 13)},       {IDC_REPEAT_TRACK, Toggle(258, 98)}, {IDC_REPEAT_DISC, Toggle(259, 86)},
    {IDC_RANDOM, Toggle(260, 62)},       {IDC_SAMPLE, Toggle(257, 64)},
};

int PlayerStripHeight(int bitmapId) {
    if (bitmapId >= 236 && bitmapId <= 241) {
        return 26;
    }
    if (bitmapId == 232 || bitmapId == 234 || bitmapId == 1003) {
        return 13;
    }
    if (bitmapId >= 257 && bitmapId <= 260) {
        return 16;
    }
    return 15;
}

}  // namespace discdeck
