#include "fake_tools.hpp"

#include "fake_tool_support.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace test_tools {

accounts::ToolLimits short_limits() {
    accounts::ToolLimits limits;
    limits.login = std::chrono::seconds(20);
    limits.status = std::chrono::seconds(20);
    limits.refresh = std::chrono::seconds(20);
    limits.logout = std::chrono::seconds(20);
    return limits;
}

accounts::ToolSession fake_tool_session(std::optional<std::filesystem::path> claude,
                                        std::optional<std::filesystem::path> codex) {
    const std::string claude_path =
        text::path_to_utf8(claude.value_or(fake_tool::tool_path("claude"))).value();
    const std::string codex_path = text::path_to_utf8(codex.value_or(fake_tool::tool_path("codex"))).value();
    accounts::ToolSession session{
        accounts::ToolLocator(
            [](const std::string&) { return false; },
            [claude_path, codex_path](const std::string& candidate) -> std::optional<std::string> {
                if (candidate == "claude") {
                    return claude_path + "\r\n";
                }
                if (candidate == "codex") {
                    return codex_path + "\r\n";
                }
                return std::nullopt;
            }),
        short_limits()};
    return session;
}

std::filesystem::path write_printing_tool(const std::filesystem::path& folder, std::string_view name,
                                          std::string_view output) {
#ifdef _WIN32
    const auto script = folder / test_support::utf8_path(std::string(name) + ".cmd");
    test_support::write_text(script, "@echo " + std::string(output) + "\r\n");
#else
    const auto script = folder / test_support::utf8_path(std::string(name));
    test_support::write_text(script,
                             "#!/bin/sh\ncat <<'GAUGELET_END'\n" + std::string(output) + "\nGAUGELET_END\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
#endif
    return script;
}

}  // namespace test_tools
