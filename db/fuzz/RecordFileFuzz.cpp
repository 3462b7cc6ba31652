// Record files are read from disk as they are: any bytes may come in. The input is split into a
// titles file and a tracks file; both are opened, read record by record, sorted, searched, grown
// and saved, and the database reads them as the player would.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cdaudio/CdAudioDevice.h"
#include "cdaudio/tests/InertDrive.h"
#include "db/DiscDatabase.h"
#include "db/DiscRecords.h"
#include "db/RecordFile.h"

namespace discdeck {
namespace {

// Files in memory, so a run touches no disk.
class MemoryFilePort : public FilePort {
  public:
    std::map<std::string, std::vector<uint8_t>> files;

    class Handle : public FileHandle {
      public:
        explicit Handle(std::vector<uint8_t>& data) : data(data) {}
        bool Read(void* buffer, size_t size, size_t& got) override {
            got = position < data.size() ? std::min(size, data.size() - position) : 0;
            if (got > 0) {
                std::memcpy(buffer, data.data() + position, got);
            }
            position += got;
            return true;
        }
        bool Write(const void* in, size_t size) override {
            const uint8_t* bytes = static_cast<const uint8_t*>(in);
            data.insert(data.end(), bytes, bytes + size);
            return true;
        }
        bool GetSize(uint64_t& size) override {
            size = data.size();
            return true;
        }
        bool Flush() override { return true; }
        bool Close() override { return true; }

      private:
        std::vector<uint8_t>& data;
        size_t position = 0;
    };

    std::unique_ptr<FileHandle> Open(const std::string& path, Access access) override {
        if (access == Access::CreateWrite) {
            files[path].clear();
        } else if (files.count(path) == 0) {
            return nullptr;
        }
        return std::make_unique<Handle>(files[path]);
    }
    bool Replace(const std::string& source, const std::string& target) override {
        auto found = files.find(source);
        if (found == files.end()) {
            return false;
        }
        files[target] = std::move(found->second);
        files.erase(source);
        return true;
    }
    bool Remove(const std::string& path) override { return files.erase(path) != 0; }
};

void Exercise(MemoryFilePort& port, const std::string& path, uint32_t length, RecordCompare compare) {
    RecordFile file(port);
    if (!file.Open(path, length)) {
        return;
    }
    std::vector<uint8_t> record(length);
    for (uint32_t i = 0; file.ReadRecord(i, record.data()); ++i) {
        if (length == kTitleRecordLength) {
            TitleRecord title = DecodeTitleRecord(record.data());
            (void)FieldText(title.title).size();
            (void)FieldText(title.category).size();
        } else {
            (void)FieldText(DecodeTrackRecord(record.data()).title).size();
        }
    }
    file.Sort(compare);
    if (file.GetCount() > 0 && file.ReadRecord(file.GetCount() / 2, record.data())) {
        if (file.Search(record.data(), compare) == nullptr || !file.FindFirst(record.data(), compare)) {
            __builtin_trap();  // a record is always found in its own sorted file
        }
    }
    for (int i = 0; i < 12; ++i) {
        file.AppendRecord(record.data());
    }
    uint32_t count = file.GetCount();
    if (!file.Save() || !file.Close() || !file.Open(path, length) || file.GetCount() != count) {
        __builtin_trap();  // what was saved reads back
    }
}

}  // namespace
}  // namespace discdeck

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace discdeck;
    // The first two bytes say where the titles file ends; the rest is the tracks file.
    size_t split = size >= 2 ? (data[0] | data[1] << 8) : 0;
    const uint8_t* body = size >= 2 ? data + 2 : data;
    size_t bodySize = size >= 2 ? size - 2 : size;
    if (split > bodySize) {
        split = bodySize;
    }
    {
        MemoryFilePort port;
        port.files["titles.sdb"].assign(body, body + split);
        port.files["tracks.sdb"].assign(body + split, body + bodySize);
        InertDrive drive;
        CdAudioDevice device(drive);
        if (split >= 28) {
            device.discId = LoadLe32(body + 24);
        }
        DiscDatabase database(port);
        database.LookUpDisc(device);
        database.ReadPreview();
        database.WriteTitlesReport(true);
    }
    {
        MemoryFilePort port;
        port.files["titles.sdb"].assign(body, body + split);
        port.files["tracks.sdb"].assign(body + split, body + bodySize);
        Exercise(port, "titles.sdb", kTitleRecordLength, CompareTitleText);
        Exercise(port, "tracks.sdb", kTrackRecordLength, CompareDiscId);
    }
    return 0;
}
