#include "db/DiscDatabase.h"

#include "cdaudio/CdAudioDevice.h"
#include "db/DiscRecords.h"
#include "db/RecordFile.h"
#include "ports/MessageSink.h"

namespace discdeck {

DiscDatabase::DiscDatabase(FilePort& files, std::string directory) : files(files), directory(std::move(directory)) {}

namespace {

// Makes sure a database file exists and opens it; the messages name what failed.
bool OpenForStore(RecordFile& file,
                  const std::string& path,
                  uint32_t recordLength,
                  const char* createMessage,
                  const char* openMessage,
                  MessageSink& messages) {
    if (!file.Exists(path) && !file.Create(path, recordLength)) {
        messages.ShowMessage(createMessage);
    }
    if (!file.Open(path, recordLength)) {
        messages.ShowMessage(openMessage);
        return false;
    }
    return true;
}

}  // namespace

void DiscDatabase::StoreDisc(const CdAudioDevice& device, MessageSink& messages) {
    const uint32_t count = device.trackCount;
    // Not identified yet, or a count the table can't hold (its lead-out entry would be missing).
    if (count == 0 || device.discTitle.empty() || count >= device.tracks.size()) {
        return;
    }

    RecordFile titles(files);
    bool titlesUsable =
        OpenForStore(titles, PathOf(kTitlesFile), kTitleRecordLength, "Unable to create TITLE database file !!!",
                     "Unable to open TITLE database file !!!", messages);
    RecordFile tracks(files);
    bool tracksUsable =
        OpenForStore(tracks, PathOf(kTracksFile), kTrackRecordLength, "Unable to create TRACK database file !!!",
                     "Unable to open TRACK database file !!!", messages);
    // Without the titles file the disc can't be found again, so its tracks would be appended on
    // every store; without the tracks file its title would point at nothing.
    if (!titlesUsable || !tracksUsable) {
        return;
    }

    uint8_t key[4];
    EncodeDiscIdKey(device.discId, key);
    titles.Sort(CompareDiscId);
    if (titles.Search(key, CompareDiscId) != nullptr) {
        return;
    }

    uint8_t titleImage[kTitleRecordLength];
    EncodeTitleRecord(
        MakeTitleRecord(device.discId, device.discTitle, device.category, device.tracks[count].startMs, count),
        titleImage);
    if (!titles.AppendRecord(titleImage)) {
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t trackImage[kTrackRecordLength];
        uint32_t length = device.tracks[i + 1].startMs - device.tracks[i].startMs;
        EncodeTrackRecord(MakeTrackRecord(device.discId, i + 1, device.trackTitles[i], length), trackImage);
        if (!tracks.AppendRecord(trackImage)) {
            return;
        }
    }
    // The title record is the commit mark: it is saved only once the disc's tracks are, so a
    // failure in between can't leave a title whose tracks would never be stored.
    if (tracks.Save()) {
        titles.Save();
    }
}

bool DiscDatabase::LookUpDisc(CdAudioDevice& device) {
    RecordFile titles(files);
    if (!titles.Open(PathOf(kTitlesFile), kTitleRecordLength)) {
        return false;
    }
    RecordFile tracks(files);
    if (!tracks.Open(PathOf(kTracksFile), kTrackRecordLength)) {
        return false;
    }
    uint8_t key[4];
    EncodeDiscIdKey(device.discId, key);
    titles.Sort(CompareDiscId);
    const void* found = titles.Search(key, CompareDiscId);
    if (found == nullptr) {
        return false;
    }
    TitleRecord title = DecodeTitleRecord(static_cast<const uint8_t*>(found));
    device.discTitle = FieldText(title.title);

    if (tracks.FindFirst(key, CompareDiscId)) {
        const uint32_t first = tracks.GetCurrentIndex();
        uint8_t image[kTrackRecordLength];
        for (uint32_t j = 0;
             j < title.trackCount && j < device.trackTitles.size() && tracks.ReadRecord(first + j, image); ++j) {
            device.trackTitles[j] = FieldText(DecodeTrackRecord(image).title);
        }
    }
    return true;
}

}  // namespace discdeck
