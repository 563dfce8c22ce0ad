#pragma once
// The fixed texts every language provides, one table per language.

#include <string_view>

#include "localization/language.hpp"

namespace localization {

// Forty rows in a fixed order; the member order is the row number. Texts are static program
// data, so a table is cheap to copy at the start of a drawing or menu routine.
struct StringTable {
    std::string_view app_title;                // 0
    std::string_view refresh;                  // 1
    std::string_view update_frequency;         // 2
    std::string_view freq_1_minute;            // 3
    std::string_view freq_5_minutes;           // 4
    std::string_view freq_15_minutes;          // 5
    std::string_view freq_1_hour;              // 6
    std::string_view models;                   // 7
    std::string_view provider_claude_code;     // 8
    std::string_view provider_codex;           // 9
    std::string_view settings;                 // 10
    std::string_view start_with_windows;       // 11
    std::string_view reset_position;           // 12
    std::string_view language;                 // 13
    std::string_view system_default;           // 14
    std::string_view check_for_updates;        // 15
    std::string_view checking_for_updates;     // 16
    std::string_view updates;                  // 17
    std::string_view update_in_progress;       // 18
    std::string_view already_latest;           // 19
    std::string_view up_to_date;               // 20
    std::string_view update_failed;            // 21
    std::string_view applying_update;          // 22
    std::string_view update_to;                // 23
    std::string_view update_available;         // 24
    std::string_view update_prompt;            // 25
    std::string_view exit;                     // 26
    std::string_view show_widget;              // 27
    std::string_view window_5h;                // 28
    std::string_view window_7d;                // 29
    std::string_view unit_now;                 // 30
    std::string_view unit_day;                 // 31
    std::string_view unit_hour;                // 32
    std::string_view unit_minute;              // 33
    std::string_view unit_second;              // 34
    std::string_view claude_auth_error_title;  // 35
    std::string_view claude_auth_error_help;   // 36
    std::string_view codex_auth_error_title;   // 37
    std::string_view codex_auth_error_help;    // 38
    std::string_view codex_monitor_title;      // 39
};

inline constexpr std::size_t STRING_ROW_COUNT = 40;
static_assert(sizeof(StringTable) == STRING_ROW_COUNT * sizeof(std::string_view));

// The table of a language; English for FollowSystem and any index outside the ten.
[[nodiscard]] const StringTable& string_table(Language language) noexcept;

}  // namespace localization
