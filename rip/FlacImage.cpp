#include "rip/FlacImage.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>

#include "sound/DiscAudio.h"

namespace discdeck {

namespace {

bool SameBlind(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

// The value of the first Vorbis comment of that name (names are case-blind), empty without one.
std::string CommentValue(const std::vector<std::string>& comments, std::string_view name) {
    for (const std::string& comment : comments) {
        const size_t equals = comment.find('=');
        if (equals != std::string::npos && SameBlind(std::string_view(comment).substr(0, equals), name)) {
            return comment.substr(equals + 1);
        }
    }
    return std::string();
}

// The sheet a CUESHEET block describes, written out so that it is read by the rules every sheet
// follows. Positions in samples become frames of 588 samples.
std::string SheetTextOf(const std::vector<FlacCueTrack>& tracks) {
    std::string text = "FILE \"image\" FLAC\n";
    // The block's last track is the lead-out, which the file's length gives.
    for (size_t t = 0; t + 1 < tracks.size(); ++t) {
        const FlacCueTrack& track = tracks[t];
        text += "TRACK " + std::to_string(track.number) + (track.audio ? " AUDIO\n" : " MODE1/2352\n");
        for (const auto& [number, offset] : track.indices) {
            text += "INDEX " + std::to_string(number) + " " + CueTimeText((track.offset + offset) / kSamplesPerFrame) +
                    "\n";
        }
    }
    return text;
}

}  // namespace

CueError SheetOfFlacImage(const std::vector<FlacCueTrack>& tracks,
                          const std::vector<std::string>& comments,
                          const std::string& fileName,
                          CueSheet& sheet) {
    CueError error = ParseCueSheet(SheetTextOf(tracks), sheet);
    // The lines are those of the text made here, which mean nothing to the user.
    error.line = 0;
    if (!error.Ok()) {
        return error;
    }
    sheet.files.front().name = fileName;
    sheet.files.front().line = 0;
    for (CueTrack& track : sheet.tracks) {
        track.line = 0;
        char name[32];
        std::snprintf(name, sizeof name, "CUE_TRACK%02u_TITLE", static_cast<unsigned>(track.number));
        track.title = CommentValue(comments, name);
    }
    sheet.performer = CommentValue(comments, "ARTIST");
    sheet.title = CommentValue(comments, "ALBUM");
    return {};
}

}  // namespace discdeck
