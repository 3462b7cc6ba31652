#include "controls/PlayerSkin.h"

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
const PlayerButtonSkin kPlayerButtonSkins[kPlayerButtonCount] = {
    {1032, Push(238, 24, 26)},  {1033, Push(236, 28, 26)},  {1034, Push(241, 34, 26)},  {1035, Push(239, 42, 26)},
    {1036, Push(237, 47, 26)},  {1039, Push(240, 30, 26)},  {1003, Push(244, 30, 26)},  {1004, Push(1004, 50, 26)},
    {1005, Push(1005, 34, 26)}, {1006, Push(1006, 44, 26)}, {1007, Push(246, 63, 26)},  {1008, Push(247, 33, 26)},
    {1013, Push(243, 70, 26)},  {1015, Push(250, 62, 26)},  {1019, Push(1019, 47, 26)}, {1029, Push(247, 33, 26)},
    {1040, Push(1003, 11, 13)}, {1037, Push(234, 11, 13)},  {1038, Push(232, 11, 13)},  {1051, Toggle(258, 98)},
    {1052, Toggle(259, 86)},    {1053, Toggle(260, 62)},    {1054, Toggle(257, 64)},
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
