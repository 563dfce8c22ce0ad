#pragma once
// A local HTTP(S) server for the client's tests: answers come from handlers the test registers,
// and every request it received can be read back. cpp-httplib stays inside the implementation.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace test_http {

using Headers = std::vector<std::pair<std::string, std::string>>;

struct SeenRequest {
    std::string method;
    std::string path;
    std::string version;  // "HTTP/1.1"
    Headers headers;
    std::string body;

    // First value, name compared case-insensitively.
    [[nodiscard]] std::optional<std::string> header(std::string_view name) const;
};

struct Reply {
    Reply() = default;
    Reply(int status_code, Headers reply_headers = {}, std::string reply_body = {},
          std::string type = "application/json")
        : status(status_code),
          headers(std::move(reply_headers)),
          body(std::move(reply_body)),
          content_type(std::move(type)) {}

    int status = 200;
    Headers headers;
    std::string body;
    std::string content_type = "application/json";
    // Announce the whole body but send only this many bytes, then hold the connection open
    // until the server is destroyed.
    std::optional<std::size_t> stall_after;
    // Announce the whole body but send only this many bytes, then close the connection.
    std::optional<std::size_t> cut_after;
};

using Handler = std::function<Reply(const SeenRequest&)>;

struct TlsFiles {
    std::filesystem::path certificate;  // PEM
    std::filesystem::path private_key;  // PEM
};

class TestServer {
  public:
    // Plain HTTP; with `tls`, HTTPS (only where the tests are built with OpenSSL).
    explicit TestServer(std::optional<TlsFiles> tls = std::nullopt);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // Register before start(). Unrouted requests get 404.
    void route(std::string method, std::string path, Handler handler);
    // Binds a free loopback port; connections are accepted from when this returns.
    void start();

    [[nodiscard]] std::uint16_t port() const;
    // "http://127.0.0.1:<port>" + path (https for a TLS server).
    [[nodiscard]] std::string url(std::string_view path) const;
    [[nodiscard]] std::vector<SeenRequest> requests() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace test_http
