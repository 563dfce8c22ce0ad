// Schannel's certificate checks under Wine, against `openssl s_server` instances that the
// tls_fixture script starts for CTest. Wine's Schannel accepts any certificate unless it is
// given a CA file, so every case here names the test CA.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/environment.hpp"
#include "poller/http_client.hpp"
#include "text/path_text.hpp"

namespace poller {
namespace {

class SchannelTest : public testing::Test {
  protected:
    void SetUp() override {
        const auto dir = platform::get_env("GAUGELET_TLS_FIXTURE");
        if (!dir) {
            GTEST_SKIP() << "GAUGELET_TLS_FIXTURE not set: run through ctest";
        }
        // Under Wine the Unix file system is drive Z:.
        folder_ = dir->front() == '/' ? "Z:" + *dir : *dir;
    }

    std::string port(const char* name) const {
        std::ifstream in(*text::path_from_utf8(folder_ + "/" + name + ".port"));
        std::string value;
        in >> value;
        return value;
    }

    HttpResult fetch(const std::string& host, const char* server) const {
        HttpSettings settings;
        settings.ca_file = text::path_from_utf8(folder_ + "/trusted-ca.crt");
        settings.environment = [](std::string_view) { return std::optional<std::string>(); };
        auto client = make_http_client(settings);
        if (!client) {
            return TransportError{"no client"};
        }
        return client->send({"GET", "https://" + host + ":" + port(server) + "/usage.json", {}, {}});
    }

    std::string folder_;
};

TEST_F(SchannelTest, AcceptsTheTestCasServer) {
    const HttpResult result = fetch("127.0.0.1", "trusted");
    ASSERT_TRUE(std::holds_alternative<HttpResponse>(result)) << error_text(result);
    EXPECT_EQ(std::get<HttpResponse>(result).status, 200);
    EXPECT_EQ(std::get<HttpResponse>(result).body, R"({"tls":true})");
}

TEST_F(SchannelTest, RejectsAnotherCaOrAnotherHostAsATransportError) {
    struct Case {
        const char* what;
        const char* host;
        const char* server;
    };
    const Case cases[] = {
        {"certificate from another CA", "127.0.0.1", "untrusted"},
        {"certificate without the host name", "localhost", "trusted"},
    };
    for (const auto& c : cases) {
        const HttpResult result = fetch(c.host, c.server);
        EXPECT_TRUE(std::holds_alternative<TransportError>(result)) << c.what << ": " << error_text(result);
        // Refused by the TLS layer, not for some other reason.
        EXPECT_NE(error_text(result).find("SSL"), std::string::npos) << c.what << ": " << error_text(result);
    }
}

}  // namespace
}  // namespace poller
