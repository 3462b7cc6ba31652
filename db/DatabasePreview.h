#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "db/DatabaseFiles.h"
#include "ports/FilePort.h"

namespace discdeck {

// Told now and then while the database files are read: bytes read so far, and in all.
using ReadProgress = std::function<void(uint64_t done, uint64_t total)>;

// The database as the preview's tree and the titles report list it: every disc sorted by title text
// (byte by byte, unsigned; equal titles in file order), each with the run of track records that
// starts at the first record with its id, as long as its title record says (up to the end of the
// file). Loading reads each file once, front to back, and keeps 12 bytes a disc: where its title
// record and its first track record lie, and its id. Texts are read when they are shown,
// the files held only while they are read: a disc's tracks when it is opened, and above
// kMostUngrouped discs a group's discs when the group is opened.
class DatabasePreview {
  public:
    // Above this many discs the tree holds groups of kGroupSize discs in title order, each named
    // by its first and last titles, so that it opens at once and stays small at any size.
    static constexpr uint32_t kMostUngrouped = 100000;
    static constexpr uint32_t kGroupSize = 1000;

    DatabasePreview(FilePort& files, std::string titlesPath, std::string tracksPath, BusyWait wait);

    // Reads both files (waiting for a busy one, as stores do) and lets them go. False when either
    // can't be had or read: then there is nothing to show.
    bool Load(const ReadProgress& progress = ReadProgress());
    bool IsLoaded() const { return loaded; }
    uint32_t DiscCount() const { return static_cast<uint32_t>(order.size()); }
    // "Titles: %4d         Tracks: %4d": the records of both files.
    const std::string& CountsLine() const { return countsLine; }

    // Another threshold for grouping than kMostUngrouped, before Load.
    void SetMostUngrouped(uint32_t discs) { mostUngrouped = discs; }
    bool Grouped() const { return DiscCount() > mostUngrouped; }
    uint32_t GroupCount() const { return (DiscCount() + kGroupSize - 1) / kGroupSize; }
    // "first title ... last title".
    const std::string& GroupText(uint32_t group) const { return groupTexts[group]; }

    // The item texts ("%s - %s": title, category) of the discs from position `first` on, in title
    // order; an empty text for a disc that has gone from the file since loading, none at all when
    // the file can't be read.
    std::vector<std::string> DiscTexts(uint32_t first, uint32_t count);
    // The item texts ("%02d - (%02d:%02d): %s") of the tracks of the disc at `position`.
    std::vector<std::string> TrackTexts(uint32_t position);

    // Writes the titles report to `pagePath` from a fresh read of the files, a disc at a time: one
    // line per disc in title order, with its track lines when `includeTracks` is set (the tracks
    // file is not opened otherwise). The page is created only once the files are read. False when
    // a file can't be read or the page can't be written whole.
    bool WriteReport(const std::string& pagePath, bool includeTracks, const ReadProgress& progress = ReadProgress());

  private:
    struct Disc {
        uint32_t discId;
        uint32_t firstTrack;  // kNone when tracks.sdb has no record of the disc
    };
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    struct Progress;
    struct TitleKey;

    // Reads the held files into `discs` and `order` (and `kept` when `keepTexts`).
    bool Index(DatabaseFiles& held, bool withTracks, bool keepTexts, const ReadProgress& progress);
    bool IndexTitles(RecordReader& titles,
                     const std::vector<uint64_t>& runs,
                     bool keepTexts,
                     Progress& progress,
                     std::vector<TitleKey>& keys);
    // Puts the discs in title order: by the keys, then by whole titles where keys are alike.
    bool SortTitles(RecordReader& titles, std::vector<TitleKey>& keys);
    // The title record of the disc at `position`, found again if the file changed since loading.
    bool ReadTitle(RecordReader& titles, uint32_t position, uint8_t* image);
    // Calls visit(records, count) for the track records of the disc at `position`, whose title
    // record counts `trackCount`, a bounded number at a time.
    template <typename Visit>
    bool ForEachTrack(RecordReader& tracks, uint32_t position, uint32_t trackCount, Visit visit);

    FilePort& files;
    std::string titlesPath;
    std::string tracksPath;
    BusyWait wait;
    bool loaded = false;
    bool titlesUtf8 = true;  // the files' texts as the last reading found them: UTF-8, or the ANSI code page
    bool tracksUtf8 = true;
    uint32_t mostUngrouped = kMostUngrouped;
    std::vector<Disc> discs;        // by title record
    std::vector<uint32_t> order;    // title records in title order
    std::vector<std::string> kept;  // the discs' item texts by title record, when not grouped
    std::vector<std::string> groupTexts;
    std::string countsLine;
};

}  // namespace discdeck
