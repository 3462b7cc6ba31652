#pragma once

#include "cdaudio/DiscTable.h"

namespace discdeck {

// The demo disc of demo/demo.cue (track starts plus the two-second pregap): ten audio tracks,
// disc id 8409a30a.
inline SimulatedDisc DemoDisc() {
    return MakeAudioDisc({{0, 2, 0},
                          {3, 43, 15},
                          {8, 0, 2},
                          {12, 22, 60},
                          {16, 7, 33},
                          {20, 49, 8},
                          {24, 14, 71},
                          {28, 41, 45},
                          {32, 57, 20},
                          {37, 32, 0}},
                         {41, 9, 40});
}

}  // namespace discdeck
