#pragma once
// The built gaugelet-cli run as a child process, as a script would run it: a settings file in a
// temporary APPDATA, its own temporary folder, the fake provider tools first in PATH, the
// scripted server behind the developer overrides.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "accounts/login.hpp"
#include "fake_tool_support.hpp"
#include "fake_tools.hpp"
#include "platform/environment.hpp"
#include "platform/process.hpp"
#include "scripted_server.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace cli_test {

using test_http::Reply;
using test_support::write_text;

constexpr const char* CLAUDE_USAGE = "/api/oauth/usage";
constexpr const char* CODEX_USAGE = "/backend-api/wham/usage";
constexpr const char* MESSAGES = "/v1/messages";

const char* const LIMITS_BODY = R"({
  "five_hour": {"utilization": 12.5, "resets_at": "2026-01-01T05:00:00Z"},
  "seven_day": {"utilization": 40, "resets_at": "2026-01-05T00:00:00Z"},
  "limits": [{"kind": "weekly_scoped", "percent": 30.5, "resets_at": "2026-01-06T00:00:00Z",
              "scope": {"model": {"display_name": "Sonnet"}}},
             {"kind": "weekly_scoped", "percent": 3, "scope": {"model": {"display_name": "Opus"}}}]})";
const char* const CODEX_BODY = R"({"rate_limit": {
  "primary_window": {"used_percent": 55, "reset_at": 1767240000},
  "secondary_window": {"used_percent": 5.25, "reset_at": 1767800000}}})";

inline std::filesystem::path cli_program() {
    std::string path = GAUGELET_CLI_PROGRAM;
#ifdef _WIN32
    // The cross build knows its folders by their POSIX paths; Wine shows them on drive Z:.
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
#endif
    return test_support::utf8_path(path);
}

inline std::string utf8(const std::filesystem::path& path) {
    return text::path_to_utf8(path).value();
}

struct Outcome {
    std::uint32_t exit_code = 0;
    std::string out;
    std::string err;
};

// The folders, server and runs of one scenario.
class CliWorld {
  public:
    std::filesystem::path tool_log() const { return root_.path() / "fake-tool-log.jsonl"; }

    std::filesystem::path settings_file() const { return root_.path() / "Quotavane" / "settings.json"; }

    void write_settings(const std::string& text) const {
        std::filesystem::create_directories(settings_file().parent_path());
        write_text(settings_file(), text);
    }

    // A settings file holding these accounts, with the language fixed so the texts are too.
    void write_accounts(const std::vector<nlohmann::json>& accounts, const char* language = "en") const {
        write_settings(
            nlohmann::json{{"language", language}, {"accounts", nlohmann::json(accounts)}}.dump(2));
    }

    std::filesystem::path claude_account(const char* id, const char* email) const {
        const auto dir = root_.path() / "Quotavane" / "accounts" / id;
        std::filesystem::create_directories(dir);
        write_text(dir / ".credentials.json",
                   std::string(R"({"claudeAiOauth": {"accessToken": "sk-ant-oat01-)") + id +
                       R"(", "expiresAt": 9999999999999}})");
        write_text(dir / ".claude.json",
                   std::string(R"({"oauthAccount": {"emailAddress": ")") + email + "\"}}");
        return dir;
    }

    std::filesystem::path codex_account(const char* id, const char* email) const {
        const auto dir = root_.path() / "Quotavane" / "accounts" / id;
        std::filesystem::create_directories(dir);
        write_text(dir / "fake-tool-scenario.json", std::string(R"({"email": ")") + email + "\"}");
        EXPECT_TRUE(accounts::login(accounts::Provider::Codex, dir, test_tools::fake_tool_session()));
        return dir;
    }

    static nlohmann::json account(const char* id, const char* provider, const std::filesystem::path& dir,
                                  const nlohmann::json& email, int order) {
        return {{"id", id}, {"provider", provider}, {"dir", utf8(dir)}, {"email", email}, {"order", order}};
    }

    Outcome run(std::vector<std::string> arguments,
                const std::vector<std::pair<std::string, std::string>>& variables = {}) {
        platform::ChildCommand command;
        command.program = utf8(cli_program());
        command.arguments = std::move(arguments);
        command.standard_input = platform::StdioMode::Discard;
        command.standard_output = platform::StdioMode::Capture;
        command.standard_error = platform::StdioMode::Capture;
        command.set_env("APPDATA", utf8(root_.path()));
#ifdef _WIN32
        constexpr const char* separator = ";";
#else
        constexpr const char* separator = ":";
#endif
        command.set_env(
            "PATH", utf8(fake_tool::tool_directory()) + separator + platform::get_env("PATH").value_or(""));
        for (const char* proxy :
             {"ALL_PROXY", "HTTPS_PROXY", "HTTP_PROXY", "all_proxy", "https_proxy", "http_proxy"}) {
            command.remove_env(proxy);
        }
        // Every tool call of the run in one file, and a temporary folder (log, status cache) of its own.
        command.set_env("GAUGELET_FAKE_TOOL_LOG", utf8(tool_log()));
        for (const char* temp : {"TMPDIR", "TMP", "TEMP"}) {
            command.set_env(temp, utf8(temp_.path()));
        }
        if (started_) {
            const auto endpoints = server_.endpoints();
            command.set_env("GAUGELET_ANTHROPIC_BASE_URL", endpoints.anthropic);
            command.set_env("GAUGELET_CHATGPT_BASE_URL", endpoints.chatgpt + "/");
            if (endpoints.http.ca_file) {
                command.set_env("GAUGELET_CA_FILE", utf8(*endpoints.http.ca_file));
            }
        } else {
            // Nothing may be asked of the real hosts: point both at a port where nothing listens.
            command.set_env("GAUGELET_ANTHROPIC_BASE_URL", "http://127.0.0.1:9");
            command.set_env("GAUGELET_CHATGPT_BASE_URL", "http://127.0.0.1:9");
        }
        for (const auto& [name, value] : variables) {
            command.set_env(name, value);
        }
        const auto output = platform::run_with_timeout(command, std::chrono::seconds(120));
        EXPECT_TRUE(output) << "gaugelet-cli did not finish";
        if (!output) {
            return {};
        }
        return {output->exit_code, output->standard_output, output->standard_error};
    }

    void start_server() {
        server_.start();
        started_ = true;
    }

    test_support::TempFolder root_{"Zo\xC3\xAB-cli"};
    test_support::TempFolder temp_{"cli-temp"};
    test_fakes::ScriptedServer server_;
    bool started_ = false;
};

class CliProgram : public ::testing::Test, public CliWorld {};

}  // namespace cli_test
