#include "db/win/DatabasePreviewDialog.h"

#include <shellapi.h>

#include "framework/DataExchange.h"
#include "framework/Gdi.h"
#include "framework/WideText.h"
#include "res/resource.h"

namespace discdeck {

namespace {
constexpr int kDiscImage = 0;
constexpr int kTrackImage = 1;
}  // namespace

const fw::MessageMap* DatabasePreviewDialog::GetThisMessageMap() {
    static const fw::MessageEntry entries[] = {
        fw::OnCommand<&DatabasePreviewDialog::WriteTitlesReport>(IDC_PREVIEW_REPORT),
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

void DatabasePreviewDialog::FillTree() {
    DatabasePreview preview = database.ReadPreview();
    if (!preview.loaded) {
        return;  // the counts line keeps what it showed before
    }
    for (const PreviewDisc& disc : preview.discs) {
        // Every disc shows the expand button, even one without track records.
        HTREEITEM item = tree.InsertItem(disc.text, kDiscImage, kDiscImage, TVI_ROOT, TVI_LAST, true);
        for (const std::string& track : disc.trackTexts) {
            tree.InsertItem(track, kTrackImage, kTrackImage, item, TVI_LAST);
        }
    }
    countsText = preview.countsLine.substr(0, 255);
    GetItem(IDC_PREVIEW_COUNTS).SetText(countsText);
}

void DatabasePreviewDialog::WriteTitlesReport() {
    UpdateData(true);
    if (!database.WriteTitlesReport(includeTracks != 0)) {
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
