#include "menu/menu_command.hpp"

#include <algorithm>

#include "menu/context_menu.hpp"
#include "menu/menu_commands.hpp"

namespace menu {
namespace {

// A block of `count` identifiers from `base`: the offset into it, if `id` lies there.
std::optional<std::uint32_t> offset_in(std::uint32_t id, std::uint32_t base, std::uint32_t count) noexcept {
    if (id >= base && id - base < count) {
        return id - base;
    }
    return std::nullopt;
}

// The account a command names: by the id its entry was built for, else by its row. A menu that
// stayed open while the list changed must not act on whichever account now holds the row.
const accounts::Account* named_account(const state::AppState& state, const Command& command) noexcept {
    if (command.account_id) {
        const auto found = std::find_if(state.accounts.begin(), state.accounts.end(),
                                        [&command](const auto& a) { return a.id == *command.account_id; });
        return found != state.accounts.end() ? &*found : nullptr;
    }
    return command.index < state.accounts.size() ? &state.accounts[command.index] : nullptr;
}

struct Block {
    std::uint32_t base;
    std::uint32_t count;
    CommandKind kind;
};
constexpr auto ACCOUNT_BLOCK = static_cast<std::uint32_t>(MAX_MENU_ACCOUNTS);
constexpr Block BLOCKS[] = {
    {CMD_EXIT, 1, CommandKind::Exit},
    {CMD_START_WITH_WINDOWS, 1, CommandKind::StartWithWindows},
    {CMD_ADD_CLAUDE, 1, CommandKind::AddClaude},
    {CMD_ADD_CODEX, 1, CommandKind::AddCodex},
    {CMD_THEME_BASE, 4, CommandKind::PanelTheme},
    {CMD_TRAY_METRIC_BASE, 3, CommandKind::TrayMetric},
    {CMD_TRAY_HOVER, 1, CommandKind::TrayHover},
    {CMD_CORNER_HOVER, 1, CommandKind::CornerHover},
    {CMD_HOT_CORNER_BASE, 4, CommandKind::HotCorner},
    {CMD_LAYOUT_BASE, 3, CommandKind::PanelLayout},
    {CMD_RELOGIN_BASE, ACCOUNT_BLOCK, CommandKind::Relogin},
    {CMD_REMOVE_BASE, ACCOUNT_BLOCK, CommandKind::Remove},
    {CMD_TRAY_ACCOUNT_BASE, ACCOUNT_BLOCK, CommandKind::TrayAccount},
    {CMD_NOTIFICATIONS, 1, CommandKind::Notifications},
    {CMD_SHOW_PACE, 1, CommandKind::ShowPace},
    {CMD_SHOW_REMAINING, 1, CommandKind::ShowRemaining},
};

// Off silences both notices; on brings both back, near-limit at its usual share.
void toggle_notifications(state::AppState& state) {
    if (notifications_on(state)) {
        state.notify_near_limit = 0;
        state.notify_reset = false;
    } else {
        state.notify_near_limit = settings::DEFAULT_NOTIFY_NEAR_LIMIT;
        state.notify_reset = true;
    }
}

CommandEffects saved() {
    CommandEffects effects;
    effects.save = true;
    return effects;
}

}  // namespace

bool notifications_on(const state::AppState& state) noexcept {
    return state.notify_near_limit != 0 || state.notify_reset;
}

std::optional<Command> decode_command(std::uint32_t id) noexcept {
    for (const Block& block : BLOCKS) {
        if (const auto offset = offset_in(id, block.base, block.count)) {
            return Command{block.kind, *offset};
        }
    }
    return std::nullopt;
}

std::uint32_t command_id(const Command& command) noexcept {
    for (const Block& block : BLOCKS) {
        if (block.kind == command.kind) {
            return command.index < block.count ? block.base + command.index : 0;
        }
    }
    return 0;
}

CommandEffects apply_command(state::AppState* state, const Command& command) {
    CommandEffects effects;
    switch (command.kind) {
        case CommandKind::Exit:
            effects.quit = true;
            return effects;
        case CommandKind::StartWithWindows:
            effects.toggle_autostart = true;
            return effects;
        case CommandKind::AddClaude:
        case CommandKind::AddCodex:
            // The add thread copes without a state; it only needs the provider.
            effects.account_task =
                AccountTask{AccountOperation::Add,
                            command.kind == CommandKind::AddCodex ? accounts::Provider::Codex
                                                                  : accounts::Provider::Claude,
                            std::nullopt};
            return effects;
        default:
            break;
    }
    // A hand-built command outside its block would make an enum value no setting has.
    if (state == nullptr || command_id(command) == 0) {
        return effects;
    }
    switch (command.kind) {
        case CommandKind::PanelTheme:
            state->panel_theme = static_cast<settings::PanelTheme>(command.index);
            effects = saved();
            effects.reposition_if_visible = true;
            effects.render = true;
            effects.sync_tray = true;
            break;
        case CommandKind::TrayMetric:
            state->tray_metric = static_cast<settings::TrayMetric>(command.index);
            effects = saved();
            effects.sync_tray = true;
            break;
        case CommandKind::TrayHover:
            state->panel_on_tray_hover = !state->panel_on_tray_hover;
            effects = saved();
            break;
        case CommandKind::CornerHover:
            state->panel_on_corner_hover = !state->panel_on_corner_hover;
            effects = saved();
            break;
        case CommandKind::HotCorner:
            state->hot_corner = static_cast<settings::TrayCorner>(command.index);
            effects = saved();
            break;
        case CommandKind::PanelLayout:
            state->panel_layout = static_cast<settings::PanelLayout>(command.index);
            effects = saved();
            effects.reposition_if_visible = true;
            effects.render = true;
            break;
        case CommandKind::Relogin:
        case CommandKind::Remove:
        case CommandKind::TrayAccount: {
            const accounts::Account* account = named_account(*state, command);
            if (account == nullptr) {
                effects.account_gone = true;
                break;
            }
            if (command.kind == CommandKind::TrayAccount) {
                const auto row = static_cast<std::size_t>(account - state->accounts.data());
                state->tray_accounts = toggled_tray_accounts(state->accounts, state->tray_accounts, row);
                effects = saved();
                effects.sync_tray = true;
                break;
            }
            effects.account_task = AccountTask{
                command.kind == CommandKind::Relogin ? AccountOperation::Relogin : AccountOperation::Remove,
                account->provider, *account};
            break;
        }
        case CommandKind::Notifications:
            toggle_notifications(*state);
            effects = saved();
            break;
        case CommandKind::ShowPace:
        case CommandKind::ShowRemaining: {
            bool& shown = command.kind == CommandKind::ShowPace ? state->show_pace : state->show_remaining;
            shown = !shown;
            effects = saved();
            effects.reposition_if_visible = true;  // the value column changes width
            effects.render = true;
            effects.sync_tray = true;
            break;
        }
        default:
            break;
    }
    return effects;
}

CommandEffects apply_command_id(state::AppState* state, std::uint32_t id,
                                std::optional<std::string> account_id) {
    auto command = decode_command(id);
    if (!command) {
        return {};
    }
    command->account_id = std::move(account_id);
    return apply_command(state, *command);
}

}  // namespace menu
