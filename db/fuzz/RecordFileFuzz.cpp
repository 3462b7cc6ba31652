// Record files are read from disk as they are: any bytes may come in. The input is split into a
// titles file and a tracks file; both are opened, read record by record, sorted, searched, grown
// and saved, the database reads them as the player would, and a store into them is checked
// against what the whole-file engine makes of them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cdaudio/DiscInfo.h"
#include "db/DiscDatabase.h"
#include "db/DiscRecords.h"
#include "db/RecordFile.h"
#include "ports/MessageSink.h"

namespace discdeck {
namespace {

// Files in memory, so a run touches no disk.
class MemoryFilePort : public FilePort {
  public:
    std::map<std::string, std::vector<uint8_t>> files;

    class Handle : public FileHandle {
      public:
        Handle(MemoryFilePort& port, std::string path) : port(port), path(std::move(path)) {}
        bool Read(void* buffer, size_t size, size_t& got) override {
            std::vector<uint8_t>& data = Data();
            got = position < data.size() ? std::min(size, data.size() - position) : 0;
            if (got > 0) {
                std::memcpy(buffer, data.data() + position, got);
            }
            position += got;
            return true;
        }
        bool ReadAt(uint64_t offset, void* buffer, size_t size, size_t& got) override {
            position = static_cast<size_t>(offset);
            return Read(buffer, size, got);
        }
        bool Write(const void* in, size_t size) override {
            std::vector<uint8_t>& data = Data();
            if (data.size() < position + size) {
                data.resize(position + size);
            }
            std::memcpy(data.data() + position, in, size);
            position += size;
            return true;
        }
        bool Seek(uint64_t offset) override {
            position = static_cast<size_t>(offset);
            return true;
        }
        bool GetSize(uint64_t& size) override {
            size = Data().size();
            return true;
        }
        bool Flush() override { return true; }
        bool Close() override { return true; }
        FileFailure ReplaceTarget(const std::string& target, std::unique_ptr<FileHandle>& previous) override {
            previous.reset();
            std::vector<uint8_t> moved = std::move(Data());
            port.files.erase(path);
            port.files[target] = std::move(moved);
            path = target;
            return FileFailure::None;
        }

      private:
        std::vector<uint8_t>& Data() { return port.files[path]; }
        MemoryFilePort& port;
        std::string path;
        size_t position = 0;
    };

