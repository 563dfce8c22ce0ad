#include "scripted_server.hpp"

#include <deque>
#include <map>
#include <mutex>

#include "support/temp_folder.hpp"
#ifndef _WIN32
#include "test_certificates.hpp"
#endif

namespace test_fakes {
namespace {

#ifndef _WIN32
// One set of certificates per test program; making keys is the slow part.
const test_http::TestCertificates& certificates() {
    static test_support::TempFolder* folder = new test_support::TempFolder("gaugelet-certs");
    static const test_http::TestCertificates made = test_http::make_test_certificates(folder->path());
    return made;
}
#endif

}  // namespace

struct ScriptedServer::Impl {
#ifdef _WIN32
    Impl() : server(std::nullopt) {}
#else
    Impl() : server(certificates().server) {}
#endif
    test_http::TestServer server;
    std::mutex mutex;
    std::map<std::string, std::deque<test_http::Reply>> scripts;
};

ScriptedServer::ScriptedServer() : impl_(std::make_unique<Impl>()) {}
ScriptedServer::~ScriptedServer() = default;

void ScriptedServer::script(std::string method, std::string path, std::vector<test_http::Reply> replies) {
    const std::string key = method + " " + path;
    impl_->scripts[key] = std::deque<test_http::Reply>(replies.begin(), replies.end());
    Impl* impl = impl_.get();
    impl_->server.route(std::move(method), std::move(path), [impl, key](const test_http::SeenRequest&) {
        std::lock_guard<std::mutex> held(impl->mutex);
        auto& queue = impl->scripts[key];
        if (queue.empty()) {
            return test_http::Reply{404, {}, "{}"};
        }
        test_http::Reply reply = std::move(queue.front());
        queue.pop_front();
        return reply;
    });
}

void ScriptedServer::route(std::string method, std::string path, test_http::Handler handler) {
    impl_->server.route(std::move(method), std::move(path), std::move(handler));
}

void ScriptedServer::start() {
    impl_->server.start();
}

poller::Endpoints ScriptedServer::endpoints() const {
    poller::Endpoints endpoints;
    endpoints.anthropic = impl_->server.url("");
    endpoints.chatgpt = impl_->server.url("");
    endpoints.http.connect_timeout = std::chrono::milliseconds(1000);
    endpoints.http.deadline = std::chrono::milliseconds(1000);
#ifndef _WIN32
    endpoints.http.ca_file = certificates().ca_file;
#endif
    // Tests run without a proxy whatever the developer's environment holds.
    endpoints.http.environment = [](std::string_view) { return std::optional<std::string>(); };
    return endpoints;
}

std::vector<test_http::SeenRequest> ScriptedServer::requests(std::string_view path) const {
    std::vector<test_http::SeenRequest> matching;
    for (auto& request : impl_->server.requests()) {
        if (request.path == path) {
            matching.push_back(std::move(request));
        }
    }
    return matching;
}

poller::Endpoints unreachable_endpoints() {
    poller::Endpoints endpoints;
    // Port 9 (discard) on loopback: nothing of ours listens there; the connection is refused.
    endpoints.anthropic = "http://127.0.0.1:9";
    endpoints.chatgpt = "http://127.0.0.1:9";
    endpoints.http.connect_timeout = std::chrono::milliseconds(1000);
    endpoints.http.deadline = std::chrono::milliseconds(1000);
    endpoints.http.environment = [](std::string_view) { return std::optional<std::string>(); };
    return endpoints;
}

}  // namespace test_fakes
