#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cdaudio/MediaControl.h"

namespace discdeck::testing {

// Writes every command as a short line ("status 1 type track 2", "play 1 from tmsf 3") before
// passing it on to a real implementation, and can make chosen commands fail.
class RecordingControl : public MediaControl {
  public:
    explicit RecordingControl(MediaControl& inner) : inner(inner) {}

    std::vector<std::string> log;
    // Given a command's line, a non-zero result makes it fail without reaching the inner control.
    std::function<uint32_t(const std::string&)> failWhen;

    uint32_t Open(uint32_t& deviceId) override {
        return Pass("open", [&] { return inner.Open(deviceId); });
    }
    uint32_t Close(uint32_t deviceId) override {
        return Pass("close " + std::to_string(deviceId), [&] { return inner.Close(deviceId); });
    }
    uint32_t SetTimeFormat(uint32_t deviceId, uint32_t format) override {
        return Pass("format " + std::to_string(deviceId) + " " + FormatName(format),
                    [&] { return inner.SetTimeFormat(deviceId, format); });
    }
    uint32_t Status(uint32_t deviceId, uint32_t item, bool withTrack, uint32_t track, uint32_t& result) override {
        std::string line = "status " + std::to_string(deviceId) + " " + ItemName(item);
        if (withTrack) {
            line += " track " + std::to_string(track);
        }
        return Pass(line, [&] { return inner.Status(deviceId, item, withTrack, track, result); });
    }
    uint32_t Play(uint32_t deviceId, bool withFrom, uint32_t from) override {
        std::string line = "play " + std::to_string(deviceId);
        if (withFrom) {
            line += " from " + std::to_string(from);
        }
        return Pass(line, [&] { return inner.Play(deviceId, withFrom, from); });
    }
    uint32_t Stop(uint32_t deviceId) override {
        return Pass("stop " + std::to_string(deviceId), [&] { return inner.Stop(deviceId); });
    }
    uint32_t Pause(uint32_t deviceId) override {
        return Pass("pause " + std::to_string(deviceId), [&] { return inner.Pause(deviceId); });
    }
    uint32_t Seek(uint32_t deviceId, uint32_t flags, uint32_t to) override {
        std::string line = "seek " + std::to_string(deviceId);
        if (flags == mci::MCI_SEEK_TO_START) {
            line += " start";
        } else if (flags == mci::MCI_TO) {
            line += " to " + std::to_string(to);
        } else {
            line += " flags " + std::to_string(flags);
        }
        return Pass(line, [&] { return inner.Seek(deviceId, flags, to); });
    }
    uint32_t SetDoor(uint32_t deviceId, bool open) override {
        return Pass("door " + std::to_string(deviceId) + (open ? " open" : " closed"),
                    [&] { return inner.SetDoor(deviceId, open); });
    }

    // Lines logged since the last call, for checking one operation at a time.
    std::vector<std::string> Take() {
        std::vector<std::string> taken;
        taken.swap(log);
        return taken;
    }

  private:
    template <typename F>
    uint32_t Pass(const std::string& line, F forward) {
        log.push_back(line);
        if (failWhen) {
            if (uint32_t error = failWhen(line)) {
                return error;
            }
        }
        return forward();
    }

    static std::string FormatName(uint32_t format) {
        switch (format) {
            case mci::MCI_FORMAT_MILLISECONDS:
                return "ms";
            case mci::MCI_FORMAT_MSF:
                return "msf";
            case mci::MCI_FORMAT_TMSF:
                return "tmsf";
        }
        return std::to_string(format);
    }

    static std::string ItemName(uint32_t item) {
        switch (item) {
            case mci::MCI_STATUS_LENGTH:
                return "length";
            case mci::MCI_STATUS_POSITION:
                return "position";
            case mci::MCI_STATUS_NUMBER_OF_TRACKS:
                return "tracks";
            case mci::MCI_STATUS_MODE:
                return "mode";
            case mci::MCI_STATUS_MEDIA_PRESENT:
                return "present";
            case mci::MCI_STATUS_CURRENT_TRACK:
                return "current";
            case mci::MCI_CDA_STATUS_TYPE_TRACK:
                return "type";
        }
        return std::to_string(item);
    }

    MediaControl& inner;
};

}  // namespace discdeck::testing
