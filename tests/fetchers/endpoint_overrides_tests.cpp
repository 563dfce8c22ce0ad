// The developer overrides: only hosts on this machine may stand in for the providers, and other
// trusted roots only come with such a host.
#include <gtest/gtest.h>

#include "log_capture.hpp"
#include "platform/environment.hpp"
#include "poller/endpoint_overrides.hpp"

namespace {

TEST(EndpointOverrides, OnlyThisMachineCountsAsLoopback) {
    const struct {
        const char* url;
        bool loopback;
    } cases[] = {
        {"http://127.0.0.1:8080", true},
        {"https://127.255.3.4/base/", true},
        {"http://localhost", true},
        {"https://LocalHost:443/x?y#z", true},
        {"http://[::1]:9/", true},
        {"http://[::1]", true},
        {"https://api.anthropic.com", false},
        {"http://10.0.0.5:8080", false},
        {"http://128.0.0.1", false},
        {"http://127.0.0.1.example.org", false},
        {"http://localhost.example.org", false},
        {"http://127.0.0.1@evil.example", false},  // user information before the real host
        {"http://evil.example@127.0.0.1", false},
        {"http://127.0.0.1\\@evil.example", false},
        {"http://0127.0.0.1", false},  // octal to some parsers
        {"http://127.1", false},
        {"http://2130706433", false},
        {"http://127.0.0.256", false},
        {"http://[::2]", false},
        {"http://[0:0:0:0:0:0:0:1]", false},
        {"http://[::1", false},
        {"http://127.0.0.1:", false},
        {"http://127.0.0.1:0", false},
        {"http://127.0.0.1:65536", false},
        {"http://127.0.0.1:80x", false},
        {"ftp://127.0.0.1", false},
        {"HTTP://127.0.0.1", false},
        {"http://", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(poller::is_loopback_url(c.url), c.loopback) << c.url;
    }
}

// Sets the three variables for one test and clears them after.
class Overrides : public ::testing::Test {
  protected:
    void TearDown() override {
        for (auto variable :
             {poller::ANTHROPIC_BASE_VARIABLE, poller::CHATGPT_BASE_VARIABLE, poller::CA_FILE_VARIABLE}) {
            platform::set_env(variable, std::nullopt);
        }
    }
    static void set(std::string_view variable, const char* value) {
        platform::set_env(variable, value == nullptr ? std::nullopt : std::optional<std::string>(value));
    }
};

TEST_F(Overrides, ARemoteHostIsRefusedAndTheRealHostKept) {
    const struct {
        const char* anthropic;
        const char* chatgpt;
        const char* ca_file;
        poller::OverrideOptions options;
        std::string expect_anthropic;
        std::string expect_chatgpt;
        bool expect_ca;
        const char* refused;  // the start of the refusal line, if any
    } cases[] = {
        {"http://127.0.0.1:5/",
         "http://localhost:6",
         "ca.pem",
         {},
         "http://127.0.0.1:5",
         "http://localhost:6",
         true,
         nullptr},
        {"https://collector.example",
         nullptr,
         "ca.pem",
         {},
         "https://api.anthropic.com",
         "https://chatgpt.com",
         false,
         "GAUGELET_ANTHROPIC_BASE_URL \"https://collector.example\" is refused"},
        {"http://127.0.0.1:5",
         "http://10.1.2.3",
         nullptr,
         {},
         "http://127.0.0.1:5",
         "https://chatgpt.com",
         false,
         "GAUGELET_CHATGPT_BASE_URL \"http://10.1.2.3\" is refused"},
        {nullptr, nullptr, "ca.pem", {}, "https://api.anthropic.com", "https://chatgpt.com", false, nullptr},
        {"http://127.0.0.1:5",
         nullptr,
         nullptr,
         {std::nullopt, "https://chatgpt.example"},
         "http://127.0.0.1:5",
         "https://chatgpt.com",
         false,
         "--chatgpt-url \"https://chatgpt.example\" is refused"},
        {"https://collector.example",
         nullptr,
         "ca.pem",
         {"http://[::1]:7", std::nullopt},
         "http://[::1]:7",
         "https://chatgpt.com",
         true,
         nullptr},  // the option wins over the variable
    };
    for (const auto& c : cases) {
        set(poller::ANTHROPIC_BASE_VARIABLE, c.anthropic);
        set(poller::CHATGPT_BASE_VARIABLE, c.chatgpt);
        set(poller::CA_FILE_VARIABLE, c.ca_file);
        const test_fakes::LogCapture log;
        const auto choice = poller::choose_endpoints(c.options);
        const std::string name =
            std::string(c.anthropic ? c.anthropic : "-") + " " + (c.chatgpt ? c.chatgpt : "-");
        EXPECT_EQ(choice.endpoints.anthropic, c.expect_anthropic) << name;
        EXPECT_EQ(choice.endpoints.chatgpt, c.expect_chatgpt) << name;
        EXPECT_EQ(choice.endpoints.http.ca_file.has_value(), c.expect_ca) << name;
        if (c.refused == nullptr) {
            EXPECT_FALSE(choice.refused) << name;
            continue;
        }
        ASSERT_TRUE(choice.refused) << name;
        EXPECT_EQ(choice.refused->rfind(c.refused, 0), 0u) << *choice.refused;
        EXPECT_EQ(choice.refused->find('\n'), std::string::npos);
        bool logged = false;
        for (const auto& line : log.lines()) {
            logged = logged || line.find(*choice.refused) != std::string::npos;
        }
        EXPECT_TRUE(logged) << name;
    }
}

}  // namespace
