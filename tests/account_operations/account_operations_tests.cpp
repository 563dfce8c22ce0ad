#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "accounts/account_operations.hpp"
#include "fake_tool_support.hpp"
#include "fake_tools.hpp"
#include "folder_link.hpp"
#include "log_capture.hpp"
#include "platform/environment.hpp"
#include "settings/settings_load.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace {

using accounts::Account;
using accounts::Provider;
using test_support::TempFolder;
using test_support::write_text;

[[maybe_unused]] std::string utf8(const std::filesystem::path& path) {
    return text::path_to_utf8(path).value_or("");
}

class AccountOperations : public ::testing::Test {
  protected:
    void SetUp() override {
        slot_.install(state::AppState{});
        context_.slot = &slot_;
        context_.settings_path = root_ / "Quotavane/settings.json";
        context_.tools = test_tools::fake_tool_session();
        context_.poll = [this] { ++polls_; };
        platform::set_env("CLAUDECODE", std::string("1"));
    }
    void TearDown() override { platform::set_env("CLAUDECODE", std::nullopt); }

    std::filesystem::path accounts_folder() const { return root_ / "Quotavane/accounts"; }

    std::vector<Account> accounts() { return slot_.lock()->accounts; }
    std::optional<std::vector<std::string>> tray() { return slot_.lock()->tray_accounts; }
    settings::SettingsFile saved() { return settings::load_settings(context_.settings_path); }

    TempFolder root_{"Zo\xC3\xAB \xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6\xE3\x83\xBC"};
    state::StateSlot slot_;
    accounts::OperationContext context_;
    std::atomic<int> polls_{0};
};

TEST_F(AccountOperations, AddSignsInANewDirectoryAndSavesTheEntry) {
    ASSERT_EQ(accounts::add_account(Provider::Claude, context_), "claude-1");
    ASSERT_EQ(accounts().size(), 1u);
    const Account account = accounts()[0];
    EXPECT_EQ(account.dir, accounts_folder() / "claude-1");
    EXPECT_EQ(account.email, "user@example.com");
    EXPECT_EQ(account.order, 0u);
    EXPECT_TRUE(std::filesystem::exists(account.dir / ".credentials.json"));
    EXPECT_EQ(saved().accounts, accounts());
    EXPECT_EQ(polls_, 1);
    EXPECT_FALSE(tray()) << "an absent tray selection stays absent";

    ASSERT_EQ(accounts::add_account(Provider::Codex, context_), "codex-1");
    EXPECT_EQ(accounts()[1].order, 1u);
    EXPECT_EQ(accounts()[1].email, "user@example.com");
}

TEST_F(AccountOperations, AFailedAddLeavesNothingBehind) {
    TempFolder tools;
    context_.tools = test_tools::fake_tool_session(
        test_tools::write_printing_tool(tools.path(), "claude-refusing", R"({"loggedIn": false})"));
    EXPECT_FALSE(accounts::add_account(Provider::Claude, context_));
    EXPECT_TRUE(accounts().empty());
    EXPECT_FALSE(std::filesystem::exists(accounts_folder() / "claude-1"));
    EXPECT_FALSE(std::filesystem::exists(context_.settings_path)) << "nothing is saved";
    EXPECT_EQ(polls_, 0);
    // The id is free again.
    context_.tools = test_tools::fake_tool_session();
    EXPECT_EQ(accounts::add_account(Provider::Claude, context_), "claude-1");
}

TEST_F(AccountOperations, TwoAddsAtOnceGetDistinctIdsAndDirectories) {
    std::optional<std::string> first;
    std::optional<std::string> second;
    std::thread a([&] { first = accounts::add_account(Provider::Codex, context_); });
    std::thread b([&] { second = accounts::add_account(Provider::Codex, context_); });
    a.join();
    b.join();
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    const auto list = accounts();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_NE(list[0].dir, list[1].dir);
    EXPECT_EQ(saved().accounts.size(), 2u);
}

