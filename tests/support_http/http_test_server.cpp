// The test server on cpp-httplib: one catch-all route per method dispatching to the handlers.
#include "http_test_server.hpp"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace test_http {

namespace {

bool same_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::optional<std::string> SeenRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (same_name(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

struct TestServer::Impl {
    std::unique_ptr<httplib::Server> server;
    bool tls = false;
    int port = 0;
    std::thread thread;
    std::map<std::pair<std::string, std::string>, Handler> handlers;

    mutable std::mutex mutex;
    std::condition_variable released;
    bool stopping = false;
    std::vector<SeenRequest> seen;

    void serve(const httplib::Request& request, httplib::Response& response);
};

void TestServer::Impl::serve(const httplib::Request& request, httplib::Response& response) {
    SeenRequest seen_request{request.method, request.path, request.version, {}, request.body};
    for (const auto& [name, value] : request.headers) {
        // httplib adds these for its own bookkeeping; they were not sent.
        if (name != "REMOTE_ADDR" && name != "REMOTE_PORT" && name != "LOCAL_ADDR" && name != "LOCAL_PORT") {
            seen_request.headers.emplace_back(name, value);
        }
    }
    {
        std::lock_guard lock(mutex);
        seen.push_back(seen_request);
    }
    const auto found = handlers.find({request.method, request.path});
    if (found == handlers.end()) {
        response.status = 404;
        return;
    }
    Reply reply = found->second(seen_request);
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers) {
        response.set_header(name, value);
    }
    if (!reply.stall_after && !reply.cut_after) {
        response.set_content(reply.body, reply.content_type);
        return;
    }
    const bool stall = reply.stall_after.has_value();
    const std::size_t sent = std::min(stall ? *reply.stall_after : *reply.cut_after, reply.body.size());
    auto body = std::make_shared<std::string>(std::move(reply.body));
    response.set_content_provider(
        body->size(), reply.content_type,
        [this, body, sent, stall](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            if (offset < sent) {
                return sink.write(body->data() + offset, sent - offset);
            }
            if (!stall) {
                return false;  // the server closes the connection
            }
            std::unique_lock lock(mutex);
            released.wait(lock, [this] { return stopping; });
            return false;
        });
}

TestServer::TestServer(std::optional<TlsFiles> tls) : impl_(std::make_unique<Impl>()) {
    if (tls) {
#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
        const std::string certificate = tls->certificate.string();
        const std::string key = tls->private_key.string();
        impl_->server = std::make_unique<httplib::SSLServer>(certificate.c_str(), key.c_str());
        impl_->tls = true;
#else
        throw std::runtime_error("this test server is built without TLS");
#endif
    } else {
        impl_->server = std::make_unique<httplib::Server>();
    }
    if (!impl_->server->is_valid()) {
        throw std::runtime_error("test server could not be set up");
    }
}

TestServer::~TestServer() {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopping = true;
    }
    impl_->released.notify_all();
    if (impl_->thread.joinable()) {
        // stop() has no effect until the accept loop runs.
        while (!impl_->server->is_running()) {
            std::this_thread::yield();
        }
        impl_->server->stop();
        impl_->thread.join();
    }
}

void TestServer::route(std::string method, std::string path, Handler handler) {
    impl_->handlers[{std::move(method), std::move(path)}] = std::move(handler);
}

void TestServer::start() {
    auto serve = [impl = impl_.get()](const httplib::Request& request, httplib::Response& response) {
        impl->serve(request, response);
    };
    impl_->server->Get(".*", serve);
    impl_->server->Post(".*", serve);
    impl_->server->Put(".*", serve);
    impl_->server->Delete(".*", serve);
    impl_->port = impl_->server->bind_to_any_port("127.0.0.1");
    if (impl_->port <= 0) {
        throw std::runtime_error("test server could not bind a port");
    }
    // The socket listens already; the accept loop may start a moment later.
    impl_->thread = std::thread([impl = impl_.get()] { impl->server->listen_after_bind(); });
}

std::uint16_t TestServer::port() const {
    return static_cast<std::uint16_t>(impl_->port);
}

std::string TestServer::url(std::string_view path) const {
    return (impl_->tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(impl_->port) +
           std::string(path);
}

std::vector<SeenRequest> TestServer::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->seen;
}

}  // namespace test_http
