#pragma once
// Text from outside (a server's answer, a library's error) can carry the very token we sent; it
// never reaches the log with it, not even in pieces.

#include <cstddef>
#include <string>
#include <string_view>

namespace poller {

inline constexpr std::string_view REDACTED = "[redacted]";

// How much of a server's text is logged, in characters.
inline constexpr std::size_t MAX_LOGGED_SERVER_TEXT = 200;

// A run of this many characters that also appears in the token counts as the token.
inline constexpr std::size_t MIN_MASKED_RUN = 12;

// `text` with every run of MIN_MASKED_RUN or more characters that also occurs in `secret` (the
// whole secret when it is shorter) replaced by REDACTED; an empty secret changes nothing. A
// server that echoes the token cut short, or split around a character, shows none of it.
[[nodiscard]] std::string redact_secret(std::string text, std::string_view secret);

// Server text as it may be logged: cut to MAX_LOGGED_SERVER_TEXT characters ("..." marks the
// cut; a character is never split), then with the token's runs masked.
[[nodiscard]] std::string server_text_for_log(std::string_view text, std::string_view secret);

// A base URL without the "user:password@" part of its authority, for the log.
[[nodiscard]] std::string url_for_log(std::string_view url);

}  // namespace poller
