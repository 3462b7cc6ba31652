#include "setup/CabinetExtractor.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>
#include <set>
#include <utility>

#include <mspack.h>

#include "setup/DosDateTime.h"
#include "setup/FileNameRules.h"
#include "setup/Utf8.h"

namespace discdeck {

std::string CabinetErrorText(int code) {
    static const char* const kTexts[] = {
        "No error",
        "Cabinet not found",
        "Not a cabinet",
        "Unknown cabinet version",
        "Corrupt cabinet",
        "Memory allocation failed",
        "Unknown compression type",
        "Failure decompressing data",
        "Failure writing to target file",
        "Cabinets in set have different RESERVE sizes",
        "Cabinet returned on fdintNEXT_CABINET is incorrect",
        "User aborted",
        "Unsafe file name in cabinet",
        "File name appears twice in cabinet",
        "Target path too long",
        "Cabinet continues into or from another cabinet",
    };
    if (code >= 0 && code < static_cast<int>(sizeof kTexts / sizeof kTexts[0])) {
        return kTexts[code];
    }
    return "Sorry, internal error ...";
}

// A file of the cabinet as the notification handler sees it.
struct CabinetExtractor::FileEvent {
    std::string name;
    std::uint32_t size = 0;
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint16_t attributes = 0;
    SetupFileHandle file = kNoFile;
};

// libmspack's cabinet decompressor with an mspack_system that reaches files only through the
// SetupFiles port: the cabinet is opened for reading by path; a write-open is accepted only for the
// target token, and goes to the handle the extractor opened for the file being extracted. The library
// never creates, truncates or closes a target file itself.
class CabinetExtractor::Library {
  public:
    // Passed as the output name to extract(); compared by address.
    static const char kTargetToken[];

    Library(SetupFiles& files, std::size_t memoryLimit) : files_(files), memoryLimit_(memoryLimit) {
        active_ = this;
        mspack_system& sys = system_;
        sys.open = &Open;
        sys.close = &Close;
        sys.read = &Read;
        sys.write = &Write;
        sys.seek = &Seek;
        sys.tell = &Tell;
        sys.message = &Message;
        sys.alloc = &Alloc;
        sys.free = &Free;
        sys.copy = &Copy;
        sys.null_ptr = nullptr;
    }

    ~Library() {
        if (decompressor_ != nullptr) {
            if (cabinet_ != nullptr) {
                decompressor_->close(decompressor_, cabinet_);
            }
            mspack_destroy_cab_decompressor(decompressor_);
        }
        active_ = nullptr;
    }

    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Creates the decompression context; kCabinetNoError or the code to fail with.
    int Create() {
        int selfTest = MSPACK_ERR_OK;
        MSPACK_SYS_SELFTEST(selfTest);
        if (selfTest != MSPACK_ERR_OK) {
            return kCabinetInternalError;  // library built with another off_t
        }
        decompressor_ = mspack_create_cab_decompressor(&system_);
        if (decompressor_ == nullptr) {
            return kCabinetNoMemory;
        }
        // Damaged data is an error, never something to work around.
        decompressor_->set_param(decompressor_, MSCABD_PARAM_SALVAGE, 0);
        decompressor_->set_param(decompressor_, MSCABD_PARAM_FIXMSZIP, 0);
        return kCabinetNoError;
    }

    // Reads the cabinet's headers; MSPACK_ERR_OK or the library's error.
    int OpenCabinet(const std::string& path) {
        cabinet_ = decompressor_->open(decompressor_, path.c_str());
        return cabinet_ != nullptr ? MSPACK_ERR_OK : decompressor_->last_error(decompressor_);
    }

    // Unpacks one file into target, an open handle that stays open.
    int Extract(mscabd_file* file, SetupFileHandle target) {
        target_ = target;
        const int result = decompressor_->extract(decompressor_, file, kTargetToken);
        target_ = kNoFile;
        return result;
    }

    mscabd_cabinet* cabinet() const { return cabinet_; }

  private:
    struct File {
        Library* owner;
        SetupFileHandle handle;
        bool owned;  // opened by the library (the cabinet) rather than routed to a target
    };
    union AllocationHeader {
        struct {
            Library* owner;
            std::size_t size;
        } info;
        std::max_align_t alignment;
    };

    // The library copies the mspack_system structure for its decompressors, so the structure cannot
    // lead back to its owner; there is one extraction at a time on a thread.
    static Library* Active() { return active_; }
    static File* FileOf(mspack_file* file) { return reinterpret_cast<File*>(file); }

