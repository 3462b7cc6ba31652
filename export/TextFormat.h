#pragma once

#include <cstddef>
#include <string>

namespace discdeck {

// printf-style formatting into a string of whatever length the result needs.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
FormatText(const char* format, ...);

// Makes text safe inside an HTML page: "&", "<", ">" and the double quote become entities.
// Titles come from a CDDB server, so they are outside input to the browser that opens a page.
std::string EscapeHtml(const std::string& text);
// The same, appended to `out`: for pages written a line at a time.
void AppendEscapedHtml(std::string& out, const char* text, size_t length);

}  // namespace discdeck
