#include "export/DiscExport.h"

#include <memory>

#include "cdaudio/DiscInfo.h"
#include "export/HtmlPage.h"
#include "export/TextFormat.h"
#include "ports/CursorSink.h"
#include "ports/ListLines.h"
#include "ports/MessageSink.h"
#include "ports/Utf8Text.h"
#include "res/resource.h"

namespace discdeck {

DiscExport::DiscExport(FilePort& files, std::string directory) : files(files), directory(std::move(directory)) {}

std::string PlayListPage(const DiscInfo& disc) {
    // Never index past the table, whatever the count says.
    const uint32_t count = disc.trackCount < disc.tracks.size() ? disc.trackCount : kMaxTracks;
    const TrackEntry& leadOut = disc.tracks[count];
    std::string page = PageHead();
    page += FormatText("<H4>%s</H4><BR>", EscapeHtml(disc.discTitle).c_str());
    page += FormatText("Total tracks: %02u&nbsp;&nbsp;", count);
    page += FormatText("Total time:   %02u:%02u (%u sec)&nbsp;&nbsp;", leadOut.startMinute, leadOut.startSecond,
                       leadOut.startMinute * 60 + leadOut.startSecond);
    page += PageMiddle();
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t seconds = disc.tracks[i].lengthMs / 1000;
        // Cut and pad first, so the escapes neither count against the width nor get cut in half.
        std::string title = FitCharacters(disc.trackTitles[i], 90, true);
        page += FormatText("<B>%02u - (%02u:%02u) %s</B><BR>", i + 1, seconds / 60, seconds % 60,
                           EscapeHtml(title).c_str());
    }
    page += PageTail();
    return page;
}

bool DiscExport::ExportPlayList(const DiscInfo& disc) {
    // The table holds trackCount entries plus the lead-out; a count beyond it can't be shown.
    if (disc.trackCount >= disc.tracks.size()) {
        return false;
    }
    return WriteWholeFile(files, JoinPath(directory, kPlayListFile), PlayListPage(disc));
}

void DiscExport::SaveTitleList(const ListLines& lines, CursorSink& cursor, MessageSink& messages) {
    cursor.SetCursorResource(IDC_CURSOR_BUSY);
    if (lines.GetLineCount() > 0) {
        const char* operation = "<Create>";
        std::unique_ptr<FileHandle> file = files.Open(JoinPath(directory, kTitleListFile), FilePort::Access::Overwrite);
        bool ok = file != nullptr;
        if (ok) {
            operation = "<Save>";
            // The count is asked again for every line, as the list may change meanwhile.
            for (int i = 0; ok && i < lines.GetLineCount(); ++i) {
                std::string line = lines.GetLineText(i);
                line += '\n';
                ok = file->Write(line.data(), line.size());
            }
        }
        if (ok) {
            operation = "<Close>";
            ok = file->Close();
        }
        if (!ok) {
            messages.ShowMessage(FormatText("Error %s file: %s!!!", operation, kTitleListFile), "Saving Error");
        }
    }
    cursor.SetCursorResource(IDC_CURSOR_NORMAL);
}

}  // namespace discdeck