    static mspack_file* Open(mspack_system*, const char* filename, int mode) {
        Library* library = Active();
        SetupFileHandle handle = kNoFile;
        bool owned = false;
        if (mode == MSPACK_SYS_OPEN_READ) {
            handle = library->files_.OpenRead(filename);
            owned = true;
        } else if (mode == MSPACK_SYS_OPEN_WRITE && filename == kTargetToken) {
            handle = library->target_;
        }
        if (handle == kNoFile) {
            return nullptr;
        }
        File* file = new (std::nothrow) File{library, handle, owned};
        if (file == nullptr && owned) {
            library->files_.Close(handle);
        }
        return reinterpret_cast<mspack_file*>(file);
    }

    static void Close(mspack_file* handle) {
        File* file = FileOf(handle);
        if (file == nullptr) {
            return;
        }
        if (file->owned) {
            file->owner->files_.Close(file->handle);
        }
        delete file;
    }

    static int Read(mspack_file* handle, void* buffer, int bytes) {
        File* file = FileOf(handle);
        if (file == nullptr || bytes < 0) {
            return -1;
        }
        return static_cast<int>(file->owner->files_.Read(file->handle, buffer, static_cast<std::size_t>(bytes)));
    }

    static int Write(mspack_file* handle, void* buffer, int bytes) {
        File* file = FileOf(handle);
        if (file == nullptr || bytes < 0 || file->owned) {
            return -1;
        }
        return static_cast<int>(file->owner->files_.Write(file->handle, buffer, static_cast<std::size_t>(bytes)));
    }

    static int Seek(mspack_file* handle, off_t offset, int mode) {
        File* file = FileOf(handle);
        if (file == nullptr) {
            return -1;
        }
        SeekOrigin origin = SeekOrigin::Begin;
        if (mode == MSPACK_SYS_SEEK_CUR) {
            origin = SeekOrigin::Current;
        } else if (mode == MSPACK_SYS_SEEK_END) {
            origin = SeekOrigin::End;
        } else if (mode != MSPACK_SYS_SEEK_START) {
            return -1;
        }
        return file->owner->files_.Seek(file->handle, offset, origin) < 0 ? -1 : 0;
    }

    static off_t Tell(mspack_file* handle) {
        File* file = FileOf(handle);
        if (file == nullptr) {
            return -1;
        }
        return static_cast<off_t>(file->owner->files_.Seek(file->handle, 0, SeekOrigin::Current));
    }

    // Warnings of the library (a cabinet version other than 1.3 among them) are checked separately.
    static void Message(mspack_file*, const char*, ...) {}

    static void* Alloc(mspack_system*, std::size_t bytes) {
        Library* library = Active();
        if (bytes > library->memoryLimit_ - library->memoryUsed_) {
            return nullptr;
        }
        auto* header = static_cast<AllocationHeader*>(std::malloc(sizeof(AllocationHeader) + bytes));
        if (header == nullptr) {
            return nullptr;
        }
        header->info.owner = library;
        header->info.size = bytes;
        library->memoryUsed_ += bytes;
        return header + 1;
    }

    static void Free(void* block) {
        if (block == nullptr) {
            return;
        }
        AllocationHeader* header = static_cast<AllocationHeader*>(block) - 1;
        header->info.owner->memoryUsed_ -= header->info.size;
        std::free(header);
    }

    static void Copy(void* source, void* destination, std::size_t bytes) { std::memmove(destination, source, bytes); }

    static thread_local Library* active_;

