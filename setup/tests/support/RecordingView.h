#pragma once

#include <string>
#include <vector>

#include "setup/SetupView.h"

namespace discdeck {

// Records what the setup sequence shows, in order: "status <text>", "progress <n>", "message <text>",
// and "note <text>" for what goes to the trace only.
class RecordingView : public SetupView {
  public:
    void SetStatus(const std::string& text) override { events.push_back("status " + text); }
    void SetProgress(int position) override { events.push_back("progress " + std::to_string(position)); }
    void ShowFileError(const std::string& text) override { events.push_back("message " + text); }
    void Note(const std::string& text) override { events.push_back("note " + text); }

    std::vector<std::string> events;
};

}  // namespace discdeck
