// HTTPS against a local server with certificates made for the test: only a chain to a trusted
// root for the right host name is accepted, and a rejection is a transport error.
#include <gtest/gtest.h>

#include "http_test_server.hpp"
#include "poller/http_client.hpp"
#include "support/temp_folder.hpp"
#include "test_certificates.hpp"

namespace poller {
namespace {

using test_http::Reply;
using test_http::SeenRequest;
using test_http::TestServer;

class HttpsTest : public testing::Test {
  protected:
    test_support::TempFolder folder_{"gaugelet-https"};
    test_http::TestCertificates certificates_ = test_http::make_test_certificates(folder_.path());

    HttpResult fetch(const test_http::TlsFiles& server_files, std::optional<std::filesystem::path> ca_file,
                     const std::string& host = "127.0.0.1") {
        TestServer server(server_files);
        server.route("GET", "/api/oauth/usage", [](const SeenRequest&) {
            return Reply{200, {}, R"({"ok":1})"};
        });
        server.start();
        HttpSettings settings;
        settings.ca_file = std::move(ca_file);
        settings.environment = [](std::string_view) { return std::optional<std::string>(); };
        auto client = make_http_client(settings);
        if (!client) {
            return TransportError{"no client"};
        }
        return client->send(
            {"GET", "https://" + host + ":" + std::to_string(server.port()) + "/api/oauth/usage", {}, {}});
    }
};

TEST_F(HttpsTest, AcceptsACertificateFromTheGivenCa) {
    for (const char* host : {"127.0.0.1", "localhost"}) {
        const HttpResult result = fetch(certificates_.server, certificates_.ca_file, host);
        ASSERT_TRUE(std::holds_alternative<HttpResponse>(result)) << host << ": " << error_text(result);
        EXPECT_EQ(std::get<HttpResponse>(result).body, R"({"ok":1})");
    }
}

TEST_F(HttpsTest, RejectsWhatDoesNotVerifyAsATransportError) {
    struct Case {
        const char* what;
        test_http::TlsFiles server;
        std::optional<std::filesystem::path> ca_file;
    };
    const Case cases[] = {
        {"certificate from another CA", certificates_.untrusted_server, certificates_.ca_file},
        {"certificate for another host", certificates_.wrong_host_server, certificates_.ca_file},
        {"test CA unknown to the system store", certificates_.server, std::nullopt},
    };
    for (const auto& c : cases) {
        const HttpResult result = fetch(c.server, c.ca_file);
        EXPECT_TRUE(std::holds_alternative<TransportError>(result)) << c.what << ": " << error_text(result);
        // Refused by the TLS layer, not for some other reason.
        EXPECT_NE(error_text(result).find("SSL"), std::string::npos) << c.what << ": " << error_text(result);
    }
}

}  // namespace
}  // namespace poller