    SetupFiles& files_;
    mspack_system system_{};
    std::size_t memoryLimit_;
    std::size_t memoryUsed_ = 0;
    SetupFileHandle target_ = kNoFile;
    mscab_decompressor* decompressor_ = nullptr;
    mscabd_cabinet* cabinet_ = nullptr;
};

const char CabinetExtractor::Library::kTargetToken[] = "<target file>";
thread_local CabinetExtractor::Library* CabinetExtractor::Library::active_ = nullptr;

namespace {

// Maps the library's error of opening or extracting to the run's error code.
int CodeForLibraryError(int libraryError) {
    switch (libraryError) {
        case MSPACK_ERR_OPEN:
            return kCabinetNotFound;
        case MSPACK_ERR_SIGNATURE:
            return kCabinetNotACabinet;
        case MSPACK_ERR_READ:
        case MSPACK_ERR_SEEK:
        case MSPACK_ERR_DATAFORMAT:
        case MSPACK_ERR_CHECKSUM:
            return kCabinetCorrupt;
        case MSPACK_ERR_NOMEMORY:
            return kCabinetNoMemory;
        case MSPACK_ERR_WRITE:
            return kCabinetTargetWriteFailure;
        case MSPACK_ERR_DECRUNCH:
            return kCabinetDecompressFailure;
        default:
            return kCabinetInternalError;
    }
}

bool IsKnownCompression(unsigned compression) {
    const unsigned level = MSCABD_COMP_LEVEL(compression);
    switch (MSCABD_COMP_METHOD(compression)) {
        case MSCAB_COMP_NONE:
        case MSCAB_COMP_MSZIP:
            return true;
        case MSCAB_COMP_QUANTUM:
            return level >= 10 && level <= 21;
        case MSCAB_COMP_LZX:
            // The library would report a window it cannot set up as an allocation failure.
            return level >= 15 && level <= 21;
        default:
            return false;
    }
}

}  // namespace

CabinetExtractor::CabinetExtractor(SetupFiles& files, std::string cabinetPath, std::string destination)
    : CabinetExtractor(files, std::move(cabinetPath), std::move(destination), Options()) {}

CabinetExtractor::CabinetExtractor(SetupFiles& files, std::string cabinetPath, std::string destination, Options options)
    : files_(files), cabinetPath_(std::move(cabinetPath)), destination_(std::move(destination)), options_(options) {}

CabinetExtractor::~CabinetExtractor() = default;

void CabinetExtractor::Fail(int code, int libraryCode) {
    error_.code = code;
    error_.libraryCode = libraryCode;
    error_.failed = true;
}

bool CabinetExtractor::Run() {
    error_ = CabinetError();
    library_ = std::make_unique<Library>(files_, options_.memoryLimit);
    const int created = library_->Create();
    bool ok = false;
    if (created != kCabinetNoError) {
        Fail(created);
    } else {
        ok = TestCabinet() && CheckContents() && CopyOut();
    }
    library_.reset();
    return ok;
}

std::string CabinetExtractor::GetErrorText() const {
    std::string text = CabinetErrorText(error_.code);
    if (error_.code == kCabinetUnsafeFileName || error_.code == kCabinetDuplicateFileName ||
        error_.code == kCabinetTargetPathTooLong) {
        text += ": \"" + PrintableName(error_.fileName) + "\"";
    } else if (error_.code == kCabinetUserAborted && !error_.fileName.empty()) {
        // The library's name for it; the user needs the file and the system's reason.
        text = "Cannot create " + PrintableName(error_.fileName) + ": " + error_.reason;
    }
    return text;
}

bool CabinetExtractor::TestCabinet() {
    // The header is checked here first: the library only warns about a version other than 1.3, and
    // would follow a cabinet set into other files.
    const SetupFileHandle file = files_.OpenRead(cabinetPath_);
    if (file == kNoFile) {
        Fail(kCabinetNotFound);
        return false;
    }
    std::uint8_t header[36] = {};
    const std::int64_t got = files_.Read(file, header, sizeof header);
    files_.Close(file);
    if (got < 4 || std::memcmp(header, "MSCF", 4) != 0) {
        Fail(kCabinetNotACabinet);
        return false;
    }
    if (got < static_cast<std::int64_t>(sizeof header)) {
        Fail(kCabinetCorrupt);
        return false;
    }
    const int minorVersion = header[24];
    const int majorVersion = header[25];
    if (majorVersion != 1 || minorVersion != 3) {
        Fail(kCabinetUnknownVersion);
        return false;
    }
    const unsigned flags = header[30] | header[31] << 8;
    if ((flags & (MSCAB_HDR_PREVCAB | MSCAB_HDR_NEXTCAB)) != 0) {
        Fail(kCabinetSpansCabinets);
        return false;
    }

    const int opened = library_->OpenCabinet(cabinetPath_);
    if (opened != MSPACK_ERR_OK) {
        Fail(CodeForLibraryError(opened), opened);
        return false;
    }
    const mscabd_cabinet* cabinet = library_->cabinet();
    info_ = CabinetInfo();
    info_.length = cabinet->length;
    for (const mscabd_folder* folder = cabinet->folders; folder != nullptr; folder = folder->next) {
        ++info_.folderCount;
    }
    for (const mscabd_file* entry = cabinet->files; entry != nullptr; entry = entry->next) {
        ++info_.fileCount;
    }
    info_.setId = cabinet->set_id;
    info_.setIndex = cabinet->set_index;
    info_.hasReserve = (cabinet->flags & MSCAB_HDR_RESV) != 0;
    info_.hasPrevious = (cabinet->flags & MSCAB_HDR_PREVCAB) != 0;
    info_.hasNext = (cabinet->flags & MSCAB_HDR_NEXTCAB) != 0;
    return true;
}

std::string CabinetExtractor::TargetName(const char* name, int attributes) {
    return (attributes & MSCAB_ATTRIB_UTF_NAME) != 0 ? std::string(name) : files_.NameToUtf8(name);
}

bool CabinetExtractor::CheckContents() {
    const mscabd_cabinet* cabinet = library_->cabinet();
    for (const mscabd_folder* folder = cabinet->folders; folder != nullptr; folder = folder->next) {
        if (!IsKnownCompression(static_cast<unsigned>(folder->comp_type))) {
            Fail(kCabinetUnknownCompression);
            return false;
        }
    }
    // All names are checked before the first file is created, so a hostile package writes nothing.
    names_.clear();
    std::set<std::string> seen;
    const std::string cabinetItself = FoldedFileName(cabinetPath_);
    for (const mscabd_file* entry = cabinet->files; entry != nullptr; entry = entry->next) {
        const std::string name = TargetName(entry->filename, entry->attribs);
        int problem = kCabinetNoError;
        // A file of the cabinet's own name would empty the cabinet while it is being read.
        if (!IsUtf8(name) || !IsPlainFileName(name) || FoldedFileName(destination_ + name) == cabinetItself) {
            problem = kCabinetUnsafeFileName;
        } else if (!seen.insert(FoldedFileName(name)).second) {
            problem = kCabinetDuplicateFileName;
        } else if (destination_.size() + name.size() >= kPathBufferSize) {
            problem = kCabinetTargetPathTooLong;
        }
        if (problem != kCabinetNoError) {
            Fail(problem);
            error_.fileName = name;
            return false;
        }
        names_.push_back(name);
    }
    return true;
}

bool CabinetExtractor::CopyOut() {
    FileEvent cabinetEvent;
    Notify(CabinetNotification::CabinetInfo, cabinetEvent);
    written_.clear();
    std::size_t index = 0;
    for (mscabd_file* entry = library_->cabinet()->files; entry != nullptr; entry = entry->next, ++index) {
        FileEvent event;
        event.name = names_[index];
        event.size = entry->length;
        DosDateTime stamp;
        stamp.year = entry->date_y;
        stamp.month = entry->date_m;
        stamp.day = entry->date_d;
        stamp.hour = entry->time_h;
        stamp.minute = entry->time_m;
        stamp.second = entry->time_s;
        event.date = stamp.PackDate();
        event.time = stamp.PackTime();
        event.attributes = static_cast<std::uint16_t>(entry->attribs);

        event.file = Notify(CabinetNotification::CopyFile, event);
        if (event.file == kNoFile) {
            Fail(kCabinetUserAborted);
            error_.fileName = event.name;
            error_.reason = files_.LastErrorText();
            RemoveExtractedFiles();
            return false;
        }
        written_.push_back(destination_ + event.name);
        const int extracted = library_->Extract(entry, event.file);
        if (extracted != MSPACK_ERR_OK) {
            files_.Close(event.file);
            Fail(CodeForLibraryError(extracted), extracted);
            RemoveExtractedFiles();
            return false;
        }
        Notify(CabinetNotification::CloseFileInfo, event);
    }
    return true;
}

void CabinetExtractor::RemoveExtractedFiles() {
    // Half a package is of no use; a read-only file can be deleted only once its attributes are gone.
    for (auto path = written_.rbegin(); path != written_.rend(); ++path) {
        files_.SetAttributes(*path, 0);
        files_.Delete(*path);
    }
    written_.clear();
}

SetupFileHandle CabinetExtractor::Notify(CabinetNotification kind, const FileEvent& event) {
    switch (kind) {
        case CabinetNotification::CopyFile:
            return files_.CreateWrite(destination_ + event.name);
        case CabinetNotification::CloseFileInfo: {
            const std::string path = destination_ + event.name;
            files_.Close(event.file);
            // Times and attributes are best effort: the file's contents are complete either way.
            files_.SetDosTime(path, event.date, event.time);
            files_.SetAttributes(path, static_cast<std::uint8_t>(event.attributes & kAttributeMask));
            return 1;
        }
        case CabinetNotification::CabinetInfo:
        case CabinetNotification::PartialFile:
        case CabinetNotification::NextCabinet:
        case CabinetNotification::Enumerate:
            break;
    }
    return 0;
}

}  // namespace discdeck
