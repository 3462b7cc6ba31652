#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace discdeck {

// What a look-up does next with a server reply, decided on its status code.
enum class ReplyDecision {
    Read,        // single exact match (200, 201, 203-209 to a query): read the entry it names
    ReadListed,  // list of exact matches (210 to a query): read the first listed match
    Parse,       // the reply is taken for an entry
    Succeed,     // no match (202) or inexact matches (211): done, nothing parsed
    Fail,        // error reply (4xx, 5xx)
};

// firstReply: the reply to the query; otherwise the reply to the read, where no read follows.
ReplyDecision DecideReply(std::string_view reply, bool firstReply);

// A category that may go into the read command, and so into the next request's target: a plain
// word of 1 to 20 letters. Anything else could carry header lines or parameters into the request.
bool IsPlainCategory(std::string_view word);

// The category of a single-match query reply ("200 rock b014802 Artist / Title"): the word from
// index 4 up to the next space (or the end of the text). False when it is not a plain category.
bool TakeQueryCategory(std::string_view reply, std::string& category);

// A line of a list of matches, "<category> <disc id> <title>": a plain category, one space and a
// disc id of 1 to 8 hex digits (returned in lower case), each ending at a space or a line end.
// Both go into a read request, so nothing else is taken. False (outputs untouched) otherwise.
bool TakeListedMatch(std::string_view line, std::string& category, std::string& discId);

// The first match of a "210 Found exact matches, list follows ..." query reply: the line after the
// status line, as TakeListedMatch reads it.
bool TakeFirstListedMatch(std::string_view reply, std::string& category, std::string& discId);

// Where ParseEntryText puts what it finds.
struct EntryFields {
    std::string& category;
    std::string& discTitle;
    std::string* trackTitles;
    size_t titleCount;  // the disc's track count, at most the number of slots
};

// Takes the category (second word of the first line), the first "DTITLE=" value and the
// "TTITLE<n>=" values (continuation lines appended) out of an entry text. Searching only moves
// forward, so a title line placed before the DTITLE line or before a lower-numbered title is not
// found. A line without a line feed is unfinished (the reply was cut) and not used. An empty text
// changes nothing.
void ParseEntryText(std::string_view text, const EntryFields& fields);

}  // namespace discdeck
