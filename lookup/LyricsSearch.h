#pragma once

#include <string>

namespace discdeck {

// The site that the lyrics button searches.
constexpr const char* kLyricsHost = "lyrics.discdeck.example";

// The address of a lyrics search for the artist of a disc title ("Artist / Album"): the text before
// the first "/", trimmed, with spaces as "+" and every other byte outside letters, digits and
// "-_.~" percent-encoded, so no title can add parameters or break the address.
std::string BuildLyricsAddress(const std::string& discTitle);

}  // namespace discdeck
