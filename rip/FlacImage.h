#pragma once

#include <string>
#include <vector>

#include "rip/CueSheet.h"
#include "rip/FlacAudioFile.h"

namespace discdeck {

// The sheet of a FLAC disc image: the tracks and index points of its CUESHEET block (the last of
// which is the lead-out), read by the rules of any sheet, with the one file fileName; the titles
// from its Vorbis comments: ARTIST and ALBUM for the disc, CUE_TRACKnn_TITLE for track nn. Errors
// carry no line (the block has none).
CueError SheetOfFlacImage(const std::vector<FlacCueTrack>& tracks,
                          const std::vector<std::string>& comments,
                          const std::string& fileName,
                          CueSheet& sheet);

}  // namespace discdeck
