#include "db/DatabasePreview.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "db/DiscRecords.h"
#include "export/HtmlPage.h"
#include "export/TextFormat.h"
#include "ports/Utf8Text.h"

namespace discdeck {
namespace {

// Discs are sorted by this many leading bytes of their titles kept in memory; the few that share
// them (titles this long that start alike) are told apart by reading their whole titles.
constexpr size_t kPrefix = 16;

// Track runs read at a time: a damaged title may count billions of tracks.
constexpr uint32_t kTracksAtOnce = 1024;
// The report is written in pieces of about this size.
constexpr size_t kPageChunk = 256 * 1024;

uint32_t Minutes(uint32_t ms) {
    return ms / 60000;
}
uint32_t Seconds(uint32_t ms) {
    return ms / 1000 % 60;
}

// `value` in decimal with at least `width` digits, as printf's "%0*u".
void AppendNumber(std::string& out, uint32_t value, size_t width) {
    char digits[10];
    size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (n < width) {
        out.append(width - n, '0');
    }
    while (n > 0) {
        out += digits[--n];
    }
}

// A text field as "%60.60s" shows it (cut to 60 characters, right-aligned), made safe for the page.
// Characters are counted, so a title in any script keeps its width and is never cut inside one.
template <size_t N>
void AppendReportTitle(std::string& out, const char (&field)[N], bool utf8) {
    const std::string title = FitCharacters(StoredText(field, utf8), 60, false);
    AppendEscapedHtml(out, title.data(), title.size());
}

// "<H4>%60.60s&nbsp;&nbsp;Total tracks: %02d&nbsp;&nbsp;Total time:   %02d:%02d (%06ld sec)</H4>"
void AppendDiscLine(std::string& out, const TitleRecord& record, bool utf8) {
    out += "<H4>";
    AppendReportTitle(out, record.title, utf8);
    out += "&nbsp;&nbsp;Total tracks: ";
    AppendNumber(out, record.trackCount, 2);
    out += "&nbsp;&nbsp;Total time:   ";
    AppendNumber(out, Minutes(record.discLength), 2);
    out += ':';
    AppendNumber(out, Seconds(record.discLength), 2);
    out += " (";
    AppendNumber(out, record.discLength / 1000, 6);
    out += " sec)</H4>";
}

// "%02d - (%02d:%02d)&nbsp;&nbsp;%60.60s&nbsp;&nbsp;<BR>"
void AppendTrackLine(std::string& out, const TrackRecord& record, bool utf8) {
    AppendNumber(out, record.trackNumber, 2);
    out += " - (";
    AppendNumber(out, Minutes(record.length), 2);
    out += ':';
    AppendNumber(out, Seconds(record.length), 2);
    out += ")&nbsp;&nbsp;";
    AppendReportTitle(out, record.title, utf8);
    out += "&nbsp;&nbsp;<BR>";
}

// "%s - %s": title, category.
std::string DiscText(const TitleRecord& record, bool utf8) {
    std::string text = StoredText(record.title, utf8);
    text += " - ";
    text += StoredText(record.category, utf8);
    return text;
}

}  // namespace

struct DatabasePreview::TitleKey {
    uint8_t prefix[kPrefix];  // the title's first bytes, zero after its end
    uint32_t record;

    bool operator<(const TitleKey& other) const {
        int order = std::memcmp(prefix, other.prefix, kPrefix);
        return order != 0 ? order < 0 : record < other.record;
    }
};

struct DatabasePreview::Progress {
    uint64_t done;
    uint64_t total;
    const ReadProgress& report;

