// The skin on the player's own dialog template and artwork, in-process under Wine: outline,
// button frames, toggles, dragging, the slider's thumb and the tray records.
#include <windows.h>

#include <commctrl.h>

#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/win/PlayerDialog.h"
#include "app/win/TrayIcon.h"
#include "app/win/WindowSkin.h"
#include "cdaudio/Clock.h"
#include "controls/PlayerSkin.h"
#include "controls/RegionBlock.h"
#include "controls/win/BitmapButton.h"
#include "controls/win/SkinSlider.h"
#include "drive/SimulatedDrive.h"
#include "framework/Application.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/Registry.h"
#include "framework/Screenshot.h"
#include "res/resource.h"
#include "rip/CueSheet.h"
#include "rip/SheetLoader.h"
#include "tests/wine/DialogTemplate.h"

namespace discdeck {
namespace {

constexpr int kPlayerDialog = 102;
constexpr UINT kSeekReport = WM_USER + 1;

// The skin pieces on dialog 102 as the player window sets them up: buttons skinned at
// construction and bound by data exchange, region, face, slider skin and notify target at
// initialisation, face on erase, control colours, dragging.
class SkinDialog : public fw::Dialog {
  public:
    SkinDialog() : fw::Dialog(kPlayerDialog, nullptr) {
        for (size_t i = 0; i < buttons.size(); ++i) {
            buttons[i].SetSkin(kPlayerButtonSkins[i].skin);
        }
    }
    ~SkinDialog() override {
        if (hwnd != nullptr && ::IsWindow(hwnd)) {
            ::DestroyWindow(hwnd);
        }
    }

    BitmapButton& ButtonFor(int id) {
        for (size_t i = 0; i < buttons.size(); ++i) {
            if (kPlayerButtonSkins[i].controlId == id) {
                return buttons[i];
            }
        }
        std::abort();
    }
    SkinSlider& Slider() { return slider; }
    HRGN AppliedRegion() const { return region; }
    std::vector<int> seekCodes;
    std::vector<LONG> seekPositions;  // the slider's position as each report found it
    std::vector<int> clicks;

  protected:
    void DoDataExchange(fw::DataExchange& dx) override {
        for (size_t i = 0; i < buttons.size(); ++i) {
            fw::DdxControl(dx, kPlayerButtonSkins[i].controlId, buttons[i]);
        }
        fw::DdxControl(dx, 1045, slider);
    }
    bool OnInitDialog() override {
        fw::Dialog::OnInitDialog();
        HINSTANCE instance = fw::ResourceInstance();
        normal = fw::Cursor::Load(instance, IDC_CURSOR_NORMAL);
        drag = fw::Cursor::Load(instance, IDC_CURSOR_DRAG);
        region = ApplyWindowRegion(hwnd, instance);
        skin.LoadFace(instance, IDB_FACE);
        slider.LoadSkin(IDB_THUMB, IDB_TRACK);
        slider.SetNotify(hwnd, kSeekReport);
        return true;
    }
    void OnOK() override {}
    void OnCancel() override {}

  private:
    BOOL OnEraseBkgnd(HDC dc) { return skin.EraseBackground(dc); }
    HBRUSH OnCtlColor(HDC dc, HWND, UINT kind) { return skin.ControlColours(dc, kind); }
    void OnLeftButtonDown(UINT, POINT point) {
        skin.OnLeftButtonDown(hwnd, point);
        Default();
    }
    void OnMouseMove(UINT flags, POINT point) {
        skin.OnMouseMove(hwnd, flags, point, normal.Get(), drag.Get());
        Default();
    }
    void OnLeftButtonUp(UINT, POINT) {
        skin.OnLeftButtonUp();
        Default();
    }
    BOOL OnSetCursor(HWND, UINT, UINT) { return TRUE; }
    LRESULT OnSeek(WPARAM code, LPARAM) {
        seekCodes.push_back(static_cast<int>(code));
        seekPositions.push_back(slider.GetPos());
        return 0;
    }
    void OnClick(UINT id) { clicks.push_back(static_cast<int>(id)); }

    std::array<BitmapButton, kPlayerButtonCount> buttons;
    SkinSlider slider;
    WindowSkin skin;
    fw::Cursor normal;
    fw::Cursor drag;
    HRGN region = nullptr;

    DISCDECK_DECLARE_MESSAGE_MAP()
};

const fw::MessageMap* SkinDialog::GetThisMessageMap() {
    using T = SkinDialog;
    static const fw::MessageEntry entries[] = {
        fw::OnEraseBkgnd<&T::OnEraseBkgnd>(),
        fw::OnCtlColor<&T::OnCtlColor>(),
        fw::OnMouse<&T::OnLeftButtonDown>(WM_LBUTTONDOWN),
        fw::OnMouse<&T::OnMouseMove>(WM_MOUSEMOVE),
        fw::OnMouse<&T::OnLeftButtonUp>(WM_LBUTTONUP),
        fw::OnSetCursor<&T::OnSetCursor>(),
        fw::OnMessage<&T::OnSeek>(kSeekReport),
        fw::OnCommandRange<&T::OnClick>(1000, 1060),
    };
    static const fw::MessageMap map = fw::MakeMessageMap(&fw::Dialog::GetThisMessageMap, entries);
    return &map;
}

void Pump() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(20);
    }
}

