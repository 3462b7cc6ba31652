#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cdaudio/CdAudioDevice.h"
#include "cdaudio/MediaControl.h"
#include "cdaudio/tests/InertDrive.h"
#include "db/PosixFilePort.h"
#include "ports/CursorSink.h"
#include "ports/ListLines.h"
#include "ports/MessageSink.h"

namespace discdeck {
namespace testing_support {

using Bytes = std::vector<uint8_t>;

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

  private:
    std::string path;
};

bool FileExists(const std::string& path);
Bytes ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
std::vector<std::string> ListDirectory(const std::string& path);

// A record file image built by hand: header fields, then records.
Bytes RecordFileImage(uint32_t count,
                      uint32_t length,
                      const Bytes& records,
                      const char* signature = "Tarvikon",
                      const char* version = "1.00",
                      uint32_t headerLength = 24);
Bytes Le32(uint32_t value);

// The real file port with faults on demand, for files whose path contains `target`.
class FaultyFilePort : public FilePort {
  public:
    std::unique_ptr<FileHandle> Open(const std::string& path, Access access) override;
    bool Replace(const std::string& source, const std::string& target) override;
    bool Remove(const std::string& path) override;

    std::string target;        // empty: every file
    int64_t writeBudget = -1;  // bytes written before a write fails part-way (-1: none)
    bool failFlush = false;
    bool failClose = false;
    bool failReplace = false;
    bool failCreate = false;
    int opens = 0;

    void Disarm() {
        writeBudget = -1;
        failFlush = failClose = failReplace = failCreate = false;
    }

  private:
    bool Matches(const std::string& path) const;
    PosixFilePort real;
};

class RecordingMessages : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string& caption) override {
        texts.push_back(text);
        captions.push_back(caption);
    }
    std::vector<std::string> texts;
    std::vector<std::string> captions;
};

class RecordingCursor : public CursorSink {
  public:
    void SetCursorResource(int resourceId) override { ids.push_back(resourceId); }
    std::vector<int> ids;
};

class FixedLines : public ListLines {
  public:
    explicit FixedLines(std::vector<std::string> lines) : lines(std::move(lines)) {}
    int GetLineCount() const override { return static_cast<int>(lines.size()); }
    std::string GetLineText(int index) const override { return lines.at(static_cast<size_t>(index)); }
    std::vector<std::string> lines;
};

// A disc description as the device holds it after a look-up.
struct DiscSpec {
    uint32_t discId = 0;
    std::string title;
    std::string category;
    std::vector<uint32_t> startsMs;  // one per track, then the lead-out
    std::vector<std::string> trackTitles;
};

// Puts a disc into a device: ids, texts and a table whose entries agree with the starts.
void LoadDisc(CdAudioDevice& device, const DiscSpec& disc);
DiscSpec SampleDisc(uint32_t discId, const std::string& title, uint32_t tracks);

}  // namespace testing_support
}  // namespace discdeck
