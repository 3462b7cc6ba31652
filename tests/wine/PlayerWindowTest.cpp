// The real player window, created in-process on a simulated drive with a hand-moved clock, driven
// with window messages and read back through its controls.
#include <windows.h>

#include <gmock/gmock.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/win/PlayerDialog.h"
#include "cdaudio/Clock.h"
#include "drive/SimulatedDrive.h"
#include "drive/win/MediaControlFactory.h"
#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "framework/Registry.h"
#include "framework/Screenshot.h"
#include "res/resource.h"
#include "rip/CueSheet.h"
#include "rip/SheetLoader.h"
#include "tests/wine/WineTestSupport.h"

namespace discdeck {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;

constexpr const char* kTestRegistryKey = "DiscdeckPlayerWindowTest";

class RecordingMessages : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string&) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class RecordingTray : public TrayNotifier {
  public:
    BOOL Notify(DWORD message, NOTIFYICONDATAW& data) override {
        operations.push_back(message);
        tips.push_back(fw::Utf8FromWide(data.szTip));
        return TRUE;
    }
    std::vector<DWORD> operations;
    std::vector<std::string> tips;
};

struct Line {
    std::string text;
    COLORREF colour;
};

class PlayerWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        folder = std::make_unique<test::ScratchFolder>();
        fw::DeleteKeyTree(HKEY_CURRENT_USER, std::string("Software\\") + kTestRegistryKey);
    }
    void TearDown() override {
        dialog.reset();
        test::DrainQuit();
        fw::DeleteKeyTree(HKEY_CURRENT_USER, std::string("Software\\") + kTestRegistryKey);
        folder.reset();
    }

    // Creates the window on the demo disc (or on the given media control).
    void Start(std::unique_ptr<MediaControl> control = nullptr) {
        if (!control) {
            auto simulated = std::make_unique<SimulatedDrive>(clock);
            CueSheet sheet;
            SimulatedDisc disc;
            ASSERT_TRUE(LoadCueSheet(test::SourcePath("demo/demo.cue"), sheet, disc).Ok());
            ASSERT_TRUE(simulated->InsertDisc(disc));
            drive = simulated.get();
            control = std::move(simulated);
        }
        PlayerDialog::Services services;
        services.mediaControl = std::move(control);
        services.profile = &profile;
        services.messages = &messages;
        services.shellOpen = [this](const std::string& target) { opened.push_back(target); };
        services.showPreview = [this] { ++previews; };
        services.tray = &tray;
        dialog = std::make_unique<PlayerDialog>(std::move(services));
        ASSERT_TRUE(dialog->Create());
    }

    HWND Item(int id) const { return ::GetDlgItem(dialog->GetHandle(), id); }
    void Command(int id) { dialog->Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id))); }
    std::string Text(int id) const { return fw::Window(Item(id)).GetText(); }

    // The list as the control holds it.
    std::vector<Line> Lines() const {
        fw::ListBox list(Item(kListControl));
        std::vector<Line> lines;
        for (int i = 0; i < list.GetCount(); ++i) {
            lines.push_back({list.GetLineText(i), static_cast<COLORREF>(list.GetItemData(i))});
        }
        return lines;
    }
    std::string Action() const {
        for (const Line& line : Lines()) {
            if (line.text.rfind("Action: ", 0) == 0) {
                return line.text.substr(8);
            }
        }
        return "";
    }
    int Selected() const { return fw::ListBox(Item(kListControl)).GetCurSel(); }

    std::unique_ptr<test::ScratchFolder> folder;
    ManualClock clock{1000};
    SimulatedDrive* drive = nullptr;
    fw::RegistryProfile profile{kTestRegistryKey, "discdeck"};
    RecordingMessages messages;
    RecordingTray tray;
    std::vector<std::string> opened;
    int previews = 0;
    std::unique_ptr<PlayerDialog> dialog;
};

