#pragma once

#include <string>

namespace discdeck {

// The fixed pieces of the HTML pages the player writes ("PlayList.htm" and "Titles.htm"). The
// pieces follow each other with nothing between them: a page is one line. The disc's heading goes
// between PageHead and PageMiddle, the track lines between PageMiddle and PageTail.
const std::string& PageHead();    // 14 pieces, ending in the "<!--header-->" mark
const std::string& PageMiddle();  // 6 pieces, ending in the "<!--songs-->" mark
const std::string& PageTail();    // 7 pieces: the footer with the maker's addresses

// The maker's addresses in the footer.
extern const char kMakerWebSite[];
extern const char kMakerSecondDomain[];
extern const char kMakerEmail[];

}  // namespace discdeck
