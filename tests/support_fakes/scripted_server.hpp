#pragma once
// A stand-in for the providers' servers: each route answers from a script of replies, in order,
// and records what it was sent. Natively it speaks HTTPS with a test CA made at run time; the
// Windows build (no OpenSSL there) speaks plain HTTP.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "http_test_server.hpp"
#include "poller/endpoints.hpp"

namespace test_fakes {

class ScriptedServer {
  public:
    ScriptedServer();
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    // The route's answers, one per request; once they are used up it answers 404 with no headers.
    // Call before start().
    void script(std::string method, std::string path, std::vector<test_http::Reply> replies);
    // A route answered by the test's own handler (it runs on a server thread).
    void route(std::string method, std::string path, test_http::Handler handler);
    void start();

    // Both provider hosts pointed at this server, trusting its CA, with one-second deadlines.
    [[nodiscard]] poller::Endpoints endpoints() const;
    [[nodiscard]] std::vector<test_http::SeenRequest> requests(std::string_view path) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Endpoints where nothing listens.
[[nodiscard]] poller::Endpoints unreachable_endpoints();

}  // namespace test_fakes
