#include "db/win/DatabasePreviewDialog.h"

#include <shellapi.h>

#include "export/TextFormat.h"
#include "framework/DataExchange.h"
#include "framework/Gdi.h"
#include "framework/WideText.h"
#include "res/resource.h"

namespace discdeck {

namespace {
constexpr int kDiscImage = 0;
constexpr int kTrackImage = 1;
// Item data: a disc's position in title order, or a group's number with this bit.
constexpr LPARAM kGroupBit = static_cast<LPARAM>(0x80000000u);
constexpr LPARAM kTrackItem = static_cast<LPARAM>(0x7FFFFFFF);
// Progress is shown only for reading that lasts longer than this, and redrawn at most this often.
constexpr DWORD kQuietMs = 500;
constexpr DWORD kRedrawMs = 100;
}  // namespace

const fw::MessageMap* DatabasePreviewDialog::GetThisMessageMap() {
    static const fw::MessageEntry entries[] = {
        fw::OnCommand<&DatabasePreviewDialog::WriteTitlesReport>(IDC_PREVIEW_REPORT),
        // The tree sends the wide form to a parent that asks for Unicode notifications.
        fw::OnNotify<&DatabasePreviewDialog::OnItemExpanding>(TVN_ITEMEXPANDINGA, IDC_PREVIEW_TREE),
        fw::OnNotify<&DatabasePreviewDialog::OnItemExpanding>(TVN_ITEMEXPANDINGW, IDC_PREVIEW_TREE),
    };
    static const fw::MessageMap map = fw::MakeMessageMap(&fw::Dialog::GetThisMessageMap, entries);
    return &map;
}

DatabasePreviewDialog::DatabasePreviewDialog(DiscDatabase& database, HWND parent)
    : fw::Dialog(IDD_DATABASE_PREVIEW, parent), database(database) {}

void DatabasePreviewDialog::DoDataExchange(fw::DataExchange& dx) {
    fw::DdxControl(dx, IDC_PREVIEW_TREE, tree);
    fw::DdxText(dx, IDC_PREVIEW_COUNTS, countsText, 255);
    fw::DdxCheck(dx, IDC_PREVIEW_TRACKS, includeTracks);
}

bool DatabasePreviewDialog::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    images = fw::ImageList::Create(16, 16, ILC_MASK | ILC_COLOR24, 2, 0);
    HINSTANCE instance = GetResourceInstance();
    for (UINT id : {IDI_DISC, IDI_TRACK}) {
        fw::Icon icon = fw::Icon::Load(instance, id, 16);
        images.AddIcon(icon.Get());  // the list keeps its own copy
    }
    tree.SetImageList(images.Get());
    FillTree();
    return true;
}

ReadProgress DatabasePreviewDialog::ShowProgress(const char* what) {
    const DWORD start = ::GetTickCount();
    DWORD shown = 0;
    return [this, what, start, shown](uint64_t done, uint64_t total) mutable {
        const DWORD now = ::GetTickCount();
        if (now - start < kQuietMs || (shown != 0 && now - shown < kRedrawMs) || total == 0) {
            return;
        }
        if (shown == 0 && !::IsWindowVisible(hwnd)) {
            ::ShowWindow(hwnd, SW_SHOW);  // a modal dialog is shown only after its initialisation
            ::UpdateWindow(hwnd);
        }
        shown = now;
        fw::Window counts = GetItem(IDC_PREVIEW_COUNTS);
        counts.SetText(FormatText("%s ... %u %%", what, static_cast<unsigned>(done * 100 / total)));
        counts.Update();
    };
}

void DatabasePreviewDialog::FillTree() {
    preview = std::make_unique<DatabasePreview>(database.Preview());
    const bool loaded = preview->Load(ShowProgress("Reading the database"));
    if (loaded) {
        countsText = preview->CountsLine().substr(0, 255);
    }
    GetItem(IDC_PREVIEW_COUNTS).SetText(countsText);  // unchanged when nothing could be read
    if (!loaded) {
        return;
    }
    if (!preview->Grouped()) {
        InsertDiscs(0, preview->DiscCount(), TVI_ROOT);
        return;
    }
    tree.Send(WM_SETREDRAW, FALSE);
    for (uint32_t group = 0; group < preview->GroupCount(); ++group) {
        tree.InsertItem(preview->GroupText(group), kDiscImage, kDiscImage, TVI_ROOT, TVI_LAST, true,
                        kGroupBit | static_cast<LPARAM>(group));
    }
    tree.Send(WM_SETREDRAW, TRUE);
    tree.Invalidate();
}

// Every disc shows the expand button, even one without track records.
void DatabasePreviewDialog::InsertDiscs(uint32_t first, uint32_t count, HTREEITEM parent) {
    tree.Send(WM_SETREDRAW, FALSE);
    uint32_t position = first;
    for (const std::string& text : preview->DiscTexts(first, count)) {
        if (!text.empty()) {  // gone from the file since it was read
            tree.InsertItem(text, kDiscImage, kDiscImage, parent, TVI_LAST, true, static_cast<LPARAM>(position));
        }
        ++position;
    }
    tree.Send(WM_SETREDRAW, TRUE);
    tree.Invalidate();
}

LRESULT DatabasePreviewDialog::OnItemExpanding(NMHDR& header) {
    // NMTREEVIEWA and NMTREEVIEWW agree up to the texts, which are not read here.
    const NMTREEVIEWA& change = reinterpret_cast<const NMTREEVIEWA&>(header);
    const HTREEITEM item = change.itemNew.hItem;
    if (!preview || change.action != TVE_EXPAND || tree.GetChildItem(item) != nullptr) {
        return FALSE;
    }
    const LPARAM data = tree.GetItemData(item);
    if (data == kTrackItem) {
        return FALSE;
    }
    if ((data & kGroupBit) != 0) {
        const uint32_t group = static_cast<uint32_t>(data & ~kGroupBit);
        InsertDiscs(group * DatabasePreview::kGroupSize, DatabasePreview::kGroupSize, item);
        return FALSE;
    }
    for (const std::string& track : preview->TrackTexts(static_cast<uint32_t>(data))) {
        tree.InsertItem(track, kTrackImage, kTrackImage, item, TVI_LAST, false, kTrackItem);
    }
    return FALSE;
}

void DatabasePreviewDialog::WriteTitlesReport() {
    UpdateData(true);
    const bool written = database.WriteTitlesReport(includeTracks != 0, ShowProgress("Writing the report"));
    GetItem(IDC_PREVIEW_COUNTS).SetText(countsText);
    if (!written) {
        return;
    }
    if (shellOpen) {
        shellOpen(DiscDatabase::kTitlesReportFile);
    } else {
        ::ShellExecuteW(hwnd, L"open", fw::Widen(DiscDatabase::kTitlesReportFile).c_str(), nullptr, nullptr,
                        SW_SHOWNORMAL);
    }
}

void DatabasePreviewDialog::ReleaseTree() {
    tree.DeleteAllItems();
    tree.SetImageList(nullptr);
    images.Reset();
    preview.reset();
}

void DatabasePreviewDialog::OnOK() {
    ReleaseTree();
    fw::Dialog::OnOK();
}

void DatabasePreviewDialog::OnCancel() {
    ReleaseTree();
    fw::Dialog::OnCancel();
}

}  // namespace discdeck
