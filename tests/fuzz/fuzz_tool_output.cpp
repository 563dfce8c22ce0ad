// Feeds arbitrary output to the readers of what the tools and the tool lookup print: the Claude
// tool's status (for the signed-in address), the Codex tool's login status (stdout before the
// first NUL byte, stderr after it) and the lookup's answer naming a tool's path. The tools are
// stand-in scripts that print the input, so the output also crosses the real pipes.
// An address read back from a status made for it is the same; the Codex verdict is exactly
// whether either stream says "Logged in"; a located tool is one trimmed line of valid text.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "accounts/login.hpp"
#include "accounts/tool_session.hpp"
#include "fuzz_support.hpp"
#include "text/utf8.hpp"

using fuzz_support::check;

namespace {

struct StandIns {
    std::filesystem::path dir;  // the account folder handed to both tools
    std::filesystem::path claude;
    std::filesystem::path codex;
};

const StandIns& stand_ins() {
    static const StandIns tools = [] {
        const auto& scratch = fuzz_support::scratch_folder();
        StandIns made{scratch / "account", scratch / "claude", scratch / "codex"};
        std::filesystem::create_directories(made.dir);
        fuzz_support::write_bytes(made.claude, "#!/bin/sh\nexec cat \"$CLAUDE_CONFIG_DIR/status.out\"\n");
        fuzz_support::write_bytes(
            made.codex,
            "#!/bin/sh\n[ \"$1 $2\" = \"login status\" ] || exit 0\n"
            "cat \"$CODEX_HOME/status.out\"\nexec cat \"$CODEX_HOME/status.err\" >&2\n");
        for (const auto& tool : {made.claude, made.codex}) {
            std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
        }
        return made;
    }();
    return tools;
}

accounts::ToolSession session_with(std::optional<std::string> lookup_answer) {
    const auto& tools = stand_ins();
    accounts::ToolSession session{
        accounts::ToolLocator([](const std::string&) { return false; },
                              [lookup_answer, claude = tools.claude.string(), codex = tools.codex.string()](
                                  const std::string& candidate) -> std::optional<std::string> {
                                  if (lookup_answer) {
                                      return lookup_answer;
                                  }
                                  if (candidate == "claude") {
                                      return claude + "\r\n";
                                  }
                                  if (candidate == "codex") {
                                      return codex + "\r\n";
                                  }
                                  return std::nullopt;
                              }),
        accounts::ToolLimits{}};
    return session;
}

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void check_located(const std::string& located, std::string_view fallback) {
    check(!located.empty() && text::is_valid_utf8(located), "a located tool that is not valid text");
    check(located.find('\n') == std::string::npos, "a located tool of more than one line");
    check(located == fallback || (!is_space(located.front()) && !is_space(located.back())),
          "a located tool with white space around it");
}

void check_lookup(std::string_view output) {
    const auto session = session_with(std::string(output));
    check_located(session.locator.find_claude(), "claude.cmd");
    check_located(session.locator.find_codex(), "codex.cmd");
}

std::optional<std::string> claude_email_for(std::string_view status) {
    const auto& tools = stand_ins();
    fuzz_support::write_bytes(tools.dir / "status.out", status);
    return accounts::claude_auth_email(tools.dir, session_with(std::nullopt));
}

void check_claude_status(std::string_view output) {
    const auto email = claude_email_for(output);
    if (!email) {
        return;
    }
    check(text::is_valid_utf8(*email), "an address that is not valid text");
    const auto status = nlohmann::json{{"email", *email}, {"loggedIn", true}}.dump();
    check(claude_email_for(status) == email, "the address written back reads differently");
}

void check_codex_status(std::string_view output) {
    const auto nul = output.find('\0');
    const std::string_view out = output.substr(0, nul);
    const std::string_view err = nul == std::string_view::npos ? std::string_view() : output.substr(nul + 1);
    const auto& tools = stand_ins();
    fuzz_support::write_bytes(tools.dir / "status.out", out);
    fuzz_support::write_bytes(tools.dir / "status.err", err);
    const bool says_logged_in =
        out.find("Logged in") != std::string_view::npos || err.find("Logged in") != std::string_view::npos;
    check(accounts::login(accounts::Provider::Codex, tools.dir, session_with(std::nullopt)) == says_logged_in,
          "the Codex verdict is not whether a stream says \"Logged in\"");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    check_lookup(input);
    check_claude_status(input);
    check_codex_status(input);
    return 0;
}
