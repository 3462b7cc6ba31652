#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace discdeck {

// Text inside the program is UTF-8. These are the conversions from what comes from outside and
// the cuts that must count characters rather than bytes.

// A server reply as UTF-8: valid UTF-8 sequences are kept, every other byte is taken as one
// Windows-1252 character, so no reply is refused or loses text for a stray byte.
std::string ReplyBytesToUtf8(std::string_view bytes);

// Windows-1252 bytes as UTF-8; its five unassigned bytes become the C1 controls of the same value,
// as Windows converts them.
std::string Windows1252ToUtf8(std::string_view bytes);

// Text in the system's ANSI code page (what the program wrote into old database files) as UTF-8.
// The Windows build asks the system; elsewhere the code page is taken to be Windows-1252.
std::string AnsiToUtf8(std::string_view bytes);

// The number of characters in UTF-8 text; each byte that starts no valid sequence counts as one.
size_t CharacterCount(std::string_view text);

// The length in bytes of the longest prefix of `text` that holds at most `maxBytes` bytes and
// ends on a character boundary.
size_t CutBytes(std::string_view text, size_t maxBytes);

// The first `count` characters of `text` (all of it when it has fewer).
std::string FirstCharacters(std::string_view text, size_t count);

// The first `width` characters of `text`, padded with blanks to `width` characters: printf's
// "%-W.Ws" (alignLeft) and "%W.Ws", counting characters instead of bytes.
std::string FitCharacters(std::string_view text, size_t width, bool alignLeft);

// Code points of UTF-8 text and back; the reader returns false at the end. A byte that starts no
// valid sequence is returned as itself (0x80-0xFF) and consumes one byte.
bool NextCodePoint(std::string_view text, size_t& position, uint32_t& code, bool* valid = nullptr);
void AppendUtf8(std::string& out, uint32_t code);

}  // namespace discdeck
