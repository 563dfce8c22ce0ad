#include <fmt/format.h>

#include <charconv>

#include "cli/cli.hpp"
#include "text/path_text.hpp"

namespace cli {
namespace {

bool is_url(std::string_view value) {
    return (value.rfind("http://", 0) == 0 && value.size() > 7) ||
           (value.rfind("https://", 0) == 0 && value.size() > 8);
}

std::optional<std::uint32_t> whole_seconds(std::string_view value) {
    std::uint32_t seconds = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (ec != std::errc() || end != value.data() + value.size() || value.empty()) {
        return std::nullopt;
    }
    return seconds;
}

// Options that belong to one command, checked once the command is known.
struct Seen {
    bool json = false;
    bool line = false;
    bool account = false;
    bool max_age = false;
    bool dir = false;
};

std::optional<std::string> misplaced_option(const Seen& seen, Command command) {
    if (seen.json && command != Command::Status && command != Command::Accounts) {
        return "--json belongs to status or accounts";
    }
    if (seen.line && command != Command::Status) {
        return "--line belongs to status";
    }
    if (seen.json && seen.line) {
        return "--json and --line cannot be combined";
    }
    if (seen.account && command != Command::Status) {
        return "--account belongs to status";
    }
    if (seen.max_age && !seen.line) {
        return "--max-age belongs to status --line";
    }
    if (seen.dir && command != Command::Add) {
        return "--dir belongs to add";
    }
    return std::nullopt;
}

}  // namespace

std::optional<Arguments> parse_arguments(const std::vector<std::string>& arguments, UsageError& error) {
    Arguments parsed;
    Seen seen;
    std::vector<std::string> words;
    const auto fail = [&error](std::string message) -> std::optional<Arguments> {
        error.message = std::move(message);
        return std::nullopt;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            parsed.command = Command::Help;
            return parsed;
        }
        if (argument == "--version") {
            parsed.command = Command::Version;
            return parsed;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            words.push_back(std::move(argument));
            continue;
        }
        std::optional<std::string> inline_value;
        if (const auto equals = argument.find('=');
            argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            inline_value = argument.substr(equals + 1);
            argument.erase(equals);
        }
        const auto value = [&]() -> std::optional<std::string> {
            if (inline_value) {
                return inline_value;
            }
            if (i + 1 < arguments.size()) {
                return arguments[++i];
            }
            return std::nullopt;
        };
        const bool takes_value = argument == "--settings" || argument == "--anthropic-url" ||
                                 argument == "--chatgpt-url" || argument == "--account" ||
                                 argument == "--max-age" || argument == "--dir";
        if (!takes_value) {
            if (inline_value) {
                return fail(fmt::format("{} takes no value", argument));
            }
            if (argument == "--diagnose") {
                parsed.diagnose = true;
            } else if (argument == "--json") {
                seen.json = parsed.json = true;
            } else if (argument == "--line") {
                seen.line = parsed.line = true;
            } else {
                return fail(fmt::format("unknown option \"{}\"", argument));
            }
            continue;
        }
        const auto given = value();
        if (!given || given->empty()) {
            return fail(fmt::format("{} needs a value", argument));
        }
        if (argument == "--settings" || argument == "--dir") {
            auto path = text::path_from_utf8(*given);
            if (!path) {
                return fail(fmt::format("{} is not a usable path", argument));
            }
            (argument == "--dir" ? parsed.dir : parsed.settings) = std::move(*path);
            seen.dir = seen.dir || argument == "--dir";
        } else if (argument == "--anthropic-url" || argument == "--chatgpt-url") {
            if (!is_url(*given)) {
                return fail(fmt::format("{} \"{}\" is not an http:// or https:// URL", argument, *given));
            }
            (argument == "--anthropic-url" ? parsed.anthropic_url : parsed.chatgpt_url) = *given;
        } else if (argument == "--account") {
            seen.account = true;
            parsed.account = *given;
        } else {
            const auto seconds = whole_seconds(*given);
            if (!seconds) {
                return fail(fmt::format("--max-age \"{}\" is not a whole number of seconds", *given));
            }
            seen.max_age = true;
            parsed.max_age_seconds = *seconds;
        }
    }

    if (words.empty()) {
        return fail("no command given");
    }
    const std::string& name = words[0];
    std::size_t operands = 0;
    if (name == "status") {
        parsed.command = Command::Status;
    } else if (name == "settings") {
        parsed.command = Command::Settings;
    } else if (name == "accounts") {
        parsed.command = Command::Accounts;
    } else if (name == "add") {
        parsed.command = Command::Add;
        if (words.size() < 2) {
            return fail("add needs a provider: claude or codex");
        }
        const auto provider = accounts::provider_from_json_name(words[1]);
        if (!provider) {
            return fail(fmt::format("unknown provider \"{}\" (claude or codex)", words[1]));
        }
        parsed.provider = *provider;
        operands = 1;
    } else if (name == "relogin" || name == "remove") {
        parsed.command = name == "relogin" ? Command::Relogin : Command::Remove;
        if (words.size() < 2) {
            return fail(fmt::format("{} needs an account id", name));
        }
        parsed.id = words[1];
        operands = 1;
    } else {
        return fail(fmt::format("unknown command \"{}\"", name));
    }
    if (words.size() > operands + 1) {
        return fail(fmt::format("unexpected argument \"{}\"", words[operands + 1]));
    }
    if (auto misplaced = misplaced_option(seen, parsed.command)) {
        return fail(std::move(*misplaced));
    }
    return parsed;
}

std::string usage_text() {
    return "usage: gaugelet-cli [options] status [--json | --line [--max-age SECONDS]] [--account ID]\n"
           "       gaugelet-cli [options] accounts [--json]\n"
           "       gaugelet-cli [options] add claude|codex [--dir PATH]\n"
           "       gaugelet-cli [options] relogin ID\n"
           "       gaugelet-cli [options] remove ID\n"
           "       gaugelet-cli [options] settings\n"
           "       gaugelet-cli --help | --version\n"
           "\n"
           "  status             poll every account once and print its usage limits\n"
           "                     (exit 3 when an account could not be read)\n"
           "    --json           the status as a JSON array\n"
           "    --line           one short line, answered from the last poll when it is recent\n"
           "    --max-age S      how old that poll may be, in seconds (default 60)\n"
           "    --account ID     only this account\n"
           "  accounts           the accounts: id, provider, e-mail, folder (--json: the records)\n"
           "  add claude|codex   sign a new account in with the provider's tool, in this terminal\n"
           "    --dir PATH       watch a folder already signed in to (signs in there if it is not)\n"
           "  relogin ID         sign the account in again\n"
           "  remove ID          forget the account; a folder in the program's own accounts folder\n"
           "                     is signed out and deleted, any other folder is left as it is\n"
           "                     (add, relogin, remove: exit 1 when the sign-in failed, 2 for an\n"
           "                     unknown id)\n"
           "  settings           print the settings file as the program reads it\n"
           "                     (exit 1 when the file is invalid)\n"
           "\n"
           "options:\n"
           "  --settings PATH       the settings file (default: %APPDATA%\\Quotavane\\settings.json)\n"
           "  --anthropic-url URL   instead of https://api.anthropic.com\n"
           "  --chatgpt-url URL     instead of https://chatgpt.com\n"
           "  --diagnose            write the diagnostic log \"gaugelet-cli.log\" in the temporary folder\n";
}

std::string version_text() {
    return fmt::format("gaugelet-cli {}\n", GAUGELET_VERSION);
}

}  // namespace cli
