#include "state/settings_notice.hpp"

#include <fmt/format.h>

#include "diagnostics/log.hpp"
#include "localization/language.hpp"
#include "localization/settings_notice_text.hpp"
#include "settings/settings_write.hpp"
#include "text/path_text.hpp"

namespace state {

void note_settings_load(AppState& state, const std::filesystem::path& path,
                        const settings::LoadOutcome& loaded) {
    if (loaded.status != settings::FileStatus::Invalid && loaded.status != settings::FileStatus::Unreadable) {
        return;
    }
    const settings::SettingsError error = loaded.error.value_or(settings::SettingsError{"cannot be used"});
    const std::string described = settings::describe_settings_error(path, error);
    diagnostics::log_owned(fmt::format("settings file did not load; running on the defaults: {}", described));
    auto kept = settings::keep_file_aside(path);
    if (auto* failure = std::get_if<std::string>(&kept)) {
        diagnostics::log_owned(fmt::format("settings file not kept aside yet: {}", *failure));
        return;  // the first save tries again before it replaces the file
    }
    const auto& copy = std::get<std::filesystem::path>(kept);
    diagnostics::log_owned(
        fmt::format("settings file kept aside as {}", text::path_to_utf8(copy).value_or("?")));
    state.keep_settings_aside = false;
    std::string where = error.line > 0
                            ? fmt::format("{} (line {}, column {})", error.message, error.line, error.column)
                            : error.message;
    state.settings_notice =
        SettingsNotice{SettingsNotice::Kind::KeptAside, std::move(where),
                       text::path_to_utf8(copy.filename()).value_or("settings.json.invalid")};
}

std::optional<std::string> take_settings_notice(StateSlot& slot) {
    const auto guard = slot.lock();
    if (!guard || !guard->settings_notice) {
        return std::nullopt;
    }
    const SettingsNotice notice = std::move(*guard->settings_notice);
    guard->settings_notice.reset();
    const auto language = localization::drawn_language(guard->effective_language);
    if (notice.kind == SettingsNotice::Kind::SaveFailed) {
        return localization::save_failed_text(language, notice.detail);
    }
    return localization::kept_aside_text(language, notice.kept_as, notice.detail);
}

}  // namespace state
