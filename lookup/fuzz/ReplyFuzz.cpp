// Feeds arbitrary server replies to the look-up's decisions and to the entry parser. Input: the
// reply to the query, a zero byte, the reply to the read.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "cdaudio/CdAudioDevice.h"
#include "drive/SimulatedDrive.h"
#include "lookup/CddbCommands.h"
#include "lookup/CddbLookup.h"
#include "lookup/CddbReply.h"
#include "lookup/CddbTransport.h"
#include "lookup/LyricsSearch.h"
#include "lookup/ServerCommands.h"
#include "lookup/tests/LookupFakes.h"
#include "ports/Utf8Text.h"

using namespace discdeck;

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Nothing sent may carry a byte that ends or splits the request line.
void RequireSafeTarget(const std::string& path) {
    for (char c : path) {
        const unsigned char byte = static_cast<unsigned char>(c);
        Require(byte >= 0x20 && byte != 0x7F && c != ' ');
    }
}

struct Harness {
    ManualClock clock;
    SimulatedDrive drive{clock};
    std::unique_ptr<CdAudioDevice> device;

    Harness() {
        std::vector<Msf> starts;
        for (uint32_t i = 0; i < 12; ++i) {
            starts.push_back({i * 3, 2, 0});
        }
        drive.InsertDisc(MakeAudioDisc(starts, {40, 0, 0}));
        device = std::make_unique<CdAudioDevice>(drive);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Harness harness;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string first(input.substr(0, split));
    const std::string second(split == std::string_view::npos ? std::string_view() : input.substr(split + 1));

    auto http = std::make_shared<testing::FakeHttpGet>();
    http->Push(testing::Answer(first));
    http->Push(testing::Answer(second));
    CddbTransport transport(http, std::make_unique<testing::InlineRunner>());
    const DiscInfo asked = DiscInfoOf(*harness.device);
    const LookupOutcome outcome = LookUpDisc(transport, asked, "cddb.test", 80);
    // The table travels untouched; only the description may change, and only by a taken entry.
    Require(outcome.disc.discId == asked.discId && outcome.disc.trackCount == asked.trackCount);
    Require(outcome.entryTaken ||
            (outcome.disc.discTitle == asked.discTitle && outcome.disc.trackTitles == asked.trackTitles));
    const auto requests = http->Requests();
    Require(requests.size() <= 2);
    for (const HttpRequest& request : requests) {
        RequireSafeTarget(request.path);
    }

    // The parser on its own, zero bytes and all, and over every title slot.
    std::string category;
    std::string discTitle;
    std::string titles[kTableEntries];
    const size_t trackCount = size == 0 ? 0 : data[0] % (kTableEntries + 1);
    ParseEntryText(input, EntryFields{category, discTitle, titles, trackCount});

    // Whatever the reply holds, its decoding is valid UTF-8 that decodes to itself, and every cut
    // lands on a character boundary.
    const std::string text = ReplyBytesToUtf8(input);
    Require(ReplyBytesToUtf8(text) == text);
    Require(CharacterCount(FitCharacters(text, 90, true)) == 90);
    const size_t cut = CutBytes(text, 69);
    Require(cut <= 69 && ReplyBytesToUtf8(text.substr(0, cut)) == text.substr(0, cut));

    std::string command;
    if (BuildCandidateReadCommand(std::string(input.substr(0, split)), command)) {
        std::string path;
        if (BuildObjectPath(command, path)) {
            RequireSafeTarget(path);
        }
    }
    // The e-mail address of the settings: whatever it holds, the hello keeps the target safe.
    std::string helloPath;
    if (BuildObjectPath("HELP", helloPath, HelloForAddress(std::string(input)))) {
        RequireSafeTarget(helloPath);
        // Four hello fields, and no parameter of its own.
        const size_t start = helloPath.find("&hello=") + 7;
        const std::string fields = helloPath.substr(start, helloPath.rfind("&proto=6") - start);
        Require(std::count(fields.begin(), fields.end(), '+') == 3 && fields.find('&') == std::string::npos);
    }
    const std::string address = BuildLyricsAddress(std::string(input));
    for (char c : address) {
        Require(static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7F);
    }
    return 0;
}
