#include "accounts/login.hpp"

#include "accounts/codex_credentials.hpp"
#include "platform/file_io.hpp"
#include "strict_json/strict_json.hpp"

namespace accounts {
namespace {

// The file a login writes its tokens to.
std::filesystem::path credentials_file(Provider provider, const std::filesystem::path& dir) {
    return dir / (provider == Provider::Codex ? "auth.json" : ".credentials.json");
}

std::optional<std::string> file_text(const std::filesystem::path& path) {
    auto contents = platform::read_file(path);
    if (auto* text = std::get_if<std::string>(&contents)) {
        return std::move(*text);
    }
    return std::nullopt;
}

// A login that timed out or ended in failure (cancelled in the browser) signed nothing in unless
// it wrote new tokens: a folder that was signed in before still answers the status call.
bool login_finished(const std::optional<platform::ProcessOutput>& run,
                    const std::optional<std::string>& before, const std::filesystem::path& credentials) {
    if (run && run->exit_code == 0) {
        return true;
    }
    const auto after = file_text(credentials);
    return after && after != before;
}

bool codex_status_says_logged_in(const std::filesystem::path& dir, const ToolSession& session) {
    platform::ChildCommand status = session.locator.codex_command({"login", "status"}, dir);
    status.standard_input = platform::StdioMode::Discard;
    status.standard_output = platform::StdioMode::Capture;
    status.standard_error = platform::StdioMode::Capture;
    status.leftovers = platform::Leftovers::End;
    const auto output = platform::run_with_timeout(status, session.limits.status, *session.clock);
    // Invalid UTF-8 cannot form or break the ASCII text searched for, so the bytes serve as they are.
    return output && (output->standard_output.find("Logged in") != std::string::npos ||
                      output->standard_error.find("Logged in") != std::string::npos);
}

}  // namespace

bool login(Provider provider, const std::filesystem::path& dir, const ToolSession& session) {
    const auto lease = enter_folder(session, dir);
    if (!lease) {
        return false;  // the account is gone: its folder must not be made again
    }
    (void)platform::create_directories(dir);  // an existing folder is fine; a failure shows in the login
    const auto credentials = credentials_file(provider, dir);
    const auto before = file_text(credentials);
    std::optional<platform::ProcessOutput> run;
    if (provider == Provider::Codex) {
        run = platform::run_with_timeout(session.locator.codex_command({"login"}, dir), session.limits.login,
                                         *session.clock);
    } else if (auto command = claude_command_for(session, {"auth", "login"}, dir, ClaudeEnvironment::Clean)) {
        run = platform::run_with_timeout(*command, session.limits.login, *session.clock);
    }
    if (!login_finished(run, before, credentials)) {
        return false;
    }
    // The status call that follows decides whether the folder is signed in now.
    return provider == Provider::Codex ? codex_status_says_logged_in(dir, session)
                                       : claude_auth_email(dir, session).has_value();
}

std::optional<std::string> claude_auth_email(const std::filesystem::path& dir, const ToolSession& session) {
    auto command = claude_command_for(session, {"auth", "status"}, dir, ClaudeEnvironment::Clean);
    if (!command) {
        return std::nullopt;
    }
    command->standard_input = platform::StdioMode::Discard;
    command->standard_output = platform::StdioMode::Capture;
    command->standard_error = platform::StdioMode::Discard;
    command->leftovers = platform::Leftovers::End;
    const auto lease = enter_folder(session, dir);
    if (!lease) {
        return std::nullopt;
    }
    const auto output = platform::run_with_timeout(*command, session.limits.status, *session.clock);
    if (!output) {
        return std::nullopt;
    }
    auto parsed = strict_json::parse(output->standard_output);
    const auto* status = std::get_if<strict_json::Json>(&parsed);
    if (status == nullptr || !status->is_object()) {
        return std::nullopt;
    }
    const auto logged_in = status->find("loggedIn");
    const auto email = status->find("email");
    if (logged_in == status->end() || !logged_in->is_boolean() || !logged_in->get<bool>() ||
        email == status->end() || !email->is_string()) {
        return std::nullopt;
    }
    return email->get<std::string>();
}

std::optional<std::string> account_email(Provider provider, const std::filesystem::path& dir,
                                         const ToolSession& session) {
    return provider == Provider::Claude ? claude_auth_email(dir, session) : codex_account_email(dir);
}

}  // namespace accounts