    void Advance(uint64_t bytes) {
        done += bytes;
        if (report) {
            report(done, total);
        }
    }
};

DatabasePreview::DatabasePreview(FilePort& files, std::string titlesPath, std::string tracksPath, BusyWait wait)
    : files(files), titlesPath(std::move(titlesPath)), tracksPath(std::move(tracksPath)), wait(std::move(wait)) {}

bool DatabasePreview::Load(const ReadProgress& progress) {
    loaded = false;
    groupTexts.clear();
    DatabaseFiles held(files, wait);
    if (!held.OpenToRead(titlesPath, tracksPath) || !Index(held, true, true, progress)) {
        discs.clear();
        order.clear();
        kept.clear();
        return false;
    }
    if (!Grouped()) {
        loaded = true;
        return true;
    }
    uint8_t first[kTitleRecordLength];
    uint8_t last[kTitleRecordLength];
    for (uint32_t group = 0; group < GroupCount(); ++group) {
        uint32_t end = std::min(DiscCount(), (group + 1) * kGroupSize);
        if (!ReadTitle(held.titles.records, group * kGroupSize, first) ||
            !ReadTitle(held.titles.records, end - 1, last)) {
            return false;
        }
        groupTexts.push_back(StoredText(DecodeTitleRecord(first).title, titlesUtf8) + " ... " +
                             StoredText(DecodeTitleRecord(last).title, titlesUtf8));
    }
    loaded = true;
    return true;
}

// One pass over each file. The tracks first: where each disc id's first run starts (8 bytes a
// run while the titles are read); then the titles, each with its sort key and its run.
bool DatabasePreview::Index(DatabaseFiles& held, bool withTracks, bool keepTexts, const ReadProgress& report) {
    discs.clear();
    order.clear();
    kept.clear();
    titlesUtf8 = HoldsUtf8(held.titles.GetHeader());
    tracksUtf8 = !withTracks || HoldsUtf8(held.tracks.GetHeader());
    const uint64_t titleBytes = uint64_t{held.titles.GetCount()} * kTitleRecordLength;
    const uint64_t trackBytes = withTracks ? uint64_t{held.tracks.GetCount()} * kTrackRecordLength : 0;
    Progress progress{0, titleBytes + trackBytes, report};
    if (keepTexts && held.titles.GetCount() > mostUngrouped) {
        keepTexts = false;
    }

    std::vector<uint64_t> runs;  // disc id << 32 | index of a run's first record
    if (withTracks) {
        runs.reserve(held.titles.GetCount() + size_t{1024});  // about one run a disc
        uint32_t previous = 0;
        bool read = held.tracks.records.ForEachBlock(0, [&](uint32_t first, const uint8_t* records, uint32_t count) {
            for (uint32_t i = 0; i < count; ++i) {
                uint32_t id = LoadLe32(records + size_t{i} * kTrackRecordLength);
                if (first + i == 0 || id != previous) {
                    runs.push_back(uint64_t{id} << 32 | (first + i));
                }
                previous = id;
            }
            progress.Advance(uint64_t{count} * kTrackRecordLength);
            return true;
        });
        if (!read) {
            return false;
        }
        // A disc's tracks are the run at its id's first record.
        std::sort(runs.begin(), runs.end());
        runs.erase(std::unique(runs.begin(), runs.end(), [](uint64_t a, uint64_t b) { return a >> 32 == b >> 32; }),
                   runs.end());
    }
    std::vector<TitleKey> keys;
    if (!IndexTitles(held.titles.records, runs, keepTexts, progress, keys)) {
        return false;
    }
    std::vector<uint64_t>().swap(runs);  // gone before the sort needs its room
    if (!SortTitles(held.titles.records, keys)) {
        return false;
    }
    countsLine =
        FormatText("Titles: %4u         Tracks: %4u", held.titles.GetCount(), withTracks ? held.tracks.GetCount() : 0u);
    return true;
}

bool DatabasePreview::IndexTitles(RecordReader& titles,
                                  const std::vector<uint64_t>& runs,
                                  bool keepTexts,
                                  Progress& progress,
                                  std::vector<TitleKey>& keys) {
    keys.reserve(titles.GetCount());
    discs.reserve(titles.GetCount());
    bool read = titles.ForEachBlock(0, [&](uint32_t first, const uint8_t* records, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* image = records + size_t{i} * kTitleRecordLength;
            TitleKey key{};
            for (size_t b = 0; b < kPrefix && image[4 + b] != 0; ++b) {
                key.prefix[b] = image[4 + b];
            }
            key.record = first + i;
            keys.push_back(key);
            const uint32_t id = LoadLe32(image);
            auto run = std::lower_bound(runs.begin(), runs.end(), uint64_t{id} << 32);
            const bool hasRun = run != runs.end() && *run >> 32 == id;
            discs.push_back(Disc{id, hasRun ? static_cast<uint32_t>(*run) : kNone});
            if (keepTexts) {
                kept.push_back(DiscText(DecodeTitleRecord(image), titlesUtf8));
            }
        }
        progress.Advance(uint64_t{count} * kTitleRecordLength);
        return true;
    });
    return read;
}

