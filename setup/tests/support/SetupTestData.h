#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace discdeck {

using Bytes = std::vector<std::uint8_t>;

// Deterministic test data: random bytes, or text-like bytes that compress.
Bytes RandomBytes(std::size_t size, std::uint32_t seed);
Bytes TextBytes(std::size_t size, std::uint32_t seed);

// The 34-byte trailer: name NUL-padded to 30 bytes (cut at 30), offset little-endian.
Bytes MakeTrailer(const std::string& name, std::uint32_t offset);
// A setup file: image, cabinet, trailer pointing at the cabinet.
Bytes MakeSetupFile(const Bytes& image, const Bytes& cabinet, const std::string& startName);

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDirectory {
  public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    // With a trailing slash.
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

struct GcabInput {
    std::string name;
    Bytes data;
    std::int64_t modified = 0;  // seconds since 1970, UTC
};

// A cabinet made by Debian's gcab, compressed with MSZIP or stored; empty if gcab failed.
Bytes MakeGcabCabinet(const std::vector<GcabInput>& files, bool mszip);

Bytes ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const Bytes& bytes);

}  // namespace discdeck
