// Arbitrary server reply bytes through the player's reply display, and the words and track numbers
// a list double-click reads from the lines it shows.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/PlayerController.h"
#include "app/PlayerTexts.h"
#include "app/tests/PlayerTestSupport.h"

namespace {

using namespace discdeck;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ManualClock clock;
    static SimulatedDrive drive(clock);  // empty: the device reads no disc
    static CdAudioDevice device(drive);
    static testing_support::MemoryProfile profile;
    static PosixFilePort files;
    static DiscDatabase database(files, "/nonexistent");
    static DiscExport exports(files, "/nonexistent");
    testing_support::RecordingView view;
    PlayerController player(view, device, profile, database, exports);

    const std::string reply(reinterpret_cast<const char*>(data), size);
    view.AddLine("before", kWhite);
    player.ShowReply(reply);

    if (reply.empty() || reply[0] == '\0') {
        Require(view.lines.size() == 1);
        return 0;
    }
    Require(view.lines.size() <= size);
    for (const auto& line : view.lines) {
        Require(line.colour == kOrange);
        Require(line.text.size() <= kMaxLineLength);
        for (char c : line.text) {
            const unsigned char byte = static_cast<unsigned char>(c);
            Require(byte >= 32 && byte <= 127);
        }
        const auto track = TrackNumberOfLine(line.text);
        Require(!track || *track <= 99);
    }
    return 0;
}
