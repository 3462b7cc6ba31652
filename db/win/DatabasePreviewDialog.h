#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "db/DiscDatabase.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

namespace discdeck {

// The database browser (dialog 261): every stored disc as a tree item, its tracks added below it
// when it is opened, a line with the record counts, and a Report button that writes "Titles.htm"
// (with the tracks when "+ Tracks " is checked) and opens it. Above DatabasePreview's limit the
// discs sit in groups of a thousand in title order, added when a group is opened. Reading that
// takes longer than half a second shows its progress in the counts line. It only reads the
// database.
class DatabasePreviewDialog : public fw::Dialog {
  public:
    explicit DatabasePreviewDialog(DiscDatabase& database, HWND parent = nullptr);

    // Opens the written report; empty: ShellExecuteA "open" with this dialog as owner.
    void SetShellOpen(std::function<void(const std::string&)> open) { shellOpen = std::move(open); }

    // Kept from one showing to the next, as the object lives as long as the player window.
    const std::string& GetCountsText() const { return countsText; }
    int GetIncludeTracks() const { return includeTracks; }
    fw::TreeView GetTree() const { return tree; }

    // The Report button.
    void WriteTitlesReport();

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(fw::DataExchange& dx) override;
    void OnOK() override;
    void OnCancel() override;

  private:
    void FillTree();
    // Adds the discs of a group or the tracks of a disc as the item is first opened.
    LRESULT OnItemExpanding(NMHDR& header);
    void InsertDiscs(uint32_t first, uint32_t count, HTREEITEM parent);
    // A progress callback that shows "<what> ... n %" in the counts line once half a second has
    // passed.
    ReadProgress ShowProgress(const char* what);
    // Empties the tree and lets the image list go, so that the next showing starts afresh.
    void ReleaseTree();

    DiscDatabase& database;
    std::unique_ptr<DatabasePreview> preview;
    fw::ImageList images;
    fw::TreeView tree;
    std::string countsText;
    int includeTracks = 0;
    std::function<void(const std::string&)> shellOpen;

    DISCDECK_DECLARE_MESSAGE_MAP()
};

}  // namespace discdeck
