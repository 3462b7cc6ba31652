#pragma once

// A database of any size for the benchmarks of both builds, written through the file port, and
// the work that every store has to do at least, as a yardstick.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "cdaudio/DiscInfo.h"
#include "db/DiscDatabase.h"
#include "db/DiscRecords.h"
#include "db/RecordStream.h"
#include "ports/FilePort.h"
#include "ports/MessageSink.h"

namespace discdeck::bench {

constexpr uint32_t kTracksPerDisc = 10;

// Distinct, well-spread disc ids (an odd multiplier is a bijection on 32 bits).
inline uint32_t DiscIdOf(uint32_t index) {
    return (index + 1) * 2654435761u;
}

class Silent : public MessageSink {
  public:
    void ShowMessage(const std::string&, const std::string&) override {}
};

// The files as a long series of stores leaves them: titles sorted by id, tracks in the order the
// discs were stored (disc 0 first).
inline bool FillDatabase(FilePort& files, const std::string& dir, uint32_t discs) {
    std::vector<uint32_t> order(discs);
    for (uint32_t i = 0; i < discs; ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [](uint32_t a, uint32_t b) { return DiscIdOf(a) < DiscIdOf(b); });
    std::unique_ptr<FileHandle> titles = files.Open(JoinPath(dir, "titles.sdb"), FilePort::Access::Overwrite);
    std::unique_ptr<FileHandle> tracks = files.Open(JoinPath(dir, "tracks.sdb"), FilePort::Access::Overwrite);
    if (!titles || !tracks) {
        return false;
    }
    RecordWriter titlesOut(*titles, NewRecordFileHeader(kTitleRecordLength, kUtf8DatabaseVersion));
    RecordWriter tracksOut(*tracks, NewRecordFileHeader(kTrackRecordLength, kUtf8DatabaseVersion));
    bool written = titlesOut.Begin() && tracksOut.Begin();
    for (uint32_t i = 0; i < discs && written; ++i) {
        uint8_t title[kTitleRecordLength];
        EncodeTitleRecord(MakeTitleRecord(DiscIdOf(order[i]), "Artist " + std::to_string(order[i]) + " / Album", "rock",
                                          kTracksPerDisc * 240000, kTracksPerDisc),
                          title);
        written = titlesOut.Append(title);
        for (uint32_t t = 0; t < kTracksPerDisc && written; ++t) {
            uint8_t track[kTrackRecordLength];
            EncodeTrackRecord(MakeTrackRecord(DiscIdOf(i), t + 1, "Track " + std::to_string(t + 1), 240000), track);
            written = tracksOut.Append(track);
        }
    }
    return written && titlesOut.Finish() && tracksOut.Finish() && titles->Close() && tracks->Close();
}

inline void LoadNewDisc(DiscInfo& info, uint32_t id) {
    info.discId = id;
    info.discTitle = "New Artist / New Album";
    info.category = "misc";
    info.trackCount = kTracksPerDisc;
    for (uint32_t t = 0; t <= kTracksPerDisc; ++t) {
        info.tracks[t].startMs = 2000 + t * 240000;
        if (t < kTracksPerDisc) {
            info.trackTitles[t] = "New track " + std::to_string(t + 1);
        }
    }
}

// One sequential read of a whole file into memory, as the old engine loaded titles.sdb.
inline bool ReadWholeFile(FilePort& files, const std::string& path, std::vector<uint8_t>& content) {
    std::unique_ptr<FileHandle> file = files.Open(path, FilePort::Access::Read);
    uint64_t size = 0;
    size_t got = 0;
    if (!file || !file->GetSize(size)) {
        return false;
    }
    content.resize(static_cast<size_t>(size));
    return file->Read(content.data(), content.size(), got) && got == content.size() && file->Close();
}

// The least that storing a new disc takes: reading both files once and writing both once, with
// the same flushes and the same replacement, `added` records longer each.
inline bool CopyWithAddedRecords(FilePort& files, const std::string& path, uint32_t added, uint32_t recordLength) {
    std::unique_ptr<FileHandle> source = files.Open(path, FilePort::Access::ReadWrite);
    std::unique_ptr<FileHandle> copy = files.Open(TemporaryPathOf(path), FilePort::Access::Overwrite);
    if (!source || !copy) {
        return false;
    }
    std::vector<uint8_t> block(RecordReader::kBlockBytes);
    size_t got = 0;
    uint64_t total = 0;
    do {
        if (!source->Read(block.data(), block.size(), got) || !copy->Write(block.data(), got)) {
            return false;
        }
        total += got;
    } while (got == block.size());
    std::vector<uint8_t> records(size_t{added} * recordLength, 0x41);
    uint8_t header[4];
    StoreLe32(header, static_cast<uint32_t>((total - kRecordFileHeaderLength) / recordLength + added));
    return copy->Write(records.data(), records.size()) && copy->Seek(12) && copy->Write(header, sizeof header) &&
           copy->Flush() && copy->ReplaceTarget(path, source) == FileFailure::None && copy->Close();
}

}  // namespace discdeck::bench
