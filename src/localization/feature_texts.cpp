#include "localization/feature_texts.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace localization {
namespace {

// clang-format off
constexpr std::array<FeatureTexts, LANGUAGE_COUNT> TEXTS = {{
    {"Notifications", "Show pace", "Show remaining", "{percent} left", "runs out {time}",
     "{label} — {window} at {percent}", "{label} — {window} at {percent}, resets in {countdown}",
     "{label} — {window} limit reset"},
    {"Meldingen", "Tempo tonen", "Resterend tonen", "{percent} over", "op om {time}",
     "{label} — {window} op {percent}", "{label} — {window} op {percent}, reset over {countdown}",
     "{label} — {window}-limiet hersteld"},
    {"Notificaciones", "Mostrar ritmo", "Mostrar restante", "quedan {percent}", "se agota {time}",
     "{label} — {window} al {percent}", "{label} — {window} al {percent}, se restablece en {countdown}",
     "{label} — límite de {window} restablecido"},
    {"Notifications", "Afficher le rythme", "Afficher le restant", "{percent} restant", "épuisé à {time}",
     "{label} — {window} à {percent}", "{label} — {window} à {percent}, réinitialisation dans {countdown}",
     "{label} — limite {window} réinitialisée"},
    {"Benachrichtigungen", "Tempo anzeigen", "Verbleibend anzeigen", "{percent} übrig", "aufgebraucht {time}",
     "{label} — {window} bei {percent}", "{label} — {window} bei {percent}, zurückgesetzt in {countdown}",
     "{label} — {window}-Limit zurückgesetzt"},
    {"通知", "ペースを表示", "残りを表示", "残り {percent}", "{time} に上限到達",
     "{label} — {window} が {percent}", "{label} — {window} が {percent}、{countdown} 後にリセット",
     "{label} — {window} の上限がリセットされました"},
    {"알림", "사용 속도 표시", "남은 양 표시", "{percent} 남음", "{time}에 소진",
     "{label} — {window} {percent} 사용", "{label} — {window} {percent} 사용, {countdown} 후 초기화",
     "{label} — {window} 한도 초기화됨"},
    {"通知", "顯示進度", "顯示剩餘", "剩餘 {percent}", "{time} 用盡",
     "{label} — {window} 已達 {percent}", "{label} — {window} 已達 {percent}，{countdown} 後重設",
     "{label} — {window} 額度已重設"},
    {"Уведомления", "Показывать темп", "Показывать остаток", "осталось {percent}", "закончится в {time}",
     "{label} — {window}: {percent}", "{label} — {window}: {percent}, сброс через {countdown}",
     "{label} — лимит {window} сброшен"},
    {"Notificações", "Mostrar ritmo", "Mostrar restante", "{percent} restante", "esgota {time}",
     "{label} — {window} em {percent}", "{label} — {window} em {percent}, redefine em {countdown}",
     "{label} — limite de {window} redefinido"},
}};
// clang-format on

}  // namespace

const FeatureTexts& feature_texts(Language language) noexcept {
    const auto index = static_cast<std::size_t>(language);
    return index < TEXTS.size() ? TEXTS[index] : TEXTS[0];
}

std::string remaining_text(double used_percent, const FeatureTexts& texts) {
    return fmt::format(fmt::runtime(texts.percent_left),
                       fmt::arg("percent", format_percent(shown_percent(used_percent, true))));
}

std::string format_remaining_value(const poller::UsageBar& window, const StringTable& strings,
                                   const FeatureTexts& texts, platform::FileTime now,
                                   LocalTimeConversion to_local) {
    // The used value text with its leading share swapped: the reset part stays as it is written.
    const std::string used = format_usage_value(window, strings, now, to_local);
    const std::string share = format_percent(window.percent);
    return remaining_text(window.percent, texts) + used.substr(std::min(share.size(), used.size()));
}

double shown_percent(double used_percent, bool show_remaining) noexcept {
    if (!show_remaining || std::isnan(used_percent)) {
        return used_percent;
    }
    return used_percent >= 100.0 ? 0.0 : 100.0 - used_percent;
}

std::string bar_value_text(const poller::UsageBar& window, const StringTable& strings, const FeatureTexts& texts,
                           bool show_remaining, platform::FileTime now, LocalTimeConversion to_local) {
    return show_remaining ? format_remaining_value(window, strings, texts, now, to_local)
                          : format_usage_value(window, strings, now, to_local);
}

std::string with_run_out(std::string text, std::string_view separator,
                         const std::optional<platform::FileTime>& runs_out, platform::FileTime now,
                         const FeatureTexts& texts, LocalTimeConversion to_local) {
    if (!runs_out) {
        return text;
    }
    const std::string run_out = run_out_text(*runs_out, now, texts, to_local);
    if (!run_out.empty()) {
        text.append(separator).append(run_out);
    }
    return text;
}

std::string run_out_text(platform::FileTime runs_out, platform::FileTime now, const FeatureTexts& texts,
                         LocalTimeConversion to_local) {
    const std::string clock = format_reset_clock(runs_out, now, to_local);
    if (clock.empty()) {
        return {};
    }
    return fmt::format(fmt::runtime(texts.runs_out), fmt::arg("time", clock));
}

std::string_view window_name(std::string_view bar, const StringTable& strings) {
    if (bar == "5h") {
        return strings.window_5h;
    }
    if (bar == "7d") {
        return strings.window_7d;
    }
    return bar;
}

std::string near_limit_notice(std::string_view label, std::string_view bar, const poller::UsageBar& reading,
                              platform::FileTime now, const StringTable& strings, const FeatureTexts& texts) {
    const std::string percent = format_percent(reading.percent);
    if (!reading.resets_at) {
        return fmt::format(fmt::runtime(texts.near_limit), fmt::arg("label", label),
                           fmt::arg("window", window_name(bar, strings)), fmt::arg("percent", percent));
    }
    return fmt::format(fmt::runtime(texts.near_limit_resets), fmt::arg("label", label),
                       fmt::arg("window", window_name(bar, strings)), fmt::arg("percent", percent),
                       fmt::arg("countdown", format_countdown(*reading.resets_at, now, strings)));
}

std::string reset_notice(std::string_view label, std::string_view bar, const StringTable& strings,
                         const FeatureTexts& texts) {
    return fmt::format(fmt::runtime(texts.limit_reset), fmt::arg("label", label),
                       fmt::arg("window", window_name(bar, strings)));
}

}  // namespace localization
