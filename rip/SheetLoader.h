#pragma once

#include <memory>
#include <string>

#include "cdaudio/DiscTable.h"
#include "rip/CueSheet.h"
#include "sound/DiscAudio.h"

namespace discdeck {

// Reads, parses and lays out a sheet file; data file names are relative to the sheet's folder and
// found case-blind when the exact name is missing. audio, when given, receives the disc's sound
// (the last file may be missing when REM LEADOUT states its length: it sounds as silence then).
// A FLAC file in place of the sheet is a disc image with its sheet in its CUESHEET block and the
// titles in its Vorbis comments (ARTIST, ALBUM, CUE_TRACKnn_TITLE); without the block it is refused.
CueError LoadCueSheet(const std::string& path,
                      CueSheet& sheet,
                      SimulatedDisc& disc,
                      std::unique_ptr<DiscAudio>* audio = nullptr);

}  // namespace discdeck
