#pragma once
// The texts of notices, pace and the remaining share, in every language. Templates name their
// fields: {label}, {window}, {percent}, {countdown}, {time}.

#include <optional>
#include <string>
#include <string_view>

#include "localization/language.hpp"
#include "localization/string_table.hpp"
#include "localization/value_format.hpp"
#include "platform/clock.hpp"
#include "poller/usage_model.hpp"

namespace localization {

struct FeatureTexts {
    std::string_view notifications;      // menu entry
    std::string_view show_pace;          // menu entry
    std::string_view show_remaining;     // menu entry
    std::string_view percent_left;       // "{percent} left"
    std::string_view runs_out;           // "runs out {time}"
    std::string_view near_limit;         // "{label} — {window} at {percent}"
    std::string_view near_limit_resets;  // "{label} — {window} at {percent}, resets in {countdown}"
    std::string_view limit_reset;        // "{label} — {window} limit reset"
};

// The texts of a language; English for any index outside the ten.
[[nodiscard]] const FeatureTexts& feature_texts(Language language) noexcept;

// "20% left": the share not yet used, never below 0%.
[[nodiscard]] std::string remaining_text(double used_percent, const FeatureTexts& texts);

// The value text with the remaining share in place of the used one: "20% left · 2h 5m (3:05pm)".
[[nodiscard]] std::string format_remaining_value(const poller::UsageBar& window, const StringTable& strings,
                                                 const FeatureTexts& texts, platform::FileTime now,
                                                 LocalTimeConversion to_local = platform::to_local_time);

// The share a bar or gauge fills: the used one, or what is left of it (never below 0).
[[nodiscard]] double shown_percent(double used_percent, bool show_remaining) noexcept;

// The value text of a bar as the user chose to see it: used ("37% · …") or remaining ("63% left · …").
[[nodiscard]] std::string bar_value_text(const poller::UsageBar& window, const StringTable& strings,
                                         const FeatureTexts& texts, bool show_remaining, platform::FileTime now,
                                         LocalTimeConversion to_local = platform::to_local_time);

// `text` followed by `separator` and "runs out 3:40pm" when there is a run-out, else `text` as it is.
[[nodiscard]] std::string with_run_out(std::string text, std::string_view separator,
                                       const std::optional<platform::FileTime>& runs_out, platform::FileTime now,
                                       const FeatureTexts& texts,
                                       LocalTimeConversion to_local = platform::to_local_time);

// "runs out 3:40pm" in the value texts' time style; empty when the clock cannot be told.
[[nodiscard]] std::string run_out_text(platform::FileTime runs_out, platform::FileTime now,
                                       const FeatureTexts& texts,
                                       LocalTimeConversion to_local = platform::to_local_time);

// The window's name as the panel shows it: "5h" and "7d" localized, a model bar's own label.
[[nodiscard]] std::string_view window_name(std::string_view bar, const StringTable& strings);

// "dev@example.com — 5h at 92%, resets in 1h 10m" (without the reset part when there is no reset).
[[nodiscard]] std::string near_limit_notice(std::string_view label, std::string_view bar,
                                            const poller::UsageBar& reading, platform::FileTime now,
                                            const StringTable& strings, const FeatureTexts& texts);

// "dev@example.com — 5h limit reset".
[[nodiscard]] std::string reset_notice(std::string_view label, std::string_view bar,
                                       const StringTable& strings, const FeatureTexts& texts);

}  // namespace localization
