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

// The outline of the player window (its bitmaps, cursors and icons are numbered in res/resource.h).
constexpr const char* kRegionResourceName = "CDDB";
constexpr const char* kRegionResourceType = "REGION";

}  // namespace discdeck
