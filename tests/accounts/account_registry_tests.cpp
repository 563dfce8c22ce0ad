#include <gtest/gtest.h>

#include "accounts/account_json.hpp"
#include "accounts/account_registry.hpp"
#include "strict_json/strict_json.hpp"
#include "support/temp_folder.hpp"

namespace {

using accounts::Account;
using accounts::Provider;

std::vector<Account> with_ids(std::initializer_list<const char*> ids) {
    std::vector<Account> list;
    for (const char* id : ids) {
        list.push_back(
            Account{id, std::string_view(id).rfind("codex", 0) == 0 ? Provider::Codex : Provider::Claude,
                    "dir", std::nullopt, 0});
    }
    return list;
}

TEST(NextAccountId, FillsTheFirstGapOfItsOwnProvider) {
    struct Case {
        Provider provider;
        std::vector<Account> in_use;
        const char* expected;
    } cases[] = {
        {Provider::Claude, {}, "claude-1"},
        {Provider::Claude, with_ids({"claude-1", "claude-3"}), "claude-2"},
        {Provider::Claude, with_ids({"codex-1"}), "claude-1"},
        {Provider::Codex, with_ids({"claude-1", "claude-2", "codex-1"}), "codex-2"},
        {Provider::Claude, with_ids({"claude-2"}), "claude-1"},
        {Provider::Claude, with_ids({"Claude-1", "claude-01"}), "claude-1"},  // ids compare byte for byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(accounts::next_account_id(c.provider, c.in_use), c.expected);
    }
}

TEST(NextAccountId, ReusesARemovedIdWhileTheListKeepsItsOrder) {
    auto list = with_ids({"claude-1", "claude-2"});
    list.erase(list.begin());
    const std::string id = accounts::next_account_id(Provider::Claude, list);
    EXPECT_EQ(id, "claude-1");
    list.push_back(Account{id, Provider::Claude, "d", std::nullopt, static_cast<std::uint32_t>(list.size())});
    EXPECT_EQ(list.back().order, 1u);
    EXPECT_EQ(list.front().id, "claude-2");
}

TEST(NextAccountId, PassesOverIdsWhoseFolderIsOnDisk) {
    test_support::TempFolder root;
    const auto settings = root / "settings.json";
    std::filesystem::create_directories(accounts::account_dir(settings, "claude-1"));
    test_support::write_text(accounts::account_dir(settings, "claude-2"), "a file takes the name too");
#ifndef _WIN32
    std::filesystem::create_symlink(root / "gone", accounts::account_dir(settings, "claude-4"));  // broken
    const char* expected = "claude-5";
#else
    const char* expected = "claude-4";
#endif
    const auto on_disk = [&](const std::string& id) {
        return accounts::taken_on_disk(accounts::account_dir(settings, id));
    };
    EXPECT_EQ(accounts::next_account_id(Provider::Claude, with_ids({"claude-3"}), on_disk), expected);
    EXPECT_EQ(accounts::next_account_id(Provider::Codex, {}, on_disk), "codex-1");
}

TEST(AccountDir, LiesInTheAccountsFolderBesideTheSettingsFile) {
    const auto settings = test_support::utf8_path("/home/Zo\xC3\xAB/Quotavane/settings.json");
    EXPECT_EQ(accounts::account_dir(settings, "codex-2"),
              test_support::utf8_path("/home/Zo\xC3\xAB/Quotavane/accounts/codex-2"));
    EXPECT_EQ(accounts::account_dir("settings.json", "claude-1"),
              std::filesystem::path(".") / "accounts" / "claude-1");
}

TEST(FindAccount, TakesTheFirstOfDuplicates) {
    auto list = with_ids({"claude-1", "claude-1"});
    list[1].email = "second";
    ASSERT_NE(accounts::find_account(list, "claude-1"), nullptr);
    EXPECT_FALSE(accounts::find_account(list, "claude-1")->email);
    EXPECT_EQ(accounts::find_account(list, "CLAUDE-1"), nullptr);
}

std::variant<Account, std::string> decode(const char* json) {
    return accounts::decode_account(std::get<strict_json::Json>(strict_json::parse(json)));
}

TEST(AccountJson, DecodesOptionalMembersAndIgnoresUnknownKeys) {
    const auto minimal = decode(R"({"id": "claude-1", "provider": "claude", "dir": "C:\\a", "extra": [1]})");
    ASSERT_TRUE(std::holds_alternative<Account>(minimal));
    EXPECT_FALSE(std::get<Account>(minimal).email);
    EXPECT_EQ(std::get<Account>(minimal).order, 0u);

    const auto full =
        decode(R"({"id": "codex-1", "provider": {"codex": null}, "dir": "d", "email": "a@b", "order": 7})");
    ASSERT_TRUE(std::holds_alternative<Account>(full));
    EXPECT_EQ(std::get<Account>(full).provider, Provider::Codex);
    EXPECT_EQ(std::get<Account>(full).email, "a@b");
    EXPECT_EQ(std::get<Account>(full).order, 7u);

    const auto positional = decode(R"(["claude-2", "claude", "d", null, 3])");
    ASSERT_TRUE(std::holds_alternative<Account>(positional));
    EXPECT_EQ(std::get<Account>(positional).order, 3u);
}

TEST(AccountJson, RejectsRecordsThatBreakARule) {
    const char* broken[] = {
        R"({"id": "claude-1", "provider": "claude"})",              // no dir
        R"({"provider": "claude", "dir": "d"})",                    // no id
        R"({"id": "claude-1", "provider": "Claude", "dir": "d"})",  // capital letter
        R"({"id": "claude-1", "provider": "gemini", "dir": "d"})",
        R"({"id": 1, "provider": "claude", "dir": "d"})",
        R"({"id": "claude-1", "provider": "claude", "dir": "d", "order": -1})",
        R"({"id": "claude-1", "provider": "claude", "dir": "d", "order": 1.5})",
        R"({"id": "claude-1", "provider": "claude", "dir": "d", "order": 4294967296})",
        R"({"id": "claude-1", "provider": "claude", "dir": "d", "email": 5})",
        R"({"id": "claude-1", "provider": "claude", "dir": null})",
        R"(["claude-1", "claude", "d", null, 0, "extra"])",
        R"("claude-1")",
    };
    for (const char* json : broken) {
        EXPECT_TRUE(std::holds_alternative<std::string>(decode(json))) << json;
    }
}

TEST(AccountJson, WritesEveryMemberInOrderWithNullForNoEmail) {
    const Account account{"claude-1", Provider::Claude, test_support::utf8_path("C:/Zo\xC3\xAB"),
                          std::nullopt, 4};
    const auto encoded = accounts::encode_account(account);
    ASSERT_TRUE(std::holds_alternative<nlohmann::ordered_json>(encoded));
    EXPECT_EQ(
        std::get<nlohmann::ordered_json>(encoded).dump(),
        "{\"id\":\"claude-1\",\"provider\":\"claude\",\"dir\":\"C:/Zo\xC3\xAB\",\"email\":null,\"order\":4}");
}

TEST(AccountJson, ADirectoryThatIsNotTextCannotBeWritten) {
#ifdef _WIN32
    const std::filesystem::path dir(std::wstring{L'd', wchar_t(0xDC00)});
#else
    const std::filesystem::path dir(std::string("d\xFE"));
#endif
    const auto encoded =
        accounts::encode_account(Account{"claude-1", Provider::Claude, dir, std::nullopt, 0});
    ASSERT_TRUE(std::holds_alternative<std::string>(encoded));
    EXPECT_EQ(std::get<std::string>(encoded), "path contains invalid UTF-8 characters");
}

}  // namespace
