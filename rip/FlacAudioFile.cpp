#include "rip/FlacAudioFile.h"

#include <algorithm>
#include <cstring>

#include "rip/WaveFormat.h"

namespace discdeck {

namespace {

FlacAudioFile& Self(void* self) {
    return *static_cast<FlacAudioFile*>(self);
}

}  // namespace

std::unique_ptr<FlacAudioFile> FlacAudioFile::Open(const std::filesystem::path& path,
                                                   std::string& problem,
                                                   bool& unsupported) {
    unsupported = false;
    std::unique_ptr<FlacAudioFile> flac(new FlacAudioFile);
    std::error_code error;
    flac->fileSize = std::filesystem::file_size(path, error);
    flac->file.open(path, std::ios::binary);
    if (error || !flac->file) {
        problem = "cannot be read";
        return nullptr;
    }
    flac->decoder = FLAC__stream_decoder_new();
    if (!flac->decoder || !FLAC__stream_decoder_set_metadata_respond(flac->decoder, FLAC__METADATA_TYPE_CUESHEET) ||
        !FLAC__stream_decoder_set_metadata_respond(flac->decoder, FLAC__METADATA_TYPE_VORBIS_COMMENT) ||
        FLAC__stream_decoder_init_stream(flac->decoder, OnRead, OnSeek, OnTell, OnLength, OnEof, OnWrite, OnMetadata,
                                         OnError, flac.get()) != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        problem = "cannot be decoded";
        return nullptr;
    }
    if (!FLAC__stream_decoder_process_until_end_of_metadata(flac->decoder) || !flac->hasStreamInfo) {
        problem = "is not a FLAC file";
        unsupported = true;
        return nullptr;
    }
    if (flac->sampleRate != 44100 || flac->bitsPerSample != 16 || flac->channels != 2) {
        problem = NotCdAudio(flac->sampleRate, flac->bitsPerSample, flac->channels);
        unsupported = true;
        return nullptr;
    }
    if (flac->totalSamples == 0) {
        // The length is needed before playing; a stream that does not state it would have to be
        // decoded to the end first.
        problem = "does not state its length";
        unsupported = true;
        return nullptr;
    }
    return flac;
}

FlacAudioFile::~FlacAudioFile() {
    if (decoder) {
        FLAC__stream_decoder_delete(decoder);
    }
}

bool FlacAudioFile::Read(uint64_t first, uint32_t count, uint8_t* out) {
    decodeError = false;
    bool ok = true;
    while (count > 0) {
        if (first >= totalSamples || (!Holds(first) && !Fetch(first))) {
            ok = ok && first >= totalSamples;
            std::memset(out, 0, static_cast<size_t>(count) * 4);
            break;
        }
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(count, blockStart + blockSamples - first));
        std::memcpy(out, block.data() + (first - blockStart) * 4, static_cast<size_t>(n) * 4);
        out += static_cast<size_t>(n) * 4;
        first += n;
        count -= n;
    }
    return ok && !decodeError;
}

bool FlacAudioFile::Fetch(uint64_t sample) {
    const bool next = blockSamples > 0 && sample == blockStart + blockSamples;
    blockSamples = 0;
    if (next && FLAC__stream_decoder_process_single(decoder) && Holds(sample)) {
        return true;
    }
    blockSamples = 0;
    if (FLAC__stream_decoder_seek_absolute(decoder, sample) && Holds(sample)) {
        return true;
    }
    // A failed seek leaves the decoder unusable until it is flushed.
    if (FLAC__stream_decoder_get_state(decoder) == FLAC__STREAM_DECODER_SEEK_ERROR) {
        FLAC__stream_decoder_flush(decoder);
    }
    blockSamples = 0;
    return false;
}

FLAC__StreamDecoderReadStatus FlacAudioFile::OnRead(const FLAC__StreamDecoder*,
                                                    FLAC__byte* buffer,
                                                    size_t* bytes,
                                                    void* self) {
    std::ifstream& file = Self(self).file;
    if (*bytes == 0) {
        return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    }
    file.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(*bytes));
    *bytes = static_cast<size_t>(file.gcount());
    if (file.bad()) {
        return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    }
    // A short read sets the fail bit; clear it so the position can still be told and sought.
    file.clear();
    return *bytes == 0 ? FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM : FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
}

