#include "accounts/account.hpp"

namespace accounts {

std::string_view provider_json_name(Provider provider) noexcept {
    return provider == Provider::Claude ? "claude" : "codex";
}

std::string_view provider_debug_name(Provider provider) noexcept {
    return provider == Provider::Claude ? "Claude" : "Codex";
}

std::optional<Provider> provider_from_json_name(std::string_view name) noexcept {
    if (name == "claude") {
        return Provider::Claude;
    }
    if (name == "codex") {
        return Provider::Codex;
    }
    return std::nullopt;
}

}  // namespace accounts
