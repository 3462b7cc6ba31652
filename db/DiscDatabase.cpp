#include "db/DiscDatabase.h"

#include <algorithm>
#include <vector>

#include "cdaudio/DiscInfo.h"
#include "db/DatabaseFiles.h"
#include "db/DiscRecords.h"
#include "db/RecordStream.h"
#include "db/TitlesOrder.h"
#include "export/TextFormat.h"
#include "ports/MessageSink.h"

namespace discdeck {

DiscDatabase::DiscDatabase(FilePort& files, std::string directory, BusyWait wait)
    : files(files), directory(std::move(directory)), wait(std::move(wait)) {}

namespace {

// Copies the tracks file into `out` without the records of the disc id: a disc that is not in the
// titles file has no business in the tracks file, and what is there is the run of an earlier
// store whose title never made it. A store replaces that run instead of adding a second one.
bool CopyTracksWithout(HeldFile& tracks, uint32_t discId, RecordWriter& out) {
    if (tracks.empty) {
        return true;
    }
    const uint32_t length = kTrackRecordLength;
    bool written = true;
    bool read = tracks.records.ForEachBlock(0, [&](uint32_t, const uint8_t* records, uint32_t count) {
        uint32_t runStart = 0;
        for (uint32_t i = 0; i <= count && written; ++i) {
            if (i == count || LoadLe32(records + size_t{i} * length) == discId) {
                if (i > runStart) {
                    written = out.Append(records + size_t{runStart} * length, i - runStart);
                }
                runStart = i + 1;
            }
        }
        return written;
    });
    return read && written;
}

// A new file beside `held` for its next image, held until it takes the file's place.
std::unique_ptr<FileHandle> OpenReplacement(FilePort& files, const BusyWait& wait, const HeldFile& held) {
    std::unique_ptr<FileHandle> handle;
    RetryWhileBusy(wait, [&] {
        FileFailure failure = FileFailure::None;
        handle = files.OpenFile(TemporaryPathOf(held.path), FilePort::Access::Overwrite, failure);
        return failure;
    });
    return handle;
}

}  // namespace

void DiscDatabase::StoreDisc(const DiscInfo& disc, MessageSink& messages) {
    const uint32_t count = disc.trackCount;
    // Not identified yet, or a count the table can't hold (its lead-out entry would be missing).
    if (count == 0 || disc.discTitle.empty() || count >= disc.tracks.size()) {
        return;
    }
    DatabaseFiles held(files, wait);
    // Without the titles file the disc can't be found again, so its tracks would be appended on
    // every store; without the tracks file its title would point at nothing.
    if (!held.OpenToStore(PathOf(kTitlesFile), PathOf(kTracksFile), messages)) {
        return;
    }
    files.ClearFailure();
    // The first file that fails and the system's reason, taken at once: cleaning up may fail too.
    const char* failed = nullptr;
    std::string reason;
    auto fail = [&](const char* kind) {
        if (failed == nullptr) {
            failed = kind;
            reason = files.LastFailure();
        }
        return false;
    };

    TitlesOrder order;
    if (!held.titles.empty && !order.Scan(held.titles.records, disc.discId)) {
        fail("TITLE");
    } else if (order.Contains()) {
        return;  // stored already: both files stay as they are
    }
    if (failed == nullptr) {
        StoreNewDisc(disc, held, order, fail);
    }
    if (failed != nullptr) {
        // Shown with both files let go: a message box waits for the user, other programs need not.
        held.Release();
        std::string text = FormatText("Unable to save %s database file !!!", failed);
        messages.ShowMessage(reason.empty() ? text : text + " (" + reason + ")");
    }
}

// Writes both new images in full before either takes its file's place, so that a failure before
// that leaves both files as they were; `fail` is told which file failed.
void DiscDatabase::StoreNewDisc(const DiscInfo& disc,
                                DatabaseFiles& held,
                                const TitlesOrder& order,
                                const std::function<bool(const char*)>& fail) {
    const uint32_t count = disc.trackCount;
    uint8_t titleImage[kTitleRecordLength];
    EncodeTitleRecord(MakeTitleRecord(disc.discId, disc.discTitle, disc.category, disc.tracks[count].startMs, count),
                      titleImage);
    std::vector<uint8_t> run(size_t{count} * kTrackRecordLength);
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t trackImage[kTrackRecordLength];
        uint32_t length = disc.tracks[i + 1].startMs - disc.tracks[i].startMs;
        EncodeTrackRecord(MakeTrackRecord(disc.discId, i + 1, disc.trackTitles[i], length), trackImage);
        std::copy(trackImage, trackImage + kTrackRecordLength, run.begin() + i * kTrackRecordLength);
    }