TEST_F(PlayerWindowTest, StartsPlayingAndShowsTheReportInItsColours) {
    Start();
    EXPECT_EQ(drive->Mode(), mci::MCI_MODE_PLAY);
    std::vector<Line> lines = Lines();
    ASSERT_GE(lines.size(), 18u);
    EXPECT_EQ(lines[0].text, "Title: unknown");
    EXPECT_EQ(lines[0].colour, RGB(255, 128, 128));
    EXPECT_THAT(lines[1].text, StartsWith("Track 01: 03:41 "));
    EXPECT_EQ(lines[1].colour, RGB(255, 255, 255));
    EXPECT_THAT(lines[10].text, StartsWith("Track 10: "));
    EXPECT_EQ(lines[11].text, "Total tracks: 10");
    EXPECT_EQ(lines[11].colour, RGB(128, 128, 0));
    EXPECT_EQ(lines[17].colour, RGB(128, 128, 0));
    // Nothing answers the look-up that follows the play: the report ends as the server look-up's.
    EXPECT_EQ(Action(), "CDDB");
    EXPECT_EQ(Selected(), 1);

    EXPECT_EQ(dialog->GetText(), "Tarvik CDDB Player");
    EXPECT_EQ(Text(kServerEdit), "gnudb.gnudb.org");
    EXPECT_EQ(Text(kPortEdit), "80");
    EXPECT_FALSE(fw::Window(Item(kPlayButton)).IsEnabled());
    EXPECT_TRUE(fw::Window(Item(kPauseButton)).IsEnabled());
    EXPECT_EQ(dialog->GetStyle() & (WS_CAPTION | WS_SYSMENU), static_cast<LONG>(WS_CAPTION | WS_SYSMENU));
    // Shaped, and the caption style takes no room from the face.
    fw::Region region(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(::GetWindowRgn(dialog->GetHandle(), region.Get()), COMPLEXREGION);
    RECT client = dialog->GetClientRect();
    RECT window = dialog->GetWindowRect();
    EXPECT_EQ(client.right, window.right - window.left);
    EXPECT_EQ(client.bottom, window.bottom - window.top);
    // Nothing is written before the exit button.
    EXPECT_FALSE(fw::Key::Open(HKEY_CURRENT_USER, std::string("Software\\") + kTestRegistryKey));
}

TEST_F(PlayerWindowTest, TransportCommandsMoveTheDriveAndReportTheirAction) {
    Start();
    Command(kForwardButton);
    EXPECT_EQ(Action(), "FORWARD");
    EXPECT_EQ(Selected(), 2);
    Command(kRewindButton);
    EXPECT_EQ(Action(), "REWIND");
    EXPECT_EQ(Selected(), 1);
    Command(kPauseButton);
    EXPECT_EQ(Action(), "PAUSE");
    EXPECT_EQ(drive->Mode(), mci::MCI_MODE_PAUSE);
    Command(kPauseButton);
    EXPECT_EQ(Action(), "RESUME");
    EXPECT_EQ(drive->Mode(), mci::MCI_MODE_PLAY);
    Command(kStopButton);
    EXPECT_EQ(Action(), "STOP");
    EXPECT_EQ(drive->Mode(), mci::MCI_MODE_STOP);
    EXPECT_TRUE(fw::Window(Item(kPlayButton)).IsEnabled());
    EXPECT_FALSE(fw::Window(Item(kPauseButton)).IsEnabled());
    Command(kEjectButton);
    EXPECT_EQ(Action(), "EJECT");
    EXPECT_TRUE(drive->IsDoorOpen());
}

TEST_F(PlayerWindowTest, DoubleClickPlaysTheSelectedTrackLine) {
    Start();
    fw::ListBox list(Item(kListControl));
    list.SetCurSel(7);
    dialog->Send(WM_COMMAND, MAKEWPARAM(kListControl, LBN_DBLCLK), reinterpret_cast<LPARAM>(Item(kListControl)));
    EXPECT_EQ(Action(), "Select");
    EXPECT_EQ(dialog->GetDevice().currentTrack, 7u);
    EXPECT_EQ(Selected(), 7);

    list.SetCurSel(0);
    dialog->Send(WM_COMMAND, MAKEWPARAM(kListControl, LBN_DBLCLK), reinterpret_cast<LPARAM>(Item(kListControl)));
    EXPECT_EQ(Action(), "INFO");
    EXPECT_EQ(dialog->GetDevice().currentTrack, 7u);
}

TEST_F(PlayerWindowTest, DisplayTickShowsTimesInTitleLineCaptionAndTrayTip) {
    Start();
    clock.Advance(65000);
    dialog->Send(WM_TIMER, kDisplayTimer);
    // The disc position counts the two-second pregap.
    EXPECT_EQ(Text(kTitleLine), "Track: 01  Elapsed: 01:05  Remainded: 02:36  Total: 01:07 (40:02)");
    EXPECT_EQ(dialog->GetText(), "02:36 [01]");
    ASSERT_FALSE(tray.operations.empty());
    EXPECT_EQ(tray.operations.back(), static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(tray.tips.back(), "02:36 [01]");
    EXPECT_GT(dialog->GetSlider().GetPos(), 0);
}

// The window's own timers, served by the message loop: the drive's clock follows real time, and
// the title line and caption count the seconds as they pass.
TEST_F(PlayerWindowTest, RealTimersCountTheSecondsInTitleLineAndCaption) {
    Start();
    std::vector<std::string> titleLines;
    std::vector<std::string> captions;
    const DWORD start = ::GetTickCount();
    DWORD moved = 0;
    while (::GetTickCount() - start < 4500) {
        test::PumpMessages(50);
        const DWORD now = ::GetTickCount() - start;
        clock.Advance(now - moved);
        moved = now;
        const std::string title = Text(kTitleLine);
        if (titleLines.empty() || titleLines.back() != title) {
            titleLines.push_back(title);
        }
        const std::string caption = dialog->GetText();
        if (captions.empty() || captions.back() != caption) {
            captions.push_back(caption);
        }
    }
    // At least three ticks of timer 1 came, each with the next second.
    std::vector<std::string> ticks;
    std::copy_if(titleLines.begin(), titleLines.end(), std::back_inserter(ticks),
                 [](const std::string& line) { return line.rfind("Track: 01  Elapsed: 00:0", 0) == 0; });
    ASSERT_GE(ticks.size(), 3u) << testing::PrintToString(titleLines);
    for (size_t i = 1; i < ticks.size(); ++i) {
        EXPECT_GT(ticks[i].substr(20, 5), ticks[i - 1].substr(20, 5));
    }
    EXPECT_GE(std::count_if(captions.begin(), captions.end(),
                            [](const std::string& text) { return text.size() == 10 && text.substr(5) == " [01]"; }),
              3);
}

// Records the OK and Cancel commands a window receives, sent or posted.
LRESULT CALLBACK RecordEndCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        reinterpret_cast<std::vector<int>*>(data)->push_back(LOWORD(wParam));
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(PlayerWindowTest, EnterEscapeAndCloseDoNotEndTheWindow) {
    Start();
    std::vector<int> commands;
    ASSERT_TRUE(::SetWindowSubclass(dialog->GetHandle(), RecordEndCommands, 1, reinterpret_cast<DWORD_PTR>(&commands)));
    // The keys reach the dialog manager as the modal loop hands them on, from the focused control:
    // Enter and Escape become IDOK and IDCANCEL. The close box sends WM_CLOSE, which becomes IDCANCEL.
    ::SetFocus(Item(kServerEdit));
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        MSG msg{Item(kServerEdit), WM_KEYDOWN, key, 0, 0, {0, 0}};
        EXPECT_TRUE(::IsDialogMessageA(dialog->GetHandle(), &msg)) << key;
    }
    dialog->Send(WM_SYSCOMMAND, SC_CLOSE);
    test::PumpMessages(100);
    EXPECT_THAT(commands, ElementsAre(IDOK, IDCANCEL, IDCANCEL));
    ASSERT_TRUE(dialog->IsWindow());
    EXPECT_TRUE(::IsWindowVisible(dialog->GetHandle()));
    EXPECT_FALSE(test::QuitPosted());
    ::RemoveWindowSubclass(dialog->GetHandle(), RecordEndCommands, 1);
}

TEST_F(PlayerWindowTest, SettingsAreReadAtStartAndWrittenByTheExitButton) {
    ASSERT_TRUE(profile.WriteString("Settings", "Server", "127.0.0.1"));
    ASSERT_TRUE(profile.WriteInt("Settings", "Port", 65535));
    Start();
    EXPECT_EQ(Text(kServerEdit), "127.0.0.1");
    EXPECT_EQ(Text(kPortEdit), "-1");

    fw::Window(Item(kServerEdit)).SetText("cddb.example");
    fw::Window(Item(kPortEdit)).SetText("8880");
    Command(kExitButton);
    EXPECT_EQ(profile.GetString("Settings", "Server", ""), "cddb.example");
    EXPECT_EQ(profile.GetInt("Settings", "Port", 0), 8880u);
    EXPECT_EQ(Action(), "STOP");
    EXPECT_EQ(drive->Mode(), mci::MCI_MODE_STOP);
    ASSERT_FALSE(tray.operations.empty());
    EXPECT_EQ(tray.operations.back(), static_cast<DWORD>(NIM_DELETE));
    EXPECT_TRUE(test::QuitPosted());
}

TEST_F(PlayerWindowTest, APortThatIsNotANumberIsRefusedAndTheSettingsStay) {
    Start();
    fw::Window(Item(kServerEdit)).SetText("other.example");
    messages.texts.clear();
    fw::Window(Item(kPortEdit)).SetText("abc");
    EXPECT_THAT(messages.texts, ElementsAre("Please enter an integer."));
    // While the port is not a number, a new server text is not taken either.
    fw::Window(Item(kServerEdit)).SetText("third.example");
    EXPECT_EQ(messages.texts.size(), 2u);
    Command(kExitButton);
    // The server text came before the bad port and was taken; the port kept its value.
    EXPECT_EQ(profile.GetString("Settings", "Server", ""), "other.example");
    EXPECT_EQ(profile.GetInt("Settings", "Port", 0), 80u);
}

TEST_F(PlayerWindowTest, TheRealDeviceWithoutADriveReportsAnError) {
    ::SetEnvironmentVariableA("DISCDECK_VIRTUAL_DISC", nullptr);
    Start(CreateMediaControl("discdeck.exe"));
    EXPECT_EQ(Action(), "ERROR");
    EXPECT_TRUE(fw::Window(Item(kPlayButton)).IsEnabled());
}

TEST_F(PlayerWindowTest, ControlColoursAreOrangeOrWhiteOnBlack) {
    Start();
    fw::WindowDC screen(nullptr);
    fw::DC dc = fw::DC::CompatibleWith(screen.Get());
    struct Case {
        UINT message;
        int control;
        COLORREF text;
    };
    for (const Case& c : {Case{WM_CTLCOLORSTATIC, kTitleLine, RGB(255, 128, 0)},
                          Case{WM_CTLCOLORLISTBOX, kListControl, RGB(255, 128, 0)},
                          Case{WM_CTLCOLOREDIT, kServerEdit, RGB(255, 255, 255)},
                          Case{WM_CTLCOLORBTN, kPlayButton, RGB(255, 255, 255)}}) {
        auto brush = reinterpret_cast<HBRUSH>(
            dialog->Send(c.message, reinterpret_cast<WPARAM>(dc.Get()), reinterpret_cast<LPARAM>(Item(c.control))));
        LOGBRUSH info{};
        ASSERT_NE(::GetObjectA(brush, sizeof(info), &info), 0) << c.message;
        EXPECT_EQ(info.lbColor, RGB(0, 0, 0));
        EXPECT_EQ(::GetTextColor(dc.Get()), c.text) << c.message;
        EXPECT_EQ(::GetBkColor(dc.Get()), RGB(0, 0, 0));
    }
}

// How often each colour shows inside a control's client area, read from the screen.
std::map<COLORREF, int> ScreenColours(HWND control) {
    std::map<COLORREF, int> counts;
    fw::Image shot = fw::CaptureWindow(control, fw::CaptureSource::Screen);
    RECT window{};
    RECT client{};
    POINT origin{0, 0};
    if (shot.width == 0 || !::GetWindowRect(control, &window) || !::GetClientRect(control, &client) ||
        !::ClientToScreen(control, &origin)) {
        return counts;
    }
    const int left = origin.x - window.left;
    const int top = origin.y - window.top;
    for (int y = top; y < top + client.bottom && y < shot.height; ++y) {
        for (int x = left; x < left + client.right && x < shot.width; ++x) {
            ++counts[shot.At(x, y)];
        }
    }
    return counts;
}

COLORREF Commonest(const std::map<COLORREF, int>& counts) {
    auto most = std::max_element(counts.begin(), counts.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
    return most != counts.end() ? most->first : CLR_INVALID;
}

// What the screen shows, not what the colour messages answer: each control on black in its text
// colour, and the settings edits again once focused and typed into (caret, repaint after the key).
TEST_F(PlayerWindowTest, ControlsShowTheirColoursOnTheScreen) {
    Start();
    HWND window = dialog->GetHandle();
    ::SetWindowPos(window, HWND_TOP, 40, 30, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(window);
    test::PumpMessages(300);
    ::RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::PumpMessages(200);

    constexpr COLORREF kBlack = RGB(0, 0, 0);
    constexpr COLORREF kOrangeText = RGB(255, 128, 0);
    constexpr COLORREF kWhiteText = RGB(255, 255, 255);
    auto expectOnBlack = [=](HWND control, COLORREF text) {
        std::map<COLORREF, int> counts = ScreenColours(control);
        ASSERT_FALSE(counts.empty());
        EXPECT_EQ(Commonest(counts), kBlack);
        EXPECT_GE(counts[text], 5) << "too few pixels in the text colour";
    };
    struct Case {
        int control;
        COLORREF text;
    };
    for (const Case& c :
         {Case{kServerEdit, kWhiteText}, Case{kPortEdit, kWhiteText}, Case{kDiscIdEdit, kOrangeText},
          Case{kCategoryEdit, kOrangeText}, Case{kTitleLine, kOrangeText}, Case{kListControl, kWhiteText}}) {
        SCOPED_TRACE(c.control);
        // Nothing answers the look-up here, so the category stays empty: its background only.
        const bool showsText = c.control == kListControl || !Text(c.control).empty();
        expectOnBlack(Item(c.control), showsText ? c.text : kBlack);
    }

    struct Typing {
        int control;
        char key;
    };
    for (const Typing& t : {Typing{kServerEdit, 'x'}, Typing{kPortEdit, '9'}}) {
        SCOPED_TRACE(t.control);
        HWND edit = Item(t.control);
        ::SetFocus(edit);
        ASSERT_EQ(::GetFocus(), edit);
        ::SendMessageA(edit, WM_KEYDOWN, VK_END, 0);
        ::SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(t.key), 1);
        test::PumpMessages(200);
        ::UpdateWindow(edit);
        EXPECT_THAT(Text(t.control), testing::EndsWith(std::string(1, t.key)));
        expectOnBlack(edit, kWhiteText);
    }
    EXPECT_TRUE(messages.texts.empty());
    test::SaveArtifact(fw::CaptureWindow(window), "player-window-typed.bmp");
}

TEST_F(PlayerWindowTest, HideGoesToTheTrayAndALeftClickBringsItBack) {
    Start();
    Command(kHideButton);
    EXPECT_FALSE(dialog->IsVisible());
    ASSERT_FALSE(tray.operations.empty());
    EXPECT_EQ(tray.operations.back(), static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(tray.tips.back(), "Tarvik CDDB Player");

    EXPECT_EQ(dialog->Send(WM_USER, 999, WM_LBUTTONUP), 0);
    EXPECT_FALSE(dialog->IsVisible());
    EXPECT_EQ(dialog->Send(WM_USER, 215, WM_RBUTTONUP), 1);
    EXPECT_THAT(opened, ElementsAre("http://www.discdeck.example/"));
    EXPECT_FALSE(dialog->IsVisible());
    EXPECT_EQ(dialog->Send(WM_USER, 215, WM_LBUTTONUP), 1);
    EXPECT_TRUE(dialog->IsVisible());
    EXPECT_EQ(tray.operations.back(), static_cast<DWORD>(NIM_DELETE));
}

TEST_F(PlayerWindowTest, DraggingTheFaceMovesTheWindow) {
    Start();
    RECT before = dialog->GetWindowRect();
    dialog->Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(220, 450));
    EXPECT_EQ(::GetCapture(), dialog->GetHandle());
    POINT screen = dialog->ClientToScreen(POINT{230, 455});
    POINT client = screen;
    ::ScreenToClient(dialog->GetHandle(), &client);
    dialog->Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    RECT after = dialog->GetWindowRect();
    EXPECT_EQ(after.left - before.left, 10);
    EXPECT_EQ(after.top - before.top, 5);
    dialog->Send(WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    EXPECT_NE(::GetCapture(), dialog->GetHandle());
    // Moves without the button do not move it.
    dialog->Send(WM_MOUSEMOVE, 0, MAKELPARAM(0, 0));
    EXPECT_EQ(dialog->GetWindowRect().left, after.left);
}

TEST_F(PlayerWindowTest, ClickingTheRandomToggleJumpsAndKeepsItDown) {
    Start();
    HWND random = Item(kRandomButton);
    ::SendMessageA(random, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(random, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(dialog->IsButtonDown(kRandomButton));
    EXPECT_EQ(Action(), "Random");
    EXPECT_GE(dialog->GetDevice().currentTrack, 1u);
    EXPECT_LE(dialog->GetDevice().currentTrack, 10u);
}

TEST_F(PlayerWindowTest, SeekReportMovesThePositionAndPlaysOn) {
    Start();
    dialog->GetSlider().SetPos(60000, false);
    dialog->Send(WM_USER + 1, 5);
    EXPECT_EQ(Text(kTitleLine), "Elapsed: 00:58  Remainded: 02:43  Total: 01:00 (40:09)");
    EXPECT_NE(drive->Mode(), mci::MCI_MODE_PLAY);
    dialog->Send(WM_USER + 1, 4);
    EXPECT_EQ(Action(), "SEEK");
    EXPECT_EQ(drive->Mode(), mci::MCI_MODE_PLAY);
}

TEST_F(PlayerWindowTest, DatabaseButtonSavesTheListAndShowsThePreview) {
    Start();
    Command(kDatabaseButton);
    EXPECT_EQ(previews, 1);
    std::ifstream saved("Title.txt");
    std::string first;
    std::getline(saved, first);
    EXPECT_EQ(first, "Title: unknown");
}

TEST_F(PlayerWindowTest, ScreenshotShowsTheFaceAndTheListColours) {
    Start();
    dialog->Show(SW_SHOWNORMAL);
    ::SetWindowPos(dialog->GetHandle(), HWND_TOP, 40, 30, 0, 0, SWP_NOSIZE);
    test::PumpMessages(500);
    ::RedrawWindow(dialog->GetHandle(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::PumpMessages(300);
    fw::Image shot = fw::CaptureWindow(dialog->GetHandle());
    ASSERT_GT(shot.width, 500);
    test::SaveArtifact(shot, "player-window.bmp");

    // The face where no control stands.
    fw::Bitmap face = fw::Bitmap::Load(::GetModuleHandleA(nullptr), IDB_FACE);
    fw::Image faceImage = fw::ReadBitmap(face.Get());
    ASSERT_GT(faceImage.width, 230);
    EXPECT_EQ(shot.At(230, 480), faceImage.At(230, 480));

    // The selected line on grey, the other lines on black.
    fw::ListBox list(Item(kListControl));
    RECT listRect = list.GetWindowRect();
    RECT windowRect = dialog->GetWindowRect();
    auto pixelRightOfLine = [&](int index) {
        RECT item = list.GetItemRect(index);
        POINT inList{item.right - 3, (item.top + item.bottom) / 2};
        return shot.At(listRect.left - windowRect.left + inList.x + 1, listRect.top - windowRect.top + inList.y + 1);
    };
    EXPECT_EQ(pixelRightOfLine(Selected()), RGB(128, 128, 128));
    EXPECT_EQ(pixelRightOfLine(Selected() + 1), RGB(0, 0, 0));
}

TEST(ColourListBoxTest, DrawsTheSelectionInTheBackgroundColourOnGrey) {
    fw::WindowDC screen(nullptr);
    fw::DC dc = fw::DC::CompatibleWith(screen.Get());
    fw::Bitmap target(::CreateCompatibleBitmap(screen.Get(), 60, 16));
    fw::SelectGuard select(dc.Get(), target.Get());
    RECT all{0, 0, 60, 16};
    fw::Brush blue = fw::Brush::Solid(RGB(0, 0, 255));
    ::FillRect(dc.Get(), &all, blue.Get());

    ColourListBox list;
    list.SetBackgroundColour(RGB(0, 0, 0));
    list.SetSelectionColour(RGB(128, 128, 128));
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.hDC = dc.Get();
    item.rcItem = all;
    item.itemData = RGB(255, 255, 255);

    item.itemID = static_cast<UINT>(-1);
    item.itemAction = ODA_DRAWENTIRE;
    list.DrawItem(item);
    EXPECT_EQ(::GetPixel(dc.Get(), 30, 8), RGB(0, 0, 255));  // no line: nothing drawn

    item.itemID = 0;  // the list has no window: the line has no text, only the fill shows
    item.itemState = ODS_SELECTED;
    item.itemAction = ODA_SELECT;
    list.DrawItem(item);
    EXPECT_EQ(::GetPixel(dc.Get(), 30, 8), RGB(128, 128, 128));

    item.itemState = 0;
    list.DrawItem(item);
    EXPECT_EQ(::GetPixel(dc.Get(), 30, 8), RGB(0, 0, 0));

    // Drawn whole and unselected: the list's own erase gives the background, nothing is filled.
    ::FillRect(dc.Get(), &all, blue.Get());
    item.itemAction = ODA_DRAWENTIRE;
    list.DrawItem(item);
    EXPECT_EQ(::GetPixel(dc.Get(), 30, 8), RGB(0, 0, 255));
}

}  // namespace
}  // namespace discdeck
