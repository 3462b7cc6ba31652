// Rips as they are found: each row is a sheet with its data files, made here (FLAC with libFLAC's
// encoder), and what a drive holding the same disc reports. Files are cut from one known sound at
// their places on the disc, so the disc's sound read back must be that sound wherever a file holds
// it and silence everywhere else.
#include <FLAC/metadata.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "cdaudio/CdAudioDevice.h"
#include "drive/SimulatedDrive.h"
#include "rip/CueSheet.h"
#include "rip/SheetLoader.h"
#include "rip/tests/RipFiles.h"
#include "rip/tests/TempFolder.h"

namespace discdeck {
namespace {

using namespace discdeck::testing;

enum class Form {
    Bin,
    Motorola,
    Wave,
    WaveExtensible,
    WaveStreamed,  // sizes left at 0xFFFFFFFF
    WaveOver4GiB,  // 4 GiB and 4000 bytes of (sparse) samples, then a tag chunk
    Flac,
    FlacImage,  // the row's sheet in its CUESHEET block, titles in its Vorbis comments
    Wave48k,
    WaveFloat,
    WaveNoData,
    FlacMono24,
    Text
};

// Frames of a file: audio cut from the disc's sound at discFrame, or a data track's sectors.
struct Piece {
    uint32_t discFrame = 0;
    uint32_t frames = 0;
    uint32_t dataSectorBytes = 0;  // 0 for audio
    uint32_t extraSamples = 0;     // audio after the whole frames, less than a frame
};

struct RipFile {
    std::string name;
    Form form;
    std::vector<Piece> pieces;
    uint32_t extraBytes = 0;  // a partial frame at the end of a raw file
};

struct Rip {
    const char* name;
    std::string sheet;
    std::vector<RipFile> files;
    std::vector<uint32_t> starts;  // absolute frames
    uint32_t leadOut = 0;
    uint32_t discId = 0;
    std::string refusal;                   // DescribeCueError when the sheet cannot be played
    std::string played = "rip.cue";        // the file the drive is given: the sheet or an image
    std::vector<std::string> titles = {};  // when given: the disc's title, then each track's
};

void PrintTo(const Rip& rip, std::ostream* os) {
    *os << rip.name;
}

std::string Contents(const RipFile& file) {
    std::string bytes;
    for (const Piece& piece : file.pieces) {
        if (piece.dataSectorBytes) {
            bytes += std::string(static_cast<size_t>(piece.frames) * piece.dataSectorBytes, 'D');
        } else {
            bytes +=
                DiscSound(uint64_t{piece.discFrame} * kSamplesPerFrame,
                          uint64_t{piece.frames} * kSamplesPerFrame + piece.extraSamples, file.form == Form::Motorola);
        }
    }
    return bytes + std::string(file.extraBytes, 'x');
}

// Names are UTF-8, as sheets are now mostly written.
void Save(const TempFolder& folder, const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = std::filesystem::u8path(folder.Path(name));
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The row's sheet as a FLAC CUESHEET block (positions in samples), with the lead-out at the end.
FLAC__StreamMetadata* CueSheetBlock(const std::string& text, uint64_t totalSamples) {
    CueSheet sheet;
    EXPECT_TRUE(ParseCueSheet(text, sheet).Ok());
    FLAC__StreamMetadata* block = FLAC__metadata_object_new(FLAC__METADATA_TYPE_CUESHEET);
    block->data.cue_sheet.is_cd = true;
    block->data.cue_sheet.lead_in = 2 * 44100;
    for (const CueTrack& track : sheet.tracks) {
        FLAC__StreamMetadata_CueSheet_Track out{};
        out.number = static_cast<FLAC__byte>(track.number);
        out.offset = uint64_t{track.startFrames} * kSamplesPerFrame;
        out.type = track.audio ? 0 : 1;
        FLAC__StreamMetadata_CueSheet_Index points[2] = {};
        points[1].number = 1;
        points[1].offset = uint64_t{track.indexFrames - track.startFrames} * kSamplesPerFrame;
        const bool gap = track.indexFrames != track.startFrames;
        out.num_indices = gap ? 2 : 1;
        out.indices = gap ? points : points + 1;
        EXPECT_TRUE(FLAC__metadata_object_cuesheet_insert_track(block, block->data.cue_sheet.num_tracks, &out, true));
    }
    FLAC__StreamMetadata_CueSheet_Track leadOut{};
    leadOut.number = 170;
    leadOut.offset = totalSamples;
    EXPECT_TRUE(FLAC__metadata_object_cuesheet_insert_track(block, block->data.cue_sheet.num_tracks, &leadOut, true));
    return block;
}

FLAC__StreamMetadata* Comments(const std::vector<std::pair<const char*, const char*>>& pairs) {
    FLAC__StreamMetadata* block = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    for (const auto& [name, value] : pairs) {
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        EXPECT_TRUE(FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, name, value));
        EXPECT_TRUE(FLAC__metadata_object_vorbiscomment_append_comment(block, entry, false));
    }
    return block;
}

void Write(const TempFolder& folder, const RipFile& file, const std::string& sheet) {
    const std::string pcm = Contents(file);
    switch (file.form) {
        case Form::Bin:
        case Form::Motorola:
            Save(folder, file.name, pcm);
            break;
        case Form::Wave:
            Save(folder, file.name, WaveFile(pcm));
            break;
        case Form::WaveExtensible:
            Save(folder, file.name, WaveFile(pcm, {44100, 16, 2, 1, true}));
            break;
        case Form::WaveStreamed: {
            const std::string whole = WaveFile(pcm);
            std::string streamed = whole.substr(0, whole.find("data") + 4) + std::string(4, '\xFF') + pcm;
            streamed.replace(4, 4, std::string(4, '\xFF'));
            Save(folder, file.name, streamed);
            break;
        }
        case Form::WaveOver4GiB: {
            // The size fields hold the length modulo 2^32, as writers that know no better leave it.
            const uint64_t samplesBytes = (uint64_t{1} << 32) + 4000;
            const std::string head = WaveFile(std::string(4000, '\0'));
            const size_t body = head.find("data") + 8;
            std::string tag;
            PutChunk(tag, "id3 ", std::string(10, 'i'));
            std::ofstream out(std::filesystem::u8path(folder.Path(file.name)), std::ios::binary);
            out << head.substr(0, body);
            out.seekp(static_cast<std::streamoff>(body + samplesBytes));
            out << tag;
            break;
        }
        case Form::Wave48k:
            Save(folder, file.name, WaveFile(pcm, {48000}));
            break;
        case Form::WaveFloat:
            Save(folder, file.name, WaveFile(pcm, {44100, 32, 2, 3, true}));
            break;
        case Form::WaveNoData:
            Save(folder, file.name, WaveFile(pcm, {44100, 16, 2, 1, false, false}));
            break;
        case Form::Flac:
            ASSERT_TRUE(WriteFlac(folder.Path(file.name), Unpacked(pcm)));
            break;
        case Form::FlacImage: {
            std::vector<FLAC__StreamMetadata*> blocks = {
                CueSheetBlock(sheet, pcm.size() / kBytesPerSample),
                Comments({{"artist", "Ann Ek"}, {"ALBUM", "Songs"}, {"CUE_TRACK02_TITLE", "Two"}})};
            EXPECT_TRUE(WriteFlac(folder.Path(file.name), Unpacked(pcm), 2, 16, blocks));
            for (FLAC__StreamMetadata* block : blocks) {
                FLAC__metadata_object_delete(block);
            }
            break;
        }
        case Form::FlacMono24:
            ASSERT_TRUE(WriteFlac(folder.Path(file.name), std::vector<int32_t>(4096, 1000), 1, 24));
            break;
        case Form::Text:
            Save(folder, file.name, "not audio at all\n");
            break;
    }
}

// The disc's sound as the row's files place it: their audio where they hold it, silence elsewhere.
std::string ExpectedSound(const Rip& rip, uint64_t samples) {
    std::string sound(static_cast<size_t>(samples) * kBytesPerSample, '\0');
    for (const RipFile& file : rip.files) {
        for (const Piece& piece : file.pieces) {
            if (!piece.dataSectorBytes) {
                const uint64_t first = uint64_t{piece.discFrame} * kSamplesPerFrame;
                const std::string part =
                    DiscSound(first, uint64_t{piece.frames} * kSamplesPerFrame + piece.extraSamples);
                sound.replace(static_cast<size_t>(first) * kBytesPerSample, part.size(), part);
            }
        }
    }
    return sound;
}

// Disc A: three audio tracks at 00:02:00, 00:08:00 and 00:12:00, with a two-second and a
// one-second gap before tracks 2 and 3 (at 00:06:00 and 00:11:00), lead-out at 00:14:37.
const std::vector<uint32_t> kDiscAStarts = {150, 600, 900};
constexpr uint32_t kDiscALeadOut = 1087;
constexpr uint32_t kDiscAId = 0x0d000c03;
// Disc B: tracks at 00:02:00 and 00:08:00, lead-out at 00:12:00. Data tracks count at their real
// starts, so the id is the same whichever track holds data: n = 2 + 8, t = 12 - 2.
const std::vector<uint32_t> kDiscBStarts = {150, 600};
constexpr uint32_t kDiscBLeadOut = 900;
constexpr uint32_t kDiscBId = 0x0a000a02;

// ASCII text as a UTF-16 file with its byte-order mark.
std::string Utf16(const std::string& text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) {
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return bytes;
}

std::vector<Rip> Rips() {
    return {
        {"OneBinWithGaps",
         "FILE \"disc.bin\" BINARY\n"
         "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 00 00:04:00\n    INDEX 01 00:06:00\n"
         "  TRACK 03 AUDIO\n    INDEX 00 00:09:00\n    INDEX 01 00:10:00\n",
         {{"disc.bin", Form::Bin, {{150, 937}}, 1000}},
         kDiscAStarts,
         kDiscALeadOut,
         kDiscAId,
         ""},
        // The common layout of per-track rips: each gap ends the previous file. CRLF lines, names
        // with blanks, one in UTF-8, two written in another case than on disk (one with a Windows
        // separator), one WAVE_FORMAT_EXTENSIBLE.
        {"WavesWithGapsAtTheirEnds",
         "REM GENRE Test\r\nPERFORMER \"The \"Gap\" Band\"\r\nCATALOG 0000000000000\r\n"
         "FILE \"01 - \xC3\x96ne.wav\" WAVE\r\n"
         "  TRACK 01 AUDIO\r\n    FLAGS DCP\r\n    INDEX 01 00:00:00\r\n"
         "  TRACK 02 AUDIO\r\n    ISRC ABCDE1234567\r\n    INDEX 00 00:04:00\r\n"
         "FILE \"02 - TWO.WAV\" WAVE\r\n"
         "    INDEX 01 00:00:00\r\n"
         "  TRACK 03 AUDIO\r\n    SONGWRITER \"S\"\r\n    INDEX 00 00:03:00\r\n"
         "FILE \"CD1\\03 - Three.wav\" WAVE\r\n"
         "    INDEX 01 00:00:00\r\n    NEWCOMMAND whatever\r\n",
         {{"01 - \xC3\x96ne.wav", Form::Wave, {{150, 450}}},
          {"02 - two.wav", Form::WaveExtensible, {{600, 300}}},
          {"cd1/03 - three.wav", Form::Wave, {{900, 187}}}},
         kDiscAStarts,
         kDiscALeadOut,
         kDiscAId,
         ""},
        // Gaps at the start of each track's own file; FLAC named WAVE as often as FLAC.
        {"FlacsWithGapsAtTheirStarts",
         "FILE \"01.flac\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "FILE \"02.flac\" WAVE\n  TRACK 02 AUDIO\n    INDEX 00 00:00:00\n    INDEX 01 00:02:00\n"
         "FILE \"03.flac\" FLAC\n  TRACK 03 AUDIO\n    INDEX 00 00:00:00\n    INDEX 01 00:01:00\n",
         {{"01.flac", Form::Flac, {{150, 300}}},
          {"02.flac", Form::Flac, {{450, 375}}},
          {"03.flac", Form::Flac, {{825, 262}}}},
         kDiscAStarts,
         kDiscALeadOut,
         kDiscAId,
         ""},
        // Gaps the image does not hold: silence before track 2 and after it.
        {"MotorolaWithPregapAndPostgap",
         "FILE \"disc.bin\" MOTOROLA\n"
         "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    PREGAP 00:02:00\n    INDEX 01 00:04:00\n    POSTGAP 00:01:00\n"
         "  TRACK 03 AUDIO\n    INDEX 01 00:07:00\n",
         {{"disc.bin", Form::Motorola, {{150, 300}, {600, 225}, {900, 187}}}},
         kDiscAStarts,
         kDiscALeadOut,
         kDiscAId,
         ""},
        {"Utf16Sheet",
         Utf16("FILE \"disc.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"
               "  TRACK 02 AUDIO\r\n    INDEX 00 00:04:00\r\n    INDEX 01 00:06:00\r\n"
               "  TRACK 03 AUDIO\r\n    INDEX 00 00:09:00\r\n    INDEX 01 00:10:00\r\n"),
         {{"disc.bin", Form::Bin, {{150, 937}}}},
         kDiscAStarts,
         kDiscALeadOut,
         kDiscAId,
         ""},
        // A streaming writer's WAVE (sizes left at 0xFFFFFFFF) under a UTF-16 big-endian sheet.
        {"Utf16BigEndianSheetOfAStreamedWave",
         Utf16("FILE \"s.wav\" WAVE\r\nTRACK 01 AUDIO\r\nINDEX 01 00:00:00\r\nTRACK 02 AUDIO\r\nINDEX 01 00:06:00\r\n",
               true),
         {{"s.wav", Form::WaveStreamed, {{150, 750}}}},
         kDiscBStarts,
         kDiscBLeadOut,
         kDiscBId,
         ""},
        // Audio hidden before the first track: the track starts at its INDEX 01.
        {"HiddenFirstTrackAudio",
         "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n    INDEX 01 00:03:00\n"
         "  TRACK 02 AUDIO\n    INDEX 01 00:08:00\n",
         {{"disc.bin", Form::Bin, {{150, 900}}}},
         {375, 750},
         1050,
         0x06000902,
         ""},
        {"DataTrackFirst",
         "FILE \"disc.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 00 00:04:00\n    INDEX 01 00:06:00\n",
         {{"disc.bin", Form::Bin, {{150, 300, 2352}, {450, 450}}}},
         kDiscBStarts,
         kDiscBLeadOut,
         kDiscBId,
         ""},
        // The same disc with 2048 bytes a data sector in the image.
        {"DataTrackOf2048ByteSectors",
         "FILE \"disc.bin\" BINARY\n  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 00 00:04:00\n    INDEX 01 00:06:00\n",
         {{"disc.bin", Form::Bin, {{150, 300, 2048}, {450, 450}}}},
         kDiscBStarts,
         kDiscBLeadOut,
         kDiscBId,
         ""},
        {"DataTrackLastOf2336ByteSectors",
         "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "  TRACK 02 MODE2/2336\n    INDEX 01 00:06:00\n",
         {{"disc.bin", Form::Bin, {{150, 450}, {600, 300, 2336}}, 100}},
         kDiscBStarts,
         kDiscBLeadOut,
         kDiscBId,
         ""},
        // A mixed-mode disc (a game's data track first). Its standard id, worked by hand: track
        // starts at 2, 14 and 17 s give n = 2 + 5 + 8 = 0x0f, the disc runs 18 - 2 = 0x10 s, three
        // tracks.
        {"MixedModeDisc",
         "FILE \"game.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 00 00:10:00\n    INDEX 01 00:12:00\n"
         "  TRACK 03 AUDIO\n    INDEX 01 00:15:00\n",
         {{"game.bin", Form::Bin, {{150, 750, 2352}, {900, 450}}}},
         {150, 1050, 1275},
         1350,
         0x0f001003,
         ""},
        // An Enhanced CD ripped per track: the data session is a placeholder track of no known
        // type with only INDEX 00, and no file; the disc is its audio. The files do not end on a
        // frame: every sample plays, the rest of each file's last frame is silence.
        {"EnhancedCdOfPartialFrames",
         "FILE \"01.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 00 00:04:00\n"
         "FILE \"02.flac\" WAVE\n    INDEX 01 00:00:00\n"
         "  TRACK 03 MODEx/2xxx\n    TITLE \"Data Track\"\n    INDEX 00 00:04:00\n",
         {{"01.wav", Form::Wave, {{150, 450, 0, 123}}}, {"02.flac", Form::Flac, {{601, 300, 0, 401}}}},
         {150, 601},
         902,
         kDiscBId,
         ""},
        // Far longer than a disc once its size is read past 32 bits (cut at the size modulo 2^32 it
        // would pass for a disc of two seconds).
        {"WaveOver4GiB",
         "FILE \"big.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
         {{"big.wav", Form::WaveOver4GiB, {}}},
         {},
         0,
         0,
         "line 1: the disc would end after 99:59:74"},
        // One FLAC file with its sheet inside: disc A, played from the .flac itself.
        {"FlacImageWithItsSheet",
         "FILE \"image.flac\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 00 00:04:00\n    INDEX 01 00:06:00\n"
         "  TRACK 03 AUDIO\n    INDEX 00 00:09:00\n    INDEX 01 00:10:00\n",
         {{"image.flac", Form::FlacImage, {{150, 937}}}},
         kDiscAStarts,
         kDiscALeadOut,
         kDiscAId,
         "",
         "image.flac",
         {"Ann Ek / Songs", "", "Two", ""}},
        {"FlacWithoutASheet",
         "",
         {{"plain.flac", Form::Flac, {{150, 300}}}},
         {},
         0,
         0,
         "the file holds no sheet (no CUESHEET block)",
         "plain.flac"},
        {"MissingFile",
         "FILE \"01.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "FILE \"02.flac\" WAVE\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n",
         {{"01.wav", Form::Wave, {{150, 300}}}},
         {},
         0,
         0,
         "line 4: file \"02.flac\" not found"},
        {"Wave48k",
         "FILE \"hi.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
         {{"hi.wav", Form::Wave48k, {{150, 300}}}},
         {},
         0,
         0,
         "line 1: \"hi.wav\" is 48000 Hz 16-bit stereo; only 44100 Hz 16-bit stereo can be played"},
        {"WaveFloat",
         "FILE \"f.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
         {{"f.wav", Form::WaveFloat, {{150, 300}}}},
         {},
         0,
         0,
         "line 1: \"f.wav\" is not PCM audio (format 0x0003)"},
        {"WaveWithoutData",
         "FILE \"n.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
         {{"n.wav", Form::WaveNoData, {{150, 300}}}},
         {},
         0,
         0,
         "line 1: \"n.wav\" has no data chunk"},
        {"FlacMono24",
         "FILE \"m.flac\" FLAC\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
         {{"m.flac", Form::FlacMono24, {}}},
         {},
         0,
         0,
         "line 1: \"m.flac\" is 44100 Hz 24-bit mono; only 44100 Hz 16-bit stereo can be played"},
        {"NeitherWaveNorFlac",
         "FILE \"t.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
         {{"t.wav", Form::Text, {}}},
         {},
         0,
         0,
         "line 1: \"t.wav\" is neither a WAVE nor a FLAC file"},
        {"TrackBeyondTheFile",
         "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 01 00:04:00\n",
         {{"a.bin", Form::Bin, {{150, 300}}}},
         {},
         0,
         0,
         "line 4: track 2 starts at or after the end of \"a.bin\" (00:04:00 long)"},
        {"Mp3",
         "FILE \"a.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
         {},
         {},
         0,
         0,
         "line 1: file type \"MP3\" is not supported (BINARY, MOTOROLA, WAVE or FLAC)"},
    };
}

class RipLayoutTest : public ::testing::TestWithParam<Rip> {};

TEST_P(RipLayoutTest, PlaysAsTheSameDiscInADrive) {
    const Rip& rip = GetParam();
    TempFolder folder;
    for (const RipFile& file : rip.files) {
        Write(folder, file, rip.sheet);
    }
    folder.Write("rip.cue", rip.sheet);
    CueSheet sheet;
    SimulatedDisc disc;
    std::unique_ptr<DiscAudio> audio;
    CueError error = LoadCueSheet(folder.Path(rip.played), sheet, disc, &audio);
    if (!rip.refusal.empty()) {
        EXPECT_EQ(DescribeCueError(error), rip.refusal);
        EXPECT_EQ(audio, nullptr);
        return;
    }
    ASSERT_TRUE(error.Ok()) << DescribeCueError(error);
    std::vector<uint32_t> starts;
    for (const SimulatedTrack& track : disc.tracks) {
        starts.push_back(track.startFrame);
    }
    EXPECT_EQ(starts, rip.starts);
    EXPECT_EQ(disc.leadOutFrame, rip.leadOut);
    if (!rip.titles.empty()) {
        const RipTitles titles = TitlesOfSheet(sheet);
        std::vector<std::string> all = {titles.disc};
        all.insert(all.end(), titles.tracks.begin(), titles.tracks.end());
        EXPECT_EQ(all, rip.titles);
    }
    ManualClock clock;
    SimulatedDrive drive(clock);
    ASSERT_TRUE(drive.InsertDisc(disc));
    EXPECT_EQ(CdAudioDevice(drive).discId, rip.discId);

    // Played through from the start in 100 ms buffers, and a second past the lead-out.
    ASSERT_NE(audio, nullptr);
    const uint64_t samples = uint64_t{rip.leadOut + 75} * kSamplesPerFrame;
    const std::string expected = ExpectedSound(rip, samples);
    std::string buffer;
    for (uint64_t at = 0; at < samples; at += 4410) {
        const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(4410, samples - at));
        buffer.assign(count * kBytesPerSample, '\x55');
        ASSERT_TRUE(audio->Read(at, count, reinterpret_cast<uint8_t*>(buffer.data())));
        ASSERT_EQ(buffer, expected.substr(static_cast<size_t>(at) * kBytesPerSample, buffer.size()))
            << "at sample " << at;
    }
    // Seeks anywhere, in any order.
    std::mt19937 random(12);
    for (int i = 0; i < 40; ++i) {
        const uint64_t at = random() % samples;
        const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(1 + random() % 9000, samples - at));
        buffer.assign(count * kBytesPerSample, '\x55');
        ASSERT_TRUE(audio->Read(at, count, reinterpret_cast<uint8_t*>(buffer.data())));
        ASSERT_EQ(buffer, expected.substr(static_cast<size_t>(at) * kBytesPerSample, buffer.size()))
            << "at sample " << at;
    }
}

INSTANTIATE_TEST_SUITE_P(Rips,
                         RipLayoutTest,
                         ::testing::ValuesIn(Rips()),
                         [](const ::testing::TestParamInfo<Rip>& info) { return info.param.name; });

}  // namespace
}  // namespace discdeck
