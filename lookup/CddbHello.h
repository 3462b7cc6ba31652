#pragma once

#include <string>

namespace discdeck {

// The user and host fields of every CDDB hello: the built-in ones, or the two halves of the
// e-mail address the user set, which public servers ask for (they refuse or ban clients that all
// send the same fixed one).
struct CddbHello {
    std::string user = "cd";
    std::string host = "discdeck.example";  // our own domain
};

// The hello of a user who set no address: the Windows user name and computer name, keeping ASCII
// letters, digits and ".-_" only, so two users do not share one hello by default; the built-in
// user or host where nothing is left.
CddbHello HelloForUser(const std::string& userName, const std::string& computerName);

// The hello for an address from the settings: its two halves when it is plausible (one "@", both
// halves non-empty, ASCII letters, digits and ".-_+" only), else `fallback`.
CddbHello HelloForAddress(const std::string& address, const CddbHello& fallback = CddbHello());

// The hello's user and host as the request's query string carries them, "<user>+<host>": each
// percent-encoded beyond letters, digits and ".-_", so the "+" of an address is not read as a space.
std::string HelloQueryText(const CddbHello& hello);

}  // namespace discdeck
