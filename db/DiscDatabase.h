#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/DatabaseFiles.h"
#include "db/DatabasePreview.h"
#include "ports/FilePort.h"

namespace discdeck {

struct DiscInfo;
class MessageSink;
class TitlesOrder;

// The local disc database: "titles.sdb" with one TitleRecord per disc and "tracks.sdb" with the
// discs' TrackRecords, in `directory` (the current directory when it is empty). Nothing is kept
// between calls: every operation opens the files, works and lets them go. Look-up and store read
// the files where they lie, a block at a time, so memory stays small whatever their size; a file
// that another program holds is waited for as `wait` says.
class DiscDatabase {
  public:
    static constexpr const char* kTitlesFile = "titles.sdb";
    static constexpr const char* kTracksFile = "tracks.sdb";
    static constexpr const char* kTitlesReportFile = "Titles.htm";

    explicit DiscDatabase(FilePort& files, std::string directory = std::string(), BusyWait wait = BusyWait());

    // Adds the disc unless it is stored already or not identified yet (no tracks or no
    // title). Every store that does not land is shown as a message box, once both files are let
    // go: failures to create or open a file as such, any later one as "Unable to save TITLE (or
    // TRACK) database file !!!" with the system's reason. A save that fails leaves the files as
    // they were, except that the disc's tracks may be saved without its title (the next store of
    // the disc replaces them). Afterwards the disc has one run of tracks.
    void StoreDisc(const DiscInfo& disc, MessageSink& messages);

    // Fills the disc's title line and track titles from the database. True when the disc was
    // found (the caller then takes the description into the device and shows its "Database"
    // report); the disc is unchanged otherwise. Reports nothing and creates no file.
    bool LookUpDisc(DiscInfo& disc);

    // The database preview's content, to be loaded.
    DatabasePreview Preview() const;

    // Writes "Titles.htm" a disc at a time: one line per disc sorted by title, with the discs'
    // track lines when `includeTracks` is set ("tracks.sdb" is not opened otherwise). True when
    // the page was written whole; the caller then opens it.
    bool WriteTitlesReport(bool includeTracks, const ReadProgress& progress = ReadProgress());

  private:
    void StoreNewDisc(const DiscInfo& disc,
                      DatabaseFiles& held,
                      const TitlesOrder& order,
                      const std::function<bool(const char*)>& fail);
    std::string PathOf(const char* name) const { return JoinPath(directory, name); }

    FilePort& files;
    std::string directory;
    BusyWait wait;
};

}  // namespace discdeck
