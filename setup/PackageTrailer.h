#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace discdeck {

// The last 34 bytes of a setup file: the name of the program to start after unpacking (30 bytes,
// NUL-padded) and the little-endian file offset at which the package starts. The package runs from
// that offset to the end of the file, trailer included.
struct PackageTrailer {
    static constexpr std::size_t kSize = 34;
    static constexpr std::size_t kNameSize = 30;
    static constexpr std::size_t kOffsetSize = 4;
    // Header, one folder and one file entry with a one-character name: no cabinet is smaller.
    static constexpr std::int64_t kMinimumCabinetSize = 36 + 8 + 16 + 2;

    // Bytes at the start of a setup file read to find its certificate table.
    static constexpr std::size_t kHeaderReadSize = 4096;

    std::string name;
    std::uint32_t offset = 0;

    // Where a setup file's own content ends when header holds its first bytes (up to
    // kHeaderReadSize): Authenticode signing appends the certificate table after everything else
    // and the PE security directory gives its file offset, so the trailer lies just before it.
    // fileLength for an unsigned file or one that is no PE image; -1 for a table that does not end
    // the file or starts inside the headers.
    static std::int64_t ContentEnd(const std::uint8_t* header, std::size_t size, std::int64_t fileLength);

    // The name field runs to its first NUL byte; a name of all 30 characters has none.
    static std::string ParseName(const std::uint8_t (&field)[kNameSize]);
    static std::uint32_t ParseOffset(const std::uint8_t (&field)[kOffsetSize]);

    // Size of the package (cabinet plus trailer) in a setup file of fileLength bytes.
    std::int64_t PackageSize(std::int64_t fileLength) const { return fileLength - offset; }
    // Why the package cannot lie where the trailer says in a file of fileLength bytes; empty when it
    // can: the offset must leave room for a cabinet before the trailer.
    std::string CheckLayout(std::int64_t fileLength) const;
};

}  // namespace discdeck
