#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "db/RecordStream.h"
#include "ports/FilePort.h"

namespace discdeck {

class MessageSink;

// How long a database file that another program holds is waited for: `tries` attempts in all,
// with a pause of `pauseMs` between two (about two seconds by default). Tests replace the pause.
struct BusyWait {
    unsigned tries = 40;
    unsigned pauseMs = 50;
    std::function<void(unsigned ms)> pause;  // empty: sleep

    void Pause() const;
};

// Calls `attempt` again after a pause while it answers Busy, up to the tries of `wait`; the
// result is its last answer.
FileFailure RetryWhileBusy(const BusyWait& wait, const std::function<FileFailure()>& attempt);

// The index of the first record of `records` (either file) with the disc id; false when there is
// none or the file can't be read.
bool FindDiscId(RecordReader& records, uint32_t discId, uint32_t& found);
// The index of a title record with the disc id, quickly in a file that stores wrote.
bool FindTitle(RecordReader& titles, uint32_t discId, uint32_t& found);

// One database file held for the length of an operation.
struct HeldFile {
    std::string path;
    uint32_t recordLength = 0;
    std::unique_ptr<FileHandle> handle;
    RecordReader records;
    // A file of 0 bytes (what a crash while creating it leaves) holds nothing: it reads as a file
    // without records and a store writes it whole.
    bool empty = false;

    uint32_t GetCount() const { return empty ? 0 : records.GetCount(); }
    RecordFileHeader GetHeader() const;
};

// The titles and tracks files of the database, held together: every operation takes the titles
// file first and the tracks file second, and lets both go when either is busy, so two programs
// never wait for each other while each holds one. Both stay held until the object goes.
class DatabaseFiles {
  public:
    DatabaseFiles(FilePort& files, const BusyWait& wait);

    // For reading: both files exist and are record files of their kind; only the titles file when
    // `tracksPath` is empty. Reports nothing.
    bool OpenToRead(const std::string& titlesPath, const std::string& tracksPath);
    // For a store: a missing file is created (never over one that exists) with an empty header.
    // A file that can't be had shows its messages ("Unable to create TITLE database file !!!",
    // "Unable to open TITLE database file !!!" and the TRACK ones) once both files are let go.
    bool OpenToStore(const std::string& titlesPath, const std::string& tracksPath, MessageSink& messages);

    // Puts the finished file `replacement` in place of `held`, waiting while someone else holds
    // it; `replacement` is then held under the file's name. On failure `replacement` is removed.
    bool Replace(HeldFile& held, std::unique_ptr<FileHandle>& replacement);

    void Release();

    HeldFile titles;
    HeldFile tracks;

  private:
    enum class Outcome { Usable, Busy, CreateFailed, OpenFailed, NotTried };

    bool Acquire(bool create, Outcome& titlesOutcome, Outcome& tracksOutcome);
    Outcome OpenOne(HeldFile& held, bool create);
    Outcome CreateOne(HeldFile& held);

    FilePort& files;
    const BusyWait& wait;
};

}  // namespace discdeck