    std::unique_ptr<FileHandle> OpenFile(const std::string& path, Access access, FileFailure& failure) override {
        bool exists = files.count(path) != 0;
        failure = FileFailure::None;
        if (access == Access::CreateNew && exists) {
            failure = FileFailure::Exists;
        } else if ((access == Access::Read || access == Access::ReadWrite) && !exists) {
            failure = FileFailure::NotFound;
        }
        if (failure != FileFailure::None) {
            return nullptr;
        }
        if (access == Access::Overwrite || access == Access::CreateNew) {
            files[path].clear();
        }
        return std::make_unique<Handle>(*this, path);
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

using Bytes = std::vector<uint8_t>;

Bytes RecordsOf(RecordFile& file, uint32_t length) {
    Bytes records(size_t{file.GetCount()} * length);
    for (uint32_t i = 0; i < file.GetCount(); ++i) {
        file.ReadRecord(i, records.data() + size_t{i} * length);
    }
    return records;
}

// A store of a disc that the files don't hold leaves what the whole-file engine would: the titles
// sorted by id (equal ids in file order) and the new title after them; the tracks without any
// record of the disc, then its run. Headers keep everything but the count.
void CheckStore(const Bytes& titlesFile, const Bytes& tracksFile) {
    MemoryFilePort port;
    port.files["titles.sdb"] = titlesFile;
    port.files["tracks.sdb"] = tracksFile;
    RecordFile titles(port);
    RecordFile tracks(port);
    if (!titles.Open("titles.sdb", kTitleRecordLength) || !tracks.Open("tracks.sdb", kTrackRecordLength)) {
        return;
    }
    Bytes oldTitles = RecordsOf(titles, kTitleRecordLength);
    Bytes oldTracks = RecordsOf(tracks, kTrackRecordLength);
    RecordFileHeader titlesHeader = titles.GetHeader();
    RecordFileHeader tracksHeader = tracks.GetHeader();
    titles.Close();
    tracks.Close();

    // An id next to a stored one (so that its orphan tracks may be there too) that no title has.
    auto titled = [&oldTitles](uint32_t id) {
        for (size_t i = 0; i < oldTitles.size(); i += kTitleRecordLength) {
            if (LoadLe32(oldTitles.data() + i) == id) {
                return true;
            }
        }
        return false;
    };
    uint32_t id = titlesFile.size() >= 28 ? LoadLe32(titlesFile.data() + 24) + 1 : 7;
    while (titled(id)) {
        ++id;
    }
    DiscInfo info;
    info.discId = id;
    info.discTitle = "Stored";
    info.trackCount = 2;
    info.tracks[0].startMs = 2000;
    info.tracks[1].startMs = 60000;
    info.tracks[2].startMs = 90000;
    class Silent : public MessageSink {
      public:
        void ShowMessage(const std::string&, const std::string&) override { __builtin_trap(); }
    } silent;
    DiscDatabase(port).StoreDisc(info, silent);

    std::vector<uint32_t> order(oldTitles.size() / kTitleRecordLength);
    for (uint32_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return LoadLe32(oldTitles.data() + size_t{a} * kTitleRecordLength) <
               LoadLe32(oldTitles.data() + size_t{b} * kTitleRecordLength);
    });
    Bytes sorted;
    for (uint32_t i : order) {
        const uint8_t* record = oldTitles.data() + size_t{i} * kTitleRecordLength;
        sorted.insert(sorted.end(), record, record + kTitleRecordLength);
    }
    Bytes kept;
    for (size_t i = 0; i < oldTracks.size(); i += kTrackRecordLength) {
        if (LoadLe32(oldTracks.data() + i) != id) {
            kept.insert(kept.end(), oldTracks.begin() + i, oldTracks.begin() + i + kTrackRecordLength);
        }
    }
    auto expectFile = [&port, id](const char* name, RecordFileHeader header, const Bytes& records, uint32_t added,
                                  uint32_t length) {
        const Bytes& file = port.files[name];
        header.recordCount = static_cast<uint32_t>(records.size() / length) + added;
        uint8_t image[kRecordFileHeaderLength];
        EncodeRecordFileHeader(header, image);
        if (file.size() != sizeof image + records.size() + size_t{added} * length ||
            !std::equal(image, image + sizeof image, file.begin()) ||
            !std::equal(records.begin(), records.end(), file.begin() + sizeof image)) {
            __builtin_trap();
        }
        for (uint32_t i = 0; i < added; ++i) {
            if (LoadLe32(file.data() + sizeof image + records.size() + size_t{i} * length) != id) {
                __builtin_trap();
            }
        }
    };
    // A store rewrites an older file in UTF-8: its version, and every record's texts.
    auto inUtf8 = [](Bytes records, const RecordFileHeader& header, uint32_t length, RecordConvert convert) {
        for (size_t i = 0; !HoldsUtf8(header) && i < records.size(); i += length) {
            convert(records.data() + i);
        }
        return records;
    };
    expectFile("titles.sdb", Utf8Header(titlesHeader),
               inUtf8(sorted, titlesHeader, kTitleRecordLength, ConvertTitleRecordToUtf8), 1, kTitleRecordLength);
    expectFile("tracks.sdb", Utf8Header(tracksHeader),
               inUtf8(kept, tracksHeader, kTrackRecordLength, ConvertTrackRecordToUtf8), 2, kTrackRecordLength);
    if (port.files.size() != 2) {
        __builtin_trap();  // no temporary left behind
    }
    info.discTitle.clear();
    if (!DiscDatabase(port).LookUpDisc(info) || info.discTitle != "Stored") {
        __builtin_trap();
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
        DiscInfo info;
        if (split >= 28) {
            info.discId = LoadLe32(body + 24);
        }
        DiscDatabase database(port);
        database.LookUpDisc(info);
        DatabasePreview preview = database.Preview();
        if (preview.Load()) {
            preview.DiscTexts(0, preview.DiscCount());
            for (uint32_t i = 0; i < preview.DiscCount(); ++i) {
                preview.TrackTexts(i);
            }
        }
        database.WriteTitlesReport(true);
    }
    {
        MemoryFilePort port;
        port.files["titles.sdb"].assign(body, body + split);
        port.files["tracks.sdb"].assign(body + split, body + bodySize);
        Exercise(port, "titles.sdb", kTitleRecordLength, CompareTitleText);
        Exercise(port, "tracks.sdb", kTrackRecordLength, CompareDiscId);
    }
    CheckStore(std::vector<uint8_t>(body, body + split), std::vector<uint8_t>(body + split, body + bodySize));
    return 0;
}
