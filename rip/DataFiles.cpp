#include "rip/DataFiles.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <vector>

#include "rip/FlacAudioFile.h"
#include "rip/RawAudioFile.h"
#include "rip/WaveFormat.h"

namespace discdeck {

namespace fs = std::filesystem;

namespace {

bool IsFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool SameBlind(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Follows path one part at a time, taking a part in another case where the exact one is missing.
std::optional<fs::path> FindBlind(const fs::path& path) {
    fs::path found = path.root_path();
    for (const fs::path& part : path.relative_path()) {
        fs::path next = found / part;
        std::error_code error;
        if (!fs::exists(next, error)) {
            const fs::path folder = found.empty() ? fs::path(".") : found;
            const std::string wanted = part.u8string();
            std::optional<fs::path> match;
            for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
                if (SameBlind(it->path().filename().u8string(), wanted)) {
                    match = found / it->path().filename();
                    break;
                }
            }
            if (!match) {
                return std::nullopt;
            }
            next = *match;
        }
        found = next;
    }
    return found;
}

// The ways a name in a sheet may be meant: UTF-8, as most programs now write sheets, when it reads
// as such; else the single-byte text it is.
std::vector<fs::path> Readings(const fs::path& folder, const std::string& name) {
    std::vector<fs::path> readings;
    try {
        readings.push_back(fs::u8path(name));
    } catch (const std::exception&) {
        // not UTF-8
    }
    const fs::path plain(name);
    if (readings.empty() || readings.front() != plain) {
        readings.push_back(plain);
    }
    for (fs::path& reading : readings) {
        if (reading.is_relative()) {
            reading = folder / reading;
        }
    }
    return readings;
}

CueError Problem(CueStatus status, const CueFile& file, const std::string& problem) {
    return CueError{status, file.line, "\"" + file.name + "\" " + problem};
}

CueError OpenWave(const fs::path& path, const CueFile& file, std::unique_ptr<AudioFile>& audio) {
    std::ifstream in(path, std::ios::binary);
    std::error_code error;
    const uint64_t size = fs::file_size(path, error);
    if (!in || error) {
        return Problem(CueStatus::DataFileUnreadable, file, "cannot be read");
    }
    WaveData data;
    std::string problem;
    const bool found = FindWaveData(
        [&in](uint64_t offset, uint8_t* out, size_t count) -> size_t {
            in.clear();
            in.seekg(static_cast<std::streamoff>(offset));
            in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count));
            return static_cast<size_t>(in.gcount());
        },
        size, data, problem);
    if (!found) {
        return Problem(CueStatus::UnsupportedAudio, file, problem);
    }
    audio = RawAudioFile::Open(path, data.offset, data.bytes, false);
    if (!audio) {
        return Problem(CueStatus::DataFileUnreadable, file, "cannot be read");
    }
    return {};
}

}  // namespace

std::optional<fs::path> FindDataFile(const fs::path& folder, const std::string& name) {
    // A name the system cannot convert (on Windows, to its UTF-16 names) is no file there.
    try {
        for (const fs::path& path : Readings(folder, name)) {
            if (IsFile(path)) {
                return path;
            }
        }
        std::string slashed = name;
        std::replace(slashed.begin(), slashed.end(), '\\', '/');
        for (const fs::path& path : Readings(folder, slashed)) {
            std::optional<fs::path> found = FindBlind(path);
            if (found && IsFile(*found)) {
                return found;
            }
        }
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

CueError OpenDataFile(const fs::path& folder, const CueFile& file, std::unique_ptr<AudioFile>& audio) {
    audio.reset();
    std::optional<fs::path> path = FindDataFile(folder, file.name);
    if (!path) {
        return CueError{CueStatus::DataFileNotFound, file.line, "file \"" + file.name + "\" not found"};
    }
    if (HoldsRawSectors(file.type)) {
        audio = RawAudioFile::Open(*path, 0, UINT64_MAX, file.type == CueFileType::Motorola);
        return audio ? CueError{} : Problem(CueStatus::DataFileUnreadable, file, "cannot be read");
    }
    // Sheets name a FLAC file WAVE as often as FLAC: the first bytes tell.
    char magic[4] = {};
    std::ifstream(*path, std::ios::binary).read(magic, sizeof magic);
    if (std::memcmp(magic, "RIFF", 4) == 0) {
        return OpenWave(*path, file, audio);
    }
    // A FLAC stream, possibly behind an ID3 tag, which the decoder skips.
    if (std::memcmp(magic, "fLaC", 4) == 0 || std::memcmp(magic, "ID3", 3) == 0) {
        std::string problem;
        bool unsupported = false;
        audio = FlacAudioFile::Open(*path, problem, unsupported);
        if (!audio) {
            return Problem(unsupported ? CueStatus::UnsupportedAudio : CueStatus::DataFileUnreadable, file, problem);
        }
        return {};
    }
    return Problem(CueStatus::UnsupportedAudio, file, "is neither a WAVE nor a FLAC file");
}

}  // namespace discdeck
