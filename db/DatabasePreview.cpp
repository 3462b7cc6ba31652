// The database preview's content and the titles report: both list the discs sorted by title text
// with each disc's run of track records.
#include "db/DiscDatabase.h"
#include "db/DiscRecords.h"
#include "db/RecordFile.h"
#include "export/HtmlPage.h"
#include "export/TextFormat.h"
#include "ports/Utf8Text.h"

namespace discdeck {
namespace {

// Calls `visit` with each track record of the disc: the run of records that starts at the first
// record with the disc's id, as long as the title record says, up to the end of the file.
template <typename Visit>
void ForEachTrack(RecordFile& tracks, const TitleRecord& title, Visit visit) {
    uint8_t key[4];
    EncodeDiscIdKey(title.discId, key);
    if (!tracks.FindFirst(key, CompareDiscId)) {
        return;
    }
    const uint32_t first = tracks.GetCurrentIndex();
    uint8_t image[kTrackRecordLength];
    for (uint32_t j = 0; j < title.trackCount && tracks.ReadRecord(first + j, image); ++j) {
        visit(DecodeTrackRecord(image));
    }
}

uint32_t Minutes(uint32_t ms) {
    return ms / 60000;
}
uint32_t Seconds(uint32_t ms) {
    return ms / 1000 % 60;
}

}  // namespace

std::string TitlesReportDiscLine(const TitleRecord& record, bool utf8) {
    std::string title = FitCharacters(StoredText(record.title, utf8), 60, false);
    return FormatText("<H4>%s&nbsp;&nbsp;Total tracks: %02u&nbsp;&nbsp;Total time:   %02u:%02u (%06u sec)</H4>",
                      EscapeHtml(title).c_str(), record.trackCount, Minutes(record.discLength),
                      Seconds(record.discLength), record.discLength / 1000);
}

std::string TitlesReportTrackLine(const TrackRecord& record, bool utf8) {
    std::string title = FitCharacters(StoredText(record.title, utf8), 60, false);
    return FormatText("%02u - (%02u:%02u)&nbsp;&nbsp;%s&nbsp;&nbsp;<BR>", record.trackNumber, Minutes(record.length),
                      Seconds(record.length), EscapeHtml(title).c_str());
}

DatabasePreview DiscDatabase::ReadPreview() {
    DatabasePreview preview;
    RecordFile titles(files);
    if (!titles.Open(PathOf(kTitlesFile), kTitleRecordLength)) {
        return preview;
    }
    RecordFile tracks(files);
    if (!tracks.Open(PathOf(kTracksFile), kTrackRecordLength)) {
        return preview;
    }
    titles.Sort(CompareTitleText);
    const bool titlesUtf8 = HoldsUtf8(titles.GetHeader());
    const bool tracksUtf8 = HoldsUtf8(tracks.GetHeader());
    uint8_t image[kTitleRecordLength];
    for (uint32_t i = 0; titles.ReadRecord(i, image); ++i) {
        TitleRecord title = DecodeTitleRecord(image);
        PreviewDisc disc;
        disc.text = StoredText(title.title, titlesUtf8) + " - " + StoredText(title.category, titlesUtf8);
        ForEachTrack(tracks, title, [&disc, tracksUtf8](const TrackRecord& track) {
            disc.trackTexts.push_back(FormatText("%02u - (%02u:%02u): %s", track.trackNumber, Minutes(track.length),
                                                 Seconds(track.length), StoredText(track.title, tracksUtf8).c_str()));
        });
        preview.discs.push_back(std::move(disc));
    }
    preview.countsLine = FormatText("Titles: %4u         Tracks: %4u", titles.GetCount(), tracks.GetCount());
    preview.loaded = true;
    return preview;
}

bool DiscDatabase::WriteTitlesReport(bool includeTracks) {
    RecordFile titles(files);
    if (!titles.Open(PathOf(kTitlesFile), kTitleRecordLength)) {
        return false;
    }
    RecordFile tracks(files);
    if (includeTracks && !tracks.Open(PathOf(kTracksFile), kTrackRecordLength)) {
        return false;
    }
    titles.Sort(CompareTitleText);
    const bool titlesUtf8 = HoldsUtf8(titles.GetHeader());
    const bool tracksUtf8 = includeTracks && HoldsUtf8(tracks.GetHeader());
    std::string page = PageHead();
    uint8_t image[kTitleRecordLength];
    for (uint32_t i = 0; titles.ReadRecord(i, image); ++i) {
        TitleRecord title = DecodeTitleRecord(image);
        page += TitlesReportDiscLine(title, titlesUtf8);
        if (includeTracks) {
            ForEachTrack(tracks, title, [&page, tracksUtf8](const TrackRecord& track) {
                page += TitlesReportTrackLine(track, tracksUtf8);
            });
        }
    }
    page += PageMiddle();
    page += PageTail();
    return WriteWholeFile(files, PathOf(kTitlesReportFile), page);
}

}  // namespace discdeck