    std::unique_ptr<FileHandle> newTracks = OpenReplacement(files, wait, held.tracks);
    std::unique_ptr<FileHandle> newTitles = newTracks ? OpenReplacement(files, wait, held.titles) : nullptr;
    bool written = (newTracks || fail("TRACK")) && (newTitles || fail("TITLE"));
    if (written) {
        // An old file's texts are in the ANSI code page: its first store rewrites it in UTF-8.
        const RecordFileHeader tracksHeader = held.tracks.GetHeader();
        const RecordFileHeader titlesHeader = held.titles.GetHeader();
        RecordWriter tracksOut(*newTracks, Utf8Header(tracksHeader),
                               HoldsUtf8(tracksHeader) ? nullptr : ConvertTrackRecordToUtf8);
        RecordWriter titlesOut(*newTitles, Utf8Header(titlesHeader),
                               HoldsUtf8(titlesHeader) ? nullptr : ConvertTitleRecordToUtf8);
        written = (tracksOut.Begin() && CopyTracksWithout(held.tracks, disc.discId, tracksOut) &&
                   tracksOut.AppendOwn(run.data(), count) && tracksOut.Finish()) ||
                  fail("TRACK");
        written = written &&
                  ((titlesOut.Begin() && (held.titles.empty || order.WriteSorted(held.titles.records, titlesOut)) &&
                    titlesOut.AppendOwn(titleImage) && titlesOut.Finish()) ||
                   fail("TITLE"));
    }
    auto discard = [this](std::unique_ptr<FileHandle>& replacement, const HeldFile& file) {
        if (replacement) {
            replacement.reset();
            files.Remove(TemporaryPathOf(file.path));
        }
    };
    if (!written) {
        discard(newTracks, held.tracks);
        discard(newTitles, held.titles);
        return;
    }
    // The title record is the commit mark: it is saved only once the disc's tracks are. A failure
    // in between leaves a run without a title, which the next store of the disc replaces.
    if (!held.Replace(held.tracks, newTracks)) {
        fail("TRACK");
        discard(newTitles, held.titles);
    } else if (!held.Replace(held.titles, newTitles)) {
        fail("TITLE");
    }
}

bool DiscDatabase::LookUpDisc(DiscInfo& disc) {
    DatabaseFiles held(files, wait);
    if (!held.OpenToRead(PathOf(kTitlesFile), PathOf(kTracksFile))) {
        return false;
    }
    uint32_t titleIndex = 0;
    uint8_t image[kTitleRecordLength];
    if (!FindTitle(held.titles.records, disc.discId, titleIndex) || !held.titles.records.Read(titleIndex, 1, image)) {
        return false;
    }
    TitleRecord title = DecodeTitleRecord(image);
    disc.discTitle = StoredText(title.title, HoldsUtf8(held.titles.GetHeader()));
    const bool tracksUtf8 = HoldsUtf8(held.tracks.GetHeader());

    uint32_t first = 0;
    if (FindDiscId(held.tracks.records, disc.discId, first)) {
        uint64_t available = held.tracks.records.GetCount() - first;
        uint64_t wanted = title.trackCount;
        if (wanted > disc.trackTitles.size()) {
            wanted = disc.trackTitles.size();
        }
        if (wanted > available) {
            wanted = available;
        }
        std::vector<uint8_t> run(static_cast<size_t>(wanted) * kTrackRecordLength);
        if (held.tracks.records.Read(first, static_cast<uint32_t>(wanted), run.data())) {
            for (size_t j = 0; j < wanted; ++j) {
                disc.trackTitles[j] =
                    StoredText(DecodeTrackRecord(run.data() + j * kTrackRecordLength).title, tracksUtf8);
            }
        }
    }
    return true;
}

DatabasePreview DiscDatabase::Preview() const {
    return DatabasePreview(files, PathOf(kTitlesFile), PathOf(kTracksFile), wait);
}

bool DiscDatabase::WriteTitlesReport(bool includeTracks, const ReadProgress& progress) {
    return Preview().WriteReport(PathOf(kTitlesReportFile), includeTracks, progress);
}

}  // namespace discdeck