bool DatabasePreview::SortTitles(RecordReader& titles, std::vector<TitleKey>& keys) {
    std::sort(keys.begin(), keys.end());
    // Keys that fill their prefix may belong to titles that differ further on.
    for (size_t start = 0; start < keys.size();) {
        size_t end = start + 1;
        while (end < keys.size() && std::memcmp(keys[start].prefix, keys[end].prefix, kPrefix) == 0) {
            ++end;
        }
        if (end - start > 1 && keys[start].prefix[kPrefix - 1] != 0) {
            std::vector<std::pair<std::string, uint32_t>> whole;
            uint8_t image[kTitleRecordLength];
            for (size_t k = start; k < end; ++k) {
                if (!titles.Read(keys[k].record, 1, image)) {
                    return false;
                }
                whole.emplace_back(FieldText(DecodeTitleRecord(image).title), keys[k].record);
            }
            std::sort(whole.begin(), whole.end());
            for (size_t k = start; k < end; ++k) {
                keys[k].record = whole[k - start].second;
            }
        }
        start = end;
    }
    order.reserve(keys.size());
    for (const TitleKey& key : keys) {
        order.push_back(key.record);
    }
    return true;
}

bool DatabasePreview::ReadTitle(RecordReader& titles, uint32_t position, uint8_t* image) {
    const uint32_t record = order[position];
    const uint32_t id = discs[record].discId;
    if (record < titles.GetCount() && titles.Read(record, 1, image) && LoadLe32(image) == id) {
        return true;
    }
    uint32_t found = 0;
    return FindTitle(titles, id, found) && titles.Read(found, 1, image);
}

template <typename Visit>
bool DatabasePreview::ForEachTrack(RecordReader& tracks, uint32_t position, uint32_t trackCount, Visit visit) {
    const Disc& disc = discs[order[position]];
    uint32_t first = disc.firstTrack;
    uint8_t probe[kTrackRecordLength];
    if (first == kNone) {
        return true;
    }
    if (first >= tracks.GetCount() || !tracks.Read(first, 1, probe) || LoadLe32(probe) != disc.discId) {
        if (!FindDiscId(tracks, disc.discId, first)) {
            return true;  // its tracks went since loading
        }
    }
    uint32_t remaining = std::min(trackCount, tracks.GetCount() - first);
    std::vector<uint8_t> run(size_t{std::min(remaining, kTracksAtOnce)} * kTrackRecordLength);
    while (remaining > 0) {
        uint32_t count = std::min(remaining, kTracksAtOnce);
        if (!tracks.Read(first, count, run.data()) || !visit(run.data(), count)) {
            return false;
        }
        first += count;
        remaining -= count;
    }
    return true;
}

