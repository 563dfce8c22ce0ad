#pragma once
// The JSON form of an account inside the settings file's "accounts" array.

#include <nlohmann/json.hpp>
#include <string>
#include <variant>

#include "accounts/account.hpp"

namespace accounts {

inline constexpr std::string_view INVALID_PATH_TEXT = "path contains invalid UTF-8 characters";

// {"id", "provider", "dir", "email" (string or null), "order"} in that order; fails with
// INVALID_PATH_TEXT when the directory is not valid text.
[[nodiscard]] std::variant<nlohmann::ordered_json, std::string> encode_account(const Account& account);

// Reads an account object (or the same members as a positional array); other keys are ignored.
// Fails with a description of the first rule broken.
[[nodiscard]] std::variant<Account, std::string> decode_account(const nlohmann::json& value);

}  // namespace accounts