FLAC__StreamDecoderSeekStatus FlacAudioFile::OnSeek(const FLAC__StreamDecoder*, FLAC__uint64 offset, void* self) {
    std::ifstream& file = Self(self).file;
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    return file ? FLAC__STREAM_DECODER_SEEK_STATUS_OK : FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
}

FLAC__StreamDecoderTellStatus FlacAudioFile::OnTell(const FLAC__StreamDecoder*, FLAC__uint64* offset, void* self) {
    const std::streamoff position = Self(self).file.tellg();
    if (position < 0) {
        return FLAC__STREAM_DECODER_TELL_STATUS_ERROR;
    }
    *offset = static_cast<FLAC__uint64>(position);
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
}

FLAC__StreamDecoderLengthStatus FlacAudioFile::OnLength(const FLAC__StreamDecoder*, FLAC__uint64* length, void* self) {
    *length = Self(self).fileSize;
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
}

FLAC__bool FlacAudioFile::OnEof(const FLAC__StreamDecoder*, void* self) {
    FlacAudioFile& flac = Self(self);
    const std::streamoff position = flac.file.tellg();
    return position < 0 || static_cast<uint64_t>(position) >= flac.fileSize;
}

FLAC__StreamDecoderWriteStatus FlacAudioFile::OnWrite(const FLAC__StreamDecoder*,
                                                      const FLAC__Frame* frame,
                                                      const FLAC__int32* const buffer[],
                                                      void* self) {
    FlacAudioFile& flac = Self(self);
    // The stream information promised CD audio; a frame of another form is not played.
    if (frame->header.channels != 2 || frame->header.bits_per_sample != 16 ||
        frame->header.number_type != FLAC__FRAME_NUMBER_TYPE_SAMPLE_NUMBER) {
        flac.decodeError = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    const uint32_t samples = frame->header.blocksize;
    flac.block.resize(static_cast<size_t>(samples) * 4);
    uint8_t* out = flac.block.data();
    for (uint32_t i = 0; i < samples; ++i) {
        const uint16_t left = static_cast<uint16_t>(buffer[0][i]);
        const uint16_t right = static_cast<uint16_t>(buffer[1][i]);
        out[0] = static_cast<uint8_t>(left);
        out[1] = static_cast<uint8_t>(left >> 8);
        out[2] = static_cast<uint8_t>(right);
        out[3] = static_cast<uint8_t>(right >> 8);
        out += 4;
    }
    flac.blockStart = frame->header.number.sample_number;
    flac.blockSamples = samples;
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void FlacAudioFile::OnMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* self) {
    FlacAudioFile& flac = Self(self);
    if (metadata->type == FLAC__METADATA_TYPE_CUESHEET && !flac.cueSheet) {
        const FLAC__StreamMetadata_CueSheet& block = metadata->data.cue_sheet;
        std::vector<FlacCueTrack>& tracks = flac.cueSheet.emplace();
        for (uint32_t t = 0; t < block.num_tracks; ++t) {
            const FLAC__StreamMetadata_CueSheet_Track& track = block.tracks[t];
            FlacCueTrack& out = tracks.emplace_back();
            out.number = track.number;
            out.audio = track.type == 0;
            out.offset = track.offset;
            for (uint32_t i = 0; i < track.num_indices; ++i) {
                out.indices.emplace_back(track.indices[i].number, track.indices[i].offset);
            }
        }
        return;
    }
    if (metadata->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
        const FLAC__StreamMetadata_VorbisComment& block = metadata->data.vorbis_comment;
        for (uint32_t i = 0; i < block.num_comments; ++i) {
            flac.comments.emplace_back(reinterpret_cast<const char*>(block.comments[i].entry),
                                       block.comments[i].length);
        }
        return;
    }
    if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO) {
        return;
    }
    const FLAC__StreamMetadata_StreamInfo& info = metadata->data.stream_info;
    flac.hasStreamInfo = true;
    flac.sampleRate = info.sample_rate;
    flac.channels = info.channels;
    flac.bitsPerSample = info.bits_per_sample;
    flac.totalSamples = info.total_samples;
}

void FlacAudioFile::OnError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* self) {
    Self(self).decodeError = true;
}

}  // namespace discdeck
