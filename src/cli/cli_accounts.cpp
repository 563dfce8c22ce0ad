// gaugelet-cli's account commands: the list, and add, relogin and remove run in this terminal
// through the same operations the tray program's menu starts.
#include <fmt/format.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "accounts/account_json.hpp"
#include "accounts/account_operations.hpp"
#include "accounts/account_registry.hpp"
#include "cli/cli.hpp"
#include "cli/cli_common.hpp"
#include "cli/cli_render.hpp"
#include "diagnostics/log.hpp"
#include "platform/file_io.hpp"
#include "settings/settings_load.hpp"
#include "text/path_text.hpp"

namespace cli {
namespace {

std::string dir_text(const std::filesystem::path& dir) {
    return text::path_to_utf8(dir).value_or("?");
}

// Whether the file on disk now holds (or no longer holds) the entry: the operations save without
// saying whether the write worked, and a change that only lived in this process would be lost.
bool file_agrees(const std::filesystem::path& settings_path, const std::string& id,
                 const std::filesystem::path& dir, bool present) {
    const auto outcome = settings::read_settings_file(settings_path);
    if (outcome.status != settings::FileStatus::Loaded && outcome.status != settings::FileStatus::Missing) {
        return false;
    }
    const auto* account = accounts::find_account(outcome.settings.accounts, id);
    return present == (account != nullptr && account->dir == dir);
}

accounts::OperationContext context_for(state::StateSlot& slot, const Session& session) {
    accounts::OperationContext context;
    context.slot = &slot;
    context.settings_path = session.settings_path;
    context.poll = [&slot, &session] { (void)poll_and_cache(slot, session); };
    return context;
}

std::optional<accounts::Account> account_in(state::StateSlot& slot, const std::string& id) {
    const auto guard = slot.lock();
    const auto* account = accounts::find_account(guard->accounts, id);
    return account ? std::optional<accounts::Account>(*account) : std::nullopt;
}

// Why `dir` cannot be adopted, if it cannot.
std::optional<std::string> adoption_refused(const std::filesystem::path& dir, const Session& session,
                                            const std::vector<accounts::Account>& list) {
    if (accounts::inside_accounts_folder(session.settings_path, dir)) {
        // Folders in there are the program's own and a removal deletes them.
        return fmt::format(
            "--dir {} lies inside the program's own accounts folder; add without --dir makes one there",
            dir_text(dir));
    }
    for (const auto& account : list) {
        std::error_code ec;
        if (account.dir == dir || std::filesystem::equivalent(account.dir, dir, ec)) {
            return fmt::format("--dir {} is already watched as {}", dir_text(dir), account.id);
        }
    }
    return std::nullopt;
}

int run_add(const Arguments& arguments, const Session& session, state::StateSlot& slot, std::ostream& out,
            std::ostream& err) {
    const auto context = context_for(slot, session);
    std::optional<std::string> id;
    std::filesystem::path dir;
    if (arguments.dir) {
        std::error_code ec;
        dir = std::filesystem::absolute(*arguments.dir, ec).lexically_normal();
        if (ec) {
            err << fmt::format("gaugelet-cli: --dir {} is not a usable path\n", dir_text(*arguments.dir));
            return EXIT_USAGE;
        }
        if (const auto refused = adoption_refused(dir, session, slot.lock()->accounts)) {
            err << "gaugelet-cli: " << *refused << "\n";
            return EXIT_USAGE;
        }
        id = accounts::adopt_account(arguments.provider, dir, context);
    } else {
        id = accounts::add_account(arguments.provider, context);
    }
    if (!id) {
        err << "gaugelet-cli: the sign-in failed, was cancelled or timed out; nothing was saved\n";
        return EXIT_SIGN_IN_FAILED;
    }
    const auto account = account_in(slot, *id);
    if (!account || !file_agrees(session.settings_path, *id, account->dir, true)) {
        err << fmt::format("gaugelet-cli: could not save {}\n", display(session.settings_path));
        return EXIT_SIGN_IN_FAILED;
    }
    out << account_lines({*account});
    return EXIT_OK;
}

int run_relogin(const accounts::Account& account, const Session& session, state::StateSlot& slot,
                std::ostream& out, std::ostream& err) {
    if (!accounts::relogin_account(account.id, account.provider, account.dir, context_for(slot, session))) {
        err << fmt::format("gaugelet-cli: the sign-in failed, was cancelled or timed out; {} is unchanged\n",
                           account.id);
        return EXIT_SIGN_IN_FAILED;
    }
    const auto updated = account_in(slot, account.id).value_or(account);
    if (!file_agrees(session.settings_path, account.id, account.dir, true)) {
        err << fmt::format("gaugelet-cli: could not save {}\n", display(session.settings_path));
        return EXIT_SIGN_IN_FAILED;
    }
    out << account_lines({updated});
    return EXIT_OK;
}

int run_remove(const accounts::Account& account, const Session& session, state::StateSlot& slot,
               std::ostream& out, std::ostream& err) {
    const bool ours = accounts::inside_accounts_folder(session.settings_path, account.dir);
    const auto context = context_for(slot, session);
    if (ours) {
        accounts::remove_account(account.id, account.provider, account.dir, context);
    } else {
        // A folder the user had before (adopted, or named by hand) stays signed in: the user's own
        // tool may still use it.
        (void)accounts::forget_account(account.id, account.dir, context);
    }
    if (!file_agrees(session.settings_path, account.id, account.dir, false)) {
        err << fmt::format("gaugelet-cli: could not save {}\n", display(session.settings_path));
        return EXIT_SIGN_IN_FAILED;
    }
    out << account_lines({account});
    if (platform::path_exists(account.dir)) {
        out << (ours ? fmt::format("could not delete all of {}\n", dir_text(account.dir))
                     : fmt::format("left {} on disk: it is not in the program's accounts folder\n",
                                   dir_text(account.dir)));
    }
    return EXIT_OK;
}

}  // namespace

int run_accounts(bool json, const Session& session, std::ostream& out, std::ostream& err) {
    const auto file = load_or_explain(session.settings_path, err);
    if (!file) {
        return EXIT_SETTINGS_INVALID;
    }
    if (json) {
        nlohmann::ordered_json records = nlohmann::ordered_json::array();
        for (const auto& account : file->accounts) {
            auto encoded = accounts::encode_account(account);
            if (const auto* failure = std::get_if<std::string>(&encoded)) {
                err << fmt::format("{}: {}\n", display(session.settings_path), *failure);
                return EXIT_SETTINGS_INVALID;
            }
            records.push_back(std::move(std::get<nlohmann::ordered_json>(encoded)));
        }
        out << records.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
    } else {
        out << account_lines(file->accounts);
        if (file->accounts.empty()) {
            err << fmt::format("no accounts in {}\n", display(session.settings_path));
        }
    }
    out.flush();
    return EXIT_OK;
}

int run_account_operation(const Arguments& arguments, const Session& session, std::ostream& out,
                          std::ostream& err) {
    const auto file = load_or_explain(session.settings_path, err);
    if (!file) {
        return EXIT_SETTINGS_INVALID;
    }
    state::StateSlot slot;
    slot.install(state_for(*file));
    int code = EXIT_OK;
    if (arguments.command == Command::Add) {
        code = run_add(arguments, session, slot, out, err);
    } else if (const auto account = account_in(slot, arguments.id); !account) {
        err << fmt::format("gaugelet-cli: no account \"{}\" in {}\n", arguments.id,
                           display(session.settings_path));
        code = EXIT_USAGE;
    } else if (arguments.command == Command::Relogin) {
        code = run_relogin(*account, session, slot, out, err);
    } else {
        code = run_remove(*account, session, slot, out, err);
    }
    out.flush();
    return code;
}

}  // namespace cli
