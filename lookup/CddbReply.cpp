#include "lookup/CddbReply.h"

#include <algorithm>

namespace discdeck {

namespace {

char At(std::string_view text, size_t index) {
    return index < text.size() ? text[index] : '\0';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The value of a line that starts at valueStart and ends with the line feed at lineFeed; the
// carriage return of a CR LF end is not part of it.
std::string_view LineValue(std::string_view text, size_t valueStart, size_t lineFeed) {
    size_t end = lineFeed;
    if (end > valueStart && text[end - 1] == '\r') {
        --end;
    }
    return text.substr(valueStart, end - valueStart);
}

std::string_view WordAt(std::string_view text, size_t start) {
    if (start >= text.size()) {
        return {};
    }
    const size_t end = text.find_first_of(" \r\n", start);
    return text.substr(start, (end == std::string_view::npos ? text.size() : end) - start);
}

}  // namespace

ReplyDecision DecideReply(std::string_view reply, bool firstReply) {
    const char first = At(reply, 0);
    if (first == '2') {
        const char second = At(reply, 1);
        const char third = At(reply, 2);
        if (second == '0') {
            if (third == '2') {
                return ReplyDecision::Succeed;
            }
            return firstReply ? ReplyDecision::Read : ReplyDecision::Parse;
        }
        if (second == '1') {
            if (third == '1') {
                return ReplyDecision::Succeed;
            }
            return firstReply && third == '0' ? ReplyDecision::ReadListed : ReplyDecision::Parse;
        }
        return ReplyDecision::Parse;
    }
    if (first == '4' || first == '5') {
        return ReplyDecision::Fail;
    }
    return ReplyDecision::Parse;
}

bool IsPlainCategory(std::string_view word) {
    return !word.empty() && word.size() <= 20 && std::all_of(word.begin(), word.end(), IsLetter);
}

bool TakeQueryCategory(std::string_view reply, std::string& category) {
    // The word runs to the next space: a line end inside it is not part of a plain word.
    const size_t start = std::min<size_t>(4, reply.size());
    const std::string_view word = reply.substr(start, reply.find(' ', start) - start);
    if (!IsPlainCategory(word)) {
        return false;
    }
    category.assign(word);
    return true;
}

bool TakeListedMatch(std::string_view line, std::string& category, std::string& discId) {
    const std::string_view word = WordAt(line, 0);
    if (!IsPlainCategory(word) || At(line, word.size()) != ' ') {
        return false;
    }
    const std::string_view id = WordAt(line, word.size() + 1);
    if (id.empty() || id.size() > 8 || !std::all_of(id.begin(), id.end(), IsHexDigit)) {
        return false;
    }
    category.assign(word);
    discId.clear();
    for (char c : id) {
        discId += (c >= 'A' && c <= 'F') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return true;
}

bool TakeFirstListedMatch(std::string_view reply, std::string& category, std::string& discId) {
    const size_t lineFeed = reply.find('\n');
    if (lineFeed == std::string_view::npos) {
        return false;
    }
    return TakeListedMatch(reply.substr(lineFeed + 1), category, discId);
}

void ParseEntryText(std::string_view text, const EntryFields& fields) {
    if (text.empty()) {
        return;
    }
    for (size_t j = 0; j < fields.titleCount; ++j) {
        fields.trackTitles[j].clear();
    }
    fields.category.clear();

    constexpr size_t npos = std::string_view::npos;
    // The category is the second word of the status line ("210 rock b014802 ...").
    const size_t firstLineEnd = text.find('\n');
    const std::string_view statusLine = text.substr(0, firstLineEnd);
    const size_t firstSpace = statusLine.find(' ');
    const size_t secondSpace = firstSpace == npos ? npos : statusLine.find(' ', firstSpace + 1);
    size_t position;
    if (secondSpace != npos) {
        fields.category.assign(statusLine.substr(firstSpace + 1, secondSpace - firstSpace - 1));
        position = secondSpace + 1;
    } else {
        position = firstLineEnd == npos ? text.size() : firstLineEnd + 1;
    }

    constexpr std::string_view kTitleKey = "DTITLE=";
    const size_t titleAt = text.find(kTitleKey, position);
    if (titleAt != npos) {
        fields.discTitle.clear();
        const size_t lineFeed = text.find('\n', titleAt);
        if (lineFeed != npos) {
            fields.discTitle.assign(LineValue(text, titleAt + kTitleKey.size(), lineFeed));
            position = lineFeed + 1;
        } else {
            position = text.size();
        }
    } else {
        position = std::min(position + 1, text.size());
    }

    for (size_t j = 0; j < fields.titleCount; ++j) {
        const std::string key = "TTITLE" + std::to_string(j) + "=";
        std::string title;
        for (size_t keyAt = text.find(key, position); keyAt != npos; keyAt = text.find(key, position)) {
            const size_t lineFeed = text.find('\n', keyAt);
            if (lineFeed == npos) {
                position = text.size();
                break;
            }
            title.append(LineValue(text, keyAt + key.size(), lineFeed));
            position = lineFeed + 1;
        }
        fields.trackTitles[j] = title;
    }
}

}  // namespace discdeck
