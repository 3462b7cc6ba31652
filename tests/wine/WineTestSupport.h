#pragma once

#include <windows.h>

#include <string>

#include "framework/Screenshot.h"

namespace discdeck::test {

// A fresh folder under the temporary folder, made the current directory for the test's life (the
// player writes its database and exports there); removed afterwards with what it holds.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path; }

  private:
    std::string path;
    std::string previous;
};

// A Unix path as Wine's Z: drive shows it; Windows paths are left as they are.
std::string WindowsPath(std::string path);
// A file of the source tree, as a Windows path.
std::string SourcePath(const std::string& relative);
// Handles the thread's messages for a while (painting, timers). A WM_QUIT met meanwhile is
// remembered for QuitPosted.
void PumpMessages(DWORD milliseconds);
// Whether WM_QUIT was posted to this thread (and takes it out of the queue).
bool QuitPosted();
// Forgets a posted WM_QUIT, so the next test starts without one.
void DrainQuit();
// Saves a picture under DISCDECK_ARTIFACTS (nothing when it is not set); false on failure.
bool SaveArtifact(const fw::Image& image, const std::string& name);

}  // namespace discdeck::test
