#pragma once

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/PlayerController.h"
#include "app/PlayerView.h"
#include "drive/SimulatedDrive.h"
#include "lookup/CddbTransport.h"
#include "lookup/ExchangeRunner.h"
#include "ports/PosixFilePort.h"
#include "ports/Profile.h"

namespace discdeck::testing_support {

// The player window as the controller sees it, recording everything it is told.
class RecordingView : public PlayerView {
  public:
    struct Line {
        std::string text;
        uint32_t colour;
    };

    class Title : public TextSink {
      public:
        void SetText(const std::string& t) override { text = t; }
        std::string text = "Orvo CDdb Player";
    };

    // ListLines, MessageSink, CursorSink
    int GetLineCount() const override { return static_cast<int>(lines.size()); }
    std::string GetLineText(int index) const override { return lines.at(index).text; }
    void ShowMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
    void SetCursorResource(int id) override { cursor = id; }

    void ClearList() override {
        lines.clear();
        selected = -1;
    }
    int AddLine(const std::string& text, uint32_t colour) override {
        lines.push_back({text, colour});
        if (text.rfind("Action: ", 0) == 0) {
            actions.push_back(text.substr(8));
        }
        return static_cast<int>(lines.size()) - 1;
    }
    void RemoveLine(int index) override { lines.erase(lines.begin() + index); }
    uint32_t GetLineColour(int index) const override { return lines.at(index).colour; }
    int GetSelectedLine() const override { return selected; }
    void SelectLine(int index) override { selected = index >= 0 && index < GetLineCount() ? index : -1; }

    TextSink& TitleLine() override { return title; }
    std::string GetTitleLineText() const override { return title.text; }
    void SetCaption(const std::string& text) override { caption = text; }
    std::string GetCaption() const override { return caption; }

    void SetControlText(int id, const std::string& text) override { controlTexts[id] = text; }
    std::string GetControlText(int id) const override {
        auto it = controlTexts.find(id);
        return it == controlTexts.end() ? std::string() : it->second;
    }
    void EnableControl(int id, bool enable) override { enabled[id] = enable; }
    bool IsButtonDown(int id) const override { return down.count(id) != 0; }

    void StartTimer(unsigned id, unsigned periodMs) override { timers[id] = periodMs; }
    void StopTimer(unsigned id) override { timers.erase(id); }
    bool TimerRuns(unsigned id) const { return timers.count(id) != 0; }

    void SetSliderRange(uint32_t minimum, uint32_t maximum) override { sliderRange = {minimum, maximum}; }
    void SetSliderPosition(uint32_t position) override { sliderPosition = position; }
    uint32_t GetSliderPosition() const override { return sliderPosition; }

    bool IsMinimised() const override { return minimised; }
    void ShellOpen(const std::string& target) override { opened.push_back(target); }
    void UpdateTrayIcon(TrayOperation operation) override { tray.push_back(operation); }
    void HideWindow() override { hidden = true; }
    void ShowWindowNoActivate() override { hidden = false; }
    void ShowDatabasePreview() override { ++previews; }
    void PostQuit() override { quitPosted = true; }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Line& line : lines) {
            texts.push_back(line.text);
        }
        return texts;
    }
    std::string LastAction() const { return actions.empty() ? std::string() : actions.back(); }

    std::vector<Line> lines;
    int selected = -1;
    std::vector<std::string> actions;  // every report's action word, in order
    Title title;
    std::string caption = "Tarvik CDDB Player";
    std::map<int, std::string> controlTexts;
    std::map<int, bool> enabled;
    std::set<int> down;
    std::map<unsigned, unsigned> timers;
    std::pair<uint32_t, uint32_t> sliderRange{0, 0};
    uint32_t sliderPosition = 0;
    bool minimised = false;
    std::vector<std::string> opened;
    std::vector<TrayOperation> tray;
    bool hidden = false;
    int previews = 0;
    bool quitPosted = false;
    std::vector<std::string> messages;
    int cursor = 0;
};

class MemoryProfile : public Profile {
  public:
    std::string GetString(const std::string& section, const std::string& value, const std::string& fallback) override {
        auto it = strings.find(section + "\\" + value);
        return it == strings.end() ? fallback : it->second;
    }
    uint32_t GetInt(const std::string& section, const std::string& value, uint32_t fallback) override {
        auto it = ints.find(section + "\\" + value);
        return it == ints.end() ? fallback : it->second;
    }
    bool WriteString(const std::string& section, const std::string& value, const std::string& text) override {
        strings[section + "\\" + value] = text;
        return true;
    }
    bool WriteInt(const std::string& section, const std::string& value, uint32_t number) override {
        ints[section + "\\" + value] = number;
        return true;
    }
    std::map<std::string, std::string> strings;
    std::map<std::string, uint32_t> ints;
};

// A CDDB server that answers each command with a canned body (404 for the others) and remembers
// what it was asked.
class FakeCddbServer : public HttpGet {
  public:
    bool Get(const HttpRequest& request, size_t bodyLimit, HttpResponse& response) override {
        std::string command = request.path.substr(request.path.find("cmd=") + 4);
        command = command.substr(0, command.find('&'));
        std::replace(command.begin(), command.end(), '+', ' ');
        commands.push_back(command);
        paths.push_back(request.path);
        servers.push_back(request.server + ":" + std::to_string(request.port));
        auto it = bodies.find(command);
        response.status = it == bodies.end() ? 404 : 200;
        response.body = it == bodies.end() ? std::string() : it->second.substr(0, bodyLimit);
        return true;
    }
    std::map<std::string, std::string> bodies;
    std::vector<std::string> commands;
    std::vector<std::string> paths;
    std::vector<std::string> servers;
};

// Runs each request on the caller's thread, or lets it time out without running.
class InlineRunner : public WorkerRunner {
  public:
    explicit InlineRunner(const bool& timeOut) : timeOut(timeOut) {}
    WaitResult StartAndWait(std::function<void()> work, unsigned) override {
        if (timeOut) {
            return {WaitOutcome::TimedOut, std::string()};
        }
        work();
        return {WaitOutcome::Finished, std::string()};
    }

  private:
    const bool& timeOut;
};

// Runs an exchange's work at once and hands its answer to the window at once or, while late is
// set, only when the test delivers it: a server that answers late, without threads.
class LateExchangeRunner : public ExchangeRunner {
  public:
    bool Start(std::function<void()> work, std::function<void()> done, std::string& message) override {
        if (!refusal.empty()) {
            message = refusal;
            return false;
        }
        work();
        if (late) {
            answers.push_back(std::move(done));
        } else {
            done();
        }
        return true;
    }
    void Deliver() {
        std::function<void()> done = std::move(answers.front());
        answers.pop_front();
        done();
    }
    bool late = false;
    std::string refusal;  // not empty: no thread can be started, for this reason
    std::deque<std::function<void()>> answers;
};

// A fresh directory for the database and export files of one test.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "discdeck-app-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string path;
};

}  // namespace discdeck::testing_support
