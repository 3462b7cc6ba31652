#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <FLAC/stream_decoder.h>

#include "rip/AudioFile.h"

namespace discdeck {

// A track of a FLAC file's CUESHEET metadata block; positions in samples.
struct FlacCueTrack {
    uint32_t number = 0;  // the lead-out is the block's last track (170 on a CD)
    bool audio = true;
    uint64_t offset = 0;                                 // from the stream's start
    std::vector<std::pair<uint32_t, uint64_t>> indices;  // index number and offset from the track's
};

// A FLAC file of CD audio, decoded with libFLAC. Reading on from where the last read ended decodes
// the next frame; anywhere else is a seek. One decoded frame is kept.
class FlacAudioFile : public AudioFile {
  public:
    // Null when the file cannot be used, with problem saying why and unsupported telling a FLAC
    // stream of another form (or no FLAC at all) from a file that cannot be read.
    static std::unique_ptr<FlacAudioFile> Open(const std::filesystem::path& path,
                                               std::string& problem,
                                               bool& unsupported);
    ~FlacAudioFile() override;
    FlacAudioFile(const FlacAudioFile&) = delete;
    FlacAudioFile& operator=(const FlacAudioFile&) = delete;

    uint64_t Units() const override { return totalSamples; }

    // What the file's metadata says of the disc it was ripped from: the CUESHEET block (nothing
    // without one) and the Vorbis comments as written ("NAME=value").
    const std::optional<std::vector<FlacCueTrack>>& CueTracks() const { return cueSheet; }
    const std::vector<std::string>& Comments() const { return comments; }
    bool Read(uint64_t first, uint32_t count, uint8_t* out) override;

  private:
    FlacAudioFile() = default;
    // Brings the frame holding sample into the block: the next frame when that is where it lies,
    // else a seek.
    bool Fetch(uint64_t sample);
    bool Holds(uint64_t sample) const { return sample >= blockStart && sample - blockStart < blockSamples; }

    static FLAC__StreamDecoderReadStatus OnRead(const FLAC__StreamDecoder*,
                                                FLAC__byte* buffer,
                                                size_t* bytes,
                                                void* self);
    static FLAC__StreamDecoderSeekStatus OnSeek(const FLAC__StreamDecoder*, FLAC__uint64 offset, void* self);
    static FLAC__StreamDecoderTellStatus OnTell(const FLAC__StreamDecoder*, FLAC__uint64* offset, void* self);
    static FLAC__StreamDecoderLengthStatus OnLength(const FLAC__StreamDecoder*, FLAC__uint64* length, void* self);
    static FLAC__bool OnEof(const FLAC__StreamDecoder*, void* self);
    static FLAC__StreamDecoderWriteStatus OnWrite(const FLAC__StreamDecoder*,
                                                  const FLAC__Frame* frame,
                                                  const FLAC__int32* const buffer[],
                                                  void* self);
    static void OnMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* self);
    static void OnError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status, void* self);

    FLAC__StreamDecoder* decoder = nullptr;
    std::ifstream file;
    uint64_t fileSize = 0;
    bool hasStreamInfo = false;
    uint32_t sampleRate = 0;
    uint32_t channels = 0;
    uint32_t bitsPerSample = 0;
    uint64_t totalSamples = 0;
    bool decodeError = false;    // the decoder met a damaged frame since it was last cleared
    std::vector<uint8_t> block;  // the last decoded frame as CD audio bytes
    uint64_t blockStart = 0;
    uint64_t blockSamples = 0;
    std::optional<std::vector<FlacCueTrack>> cueSheet;
    std::vector<std::string> comments;
};

}  // namespace discdeck
