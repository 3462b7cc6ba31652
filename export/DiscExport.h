#pragma once

#include <string>

#include "ports/FilePort.h"

namespace discdeck {

class CursorSink;
class ListLines;
class MessageSink;
struct DiscInfo;

// The player's two exports of the current disc: the HTML play list "PlayList.htm" and the text of
// the report list "Title.txt". Both are written into `directory` (the current directory when it
// is empty), overwriting a file of the same name.
class DiscExport {
  public:
    static constexpr const char* kPlayListFile = "PlayList.htm";
    static constexpr const char* kTitleListFile = "Title.txt";

    explicit DiscExport(FilePort& files, std::string directory = std::string());

    // Writes the play list of a disc the caller has made sure is readable (EnsureReady). True when
    // the page was written whole; the caller then opens it. Nothing is shown on failure.
    bool ExportPlayList(const DiscInfo& disc);

    // Writes each line of the list followed by a line feed. An empty list writes nothing. Failures
    // are shown as "Error <operation> file: Title.txt!!!" with the caption "Saving Error".
    void SaveTitleList(const ListLines& lines, CursorSink& cursor, MessageSink& messages);

  private:
    FilePort& files;
    std::string directory;
};

// The whole "PlayList.htm" page of a disc: one line, track titles cut or padded to 90 characters,
// every text HTML-escaped. The track count must be within the disc's table.
std::string PlayListPage(const DiscInfo& disc);

}  // namespace discdeck
