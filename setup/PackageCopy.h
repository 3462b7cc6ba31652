#pragma once

#include <stdexcept>
#include <string>

#include "setup/PackageTrailer.h"
#include "setup/SetupFiles.h"
#include "setup/SetupView.h"

namespace discdeck {

// A failed open, seek, read, write or close of the package copy, or a setup file whose trailer
// does not describe a package; what() is the text shown to the user.
class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Copies the package (cabinet and trailer) from the end of the setup file at setupPath into a new
// file at copyPath through one buffer of the package's size, showing each step in the view and
// moving the progress bar to 1 once the trailer is read and to 2 once both files are closed.
// Returns the trailer; throws FileError. The copy is created before the setup file is opened and
// removed again when the copy fails.
PackageTrailer CopyPackage(SetupFiles& files,
                           const std::string& setupPath,
                           const std::string& copyPath,
                           SetupView& view);

}  // namespace discdeck
