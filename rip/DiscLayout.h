#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "cdaudio/DiscTable.h"
#include "rip/CueSheet.h"

namespace discdeck {

// Length of a data file's contents in bytes: for a raw file its size, for WAVE and FLAC the bytes
// its samples take as CD audio (4 a sample); nothing when it cannot be read.
using DataFileSize = std::function<std::optional<uint64_t>(const CueFile&)>;

// A stretch of audio on the disc and where its sound lies in a data file.
struct AudioSpan {
    uint32_t startFrame = 0;  // absolute
    uint32_t frames = 0;
    size_t file = 0;          // index into CueSheet::files
    uint64_t fileOffset = 0;  // bytes from the start of the file's contents
};

// Lays the sheet out as a drive would report it: the files follow one another from the two-second
// pregap on, with PREGAP and POSTGAP silence between tracks; a track starts at its INDEX 01. A
// file's length in frames follows from its contents (REM LEADOUT gives the last file's length
// without looking at it): whole sectors of a raw image, every sample of a WAVE or FLAC file, its last
// frame filled up with silence. audio, when given, receives the stretches of audio tracks in the files.
CueError LayOutDisc(const CueSheet& sheet,
                    const DataFileSize& fileSize,
                    SimulatedDisc& disc,
                    std::vector<AudioSpan>* audio = nullptr);

}  // namespace discdeck