std::vector<std::string> DatabasePreview::DiscTexts(uint32_t first, uint32_t count) {
    std::vector<std::string> texts;
    count = first < DiscCount() ? std::min(count, DiscCount() - first) : 0;
    if (!kept.empty()) {
        for (uint32_t position = first; position < first + count; ++position) {
            texts.push_back(kept[order[position]]);
        }
        return texts;
    }
    DatabaseFiles held(files, wait);
    if (count == 0 || !held.OpenToRead(titlesPath, std::string())) {
        return texts;
    }
    const bool utf8 = HoldsUtf8(held.titles.GetHeader());
    uint8_t image[kTitleRecordLength];
    for (uint32_t position = first; position < first + count; ++position) {
        bool found = ReadTitle(held.titles.records, position, image);
        texts.push_back(found ? DiscText(DecodeTitleRecord(image), utf8) : std::string());
    }
    return texts;
}

std::vector<std::string> DatabasePreview::TrackTexts(uint32_t position) {
    std::vector<std::string> texts;
    DatabaseFiles held(files, wait);
    if (position >= DiscCount() || !held.OpenToRead(titlesPath, tracksPath)) {
        return texts;
    }
    uint8_t image[kTitleRecordLength];
    if (!ReadTitle(held.titles.records, position, image)) {
        return texts;
    }
    const uint32_t trackCount = DecodeTitleRecord(image).trackCount;
    const bool utf8 = HoldsUtf8(held.tracks.GetHeader());
    ForEachTrack(held.tracks.records, position, trackCount, [&texts, utf8](const uint8_t* records, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) {
            TrackRecord track = DecodeTrackRecord(records + size_t{i} * kTrackRecordLength);
            texts.push_back(FormatText("%02u - (%02u:%02u): %s", track.trackNumber, Minutes(track.length),
                                       Seconds(track.length), StoredText(track.title, utf8).c_str()));
        }
        return true;
    });
    return texts;
}

namespace {

// What one read of a batch copies: `count` records from `first` on, to `at` in the batch's buffer.
struct Wanted {
    uint32_t first;
    uint32_t count;
    size_t at;
};

// Copies the wanted records of `records` into `buffer` in file order, through views of up to
// kWindowBytes where the port maps them (a read a record run where it does not): the discs of a
// batch lie all over the file, and a call each would cost more than the copies.
bool Gather(RecordReader& records, std::vector<Wanted>& wanted, std::vector<uint8_t>& buffer) {
    constexpr size_t kWindowBytes = 64 * 1024 * 1024;
    if (wanted.empty()) {
        return true;
    }
    const uint32_t length = records.GetHeader().recordLength;
    const uint32_t windowRecords = static_cast<uint32_t>(kWindowBytes / length);
    std::sort(wanted.begin(), wanted.end(), [](const Wanted& a, const Wanted& b) { return a.first < b.first; });
    std::unique_ptr<FileView> view;
    uint64_t viewFirst = 0;
    uint64_t viewEnd = 0;
    for (const Wanted& run : wanted) {
        if (run.first < viewFirst || uint64_t{run.first} + run.count > viewEnd) {
            view.reset();
            const uint32_t count = std::max(run.count, std::min(windowRecords, records.GetCount() - run.first));
            view = records.MapRecords(run.first, count);
            viewFirst = run.first;
            viewEnd = view ? uint64_t{run.first} + count : 0;
        }
        uint8_t* destination = buffer.data() + run.at;
        if (view) {
            std::memcpy(destination, view->Data() + (run.first - viewFirst) * length, size_t{run.count} * length);
        } else if (!records.Read(run.first, run.count, destination)) {
            return false;
        }
    }
    return true;
}

}  // namespace

