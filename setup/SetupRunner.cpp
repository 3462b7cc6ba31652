#include "setup/SetupRunner.h"

#include <cstdio>

#include "setup/CabinetExtractor.h"
#include "setup/PackageCopy.h"

namespace discdeck {

std::string SetupRunner::MakeRunFolder() {
    std::string temporary = platform_.TemporaryDirectory();
    if (temporary.empty()) {
        view_.SetStatus("Cannot find the temporary folder ...");
        return std::string();
    }
    if (temporary.back() != '\\') {
        temporary += '\\';
    }
    // Created by this run, so nobody else can have put files into it; a name that is taken is
    // somebody else's and is left alone.
    for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
        char name[40];
        std::snprintf(name, sizeof name, "%s%08lx", kFolderPrefix,
                      static_cast<unsigned long>(platform_.UniqueNumber()));
        const std::string folder = temporary + name + "\\";
        // Paths are kept within MAX_PATH-sized buffers of 256 characters.
        if (folder.size() + std::string(kPackageCopyName).size() >= CabinetExtractor::kPathBufferSize) {
            view_.SetStatus("The temporary folder's path is too long: " + temporary);
            return std::string();
        }
        if (files_.MakeDirectory(folder)) {
            return folder;
        }
    }
    view_.SetStatus("Cannot create a folder in " + temporary + ": " + files_.LastErrorText());
    return std::string();
}

SetupResult SetupRunner::RunSetup() {
    const std::string folder = MakeRunFolder();
    if (folder.empty()) {
        return {SetupOutcome::KeepOpen, kExitFailed};
    }
    const std::string packageCopy = folder + kPackageCopyName;

    PackageTrailer trailer;
    try {
        // The program's own file by its full path: the current directory may be anywhere.
        const std::string setupPath = platform_.ModulePath();
        trailer = CopyPackage(files_, setupPath, packageCopy, view_);
    } catch (const FileError& error) {
        std::string text = error.what();
        if (text.size() > 512) {
            text.resize(512);
        }
        files_.RemoveEmptyDirectory(folder);
        view_.ShowFileError(text);
        view_.Note("FALSE ...");
        return {SetupOutcome::Close, kExitFailed};
    }

    view_.SetStatus("Extracting files from package ...");
    CabinetExtractor extractor(files_, packageCopy, folder);
    if (!extractor.Run()) {
        // The extractor has removed its own files; nothing of this run stays behind.
        files_.Delete(packageCopy);
        files_.RemoveEmptyDirectory(folder);
        view_.SetStatus(extractor.GetErrorText());
        return {SetupOutcome::KeepOpen, kExitFailed};
    }
    view_.SetProgress(3);
    view_.SetStatus("Running of installation ...");
    files_.Delete(packageCopy);
    view_.SetProgress(4);
    std::uint32_t exitCode = 0;
    const bool ran = platform_.RunProgram(folder + trailer.name, arguments_, exitCode);
    const std::string reason = ran ? std::string() : platform_.LastErrorText();
    extractor.RemoveExtractedFiles();
    files_.RemoveEmptyDirectory(folder);
    if (!ran) {
        view_.SetStatus("Unable to start " + trailer.name + ": " + reason);
        return {SetupOutcome::KeepOpen, kExitFailed};
    }
    view_.Note("OK ... exit code " + std::to_string(exitCode));
    return {SetupOutcome::Close, exitCode};
}

}  // namespace discdeck
