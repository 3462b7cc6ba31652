#include "app/win/PlayerDialog.h"

#include <shellapi.h>

#include <vector>

#include "app/win/DiscHandOver.h"
#include "controls/TrayRecord.h"
#include "framework/Application.h"
#include "framework/DataExchange.h"
#include "res/resource.h"

namespace discdeck {

namespace {
constexpr const char* kCaption = "Tarvik CDDB Player";
constexpr UINT kSeekReportMessage = WM_USER + 1;
constexpr UINT kHandedSheetMessage = WM_USER + 2;
// Sent to per-monitor aware windows (Windows 8.1 and later; the headers define it only for those).
constexpr UINT kDpiChangedMessage = 0x02E0;
constexpr UINT kExchangeDoneMessage = WM_USER + 3;
}  // namespace

const fw::MessageMap* PlayerDialog::GetThisMessageMap() {
    using T = PlayerDialog;
    static const fw::MessageEntry entries[] = {
        fw::OnCommandRange<&T::OnCommandId>(kListControl, kSampleButton),
        fw::OnControl<&T::OnListDoubleClick>(LBN_DBLCLK, kListControl),
        fw::OnControl<&T::OnServerChanged>(EN_CHANGE, kServerEdit),
        fw::OnControl<&T::OnPortChanged>(EN_CHANGE, kPortEdit),
        fw::OnTimer<&T::OnTimer>(),
        fw::OnMessage<&T::OnTrayCallback>(kTrayCallbackMessage),
        fw::OnMessage<&T::OnSeekReport>(kSeekReportMessage),
        fw::OnMessage<&T::OnExchangeDone>(kExchangeDoneMessage),
        fw::OnMouse<&T::OnRightButtonDown>(WM_RBUTTONDOWN),
        fw::OnMouse<&T::OnLeftButtonDown>(WM_LBUTTONDOWN),
        fw::OnMouse<&T::OnMouseMove>(WM_MOUSEMOVE),
        fw::OnMouse<&T::OnLeftButtonUp>(WM_LBUTTONUP),
        fw::OnSetCursor<&T::OnSetCursor>(),
        fw::OnEraseBkgnd<&T::OnEraseBkgnd>(),
        fw::OnCtlColor<&T::OnCtlColor>(),
        fw::OnQueryDragIcon<&T::OnQueryDragIcon>(),
        fw::OnMessage<&T::OnNcCalcSize>(WM_NCCALCSIZE),
        fw::OnMessage<&T::OnDpiChanged>(kDpiChangedMessage),
        fw::OnMessage<&T::OnDropFiles>(WM_DROPFILES),
        fw::OnMessage<&T::OnCopyData>(WM_COPYDATA),
        fw::OnMessage<&T::OnHandedSheet>(kHandedSheetMessage),
        fw::OnMessage<&T::OnAppCommand>(WM_APPCOMMAND),
        fw::OnMessage<&T::OnHotKey>(WM_HOTKEY),
    };
    static const fw::MessageMap map = fw::MakeMessageMap(&fw::Dialog::GetThisMessageMap, entries);
    return &map;
}

PlayerDialog::PlayerDialog(Services services, HWND parent)
    : fw::Dialog(IDD_PLAYER, parent),
      services(std::move(services)),
      bigIcon(fw::Icon::Load(GetResourceInstance(), IDI_PLAYER, 32)),
      smallIcon(fw::Icon::Load(GetResourceInstance(), IDI_PLAYER, 16)),
      device(*this->services.mediaControl),
      database(files),
      exports(files),
      controller(*this, device, *this->services.profile, database, exports),
      preview(database) {
    controller.SetDiscChanger(this->services.discChanger);
    preview.SetShellOpen(this->services.shellOpen);
    for (size_t i = 0; i < buttons.size(); ++i) {
        buttons[i].SetSkin(kPlayerButtonSkins[i].skin);
    }
}

BitmapButton* PlayerDialog::GetButton(int id) {
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (kPlayerButtonSkins[i].controlId == id) {
            return &buttons[i];
        }
    }
    return nullptr;
}

const BitmapButton* PlayerDialog::GetButton(int id) const {
    return const_cast<PlayerDialog*>(this)->GetButton(id);
}

PlayerDialog::~PlayerDialog() {
    // The window goes before the members its messages reach.
    if (hwnd != nullptr && ::IsWindow(hwnd)) {
        UnregisterMediaHotKeys(hwnd);
        ::DestroyWindow(hwnd);
    }
}

void PlayerDialog::DoDataExchange(fw::DataExchange& dx) {
    // The skinned controls; the settings edits are exchanged by the controller, which decides
    // when they are read.
    fw::DdxControl(dx, kSlider, slider);
    for (size_t i = 0; i < buttons.size(); ++i) {
        fw::DdxControl(dx, kPlayerButtonSkins[i].controlId, buttons[i]);
    }
    fw::DdxControl(dx, kListControl, list);
}

