#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cdaudio/CdAudioDevice.h"

namespace discdeck {

// The texts the player window shows, built from the device's counters. Kept apart from the
// controller so that the exact formats can be checked (and fuzzed) on their own.

// Name of an MCI mode as the report's "Mode:" line shows it; "not define" for 0 (a failed query)
// and any number that is not a mode.
const char* ModeName(uint32_t mode);

// "Track %02d: %02d:%02d %-90.90s": number, length in minutes and seconds, title padded or cut to
// 90 characters.
std::string FormatTrackLine(uint32_t track, uint32_t lengthMs, const std::string& title);

// Title line while playing: track, elapsed and remaining time of the track, disc position and time
// left on the disc.
std::string FormatTrackTimes(const CdAudioDevice& device);
// Title line while the slider is dragged: the same times without the track number.
std::string FormatSeekTimes(const CdAudioDevice& device);
// Caption while playing: remaining time of the track and the track number.
std::string FormatCaption(const CdAudioDevice& device);

// Longest line the reply display and the list double-click look at.
constexpr size_t kMaxLineLength = 255;

// Splits a CDDB reply into the lines the list shows. The text ends at its first zero byte. A line
// feed or a bell ends a line; "`.'" not followed by ")" ends the whole display (the unfinished line
// is dropped); bytes 32 to 127 are kept, all others dropped; a line keeps at most kMaxLineLength
// characters; text after the last line end is not shown.
std::vector<std::string> SplitReplyLines(std::string_view reply);

// The track a report line names, for the list double-click: nullopt when the line (its first
// kMaxLineLength characters) does not contain "Track"; otherwise the two digits after "Track " (the
// seventh and eighth characters), or 0 - which plays nothing - when those are not digits.
std::optional<uint32_t> TrackNumberOfLine(const std::string& line);

// Why a sheet cannot be played, for the report: "Cannot play album.cue: line 12: ..." with the
// sheet's file name (its folder left out, "/" or "\\" separated) and the description of the error.
std::string FormatSheetRefusal(const std::string& sheetPath, const std::string& reason);

}  // namespace discdeck