TEST_F(AccountOperations, TheTraySelectionFollowsAddsAndRemoves) {
    slot_.lock()->tray_accounts = std::vector<std::string>{"codex-1"};
    slot_.lock()->accounts.push_back(
        {"codex-1", Provider::Codex, accounts_folder() / "codex-1", std::nullopt, 0});
    ASSERT_EQ(accounts::add_account(Provider::Claude, context_), "claude-1");
    EXPECT_EQ(tray(), (std::vector<std::string>{"codex-1", "claude-1"}));
    accounts::remove_account("codex-1", Provider::Codex, accounts_folder() / "codex-1", context_);
    EXPECT_EQ(tray(), (std::vector<std::string>{"claude-1"}));
    EXPECT_EQ(saved().tray_accounts, tray());
}

TEST_F(AccountOperations, ARemovedIdIsReusedAtTheEndOfTheList) {
    ASSERT_EQ(accounts::add_account(Provider::Claude, context_), "claude-1");
    ASSERT_EQ(accounts::add_account(Provider::Claude, context_), "claude-2");
    const auto dir = accounts()[0].dir;
    accounts::remove_account("claude-1", Provider::Claude, dir, context_);
    EXPECT_FALSE(std::filesystem::exists(dir));
    ASSERT_EQ(accounts::add_account(Provider::Claude, context_), "claude-1");
    const auto list = accounts();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].id, "claude-2");
    EXPECT_EQ(list[1].id, "claude-1");
    EXPECT_EQ(list[1].order, 1u);
    EXPECT_EQ(polls_, 4);
}

TEST_F(AccountOperations, RemoveSignsOutAndDeletesOnlyOurOwnFolder) {
    TempFolder elsewhere;
    const auto log = elsewhere / "calls.jsonl";  // outside the folder that goes away
    platform::set_env("GAUGELET_FAKE_TOOL_LOG", text::path_to_utf8(log));
    ASSERT_EQ(accounts::add_account(Provider::Claude, context_), "claude-1");
    const auto dir = accounts()[0].dir;
    accounts::remove_account("claude-1", Provider::Claude, dir, context_);
    platform::set_env("GAUGELET_FAKE_TOOL_LOG", std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(dir));
    const auto calls = fake_tool::read_invocations(log);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().args, (std::vector<std::string>{"auth", "logout"}));
    EXPECT_EQ(calls.back().env.at("CLAUDECODE"), "1") << "logout keeps the caller's variables";
}

TEST_F(AccountOperations, RemoveLeavesAFolderOutsideTheAccountsFolderAsItIsSignedIn) {
    TempFolder elsewhere;
    const auto own = elsewhere / "my-claude";
    std::filesystem::create_directories(own);
    write_text(own / ".credentials.json", R"({"claudeAiOauth": {"accessToken": "t"}})");
    write_text(own / "notes.txt", "mine");
    slot_.lock()->accounts.push_back({"claude-7", Provider::Claude, own, std::nullopt, 0});
    accounts::remove_account("claude-7", Provider::Claude, own, context_);
    EXPECT_TRUE(accounts().empty());
    EXPECT_TRUE(std::filesystem::exists(own / "notes.txt")) << "a folder the user chose is never deleted";
    EXPECT_TRUE(fake_tool::read_invocations(own / "fake-tool-log.jsonl").empty()) << "no logout there";
    EXPECT_TRUE(std::filesystem::exists(own / ".credentials.json")) << "the user's own tool stays signed in";
}

TEST_F(AccountOperations, OnlyFoldersInsideTheAccountsFolderCountAsOurs) {
    const auto settings = context_.settings_path;
    EXPECT_TRUE(accounts::inside_accounts_folder(settings, accounts_folder() / "claude-1"));
    EXPECT_TRUE(accounts::inside_accounts_folder(settings, accounts_folder() / "claude-1/../claude-2"));
    EXPECT_FALSE(accounts::inside_accounts_folder(settings, accounts_folder()));
    EXPECT_FALSE(accounts::inside_accounts_folder(settings, accounts_folder() / ".."));
    EXPECT_FALSE(accounts::inside_accounts_folder(settings, accounts_folder() / "../../Quotavane"));
    EXPECT_FALSE(accounts::inside_accounts_folder(settings, root_.path()));
}