LPARAM Point(int x, int y) {
    return MAKELPARAM(x, y);
}

// Real mouse input at a point of a window's client area: the system decides which window gets
// it, with capture and double-click detection as for the user's own mouse.
void MouseInput(HWND window, int x, int y, DWORD buttonFlags) {
    POINT screen{x, y};
    ::ClientToScreen(window, &screen);
    ::SetCursorPos(screen.x, screen.y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute input is in 65536ths of the screen: round up, so the pixel maps back exactly.
    const LONG width = ::GetSystemMetrics(SM_CXSCREEN);
    const LONG height = ::GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = (screen.x * 65536 + width - 1) / width;
    input.mi.dy = (screen.y * 65536 + height - 1) / height;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttonFlags;
    ::SendInput(1, &input, sizeof input);
    Pump();
}

std::string Artifacts() {
    const char* dir = std::getenv("DISCDECK_ARTIFACTS");
    std::string path = dir != nullptr ? dir : ".";
    ::CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

// What the screen shows of a control's client area.
fw::Image CaptureClient(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    POINT origin{0, 0};
    ::ClientToScreen(control, &origin);
    HDC screen = ::GetDC(nullptr);
    fw::Image image;
    image.width = client.right;
    image.height = client.bottom;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            image.pixels.push_back(::GetPixel(screen, origin.x + x, origin.y + y));
        }
    }
    ::ReleaseDC(nullptr, screen);
    return image;
}

fw::Image LoadStrip(int id) {
    HBITMAP bitmap = ::LoadBitmapA(fw::ResourceInstance(), MAKEINTRESOURCEA(id));
    fw::Image image = fw::ReadBitmap(bitmap);
    ::DeleteObject(bitmap);
    return image;
}

// Pixels of the control that show a frame of its strip, compared with that frame.
int MismatchesWithFrame(HWND control, const ButtonSkin& skin, int frame) {
    const fw::Image shown = CaptureClient(control);
    const fw::Image strip = LoadStrip(skin.bitmapId);
    const int width = std::min(skin.frameWidth, shown.width);
    const int height = std::min(strip.height, shown.height);
    int mismatches = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            mismatches += shown.At(x, y) != strip.At(FrameSourceX(skin, frame) + x, y);
        }
    }
    return mismatches;
}

