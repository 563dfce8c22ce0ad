#include "accounts/account_json.hpp"

#include <fmt/format.h>

#include "strict_json/strict_json.hpp"
#include "text/path_text.hpp"

namespace accounts {
namespace {

using Json = nlohmann::json;

// The five members in declaration order; the positional form follows it too.
enum class Member { Id, Provider, Dir, Email, Order };
constexpr std::string_view MEMBER_NAMES[] = {"id", "provider", "dir", "email", "order"};

struct Decoded {
    std::optional<std::string> id;
    std::optional<Provider> provider;
    std::optional<std::filesystem::path> dir;
    std::optional<std::string> email;
    std::uint32_t order = 0;
};

// Reads one member into `out`; returns an error text when the value breaks the member's rule.
std::optional<std::string> read_member(Member member, const Json& value, Decoded& out) {
    switch (member) {
        case Member::Id:
            if (!value.is_string()) {
                return "account id must be a string";
            }
            out.id = value.get<std::string>();
            return std::nullopt;
        case Member::Provider: {
            const auto tag = strict_json::enum_tag(value);
            const auto provider = tag ? provider_from_json_name(*tag) : std::nullopt;
            if (!provider) {
                return tag ? fmt::format("unknown provider \"{}\"", *tag) : "account provider must be a string";
            }
            out.provider = provider;
            return std::nullopt;
        }
        case Member::Dir: {
            if (!value.is_string()) {
                return "account dir must be a string";
            }
            out.dir = text::path_from_utf8(value.get_ref<const std::string&>());
            if (!out.dir) {
                return std::string(INVALID_PATH_TEXT);
            }
            return std::nullopt;
        }
        case Member::Email:
            if (value.is_null()) {
                out.email.reset();
            } else if (value.is_string()) {
                out.email = value.get<std::string>();
            } else {
                return "account email must be a string or null";
            }
            return std::nullopt;
        case Member::Order: {
            const auto order = strict_json::as_u32(value);
            if (!order) {
                return "account order must be an unsigned 32-bit integer";
            }
            out.order = *order;
            return std::nullopt;
        }
    }
    return "unknown member";
}

}  // namespace

std::variant<nlohmann::ordered_json, std::string> encode_account(const Account& account) {
    const auto dir = text::path_to_utf8(account.dir);
    if (!dir) {
        return std::string(INVALID_PATH_TEXT);
    }
    nlohmann::ordered_json out;
    out["id"] = account.id;
    out["provider"] = provider_json_name(account.provider);
    out["dir"] = *dir;
    out["email"] = account.email ? nlohmann::ordered_json(*account.email) : nlohmann::ordered_json(nullptr);
    out["order"] = account.order;
    return out;
}

std::variant<Account, std::string> decode_account(const Json& value) {
    Decoded decoded;
    if (value.is_object()) {
        for (std::size_t i = 0; i < std::size(MEMBER_NAMES); ++i) {
            const auto it = value.find(MEMBER_NAMES[i]);
            if (it == value.end()) {
                continue;
            }
            if (auto error = read_member(static_cast<Member>(i), *it, decoded)) {
                return *error;
            }
        }
    } else if (value.is_array()) {
        if (value.size() > std::size(MEMBER_NAMES)) {
            return std::string("account array has more than 5 members");
        }
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (auto error = read_member(static_cast<Member>(i), value[i], decoded)) {
                return *error;
            }
        }
    } else {
        return std::string("account must be an object");
    }
    if (!decoded.id) {
        return std::string("account is missing \"id\"");
    }
    if (!decoded.provider) {
        return std::string("account is missing \"provider\"");
    }
    if (!decoded.dir) {
        return std::string("account is missing \"dir\"");
    }
    return Account{std::move(*decoded.id), *decoded.provider, std::move(*decoded.dir), std::move(decoded.email),
                   decoded.order};
}

}  // namespace accounts
