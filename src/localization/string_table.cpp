#include "localization/string_table.hpp"

#include <array>

namespace localization {
namespace {

constexpr StringTable ENGLISH = {
    "Gaugelet",
    "Refresh",
    "Update Frequency",
    "1 Minute",
    "5 Minutes",
    "15 Minutes",
    "1 Hour",
    "Models",
    "Claude Code",
    "Codex",
    "Settings",
    "Start with Windows",
    "Reset Position",
    "Language",
    "System Default",
    "Check for Updates",
    "Checking for Updates...",
    "Updates",
    "An update check is already in progress.",
    "You already have the latest version.",
    "Up to date",
    "Unable to update automatically",
    "Applying update...",
    "Update to",
    "Update available",
    "Version {version} is available. Do you want to update now?",
    "Exit",
    "Show Widget",
    "5h",
    "7d",
    "now",
    "d",
    "h",
    "m",
    "s",
    "Claude Code Auth Error",
    "Run 'claude' in a terminal, then use '/login' and follow the prompts. After that, refresh or restart "
    "this app.",
    "Codex Auth Error",
    "Run 'codex' in a terminal and follow the sign-in prompts. After that, refresh or restart this app.",
    "Gaugelet for Codex",
};

// The rows the program displays; every other row keeps the English text.
struct Displayed {
    std::string_view settings, start_with_windows, exit, window_5h, window_7d;
    std::string_view unit_now, unit_day, unit_hour, unit_minute, unit_second;
};

constexpr StringTable localized(const Displayed& d) {
    StringTable table = ENGLISH;
    table.settings = d.settings;
    table.start_with_windows = d.start_with_windows;
    table.exit = d.exit;
    table.window_5h = d.window_5h;
    table.window_7d = d.window_7d;
    table.unit_now = d.unit_now;
    table.unit_day = d.unit_day;
    table.unit_hour = d.unit_hour;
    table.unit_minute = d.unit_minute;
    table.unit_second = d.unit_second;
    return table;
}

// clang-format off
constexpr std::array<StringTable, LANGUAGE_COUNT> TABLES = {
    ENGLISH,
    localized({"Instellingen", "Opstarten met Windows", "Afsluiten", "5u", "7d", "nu", "d", "u", "m", "s"}),
    localized({"Configuración", "Iniciar con Windows", "Salir", "5h", "7d", "ahora", "d", "h", "m", "s"}),
    localized({"Paramètres", "Démarrer avec Windows", "Quitter", "5h", "7d", "maintenant", "j", "h", "m", "s"}),
    localized({"Einstellungen", "Mit Windows starten", "Beenden", "5h", "7d", "jetzt", "T", "h", "m", "s"}),
    localized({"設定", "Windows と同時に開始", "終了", "5h", "7d", "今", "日", "時間", "分", "秒"}),
    localized({"설정", "Windows 시작 시 자동 실행", "종료", "5시간", "7일", "지금", "일", "시간", "분", "초"}),
    localized({"設定", "開機時啟動", "結束", "5h", "7d", "現在", "天", "時", "分", "秒"}),
    localized({"Настройки", "Запускать вместе с Windows", "Выход", "5ч", "7д", "сейчас", "д", "ч", "м", "с"}),
    localized({"Configurações", "Iniciar com o Windows", "Sair", "5h", "7d", "agora", "d", "h", "m", "s"}),
};
// clang-format on

}  // namespace

const StringTable& string_table(Language language) noexcept {
    const auto index = static_cast<std::size_t>(language);
    return index < TABLES.size() ? TABLES[index] : TABLES[0];
}

}  // namespace localization
