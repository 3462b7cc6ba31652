#include "setup/SetupRunner.h"

#include "setup/CabinetExtractor.h"
#include "setup/PackageCopy.h"

namespace discdeck {

SetupOutcome SetupRunner::RunSetup() {
    std::string windows = platform_.WindowsDirectory();
    if (!windows.empty() && windows.back() == '\\') {
        windows.pop_back();  // a root such as "C:\"
    }
    const std::string temporary = windows + "\\TEMP\\";
    const std::string packageCopy = temporary + kPackageCopyName;
    // Paths are kept within MAX_PATH-sized buffers of 256 characters.
    if (windows.empty() || packageCopy.size() >= CabinetExtractor::kPathBufferSize) {
        view_.SetStatus("Cannot find the Windows directory ...");
        return SetupOutcome::KeepOpen;
    }

    files_.MakeDirectory(temporary);
    for (const char* name : kStaleFiles) {
        files_.Delete(temporary + name);
    }

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
        view_.ShowFileError(text);
        view_.SetStatus("FALSE ...");
        return SetupOutcome::Close;
    }

    view_.SetStatus("Extracting files from package ...");
    {
        CabinetExtractor extractor(files_, packageCopy, temporary);
        if (!extractor.Run()) {
            // The extractor has removed its own files; nothing of this run stays behind.
            files_.Delete(packageCopy);
            view_.SetStatus(extractor.GetErrorText());
            return SetupOutcome::KeepOpen;
        }
    }
    view_.SetProgress(3);
    view_.SetStatus("Running of installation ...");
    files_.Delete(packageCopy);
    view_.SetProgress(4);
    if (!platform_.StartProgram(temporary + trailer.name)) {
        view_.SetStatus("Unable to start " + trailer.name + " ...");
        return SetupOutcome::KeepOpen;
    }
    platform_.Sleep(1000);
    view_.SetStatus("OK ...");
    return SetupOutcome::Close;
}

}  // namespace discdeck
