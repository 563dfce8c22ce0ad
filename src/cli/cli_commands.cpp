#include <fmt/format.h>

#include <exception>

#include "cli/cli.hpp"
#include "cli/cli_render.hpp"
#include "diagnostics/log.hpp"
#include "localization/language.hpp"
#include "poller/endpoint_overrides.hpp"
#include "poller/poll_cycle.hpp"
#include "settings/settings_load.hpp"
#include "settings/settings_path.hpp"
#include "settings/settings_write.hpp"
#include "state/app_state.hpp"
#include "state/save_settings.hpp"
#include "text/path_text.hpp"

namespace cli {
namespace {

std::string display(const std::filesystem::path& path) {
    return text::path_to_utf8(path).value_or("settings.json");
}

// The settings the program would run on, or nothing (with the reason on `err`) when the file is
// there but cannot be used. The tray program then runs on the defaults without a word; here the
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

}  // namespace

poller::Endpoints endpoints_from_environment() {
    return poller::endpoints_from_environment();
}

int run_status(bool json, std::ostream& out, std::ostream& err) {
    const auto path = settings::settings_path();
    const auto file = load_or_explain(path, err);
    if (!file) {
        return EXIT_SETTINGS_INVALID;
    }
    const state::AppState initial = state_for(*file);
    const auto language = localization::drawn_language(initial.effective_language);
    state::StateSlot slot;
    slot.install(initial);

    // The tray program's cycle, with its own slot and numbering; nothing to notify.
    poller::PollSequence sequence;
    poller::PollContext context;
    context.slot = &slot;
    context.endpoints = endpoints_from_environment();
    context.sequence = &sequence;
    poller::poll_all_accounts(context);

    const auto usage = slot.lock()->usage.value_or(std::vector<poller::UsageSnapshot>{});
    if (json) {
        out << status_json(usage);
    } else {
        out << status_text(usage, localization::string_table(language), platform::precise_now());
        if (usage.empty()) {
            err << fmt::format("no accounts in {}\n", display(path));
        }
    }
    out.flush();
    for (const auto& entry : usage) {
        if (!entry.usage) {
            return EXIT_ACCOUNT_FAILED;
        }
    }
    return EXIT_OK;
}

int run_settings(std::ostream& out, std::ostream& err) {
    const auto path = settings::settings_path();
    const auto file = load_or_explain(path, err);
    if (!file) {
        return EXIT_SETTINGS_INVALID;
    }
    auto encoded = settings::encode_settings(state::settings_from_state(state_for(*file)));
    if (const auto* failure = std::get_if<settings::EncodeError>(&encoded)) {
        // The program could not save these settings either.
        err << fmt::format("{}: {}\n", display(path), failure->reason);
        return EXIT_SETTINGS_INVALID;
    }
    out << std::get<std::string>(encoded) << "\n";
    out.flush();
    return EXIT_OK;
}

int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) noexcept {
    try {
        UsageError usage_error;
        const auto parsed = parse_arguments(arguments, usage_error);
        if (!parsed) {
            err << "gaugelet-cli: " << usage_error.message << "\n\n" << usage_text();
            return EXIT_USAGE;
        }
        if (parsed->command == Command::Help) {
            out << usage_text();
            return EXIT_OK;
        }
        if (parsed->diagnose) {
            (void)diagnostics::open_log(diagnostics::log_path().parent_path() /
                                        text::path_from_utf8(CLI_LOG_FILE_NAME).value());
        }
        if (parsed->command == Command::Status) {
            diagnostics::log_line(parsed->json ? "gaugelet-cli status --json" : "gaugelet-cli status");
            return run_status(parsed->json, out, err);
        }
        diagnostics::log_line("gaugelet-cli settings");
        return run_settings(out, err);
    } catch (const std::exception& ex) {
        // Nothing is meant to throw here; a library that did still gets a line, not a crash.
        err << "gaugelet-cli: " << ex.what() << "\n";
    } catch (...) {
        err << "gaugelet-cli: unexpected failure\n";
    }
    return EXIT_SETTINGS_INVALID;
}

}  // namespace cli