bool PlayerDialog::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    // A second start hands its sheet over from the moment the window exists: the first look-up
    // runs beside the window and no longer holds it.
    MarkPlayerWindow(hwnd);
    exchanges = std::make_unique<PostingExchangeRunner>(hwnd, kExchangeDoneMessage);
    controller.SetCddb(services.transport, exchanges.get());
    HINSTANCE instance = GetResourceInstance();
    busyCursor = fw::Cursor::Load(instance, IDC_CURSOR_BUSY);
    normalCursor = fw::Cursor::Load(instance, IDC_CURSOR_NORMAL);
    dragCursor = fw::Cursor::Load(instance, IDC_CURSOR_DRAG);
    ::SetCursor(normalCursor.Get());
    KeepOwnDialogLayout(hwnd);
    ApplySkinScale(SkinScaleForWindow(hwnd, WindowDpi(hwnd)));
    AddAboutMenuEntry();
    SetText(kCaption);
    SetIcon(bigIcon.Get(), true);
    SetIcon(smallIcon.Get(), false);
    slider.SetNotify(hwnd, kSeekReportMessage);
    // Disc id and category texts, the stored settings, the first PLAY and the disc poll.
    controller.OnInitDialog();
    // Caption and system menu for the taskbar and the window menu; the frame is not recalculated,
    // so the window keeps its frameless, shaped look.
    ModifyStyle(0, WS_CAPTION | WS_SYSMENU);
    SetIcon(bigIcon.Get(), true);
    list.SetSelectionColour(kGrey);
    list.SetBackgroundColour(kBlack);
    ::DragAcceptFiles(hwnd, TRUE);
    RegisterMediaHotKeys(hwnd);
    return true;
}

