#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace discdeck::testing {

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        static std::atomic<int> counter{0};
        root = std::filesystem::temp_directory_path() /
               ("discdeck-cdaudio-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path(const std::string& relative) const { return (root / relative).string(); }

    void Write(const std::string& relative, const std::string& text) const {
        std::filesystem::create_directories((root / relative).parent_path());
        std::ofstream(root / relative, std::ios::binary | std::ios::trunc) << text;
    }

    // A file of the given size without writing its bytes (sparse where the file system allows).
    void WriteSized(const std::string& relative, uint64_t size) const {
        Write(relative, "");
        std::filesystem::resize_file(root / relative, size);
    }

    void Remove(const std::string& relative) const { std::filesystem::remove(root / relative); }

  private:
    std::filesystem::path root;
};

}  // namespace discdeck::testing
