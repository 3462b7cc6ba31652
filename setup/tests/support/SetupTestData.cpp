#include "setup/tests/support/SetupTestData.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <sys/stat.h>
#include <utime.h>

namespace discdeck {

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

Bytes TextBytes(std::size_t size, std::uint32_t seed) {
    static const char* const kWords[] = {"disc ",  "track ",    "title ", "artist ", "play ", "deck ", "audio ",
                                         "index ", "lead-out ", "frame ", "\r\n",    "CDDB ", "0123 "};
    std::mt19937 random(seed);
    Bytes bytes;
    while (bytes.size() < size) {
        const char* word = kWords[random() % (sizeof kWords / sizeof kWords[0])];
        while (*word != 0 && bytes.size() < size) {
            bytes.push_back(static_cast<std::uint8_t>(*word++));
        }
    }
    return bytes;
}

Bytes MakeTrailer(const std::string& name, std::uint32_t offset) {
    Bytes trailer(34, 0);
    for (std::size_t i = 0; i < name.size() && i < 30; ++i) {
        trailer[i] = static_cast<std::uint8_t>(name[i]);
    }
    for (int i = 0; i < 4; ++i) {
        trailer[30 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
    }
    return trailer;
}

Bytes MakeSetupFile(const Bytes& image, const Bytes& cabinet, const std::string& startName) {
    Bytes file = image;
    file.insert(file.end(), cabinet.begin(), cabinet.end());
    const Bytes trailer = MakeTrailer(startName, static_cast<std::uint32_t>(image.size()));
    file.insert(file.end(), trailer.begin(), trailer.end());
    return file;
}

TempDirectory::TempDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "discdeck-setup-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    path_ = pattern + "/";
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    // Read-only files cannot stop the removal of their directory.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}

Bytes ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

Bytes MakeGcabCabinet(const std::vector<GcabInput>& files, bool mszip) {
    TempDirectory work;
    std::string command = "cd '" + work.path() + "' && gcab -c -n " + std::string(mszip ? "-z " : "") + "out.cab";
    for (const GcabInput& file : files) {
        const std::string path = work.path() + file.name;
        if (!WriteWholeFile(path, file.data)) {
            return Bytes();
        }
        const struct utimbuf stamp = {static_cast<time_t>(file.modified), static_cast<time_t>(file.modified)};
        utime(path.c_str(), &stamp);
        command += " '" + file.name + "'";
    }
    command += " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        return Bytes();
    }
    return ReadWholeFile(work.path() + "out.cab");
}

}  // namespace discdeck
