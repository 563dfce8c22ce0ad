#include "settings/settings_merge.hpp"

#include <algorithm>

namespace settings {
namespace {

template <typename T>
void take_changed(T& merged, const T& base, const T& ours) {
    if (!(ours == base)) {
        merged = ours;
    }
}

const accounts::Account* with_id(const std::vector<accounts::Account>& list, const std::string& id) {
    const auto found = std::find_if(list.begin(), list.end(),
                                    [&](const accounts::Account& account) { return account.id == id; });
    return found == list.end() ? nullptr : &*found;
}

std::vector<accounts::Account> merge_accounts(const std::vector<accounts::Account>& base,
                                              const std::vector<accounts::Account>& ours,
                                              std::vector<accounts::Account> merged) {
    std::erase_if(merged, [&](const accounts::Account& account) {
        return with_id(base, account.id) != nullptr && with_id(ours, account.id) == nullptr;
    });
    for (const accounts::Account& account : ours) {
        const accounts::Account* before = with_id(base, account.id);
        if (before != nullptr && *before == account) {
            continue;  // unchanged here: the file's version stands, or its removal
        }
        const auto in_file = std::find_if(merged.begin(), merged.end(), [&](const accounts::Account& other) {
            return other.id == account.id;
        });
        if (in_file != merged.end()) {
            *in_file = account;
        } else {
            merged.push_back(account);
        }
    }
    return merged;
}

}  // namespace

SettingsFile merge_settings(const SettingsFile& base, const SettingsFile& ours, const SettingsFile& theirs) {
    SettingsFile merged = theirs;
    merged.poll_interval_ms = ours.poll_interval_ms;  // the period is fixed; always written as ours
    merged.display_mode.reset();
    take_changed(merged.tray_offset, base.tray_offset, ours.tray_offset);
    take_changed(merged.language, base.language, ours.language);
    take_changed(merged.widget_visible, base.widget_visible, ours.widget_visible);
    take_changed(merged.panel_theme, base.panel_theme, ours.panel_theme);
    take_changed(merged.tray_metric, base.tray_metric, ours.tray_metric);
    take_changed(merged.panel_on_tray_hover, base.panel_on_tray_hover, ours.panel_on_tray_hover);
    take_changed(merged.panel_on_corner_hover, base.panel_on_corner_hover, ours.panel_on_corner_hover);
    take_changed(merged.pinned, base.pinned, ours.pinned);
    take_changed(merged.hot_corner, base.hot_corner, ours.hot_corner);
    take_changed(merged.panel_layout, base.panel_layout, ours.panel_layout);
    take_changed(merged.tray_accounts, base.tray_accounts, ours.tray_accounts);
    take_changed(merged.notify_near_limit, base.notify_near_limit, ours.notify_near_limit);
    take_changed(merged.notify_reset, base.notify_reset, ours.notify_reset);
    take_changed(merged.show_pace, base.show_pace, ours.show_pace);
    take_changed(merged.show_remaining, base.show_remaining, ours.show_remaining);
    merged.accounts = merge_accounts(base.accounts, ours.accounts, std::move(merged.accounts));
    return merged;
}

}  // namespace settings
