#pragma once

#include <string>
#include <vector>

#include "ports/CursorSink.h"
#include "ports/ListLines.h"
#include "ports/MessageSink.h"

namespace discdeck {
namespace testing_support {

class RecordingMessages : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string& caption) override {
        texts.push_back(text);
        captions.push_back(caption);
    }
    std::vector<std::string> texts;
    std::vector<std::string> captions;
};

class RecordingCursor : public CursorSink {
  public:
    void SetCursorResource(int resourceId) override { ids.push_back(resourceId); }
    std::vector<int> ids;
};

class FixedLines : public ListLines {
  public:
    explicit FixedLines(std::vector<std::string> lines) : lines(std::move(lines)) {}
    int GetLineCount() const override { return static_cast<int>(lines.size()); }
    std::string GetLineText(int index) const override { return lines.at(static_cast<size_t>(index)); }
    std::vector<std::string> lines;
};

}  // namespace testing_support
}  // namespace discdeck