TEST_F(AccountOperations, ReloginRefreshesTheAddressOrKeepsTheOldOne) {
    ASSERT_EQ(accounts::add_account(Provider::Codex, context_), "codex-1");
    const auto dir = accounts()[0].dir;
    slot_.lock()->accounts[0].email = "old@example.com";

    // Logged in, but no address can be read: the stored one stays.
    TempFolder tools;
    auto no_address = context_;
    no_address.tools = test_tools::fake_tool_session(
        std::nullopt,
        test_tools::write_printing_tool(tools.path(), "codex-status", "Logged in using ChatGPT"));
    std::filesystem::remove(dir / "auth.json");
    EXPECT_TRUE(accounts::relogin_account("codex-1", Provider::Codex, dir, no_address));
    EXPECT_EQ(accounts()[0].email, "old@example.com");

    write_text(dir / "fake-tool-scenario.json", R"({"email": "new@example.com"})");
    EXPECT_TRUE(accounts::relogin_account("codex-1", Provider::Codex, dir, context_));
    EXPECT_EQ(accounts()[0].email, "new@example.com");
    EXPECT_EQ(saved().accounts[0].email, "new@example.com");
}

TEST_F(AccountOperations, ReloginEdgeCases) {
    // The directory disappeared: the login creates it again.
    const auto gone = accounts_folder() / "claude-3";
    slot_.lock()->accounts.push_back({"claude-3", Provider::Claude, gone, std::nullopt, 0});
    EXPECT_TRUE(accounts::relogin_account("claude-3", Provider::Claude, gone, context_));
    EXPECT_TRUE(std::filesystem::exists(gone / ".credentials.json"));
    EXPECT_EQ(accounts()[0].email, "user@example.com");

    // The account is no longer listed with this folder: no tool runs, nothing changes.
    const int polls_before = polls_;
    const auto elsewhere = accounts_folder() / "claude-9";
    EXPECT_FALSE(accounts::relogin_account("claude-9", Provider::Claude, gone, context_));
    EXPECT_FALSE(accounts::relogin_account("claude-3", Provider::Claude, elsewhere, context_));
    EXPECT_FALSE(std::filesystem::exists(elsewhere)) << "no folder is made for it";
    EXPECT_EQ(accounts().size(), 1u);
    EXPECT_EQ(polls_, polls_before);

    // A failed re-login changes nothing and saves nothing.
    TempFolder tools;
    auto refusing = context_;
    refusing.tools = test_tools::fake_tool_session(
        test_tools::write_printing_tool(tools.path(), "claude-refusing", R"({"loggedIn": false})"));
    std::filesystem::remove(context_.settings_path);
    EXPECT_FALSE(accounts::relogin_account("claude-3", Provider::Claude, gone, refusing));
    EXPECT_FALSE(std::filesystem::exists(context_.settings_path));
    EXPECT_TRUE(std::filesystem::exists(gone)) << "the directory stays";
}

TEST_F(AccountOperations, AnAddPassesOverFoldersAlreadyOnDisk) {
    // As after a settings file that did not load: no accounts in memory, old folders on disk.
    const auto old = accounts_folder() / "claude-1";
    std::filesystem::create_directories(old);
    write_text(old / "transcript.jsonl", "mine");
    TempFolder tools;
    auto refusing = context_;
    refusing.tools = test_tools::fake_tool_session(
        test_tools::write_printing_tool(tools.path(), "claude-refusing", R"({"loggedIn": false})"));
    EXPECT_FALSE(accounts::add_account(Provider::Claude, refusing));
    EXPECT_TRUE(std::filesystem::exists(old / "transcript.jsonl"))
        << "a failed add deletes only its own folder";
    EXPECT_FALSE(std::filesystem::exists(accounts_folder() / "claude-2"));

    ASSERT_EQ(accounts::add_account(Provider::Claude, context_), "claude-2");
    EXPECT_FALSE(std::filesystem::exists(old / ".credentials.json"))
        << "the old folder was not signed in over";
}

