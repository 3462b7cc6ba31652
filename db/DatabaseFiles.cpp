#include "db/DatabaseFiles.h"

#include <chrono>
#include <thread>

#include "db/DiscRecords.h"
#include "db/RecordFile.h"
#include "ports/MessageSink.h"

namespace discdeck {

void BusyWait::Pause() const {
    if (pause) {
        pause(pauseMs);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
}

FileFailure RetryWhileBusy(const BusyWait& wait, const std::function<FileFailure()>& attempt) {
    FileFailure result = attempt();
    for (unsigned tried = 1; result == FileFailure::Busy && tried < wait.tries; ++tried) {
        wait.Pause();
        result = attempt();
    }
    return result;
}

RecordFileHeader HeldFile::GetHeader() const {
    return empty ? NewRecordFileHeader(recordLength, kUtf8DatabaseVersion) : records.GetHeader();
}

DatabaseFiles::DatabaseFiles(FilePort& files, const BusyWait& wait) : files(files), wait(wait) {
    titles.recordLength = kTitleRecordLength;
    tracks.recordLength = kTrackRecordLength;
}

void DatabaseFiles::Release() {
    for (HeldFile* held : {&tracks, &titles}) {
        held->handle.reset();
        held->empty = false;
    }
}

DatabaseFiles::Outcome DatabaseFiles::CreateOne(HeldFile& held) {
    FileFailure failure = FileFailure::None;
    held.handle = files.OpenFile(held.path, FilePort::Access::CreateNew, failure);
    if (!held.handle) {
        // One that appeared since it was missing is opened on the next try.
        return failure == FileFailure::Exists || failure == FileFailure::Busy ? Outcome::Busy : Outcome::CreateFailed;
    }
    uint8_t image[kRecordFileHeaderLength];
    EncodeRecordFileHeader(NewRecordFileHeader(held.recordLength, kUtf8DatabaseVersion), image);
    if (!held.handle->Write(image, sizeof image) || !held.records.Open(*held.handle, held.recordLength)) {
        // The file is ours and unusable: take it away rather than leave a cut header behind.
        held.handle.reset();
        files.Remove(held.path);
        return Outcome::CreateFailed;
    }
    return Outcome::Usable;
}

DatabaseFiles::Outcome DatabaseFiles::OpenOne(HeldFile& held, bool create) {
    FileFailure failure = FileFailure::None;
    held.empty = false;
    // Reading needs no more: a database on a read-only share, disc or file is still read.
    held.handle = files.OpenFile(held.path, create ? FilePort::Access::ReadWrite : FilePort::Access::Read, failure);
    if (!held.handle) {
        if (failure == FileFailure::Busy) {
            return Outcome::Busy;
        }
        return create && failure == FileFailure::NotFound ? CreateOne(held) : Outcome::OpenFailed;
    }
    uint64_t size = 0;
    if (create && held.handle->GetSize(size) && size == 0) {
        held.empty = true;
        return Outcome::Usable;
    }
    if (!held.records.Open(*held.handle, held.recordLength)) {
        held.handle.reset();
        return Outcome::OpenFailed;
    }
    return Outcome::Usable;
}

bool DatabaseFiles::Acquire(bool create, Outcome& titlesOutcome, Outcome& tracksOutcome) {
    for (unsigned tried = 1;; ++tried) {
        titlesOutcome = OpenOne(titles, create);
        // Reading needs both files; a store goes on to the tracks file for its messages.
        bool tracksNeeded =
            (titlesOutcome == Outcome::Usable || (create && titlesOutcome != Outcome::Busy)) && !tracks.path.empty();
        tracksOutcome = tracksNeeded ? OpenOne(tracks, create) : Outcome::NotTried;
        if (titlesOutcome != Outcome::Busy && tracksOutcome != Outcome::Busy) {
            break;
        }
        Release();
        if (tried >= wait.tries) {
            break;
        }
        wait.Pause();
    }
    if (titlesOutcome == Outcome::Usable &&
        (tracksOutcome == Outcome::Usable || (tracksOutcome == Outcome::NotTried && tracks.path.empty()))) {
        return true;
    }
    Release();
    return false;
}

bool DatabaseFiles::OpenToRead(const std::string& titlesPath, const std::string& tracksPath) {
    titles.path = titlesPath;
    tracks.path = tracksPath;
    Outcome titlesOutcome;
    Outcome tracksOutcome;
    return Acquire(false, titlesOutcome, tracksOutcome);
}

bool DatabaseFiles::OpenToStore(const std::string& titlesPath, const std::string& tracksPath, MessageSink& messages) {
    titles.path = titlesPath;
    tracks.path = tracksPath;
    Outcome titlesOutcome;
    Outcome tracksOutcome;
    if (Acquire(true, titlesOutcome, tracksOutcome)) {
        return true;
    }
    // Shown with both files let go: a message box waits for the user, other programs need not.
    auto report = [&messages](Outcome outcome, const char* createMessage, const char* openMessage) {
        if (outcome == Outcome::CreateFailed) {
            messages.ShowMessage(createMessage);
        }
        if (outcome != Outcome::Usable && outcome != Outcome::NotTried) {
            messages.ShowMessage(openMessage);
        }
    };
    report(titlesOutcome, "Unable to create TITLE database file !!!", "Unable to open TITLE database file !!!");
    report(tracksOutcome, "Unable to create TRACK database file !!!", "Unable to open TRACK database file !!!");
    return false;
}

// Mapped: the scan covers half of the largest file on average, and copying it out would cost
// more than looking at it.
bool FindDiscId(RecordReader& reader, uint32_t discId, uint32_t& found) {
    bool matched = false;
    const uint32_t length = reader.GetHeader().recordLength;
    bool read = reader.ScanMapped(0, [&](uint32_t index, const uint8_t* records, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) {
            if (LoadLe32(records + size_t{i} * length) == discId) {
                found = index + i;
                matched = true;
                return false;
            }
        }
        return true;
    });
    return read && matched;
}

// Files that stores wrote are sorted by id but for their last record, so a binary search with a
// few positioned reads finds a stored disc; when it finds nothing, a scan makes sure, as the file
// may be in any order.
bool FindTitle(RecordReader& titles, uint32_t discId, uint32_t& found) {
    constexpr uint32_t kWindow = 64;  // records read at once once the search gets this close
    const uint32_t count = titles.GetCount();
    uint8_t records[kWindow * kTitleRecordLength];
    if (count > 0 && titles.Read(count - 1, 1, records) && LoadLe32(records) == discId) {
        found = count - 1;
        return true;
    }
    uint32_t low = 0;
    uint32_t high = count > 0 ? count - 1 : 0;
    while (high - low > kWindow && titles.Read(low + (high - low) / 2, 1, records)) {
        uint32_t middle = low + (high - low) / 2;
        uint32_t id = LoadLe32(records);
        if (id == discId) {
            found = middle;
            return true;
        }
        if (id < discId) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (high - low <= kWindow && titles.Read(low, high - low, records)) {
        for (uint32_t i = 0; i < high - low; ++i) {
            if (LoadLe32(records + size_t{i} * kTitleRecordLength) == discId) {
                found = low + i;
                return true;
            }
        }
    }
    return FindDiscId(titles, discId, found);
}

bool DatabaseFiles::Replace(HeldFile& held, std::unique_ptr<FileHandle>& replacement) {
    FileFailure result = RetryWhileBusy(wait, [this, &held, &replacement] {
        if (!held.handle) {
            // Where our hold had to go before the rename, someone came between: take the file back
            // first, so that the next rename follows our own letting go at once. (No other store
            // gets this far meanwhile: the replacement's name is ours.) A file gone is no obstacle.
            FileFailure failure = FileFailure::None;
            held.handle = files.OpenFile(held.path, FilePort::Access::ReadWrite, failure);
            if (!held.handle && failure != FileFailure::NotFound) {
                return failure;
            }
        }
        return replacement->ReplaceTarget(held.path, held.handle);
    });
    if (result != FileFailure::None) {
        replacement.reset();
        files.Remove(TemporaryPathOf(held.path));
        return false;
    }
    held.handle = std::move(replacement);
    held.empty = false;
    return true;
}

}  // namespace discdeck
