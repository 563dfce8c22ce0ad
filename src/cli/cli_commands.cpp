#include <fmt/format.h>

#include <algorithm>
#include <exception>

#include "accounts/account_registry.hpp"
#include "cli/cli.hpp"
#include "cli/cli_common.hpp"
#include "cli/cli_render.hpp"
#include "cli/cli_status_line.hpp"
#include "diagnostics/log.hpp"
#include "localization/language.hpp"
#include "platform/file_io.hpp"
#include "poller/endpoint_overrides.hpp"
#include "poller/poll_cycle.hpp"
#include "settings/settings_load.hpp"
#include "settings/settings_path.hpp"
#include "settings/settings_write.hpp"
#include "state/save_settings.hpp"
#include "text/path_text.hpp"

namespace cli {
namespace {

// Readings from one pair of hosts say nothing about another's.
std::string hosts_of(const Session& session) {
    return session.endpoints.anthropic + " " + session.endpoints.chatgpt;
}

// The readings `status --line` shows: the cache's when it may answer, else a fresh poll's.
std::vector<CachedReading> line_readings(const Arguments& arguments, const Session& session,
                                         const state::AppState& initial) {
    const platform::FileTime now = session.now();
    if (const auto text = platform::read_file(status_cache_path());
        std::holds_alternative<std::string>(text)) {
        const auto cache = decode_status_cache(std::get<std::string>(text));
        if (cache && cache_answers(*cache, session.settings_path, hosts_of(session), initial.accounts, now,
                                   arguments.max_age_seconds)) {
            diagnostics::log_line("status --line: answered from the last poll");
            return cache->readings;
        }
    }
    state::StateSlot slot;
    slot.install(initial);
    const auto usage = poll_and_cache(slot, session);
    return cache_from_poll(session.settings_path, hosts_of(session), initial.accounts, usage, now).readings;
}

int exit_code_for(bool any_failed) {
    return any_failed ? EXIT_ACCOUNT_FAILED : EXIT_OK;
}

}  // namespace

std::string display(const std::filesystem::path& path) {
    return text::path_to_utf8(path).value_or("settings.json");
}

// The tray program runs on the defaults without a word when the file cannot be used; here the
// user asked, so the fault is named instead of printing the defaults as if they were the file.
std::optional<settings::SettingsFile> load_or_explain(const std::filesystem::path& path, std::ostream& err) {
    auto outcome = settings::read_settings_file(path);
    switch (outcome.status) {
        case settings::FileStatus::Loaded:
        case settings::FileStatus::Missing:
            return std::move(outcome.settings);
        case settings::FileStatus::Unreadable:
        case settings::FileStatus::Invalid:
            break;
    }
    const settings::SettingsError error = outcome.error.value_or(settings::SettingsError{"cannot be used"});
    err << settings_error_text(path, error) << "\n"
        << "gaugelet runs on the default settings, with no accounts, until the file is fixed\n";
    diagnostics::log_owned(fmt::format("settings file invalid: {}", settings_error_text(path, error)));
    return std::nullopt;
}

state::AppState state_for(const settings::SettingsFile& file) {
    const auto setting = localization::language_setting(
        file.language ? std::optional<std::string_view>(*file.language) : std::nullopt);
    const auto effective = localization::effective_language(setting, localization::detect_system_language());
    return state::state_from_settings(file, static_cast<state::LanguageIndex>(setting),
                                      static_cast<state::LanguageIndex>(effective));
}

std::vector<poller::UsageSnapshot> poll_and_cache(state::StateSlot& slot, const Session& session) {
    poller::PollSequence sequence;
    poller::PollContext context;
    context.slot = &slot;
    context.endpoints = session.endpoints;
    context.sequence = &sequence;
    poller::poll_all_accounts(context);

    const auto guard = slot.lock();
    auto usage = guard->usage.value_or(std::vector<poller::UsageSnapshot>{});
    const auto cache =
        cache_from_poll(session.settings_path, hosts_of(session), guard->accounts, usage, session.now());
    // The cache only spares later polls; a run that cannot write it still answers.
    if (const auto text = encode_status_cache(cache)) {
        if (const auto failure = platform::write_file_atomic(status_cache_path(), *text)) {
            diagnostics::log_io_error("status cache not written", *failure);
        }
    }
    return usage;
}

Session session_for(const Arguments& arguments) {
    Session session;
    if (arguments.settings) {
        std::error_code ec;
        auto absolute = std::filesystem::absolute(*arguments.settings, ec);
        session.settings_path = ec ? *arguments.settings : absolute.lexically_normal();
    } else {
        session.settings_path = settings::settings_path();
    }
    auto choice = poller::choose_endpoints({arguments.anthropic_url, arguments.chatgpt_url});
    session.endpoints = std::move(choice.endpoints);
    session.refused_override = std::move(choice.refused);
    return session;
}

int run_status(const Arguments& arguments, const Session& session, std::ostream& out, std::ostream& err) {
    const auto file = load_or_explain(session.settings_path, err);
    if (!file) {
        return EXIT_SETTINGS_INVALID;
    }
    const state::AppState initial = state_for(*file);
    if (arguments.account && !accounts::find_account(initial.accounts, *arguments.account)) {
        err << fmt::format("gaugelet-cli: no account \"{}\" in {}\n", *arguments.account,
                           display(session.settings_path));
        return EXIT_USAGE;
    }
    const auto wanted = [&](const std::string& id) { return !arguments.account || id == *arguments.account; };

    if (arguments.line) {
        auto readings = line_readings(arguments, session, initial);
        std::erase_if(readings, [&](const CachedReading& reading) { return !wanted(reading.id); });
        out << status_line(readings);
        out.flush();
        return exit_code_for(std::any_of(readings.begin(), readings.end(),
                                         [](const CachedReading& reading) { return !reading.five_hour; }));
    }

    state::StateSlot slot;
    slot.install(initial);
    auto usage = poll_and_cache(slot, session);
    std::erase_if(usage, [&](const poller::UsageSnapshot& entry) { return !wanted(entry.account_id); });
    if (arguments.json) {
        out << status_json(usage, session.now());
    } else {
        const auto language = localization::drawn_language(initial.effective_language);
        out << status_text(usage, localization::string_table(language), localization::feature_texts(language),
                           session.now());
        if (usage.empty()) {
            err << fmt::format("no accounts in {}\n", display(session.settings_path));
        }
    }
    out.flush();
    return exit_code_for(std::any_of(usage.begin(), usage.end(),
                                     [](const poller::UsageSnapshot& entry) { return !entry.usage; }));
}

int run_settings(const Session& session, std::ostream& out, std::ostream& err) {
    const auto file = load_or_explain(session.settings_path, err);
    if (!file) {
        return EXIT_SETTINGS_INVALID;
    }
    auto encoded = settings::encode_settings(state::settings_from_state(state_for(*file)));
    if (const auto* failure = std::get_if<settings::EncodeError>(&encoded)) {
        // The program could not save these settings either.
        err << fmt::format("{}: {}\n", display(session.settings_path), failure->reason);
        return EXIT_SETTINGS_INVALID;
    }
    out << std::get<std::string>(encoded) << "\n";
    out.flush();
    return EXIT_OK;
}

int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) noexcept {
    try {
        if (arguments.empty()) {
            err << usage_text();
            return EXIT_USAGE;
        }
        UsageError usage_error;
        const auto parsed = parse_arguments(arguments, usage_error);
        if (!parsed) {
            err << "gaugelet-cli: " << usage_error.message << " (see gaugelet-cli --help)\n";
            return EXIT_USAGE;
        }
        if (parsed->command == Command::Help) {
            out << usage_text();
            return EXIT_OK;
        }
        if (parsed->command == Command::Version) {
            out << version_text();
            return EXIT_OK;
        }
        if (parsed->diagnose) {
            (void)diagnostics::open_log(diagnostics::log_path().parent_path() /
                                        text::path_from_utf8(CLI_LOG_FILE_NAME).value());
        }
        std::string command_line = "gaugelet-cli";
        for (const auto& argument : arguments) {
            if (argument != "--diagnose") {
                command_line += " " + argument;
            }
        }
        diagnostics::log_owned(std::move(command_line));
        const Session session = session_for(*parsed);
        if (session.refused_override) {
            err << "gaugelet-cli: " << *session.refused_override << "\n";
            return EXIT_USAGE;
        }
        switch (parsed->command) {
            case Command::Status:
                return run_status(*parsed, session, out, err);
            case Command::Settings:
                return run_settings(session, out, err);
            case Command::Accounts:
                return run_accounts(parsed->json, session, out, err);
            case Command::Add:
            case Command::Relogin:
            case Command::Remove:
                return run_account_operation(*parsed, session, out, err);
            case Command::Help:
            case Command::Version:
                break;
        }
    } catch (const std::exception& ex) {
        // Nothing is meant to throw here; a library that did still gets a line, not a crash.
        err << "gaugelet-cli: " << ex.what() << "\n";
    } catch (...) {
        err << "gaugelet-cli: unexpected failure\n";
    }
    return EXIT_SETTINGS_INVALID;
}

}  // namespace cli
