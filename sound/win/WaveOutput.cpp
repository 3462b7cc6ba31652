#include "sound/win/WaveOutput.h"

#include <cstring>

#include "sound/DiscAudio.h"

namespace discdeck {

WaveOutput::WaveOutput(uint32_t bufferBytes) : bufferBytes(bufferBytes) {
    for (auto& buffer : data) {
        buffer.resize(bufferBytes);
    }
}

WaveOutput::~WaveOutput() {
    Close();
}

bool WaveOutput::Open() {
    if (device != nullptr) {
        return true;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kSampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = kBytesPerSample;
    format.nAvgBytesPerSec = kSampleRate * kBytesPerSample;
    // https://learn.microsoft.com/windows/win32/api/mmeapi/nf-mmeapi-waveoutopen
    if (::waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        device = nullptr;
        return false;
    }
    for (uint32_t i = 0; i < kBufferCount; ++i) {
        headers[i] = WAVEHDR{};
        headers[i].lpData = data[i].data();
        headers[i].dwBufferLength = bufferBytes;
        if (::waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            Close();
            return false;
        }
        // Prepared and never written: free, like a header that came back.
        headers[i].dwFlags |= WHDR_DONE;
    }
    next = 0;
    return true;
}

void WaveOutput::Close() {
    if (device == nullptr) {
        return;
    }
    // A reset returns every header, so they can be unprepared.
    ::waveOutReset(device);
    for (WAVEHDR& header : headers) {
        if (header.dwFlags & WHDR_PREPARED) {
            ::waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
        }
    }
    ::waveOutClose(device);
    device = nullptr;
}

bool WaveOutput::IsFree(const WAVEHDR& header) const {
    return (header.dwFlags & WHDR_DONE) != 0 || (header.dwFlags & WHDR_INQUEUE) == 0;
}

uint32_t WaveOutput::FreeBuffers() {
    if (device == nullptr) {
        return 0;
    }
    uint32_t free = 0;
    for (uint32_t i = 0; i < kBufferCount && IsFree(headers[(next + i) % kBufferCount]); ++i) {
        ++free;
    }
    return free;
}

bool WaveOutput::Write(const uint8_t* bytes, uint32_t count) {
    if (device == nullptr || count > bufferBytes || !IsFree(headers[next])) {
        return false;
    }
    WAVEHDR& header = headers[next];
    std::memcpy(header.lpData, bytes, count);
    header.dwBufferLength = count;
    header.dwFlags &= ~WHDR_DONE;
    if (::waveOutWrite(device, &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        header.dwFlags |= WHDR_DONE;
        return false;
    }
    next = (next + 1) % kBufferCount;
    return true;
}

void WaveOutput::Pause() {
    if (device != nullptr) {
        ::waveOutPause(device);
    }
}

void WaveOutput::Restart() {
    if (device != nullptr) {
        ::waveOutRestart(device);
    }
}

void WaveOutput::Reset() {
    if (device != nullptr) {
        // Every queued header comes back done at once and the position starts again at zero.
        ::waveOutReset(device);
        next = 0;
    }
}

uint64_t WaveOutput::PlayedSamples() {
    if (device == nullptr) {
        return 0;
    }
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    if (::waveOutGetPosition(device, &time, sizeof time) != MMSYSERR_NOERROR) {
        return 0;
    }
    if (time.wType == TIME_BYTES) {
        return time.u.cb / kBytesPerSample;
    }
    if (time.wType == TIME_MS) {
        return static_cast<uint64_t>(time.u.ms) * kSampleRate / 1000;
    }
    return time.u.sample;
}

}  // namespace discdeck