class SkinWineTest : public testing::Test {
  protected:
    void SetUp() override {
        dialog = std::make_unique<SkinDialog>();
        ASSERT_TRUE(dialog->Create());
        ::SetWindowPos(dialog->GetHandle(), HWND_TOP, 40, 30, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        ::UpdateWindow(dialog->GetHandle());
        Pump();
    }
    void TearDown() override {
        ::ReleaseCapture();
        ::SetCursorPos(0, 0);  // off the next test's window: real input leaves the mouse where it was
        dialog.reset();
        Pump();
    }
    HWND Window() const { return dialog->GetHandle(); }
    HWND Control(int id) const { return ::GetDlgItem(dialog->GetHandle(), id); }
    void Repaint(HWND control) {
        ::UpdateWindow(control);
        Pump();
    }

    std::unique_ptr<SkinDialog> dialog;
};

TEST_F(SkinWineTest, WindowOutlineIsTheUnionOfTheRegionBands) {
    ASSERT_NE(dialog->AppliedRegion(), nullptr);
    HRGN actual = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(::GetWindowRgn(Window(), actual), COMPLEXREGION);

    HRSRC found = ::FindResourceA(fw::ResourceInstance(), kRegionResourceName, kRegionResourceType);
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const uint8_t*>(::LockResource(::LoadResource(fw::ResourceInstance(), found)));
    const auto block = ParseRegionBlock(data, ::SizeofResource(fw::ResourceInstance(), found));
    ASSERT_TRUE(block.has_value());
    ASSERT_EQ(block->rects.size(), 175u);
    HRGN expected = ::CreateRectRgn(0, 0, 0, 0);
    for (const BandRect& r : block->rects) {
        HRGN band = ::CreateRectRgn(r.left, r.top, r.right, r.bottom);
        ::CombineRgn(expected, expected, band, RGN_OR);
        ::DeleteObject(band);
    }
    EXPECT_TRUE(::EqualRgn(actual, expected));

    // The system keeps the same bands.
    std::vector<uint8_t> bytes(::GetRegionData(actual, 0, nullptr));
    ASSERT_GT(::GetRegionData(actual, static_cast<DWORD>(bytes.size()), reinterpret_cast<RGNDATA*>(bytes.data())), 0u);
    const auto readBack = ParseRegionBlock(bytes.data(), bytes.size());
    ASSERT_TRUE(readBack.has_value());
    EXPECT_EQ(readBack->rects, block->rects);

    // Points just outside the outline belong to the windows beneath.
    RECT window{};
    ::GetWindowRect(Window(), &window);
    EXPECT_EQ(::WindowFromPoint(POINT{window.left + 58, window.top}), ::GetDesktopWindow());
    EXPECT_EQ(::WindowFromPoint(POINT{window.left + 60, window.top}), Window());
    ::DeleteObject(actual);
    ::DeleteObject(expected);
}

TEST_F(SkinWineTest, PushButtonShowsNormalHoverAndDownFrames) {
    const int id = 1032;  // PLAY
    HWND button = Control(id);
    const ButtonSkin& skin = dialog->ButtonFor(id).Logic().Skin();
    EXPECT_EQ(::GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(MismatchesWithFrame(button, skin, kFrameNormal), 0);

    ::SendMessageA(button, WM_MOUSEMOVE, 0, Point(5, 5));
    EXPECT_EQ(::GetCapture(), button);
    Repaint(button);
    EXPECT_EQ(MismatchesWithFrame(button, skin, kFrameHover), 0);

    // The hover image is drawn once: a later repaint shows the normal frame.
    ::InvalidateRect(button, nullptr, TRUE);
    Repaint(button);
    EXPECT_EQ(MismatchesWithFrame(button, skin, kFrameNormal), 0);

    ::SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    Repaint(button);
    EXPECT_TRUE(dialog->ButtonFor(id).IsDown());
    EXPECT_EQ(MismatchesWithFrame(button, skin, kFrameDown), 0);

    ::SendMessageA(button, WM_LBUTTONUP, 0, Point(5, 5));
    Repaint(button);
    EXPECT_FALSE(dialog->ButtonFor(id).IsDown());
    EXPECT_EQ(MismatchesWithFrame(button, skin, kFrameNormal), 0);
    EXPECT_THAT(dialog->clicks, testing::ElementsAre(id));
}

TEST_F(SkinWineTest, LeavingAHoveredButtonRestoresItsNormalFrame) {
    HWND button = Control(1015);
    const ButtonSkin& skin = dialog->ButtonFor(1015).Logic().Skin();
    ::SendMessageA(button, WM_MOUSEMOVE, 0, Point(3, 3));
    Repaint(button);
    ASSERT_EQ(MismatchesWithFrame(button, skin, kFrameHover), 0);
    ::SendMessageA(button, WM_MOUSEMOVE, 0, Point(-4, 3));
    EXPECT_NE(::GetCapture(), button);
    Repaint(button);
    EXPECT_EQ(MismatchesWithFrame(button, skin, kFrameNormal), 0);
}

TEST_F(SkinWineTest, ToggleFlipsAtThePressAndClicksAtTheRelease) {
    const int id = 1051;  // repeat track
    HWND button = Control(id);
    BitmapButton& toggle = dialog->ButtonFor(id);
    const ButtonSkin& skin = toggle.Logic().Skin();

    ::SendMessageA(button, WM_MOUSEMOVE, 0, Point(5, 5));
    EXPECT_NE(::GetCapture(), button);  // no hover frame, no hover capture

    ::SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    EXPECT_TRUE(toggle.IsDown());
    EXPECT_TRUE(dialog->clicks.empty());
    ::SendMessageA(button, WM_LBUTTONUP, 0, Point(5, 5));
    Repaint(button);
    EXPECT_TRUE(toggle.IsDown());
    EXPECT_EQ(MismatchesWithFrame(button, skin, kFrameDown), 0);
    EXPECT_THAT(dialog->clicks, testing::ElementsAre(id));

    ::SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    EXPECT_FALSE(toggle.IsDown());
    ::SendMessageA(button, WM_LBUTTONUP, 0, Point(5, 5));
    Repaint(button);
    EXPECT_EQ(MismatchesWithFrame(button, skin, kFrameNormal), 0);
    EXPECT_THAT(dialog->clicks, testing::ElementsAre(id, id));
}

// The second press of a quick pair arrives as a double-click: it is a click all the same.
TEST_F(SkinWineTest, TwoQuickClicksAreTwoClicks) {
    for (int id : {1053, 1036}) {  // RANDOM, FWD
        HWND button = Control(id);
        dialog->clicks.clear();
        for (int i = 0; i < 2; ++i) {
            MouseInput(button, 4, 4, MOUSEEVENTF_LEFTDOWN);
            MouseInput(button, 4, 4, MOUSEEVENTF_LEFTUP);
        }
        EXPECT_THAT(dialog->clicks, testing::ElementsAre(id, id));
        EXPECT_FALSE(dialog->ButtonFor(id).IsDown()) << id;
    }
    MouseInput(Window(), 300, 30, 0);
}

TEST_F(SkinWineTest, DisabledButtonKeepsItsNormalFrame) {
    HWND pause = Control(1034);  // starts disabled
    ASSERT_FALSE(::IsWindowEnabled(pause));
    ::InvalidateRect(pause, nullptr, TRUE);
    Repaint(pause);
    EXPECT_EQ(MismatchesWithFrame(pause, dialog->ButtonFor(1034).Logic().Skin(), kFrameNormal), 0);
}

TEST_F(SkinWineTest, DraggingTheFaceMovesTheWindow) {
    RECT before{};
    ::GetWindowRect(Window(), &before);
    // (300, 30) is on the face, away from every control.
    ASSERT_EQ(::ChildWindowFromPoint(Window(), POINT{300, 30}), Window());
    ::SendMessageA(Window(), WM_LBUTTONDOWN, MK_LBUTTON, Point(300, 30));
    EXPECT_EQ(::GetCapture(), Window());
    ::SendMessageA(Window(), WM_MOUSEMOVE, MK_LBUTTON, Point(310, 35));
    ::SendMessageA(Window(), WM_LBUTTONUP, 0, Point(310, 35));
    EXPECT_NE(::GetCapture(), Window());
    RECT after{};
    ::GetWindowRect(Window(), &after);
    EXPECT_EQ(after.left - before.left, 10);
    EXPECT_EQ(after.top - before.top, 5);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);

    // Without the button held the window stays.
    ::SendMessageA(Window(), WM_MOUSEMOVE, 0, Point(330, 60));
    RECT still{};
    ::GetWindowRect(Window(), &still);
    EXPECT_EQ(still.left, after.left);
    EXPECT_EQ(still.top, after.top);
}

class SliderThumbTest : public SkinWineTest {
  protected:
    // Screen pixels of the slider's picture row through the thumb's middle.
    std::vector<COLORREF> PictureRow(int row) {
        Repaint(Control(1045));
        const fw::Image shown = CaptureClient(Control(1045));
        std::vector<COLORREF> out;
        for (int x = 0; x < shown.width; ++x) {
            out.push_back(shown.At(x, 3 + row));
        }
        return out;
    }
    void SetPosition(LONG pos) {
        ::SendMessageA(Control(1045), TBM_SETPOS, TRUE, pos);
        ::InvalidateRect(Control(1045), nullptr, TRUE);
    }
    // Where the thumb's opaque pixels sit in a picture row, compared with the thumb bitmap.
    int ThumbMismatches(const std::vector<COLORREF>& row, int left, int thumbRow) {
        const fw::Image thumb = LoadStrip(IDB_THUMB);
        const COLORREF key = thumb.At(0, 0);
        int mismatches = 0;
        for (int x = 0; x < thumb.width && left + x < static_cast<int>(row.size()); ++x) {
            const COLORREF want = thumb.At(x, thumbRow);
            if (want != key) {
                mismatches += row[left + x] != want;
            }
        }
        return mismatches;
    }
};

TEST_F(SliderThumbTest, ThumbStandsAtTheScaledPosition) {
    SkinSlider& slider = dialog->Slider();
    ASSERT_EQ(slider.SkinWidth(), 297);
    slider.SetRange(1000, 5000, false);
    const fw::Image track = LoadStrip(IDB_TRACK);
    const int row = 8;

    SetPosition(1000);
    EXPECT_EQ(slider.ThumbLeftForPaint(), 0);
    EXPECT_EQ(ThumbMismatches(PictureRow(row), 0, row), 0);

    SetPosition(3000);
    EXPECT_EQ(slider.ThumbLeftForPaint(), 148);
    std::vector<COLORREF> middle = PictureRow(row);
    EXPECT_EQ(ThumbMismatches(middle, 148, row), 0);
    EXPECT_EQ(middle[20], track.At(20, row));  // the track shows where the thumb no longer is

    // At max the thumb stands past the track: only the track is seen.
    SetPosition(5000);
    EXPECT_EQ(slider.ThumbLeftForPaint(), 297);
    std::vector<COLORREF> end = PictureRow(row);
    for (int x = 0; x < 297; ++x) {
        ASSERT_EQ(end[x], track.At(x, row)) << x;
    }
}

TEST_F(SliderThumbTest, ClickAndDragSetThePositionAndReportTheSeek) {
    HWND control = Control(1045);
    SkinSlider& slider = dialog->Slider();
    slider.SetRange(1000, 5000, false);
    // The seek goes where the mouse points, q = 4000 / 297 = 13 per pixel, whatever the trackbar's
    // own thumb handling makes of the press and the drag.
    MouseInput(control, 100, 8, MOUSEEVENTF_LEFTDOWN);
    ASSERT_FALSE(dialog->seekCodes.empty());
    EXPECT_THAT(dialog->seekCodes, testing::Each(kSeekMoving));
    EXPECT_THAT(dialog->seekPositions, testing::Each(1000 + 13 * 100));
    MouseInput(control, 200, 8, 0);
    EXPECT_THAT(dialog->seekCodes, testing::Each(kSeekMoving));
    EXPECT_EQ(dialog->seekPositions.back(), 1000 + 13 * 200);
    const LONG dragged = slider.GetPos();
    EXPECT_EQ(dragged, 1000 + 13 * 200);
    MouseInput(control, 200, 8, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(dialog->seekCodes.back(), kSeekReleased);
    EXPECT_EQ(std::count(dialog->seekCodes.begin(), dialog->seekCodes.end(), kSeekReleased), 1);
    EXPECT_EQ(::GetCapture(), nullptr);

    // Moving without the button changes nothing and reports nothing.
    const size_t reports = dialog->seekCodes.size();
    ::SendMessageA(control, WM_MOUSEMOVE, 0, Point(20, 8));
    EXPECT_EQ(slider.GetPos(), dragged);
    EXPECT_EQ(dialog->seekCodes.size(), reports);
}

// The trackbar takes no capture for a press above or below its channel (row 18 of 20) or in an
// empty range; the seek must still end, with the position kept, when the mouse is released
// elsewhere.
TEST_F(SliderThumbTest, ASeekEndsWhereverTheMouseIsReleased) {
    HWND control = Control(1045);
    for (LONG max : {5000, 1000}) {
        dialog->Slider().SetRange(1000, max, false);
        dialog->seekCodes.clear();
        MouseInput(control, 60, 18, MOUSEEVENTF_LEFTDOWN);
        EXPECT_EQ(::GetCapture(), control) << max;
        MouseInput(Window(), 300, 30, 0);  // off the slider, onto the face
        MouseInput(Window(), 300, 30, MOUSEEVENTF_LEFTUP);
        ASSERT_FALSE(dialog->seekCodes.empty()) << max;
        EXPECT_EQ(dialog->seekCodes.front(), kSeekMoving) << max;
        EXPECT_EQ(dialog->seekCodes.back(), kSeekReleased) << max;
        EXPECT_EQ(std::count(dialog->seekCodes.begin(), dialog->seekCodes.end(), kSeekReleased), 1);
        EXPECT_EQ(::GetCapture(), nullptr) << max;
    }
}

class TrayRecorder : public TrayNotifier {
  public:
    BOOL Notify(DWORD message, NOTIFYICONDATAW& data) override {
        calls.push_back({message, data});
        return TRUE;
    }
    std::vector<std::pair<DWORD, NOTIFYICONDATAW>> calls;
};

TEST_F(SkinWineTest, TrayRecordsCarryTheIconTheCallbackAndTheTips) {
    TrayRecorder tray;
    HICON icon = ::LoadIconA(fw::ResourceInstance(), MAKEINTRESOURCEA(IDI_PLAYER));
    ASSERT_NE(icon, nullptr);
    ::SetWindowTextA(Window(), "03:12 [04] and a caption longer than the tip");
    UpdateTrayIcon(Window(), icon, 0, tray);
    UpdateTrayIcon(Window(), icon, 1, tray);
    UpdateTrayIcon(Window(), icon, 2, tray);
    ASSERT_EQ(tray.calls.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const NOTIFYICONDATAW& d = tray.calls[i].second;
        EXPECT_EQ(tray.calls[i].first, i);
        EXPECT_EQ(d.cbSize, 152u);
        EXPECT_EQ(d.hWnd, Window());
        EXPECT_EQ(d.uID, 215u);
        EXPECT_EQ(d.uCallbackMessage, static_cast<UINT>(WM_USER));
        EXPECT_EQ(d.hIcon, icon);
    }
    EXPECT_EQ(tray.calls[0].second.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_STREQ(tray.calls[0].second.szTip, L"Tarvik CDDB Player");
    EXPECT_EQ(tray.calls[1].second.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_STREQ(tray.calls[1].second.szTip, L"03:12 [04] and a caption long");
    EXPECT_EQ(tray.calls[2].second.uFlags, 0u);
    EXPECT_STREQ(tray.calls[2].second.szTip, L"");
}

TEST_F(SkinWineTest, ScreenshotShowsTheFaceWithinTheOutline) {
    ::InvalidateRect(Window(), nullptr, TRUE);
    ::UpdateWindow(Window());
    Pump();
    const std::string path = Artifacts() + "/skin_dialog.bmp";
    ASSERT_TRUE(fw::SaveWindowImage(Window(), path));

    // Read back, the picture is the face wherever the outline holds no control.
    HBITMAP file = static_cast<HBITMAP>(
        ::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    const fw::Image shot = fw::ReadBitmap(file);
    ::DeleteObject(file);
    const fw::Image face = LoadStrip(IDB_FACE);
    ASSERT_GT(shot.width, 0);
    // The face shows through the outline except where the controls stand.
    HRGN faceShown = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(::GetWindowRgn(Window(), faceShown), COMPLEXREGION);
    for (HWND child = ::GetWindow(Window(), GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT place{};
        ::GetWindowRect(child, &place);
        ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&place), 2);
        HRGN control = ::CreateRectRgnIndirect(&place);
        ::CombineRgn(faceShown, faceShown, control, RGN_DIFF);
        ::DeleteObject(control);
    }
    int checked = 0;
    int mismatches = 0;
    for (int y = 0; y < std::min(shot.height, face.height); ++y) {
        for (int x = 0; x < std::min(shot.width, face.width); ++x) {
            if (::PtInRegion(faceShown, x, y)) {
                ++checked;
                mismatches += shot.At(x, y) != face.At(x, y);
            }
        }
    }
    ::DeleteObject(faceShown);
    EXPECT_GT(checked, face.width * face.height / 3);
    EXPECT_EQ(mismatches, 0);
}

using test::DialogTemplate;
using test::TemplateItem;

DialogTemplate LoadPlayerTemplate() {
    DialogTemplate dialog;
    test::LoadDialogTemplate(fw::ResourceInstance(), kPlayerDialog, dialog);
    return dialog;
}

TEST(PlayerTemplateTest, DialogIsAVisibleSystemModalPopupWithATaskbarEntry) {
    const DialogTemplate dialog = LoadPlayerTemplate();
    EXPECT_EQ(dialog.cx, 438);
    EXPECT_EQ(dialog.cy, 362);
    const DWORD required = WS_POPUP | WS_VISIBLE | DS_SYSMODAL | DS_3DLOOK;
    EXPECT_EQ(dialog.style & required, required);
    // The caption and the system menu come only at initialisation, without a new frame.
    EXPECT_EQ(dialog.style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME), 0u);
    EXPECT_EQ(dialog.exStyle & WS_EX_APPWINDOW, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.font, "MS Sans Serif");
    EXPECT_EQ(dialog.items.size(), 31u);
}

// One control of the layout: place and size in dialog units, class, the style bits it must have
// and those it must not, its extended style.
struct LayoutCase {
    int id;
    const char* className;
    int x, y, cx, cy;
    DWORD style;
    DWORD notStyle;
    DWORD exStyle;
};

constexpr const char* kButton = "#128";
constexpr const char* kEdit = "#129";
constexpr const char* kStatic = "#130";
constexpr const char* kListBox = "#131";
constexpr DWORD kOwnerDrawButton = BS_OWNERDRAW;
constexpr DWORD kPlainEdit = ES_READONLY | ES_CENTER;

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << "control " << c.id;
}

class PlayerLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(PlayerLayoutTest, ControlHasItsPlaceSizeAndStyle) {
    const LayoutCase& c = GetParam();
    const DialogTemplate dialog = LoadPlayerTemplate();
    const auto item =
        std::find_if(dialog.items.begin(), dialog.items.end(), [&](const TemplateItem& i) { return i.id == c.id; });
    ASSERT_NE(item, dialog.items.end());
    EXPECT_EQ(_stricmp(item->className.c_str(), c.className), 0) << item->className;
    EXPECT_EQ(item->x, c.x);
    EXPECT_EQ(item->y, c.y);
    EXPECT_EQ(item->cx, c.cx);
    EXPECT_EQ(item->cy, c.cy);
    EXPECT_EQ(item->style & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    if (std::string(c.className) == kButton) {
        EXPECT_EQ(item->style & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    }
    EXPECT_EQ(item->style & c.style, c.style);
    EXPECT_EQ(item->style & c.notStyle, 0u);
    EXPECT_EQ(item->exStyle & c.exStyle, c.exStyle);
    // Only the pause button starts disabled.
    EXPECT_EQ((item->style & WS_DISABLED) != 0, c.id == 1034);
}

LayoutCase Button(int id, int x, int y, int cx, int cy) {
    return LayoutCase{id, kButton, x, y, cx, cy, kOwnerDrawButton, 0, 0};
}

INSTANTIATE_TEST_SUITE_P(
    Dialog102,
    PlayerLayoutTest,
    testing::Values(LayoutCase{1000, kListBox, 77, 83, 270, 149,
                               LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
                                   WS_BORDER,
                               LBS_OWNERDRAWVARIABLE | LBS_USETABSTOPS, WS_EX_STATICEDGE},
                    Button(1003, 27, 39, 28, 15),
                    Button(1004, 19, 111, 42, 15),
                    Button(1005, 25, 62, 28, 14),
                    Button(1006, 22, 87, 35, 15),
                    Button(1007, 15, 159, 48, 14),
                    Button(1008, 26, 223, 31, 15),
                    LayoutCase{1011, kEdit, 114, 68, 151, 12, WS_BORDER | ES_AUTOHSCROLL, ES_READONLY, 0},
                    LayoutCase{1012, kEdit, 311, 68, 32, 12, WS_BORDER | ES_AUTOHSCROLL, ES_READONLY, 0},
                    Button(1013, 13, 136, 50, 14),
                    Button(1015, 17, 180, 44, 14),
                    LayoutCase{1017, kEdit, 254, 265, 93, 13, kPlainEdit, WS_BORDER | ES_AUTOHSCROLL, WS_EX_STATICEDGE},
                    LayoutCase{1018, kEdit, 254, 248, 93, 12, kPlainEdit, WS_BORDER | ES_AUTOHSCROLL, WS_EX_STATICEDGE},
                    Button(1019, 21, 201, 37, 15),
                    Button(1029, 372, 328, 56, 17),
                    LayoutCase{1031, "SysAnimate32", 378, 198, 43, 38, 0, 0, 0},
                    Button(1032, 171, 299, 27, 16),
                    Button(1033, 231, 299, 27, 16),
                    Button(1034, 199, 299, 27, 16),
                    Button(1035, 133, 299, 27, 16),
                    Button(1036, 295, 299, 27, 16),
                    Button(1037, 343, 28, 11, 10),
                    Button(1038, 316, 28, 11, 10),
                    Button(1039, 263, 299, 27, 16),
                    Button(1040, 330, 28, 11, 10),
                    LayoutCase{1045, "msctls_trackbar32", 128, 318, 198, 12, TBS_NOTICKS, TBS_VERT, 0},
                    LayoutCase{1047, kStatic, 76, 234, 271, 12, SS_CENTER | WS_BORDER, 0, WS_EX_STATICEDGE},
                    Button(1051, 93, 49, 67, 15),
                    Button(1052, 166, 49, 57, 15),
                    Button(1053, 230, 49, 49, 15),
                    Button(1054, 279, 49, 56, 15)),
    [](const testing::TestParamInfo<LayoutCase>& info) { return "Control" + std::to_string(info.param.id); });

TEST(PlayerTemplateTest, TitleLineCarriesItsTemplateText) {
    const DialogTemplate dialog = LoadPlayerTemplate();
    const auto item =
        std::find_if(dialog.items.begin(), dialog.items.end(), [](const TemplateItem& i) { return i.id == 1047; });
    ASSERT_NE(item, dialog.items.end());
    EXPECT_EQ(item->title, "Orvo CDdb Player");
    EXPECT_EQ(item->style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));
}

// The real player window on the demo disc: the skin as the player sets it up, hiding to the tray
// and coming back, and pictures of the window while it plays.
class PlayerSkinTest : public testing::Test {
  protected:
    static constexpr const char* kRegistryKey = "DiscdeckSkinWineTest";

    void SetUp() override {
        char temp[MAX_PATH] = "";
        ::GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "discdeck-skin-test";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        char previous[MAX_PATH] = "";
        ::GetCurrentDirectoryA(MAX_PATH, previous);
        previousFolder = previous;
        // The player keeps its database in the current directory.
        ::SetCurrentDirectoryA(folder.c_str());
        fw::DeleteKeyTree(HKEY_CURRENT_USER, std::string("Software\\") + kRegistryKey);

        auto drive = std::make_unique<SimulatedDrive>(clock);
        CueSheet sheet;
        SimulatedDisc disc;
        std::string cue = std::string("Z:") + DISCDECK_SOURCE_DIR + "/demo/demo.cue";
        ASSERT_TRUE(LoadCueSheet(cue, sheet, disc).Ok());
        ASSERT_TRUE(drive->InsertDisc(disc));
        PlayerDialog::Services services;
        services.mediaControl = std::move(drive);
        services.profile = &profile;
        services.shellOpen = [this](const std::string& target) { opened.push_back(target); };
        services.showPreview = [] {};
        services.tray = &tray;
        dialog = std::make_unique<PlayerDialog>(std::move(services));
        ASSERT_TRUE(dialog->Create());
        ::SetWindowPos(Window(), HWND_TOP, 60, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ::UpdateWindow(Window());
        Pump();
    }
    void TearDown() override {
        dialog.reset();
        Pump();
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        fw::DeleteKeyTree(HKEY_CURRENT_USER, std::string("Software\\") + kRegistryKey);
        ::SetCurrentDirectoryA(previousFolder.c_str());
        ::DeleteFileA((folder + "\\titles.sdb").c_str());
        ::DeleteFileA((folder + "\\tracks.sdb").c_str());
        ::RemoveDirectoryA(folder.c_str());
    }
    HWND Window() const { return dialog->GetHandle(); }
    HWND Item(int id) const { return ::GetDlgItem(Window(), id); }
    void Command(int id) { ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Item(id)); }
    void Tick(uint64_t ms) {
        clock.Advance(ms);
        ::SendMessageA(Window(), WM_TIMER, 1, 0);
        ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
    }
    void Save(const std::string& name) {
        ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        EXPECT_TRUE(fw::SaveWindowImage(Window(), Artifacts() + "/" + name));
    }

    std::string folder;
    std::string previousFolder;
    ManualClock clock{5000};
    fw::RegistryProfile profile{kRegistryKey, "discdeck"};
    TrayRecorder tray;
    std::vector<std::string> opened;
    std::unique_ptr<PlayerDialog> dialog;
};

TEST_F(PlayerSkinTest, PlayerWindowHasTheOutlineAndItsSkinnedControls) {
    HRGN actual = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(::GetWindowRgn(Window(), actual), COMPLEXREGION);
    std::vector<uint8_t> bytes(::GetRegionData(actual, 0, nullptr));
    ::GetRegionData(actual, static_cast<DWORD>(bytes.size()), reinterpret_cast<RGNDATA*>(bytes.data()));
    const auto block = ParseRegionBlock(bytes.data(), bytes.size());
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(block->rects.size(), 175u);
    EXPECT_EQ(block->rects.front(), (BandRect{59, 0, 69, 1}));
    EXPECT_EQ(block->rects.back(), (BandRect{238, 565, 369, 566}));
    ::DeleteObject(actual);

    // Playing: PLAY is disabled and PAUSE enabled, both still show their normal frames.
    for (int id : {1032, 1034, 1036, 1003}) {
        const BitmapButton* button = dialog->GetButton(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_EQ(MismatchesWithFrame(Item(id), button->Logic().Skin(), kFrameNormal), 0) << id;
    }
    EXPECT_EQ(dialog->GetSlider().SkinWidth(), 297);
}

TEST_F(PlayerSkinTest, HideGoesToTheTrayAndALeftClickComesBack) {
    Command(1038);
    EXPECT_FALSE(::IsWindowVisible(Window()));
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(tray.calls[0].first, static_cast<DWORD>(NIM_ADD));
    EXPECT_STREQ(tray.calls[0].second.szTip, L"Tarvik CDDB Player");

    // While hidden the tip follows the caption (the display timer may tick on its own as well).
    Tick(1000);
    ASSERT_GE(tray.calls.size(), 2u);
    for (size_t i = 1; i < tray.calls.size(); ++i) {
        EXPECT_EQ(tray.calls[i].first, static_cast<DWORD>(NIM_MODIFY));
    }
    wchar_t caption[64] = L"";
    ::GetWindowTextW(Window(), caption, 64);
    EXPECT_STREQ(tray.calls.back().second.szTip, caption);
    EXPECT_THAT(std::wstring(caption), testing::EndsWith(L"[01]"));

    // Another icon's messages and other mouse messages are not ours.
    EXPECT_EQ(::SendMessageA(Window(), WM_USER, 216, WM_LBUTTONUP), 0);
    EXPECT_EQ(::SendMessageA(Window(), WM_USER, 215, WM_MOUSEMOVE), 0);
    // A right click opens the maker's site and leaves the window hidden.
    EXPECT_EQ(::SendMessageA(Window(), WM_USER, 215, WM_RBUTTONUP), 1);
    EXPECT_THAT(opened, testing::ElementsAre("http://www.discdeck.example/"));
    EXPECT_FALSE(::IsWindowVisible(Window()));

    EXPECT_EQ(::SendMessageA(Window(), WM_USER, 215, WM_LBUTTONUP), 1);
    EXPECT_TRUE(::IsWindowVisible(Window()));
    EXPECT_EQ(tray.calls.back().first, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(tray.calls.back().second.uID, 215u);
}

TEST_F(PlayerSkinTest, ScreenshotsWhilePlayingTheDemoDisc) {
    Tick(1000);
    Tick(64000);
    Save("player_playing.bmp");

    // Modes down, a hovered button and the slider moved by the timer.
    for (int id : {1052, 1053}) {
        ::SendMessageA(Item(id), WM_LBUTTONDOWN, MK_LBUTTON, Point(4, 4));
        ::SendMessageA(Item(id), WM_LBUTTONUP, 0, Point(4, 4));
    }
    EXPECT_TRUE(dialog->GetButton(1052)->IsDown());
    Tick(30000);
    ::SendMessageA(Item(1036), WM_MOUSEMOVE, 0, Point(4, 4));
    ::UpdateWindow(Item(1036));
    Pump();
    EXPECT_TRUE(fw::SaveWindowImage(Window(), Artifacts() + "/player_modes.bmp"));
    EXPECT_EQ(MismatchesWithFrame(Item(1036), dialog->GetButton(1036)->Logic().Skin(), kFrameHover), 0);
    ::ReleaseCapture();
}

}  // namespace
}  // namespace discdeck