void PlayerDialog::ApplySkinScale(int factor) {
    HINSTANCE instance = GetResourceInstance();
    windowRegion = skin.Apply(hwnd, instance, factor);
    for (BitmapButton& button : buttons) {
        button.SetScale(factor);
    }
    slider.LoadSkin(IDB_THUMB, IDB_TRACK, instance, factor);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT PlayerDialog::OnDpiChanged(WPARAM dpi, LPARAM suggestedRect) {
    // The suggested rectangle places the window on the new monitor; its size is the skin's.
    const RECT* suggested = reinterpret_cast<const RECT*>(suggestedRect);
    if (suggested != nullptr) {
        ::SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ApplySkinScale(SkinScaleForWindow(hwnd, LOWORD(dpi)));
    return 0;
}

LRESULT PlayerDialog::OnDropFiles(WPARAM drop, LPARAM) {
    controller.OnFilesDropped(DroppedFiles(reinterpret_cast<HDROP>(drop)));
    return 0;
}

LRESULT PlayerDialog::OnCopyData(WPARAM, LPARAM data) {
    // The sender waits for the answer: the disc is changed after it has been given.
    std::optional<std::string> sheet = HandedSheet(data);
    if (!sheet) {
        return FALSE;
    }
    handedSheet = *sheet;
    ::PostMessageW(hwnd, kHandedSheetMessage, 0, 0);
    return TRUE;
}

LRESULT PlayerDialog::OnHandedSheet(WPARAM, LPARAM) {
    controller.OnDiscChosen(handedSheet);
    return 0;
}

LRESULT PlayerDialog::OnAppCommand(WPARAM, LPARAM command) {
    std::optional<MediaKey> key = MediaKeyOfAppCommand(command);
    if (!key) {
        return Default();
    }
    controller.OnMediaKey(*key);
    return TRUE;
}

LRESULT PlayerDialog::OnHotKey(WPARAM id, LPARAM) {
    if (std::optional<MediaKey> key = MediaKeyOfHotKey(id)) {
        controller.OnMediaKey(*key);
    }
    return 0;
}

void PlayerDialog::AddAboutMenuEntry() {
    HMENU menu = ::GetSystemMenu(hwnd, FALSE);
    std::string text = fw::LoadText(GetResourceInstance(), IDS_ABOUTBOX);
    if (menu != nullptr && !text.empty()) {
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, fw::Widen(text).c_str());
    }
}

void PlayerDialog::OnCommandId(UINT id) {
    if (!controller.OnCommand(static_cast<int>(id))) {
        Default();
    }
}

LRESULT PlayerDialog::OnTrayCallback(WPARAM iconId, LPARAM mouseMessage) {
    return controller.OnTrayCallback(static_cast<unsigned>(iconId), static_cast<unsigned>(mouseMessage));
}

LRESULT PlayerDialog::OnExchangeDone(WPARAM, LPARAM done) {
    PostingExchangeRunner::Deliver(done);
    return 0;
}

LRESULT PlayerDialog::OnSeekReport(WPARAM code, LPARAM) {
    controller.OnSeekReport(static_cast<int>(code));
    return 0;
}

void PlayerDialog::OnRightButtonDown(UINT, POINT) {
    controller.OnRightButtonDown();
    Default();
}

void PlayerDialog::OnLeftButtonDown(UINT, POINT point) {
    skin.OnLeftButtonDown(hwnd, point);
    Default();
}

void PlayerDialog::OnMouseMove(UINT flags, POINT point) {
    skin.OnMouseMove(hwnd, flags, point, normalCursor.Get(), dragCursor.Get());
    Default();
}

void PlayerDialog::OnLeftButtonUp(UINT, POINT) {
    skin.OnLeftButtonUp();
    Default();
}

BOOL PlayerDialog::OnEraseBkgnd(HDC dc) {
    return skin.EraseBackground(dc);
}

HBRUSH PlayerDialog::OnCtlColor(HDC dc, HWND, UINT kind) {
    return skin.ControlColours(dc, kind);
}

LRESULT PlayerDialog::OnNcCalcSize(WPARAM calculateRects, LPARAM) {
    // The caption style is there for the taskbar and the window menu only: the client area stays
    // the whole window, so the face and the outline keep their places whenever the frame is
    // recalculated (a move, for instance).
    return calculateRects ? 0 : Default();
}

// PlayerView ---------------------------------------------------------------------------------

int PlayerDialog::GetLineCount() const {
    return list.GetCount();
}

std::string PlayerDialog::GetLineText(int index) const {
    return list.GetLineText(index);
}

void PlayerDialog::ShowMessage(const std::string& text, const std::string& caption) {
    if (services.messages != nullptr) {
        services.messages->ShowMessage(text, caption);
        return;
    }
    std::string title = caption.empty() ? fw::ApplicationName() : caption;
    ::MessageBoxW(hwnd, fw::Widen(text).c_str(), fw::Widen(title).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void PlayerDialog::SetCursorResource(int resourceId) {
    HCURSOR cursor = resourceId == IDC_CURSOR_BUSY   ? busyCursor.Get()
                     : resourceId == IDC_CURSOR_DRAG ? dragCursor.Get()
                                                     : normalCursor.Get();
    ::SetCursor(cursor);
}

void PlayerDialog::ClearList() {
    list.ResetContent();
}

int PlayerDialog::AddLine(const std::string& text, uint32_t colour) {
    return list.AddLine(text, colour);
}

void PlayerDialog::RemoveLine(int index) {
    list.Send(LB_DELETESTRING, static_cast<WPARAM>(index));
}

uint32_t PlayerDialog::GetLineColour(int index) const {
    return list.GetLineColour(index);
}

int PlayerDialog::GetSelectedLine() const {
    int selected = list.GetCurSel();
    return selected < 0 ? -1 : selected;
}

void PlayerDialog::SelectLine(int index) {
    list.SetCurSel(index);
}

void PlayerDialog::TitleLineSink::SetText(const std::string& text) {
    owner.GetItem(kTitleLine).SetText(text);
}

std::string PlayerDialog::GetTitleLineText() const {
    return GetItem(kTitleLine).GetText();
}

void PlayerDialog::SetCaption(const std::string& text) {
    SetText(text);
}

std::string PlayerDialog::GetCaption() const {
    return GetText();
}

void PlayerDialog::SetControlText(int id, const std::string& text) {
    GetItem(id).SetText(text);
}

std::string PlayerDialog::GetControlText(int id) const {
    return GetItem(id).GetText();
}

void PlayerDialog::EnableControl(int id, bool enable) {
    GetItem(id).Enable(enable);
}

bool PlayerDialog::IsButtonDown(int id) const {
    const BitmapButton* button = GetButton(id);
    return button != nullptr && button->IsDown();
}

void PlayerDialog::StartTimer(unsigned id, unsigned periodMs) {
    SetTimer(id, periodMs);
}

void PlayerDialog::StopTimer(unsigned id) {
    KillTimer(id);
}

void PlayerDialog::SetSliderRange(uint32_t minimum, uint32_t maximum) {
    slider.SetRange(static_cast<LONG>(minimum), static_cast<LONG>(maximum), false);
}

void PlayerDialog::SetSliderPosition(uint32_t position) {
    slider.SetPos(static_cast<LONG>(position), true);
    slider.Invalidate();
}

uint32_t PlayerDialog::GetSliderPosition() const {
    return static_cast<uint32_t>(slider.GetPos());
}

bool PlayerDialog::IsMinimised() const {
    return IsIconic();
}

void PlayerDialog::ShellOpen(const std::string& target) {
    if (services.shellOpen) {
        services.shellOpen(target);
        return;
    }
    ::ShellExecuteW(hwnd, L"open", fw::Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void PlayerDialog::UpdateTrayIcon(TrayOperation operation) {
    discdeck::UpdateTrayIcon(hwnd, smallIcon.Get(), static_cast<int>(operation),
                             services.tray != nullptr ? *services.tray : SystemTray());
}

void PlayerDialog::HideWindow() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(hwnd, &placement);
    placement.showCmd = SW_HIDE;
    ::SetWindowPlacement(hwnd, &placement);
}

void PlayerDialog::ShowWindowNoActivate() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(hwnd, &placement);
    placement.showCmd = SW_SHOWNA;
    ::SetWindowPlacement(hwnd, &placement);
}

void PlayerDialog::ShowDatabasePreview() {
    if (services.showPreview) {
        services.showPreview();
        return;
    }
    preview.DoModal(hwnd);
}

void PlayerDialog::PostQuit() {
    ::PostQuitMessage(0);
}

}  // namespace discdeck