TEST_F(AccountOperations, RemovalDeletesLinksNeverWhatTheyPointTo) {
    TempFolder outside;
    write_text(outside / "keep.txt", "not ours");
    const auto one = accounts_folder() / "claude-1";
    const auto two = accounts_folder() / "claude-2";
    std::filesystem::create_directories(one / "plugins/deep");
    write_text(one / "plugins/deep/file.txt", "ours");
    ASSERT_TRUE(test_links::make_folder_link(one / "link", outside.path()));
    ASSERT_TRUE(test_links::make_folder_link(one / "plugins/deep/link", outside.path()));
    ASSERT_TRUE(test_links::make_folder_link(two, outside.path()))
        << "an account folder that is itself a link";
    slot_.lock()->accounts = {{"claude-1", Provider::Claude, one, std::nullopt, 0},
                              {"claude-2", Provider::Claude, two, std::nullopt, 1}};

    const test_fakes::LogCapture log;
    accounts::remove_account("claude-1", Provider::Claude, one, context_);
    accounts::remove_account("claude-2", Provider::Claude, two, context_);
    EXPECT_TRUE(accounts().empty());
    EXPECT_TRUE(std::filesystem::exists(outside / "keep.txt"));
    EXPECT_FALSE(std::filesystem::exists(one / "plugins/deep/file.txt"));
#ifdef _WIN32
    // Wine 8 cannot delete a Unix link to a folder (RemoveDirectoryW answers "directory not
    // empty"): there the links stay, named in the log; on Windows a junction goes like a folder.
    for (const auto& line : log.lines()) {
        EXPECT_TRUE(line.ends_with("(os error 145)")) << line;
    }
#else
    EXPECT_TRUE(log.lines().empty());
    EXPECT_FALSE(std::filesystem::exists(one));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(two)));
#endif
}

TEST_F(AccountOperations, RemovalDeletesReadOnlyEntriesAndLogsWhatStays) {
    const auto dir = accounts_folder() / "claude-1";
    std::filesystem::create_directories(dir / "plugins/pack");
    write_text(dir / "plugins/pack/pack-1.pack", "git");
    write_text(dir / "transcript.jsonl", "chat");
    using std::filesystem::perms;
    std::filesystem::permissions(dir / "plugins/pack/pack-1.pack", perms::owner_read | perms::group_read);
    std::filesystem::permissions(dir / "plugins/pack", perms::owner_read | perms::owner_exec);
    slot_.lock()->accounts = {{"claude-1", Provider::Claude, dir, std::nullopt, 0}};
#ifdef _WIN32
    // A file another program holds open without sharing deletion cannot go.
    write_text(dir / "held.txt", "busy");
    std::ofstream held(dir / "held.txt", std::ios::app);
#endif
    const test_fakes::LogCapture log;
    accounts::remove_account("claude-1", Provider::Claude, dir, context_);
    EXPECT_TRUE(accounts().empty()) << "the account leaves the list all the same";
    EXPECT_FALSE(std::filesystem::exists(dir / "plugins"));
    EXPECT_FALSE(std::filesystem::exists(dir / "transcript.jsonl"));
#ifdef _WIN32
    ASSERT_TRUE(std::filesystem::exists(dir / "held.txt"));
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("remove account: unable to delete " +
                                     utf8((dir / "held.txt").make_preferred()) + ": "))
        << lines[0];
#else
    EXPECT_FALSE(std::filesystem::exists(dir));
    EXPECT_TRUE(log.lines().empty());
#endif
}

TEST_F(AccountOperations, AStaleRemoveTouchesNothing) {
    ASSERT_EQ(accounts::add_account(Provider::Claude, context_), "claude-1");
    const auto dir = accounts()[0].dir;
    const int polls_before = polls_;
    // Started for a claude-1 in another folder, or for an id no longer listed.
    accounts::remove_account("claude-1", Provider::Claude, accounts_folder() / "old-claude-1", context_);
    accounts::remove_account("claude-2", Provider::Claude, dir, context_);
    EXPECT_EQ(accounts().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(dir / ".credentials.json"));
    EXPECT_EQ(fake_tool::read_invocations(dir / "fake-tool-log.jsonl").back().args,
              (std::vector<std::string>{"auth", "status"}))
        << "no logout ran";
    EXPECT_EQ(polls_, polls_before);
}

TEST_F(AccountOperations, WithoutStateAddStillSavesNothingButPolls) {
    state::StateSlot empty;
    auto c = context_;
    c.slot = &empty;
    EXPECT_TRUE(accounts::add_account(Provider::Claude, c));
    EXPECT_EQ(polls_, 1);
    EXPECT_FALSE(empty.lock());
}

}  // namespace