// The discs go out in title order, and their records lie all over both files: they are gathered
// a batch at a time (a bounded number of discs and track records), each file's share in file
// order, and written out in title order.
bool DatabasePreview::WriteReport(const std::string& pagePath, bool includeTracks, const ReadProgress& progress) {
    constexpr uint32_t kBatchDiscs = 32768;
    constexpr size_t kBatchTrackBytes = 32 * 1024 * 1024;
    DatabaseFiles held(files, wait);
    // Reading the files for the index is the first half of the work, gathering the discs the second.
    uint64_t half = 0;
    const ReadProgress indexing = [&progress, &half](uint64_t done, uint64_t total) {
        half = total;
        if (progress) {
            progress(done, 2 * total);
        }
    };
    if (!held.OpenToRead(titlesPath, includeTracks ? tracksPath : std::string()) ||
        !Index(held, includeTracks, false, indexing)) {
        return false;
    }
    std::unique_ptr<FileHandle> page = files.Open(pagePath, FilePort::Access::Overwrite);
    if (!page) {
        return false;
    }
    RecordReader& tracks = held.tracks.records;
    std::string out = PageHead();
    out.reserve(kPageChunk + 64 * 1024);
    bool written = true;
    auto flush = [&page, &out, &written](size_t least) {
        if (out.size() >= least) {
            written = written && page->Write(out.data(), out.size());
            out.clear();
        }
        return written;
    };
    std::vector<Wanted> wanted;
    std::vector<uint8_t> titleImages;
    std::vector<uint8_t> trackImages;
    std::vector<Wanted> runs;  // by position in the batch; count 0: none, or read on its own
    for (uint32_t position = 0; position < DiscCount() && written;) {
        const uint32_t batch = std::min(kBatchDiscs, DiscCount() - position);
        wanted.clear();
        for (uint32_t i = 0; i < batch; ++i) {
            wanted.push_back(Wanted{order[position + i], 1, size_t{i} * kTitleRecordLength});
        }
        titleImages.resize(size_t{batch} * kTitleRecordLength);
        if (!Gather(held.titles.records, wanted, titleImages)) {
            return false;
        }
        // The batch ends where its track records would outgrow their buffer.
        runs.assign(batch, Wanted{0, 0, 0});
        uint32_t taken = 0;
        size_t bytes = 0;
        for (; taken < batch && (taken == 0 || bytes < kBatchTrackBytes); ++taken) {
            const Disc& disc = discs[order[position + taken]];
            if (!includeTracks || disc.firstTrack == kNone) {
                continue;
            }
            const uint32_t count = std::min(LoadLe32(&titleImages[size_t{taken} * kTitleRecordLength + 100]),
                                            tracks.GetCount() - disc.firstTrack);
            if (size_t{count} * kTrackRecordLength <= kBatchTrackBytes) {
                runs[taken] = Wanted{disc.firstTrack, count, bytes};
                bytes += size_t{count} * kTrackRecordLength;
            }
        }
        wanted.clear();
        for (uint32_t i = 0; i < taken; ++i) {
            if (runs[i].count > 0) {
                wanted.push_back(runs[i]);
            }
        }
        trackImages.resize(bytes);
        if (!Gather(tracks, wanted, trackImages)) {
            return false;
        }
        for (uint32_t i = 0; i < taken && written; ++i) {
            const TitleRecord title = DecodeTitleRecord(&titleImages[size_t{i} * kTitleRecordLength]);
            AppendDiscLine(out, title, titlesUtf8);
            for (uint32_t t = 0; t < runs[i].count; ++t) {
                AppendTrackLine(out, DecodeTrackRecord(&trackImages[runs[i].at + size_t{t} * kTrackRecordLength]),
                                tracksUtf8);
            }
            const Disc& disc = discs[order[position + i]];
            const bool alone = includeTracks && disc.firstTrack != kNone && runs[i].count == 0 && title.trackCount > 0;
            // A damaged count too long for the buffer: its run streamed on its own.
            if (alone &&
                !ForEachTrack(tracks, position + i, title.trackCount, [&](const uint8_t* records, uint32_t count) {
                    for (uint32_t t = 0; t < count; ++t) {
                        AppendTrackLine(out, DecodeTrackRecord(records + size_t{t} * kTrackRecordLength), tracksUtf8);
                    }
                    return flush(kPageChunk);
                })) {
                return false;
            }
            flush(kPageChunk);
        }
        position += taken;
        if (progress) {
            progress(half + half * position / DiscCount(), 2 * half);
        }
    }
    out += PageMiddle();
    out += PageTail();
    return flush(0) && page->Close();
}

}  // namespace discdeck
