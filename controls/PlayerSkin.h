#pragma once

#include "controls/ButtonLogic.h"

namespace discdeck {

// One skinned button of the player window: its control id and the strip it draws from.
struct PlayerButtonSkin {
    int controlId;
    ButtonSkin skin;
};

constexpr int kPlayerButtonCount = 23;
extern const PlayerButtonSkin kPlayerButtonSkins[kPlayerButtonCount];

// Height of a strip bitmap of the player's skin (frame heights may be larger).
int PlayerStripHeight(int bitmapId);

// Bitmaps, cursors and the outline of the player window's skin.
constexpr int kFaceBitmap = 162;
constexpr int kThumbBitmap = 254;
constexpr int kTrackBitmap = 255;
constexpr int kPlayerIcon = 215;
constexpr int kBusyCursor = 207;
constexpr int kNormalCursor = 209;
constexpr int kDragCursor = 212;
constexpr const char* kRegionResourceName = "CDDB";
constexpr const char* kRegionResourceType = "REGION";

}  // namespace discdeck
