#pragma once
// What a context-menu command does: the identifier decoded, the change applied to the state, and
// the follow-ups the main window performs once the state lock is released.

#include <cstdint>
#include <optional>
#include <string>

#include "accounts/account.hpp"
#include "state/app_state.hpp"

namespace menu {

enum class CommandKind {
    Exit,
    StartWithWindows,
    AddClaude,
    AddCodex,
    PanelTheme,  // index: PanelTheme order
    TrayMetric,  // index: TrayMetric order
    TrayHover,
    CornerHover,
    HotCorner,    // index: TrayCorner order
    PanelLayout,  // index: PanelLayout order
    Relogin,      // index: account number
    Remove,       // index: account number
    TrayAccount,  // index: account number
    Notifications,
    ShowPace,
    ShowRemaining,
};

struct Command {
    CommandKind kind = CommandKind::Exit;
    std::uint32_t index = 0;
    // An account's command: the id of the account its entry was built for. Without one (the
    // command did not come from a menu this program showed) the row `index` of the list now.
    std::optional<std::string> account_id{};

    friend bool operator==(const Command&, const Command&) = default;
};

// The command of a WM_COMMAND identifier (its low word); nothing for identifiers the menu never
// uses.
[[nodiscard]] std::optional<Command> decode_command(std::uint32_t id) noexcept;

// The identifier of a command; 0 (no command) when its index lies outside its block.
[[nodiscard]] std::uint32_t command_id(const Command& command) noexcept;

enum class AccountOperation { Add, Relogin, Remove };

// An account thread to start. Add needs only the provider; re-login and remove carry a copy of
// the account as it was when the command was applied.
struct AccountTask {
    AccountOperation operation = AccountOperation::Add;
    accounts::Provider provider = accounts::Provider::Claude;
    std::optional<accounts::Account> account;

    friend bool operator==(const AccountTask&, const AccountTask&) = default;
};

// What the window does after the command changed the state, in this order: save the settings,
// place the panel again when it is visible, render, synchronise the tray icons, toggle the
// autostart entry, start the account thread, end the message loop.
struct CommandEffects {
    bool save = false;
    bool reposition_if_visible = false;
    bool render = false;
    bool sync_tray = false;
    bool toggle_autostart = false;
    std::optional<AccountTask> account_task;
    bool quit = false;
    bool account_gone = false;  // an account's command whose account is no longer listed: nothing done

    friend bool operator==(const CommandEffects&, const CommandEffects&) = default;
};

// The "Notifications" entry is checked while either notice is on.
[[nodiscard]] bool notifications_on(const state::AppState& state) noexcept;

// Applies a command to the state (null when start-up has not filled the slot yet: settings and
// account commands then do nothing). The caller holds the state lock while this runs and
// performs the effects after releasing it.
[[nodiscard]] CommandEffects apply_command(state::AppState* state, const Command& command);

// decode_command then apply_command; an unknown identifier has no effects. `account_id` is the
// account the command's menu entry was built for (see Command).
[[nodiscard]] CommandEffects apply_command_id(state::AppState* state, std::uint32_t id,
                                              std::optional<std::string> account_id = std::nullopt);

}  // namespace menu
