#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "rip/AudioFile.h"
#include "rip/CueSheet.h"

namespace discdeck {

// Where a sheet's data file is: name as written (relative to folder unless absolute), read as
// UTF-8 or else as single-byte text; when that is missing, the same name in another case and with
// '\' as the separator, as sheets made on Windows write them. Nothing when no such file exists.
std::optional<std::filesystem::path> FindDataFile(const std::filesystem::path& folder, const std::string& name);

// Finds and opens a data file for its audio: BINARY and MOTOROLA as they are, WAVE and FLAC by
// what the file holds (a RIFF WAVE or a FLAC stream, whichever the sheet calls it).
CueError OpenDataFile(const std::filesystem::path& folder, const CueFile& file, std::unique_ptr<AudioFile>& audio);

}  // namespace discdeck
