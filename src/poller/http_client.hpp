#pragma once
// The program's HTTP client: libcurl underneath, our own rules on top. Proxy chosen by our rule,
// redirects followed here (at most 5, never carrying Authorization), one deadline for a whole
// request including its redirects and body, bodies capped at 1 MiB, TLS always verified.
// A client is built fresh for each fetch and used by the one thread that built it.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "poller/http_proxy.hpp"
#include "poller/http_response.hpp"

namespace poller {

inline constexpr std::string_view DEFAULT_USER_AGENT = "ureq/2.12.1";
inline constexpr std::string_view DEFAULT_ACCEPT = "*/*";
inline constexpr int MAX_REDIRECTS = 5;

struct HttpSettings {
    std::chrono::milliseconds connect_timeout{30'000};
    // From the start of a request; bounds connecting, sending, redirects and reading the body.
    std::chrono::milliseconds deadline{30'000};
    // Trust only this PEM bundle instead of the system's roots. For tests: Schannel under Wine
    // accepts unknown certificates unless it is given a CA file. The program never sets it.
    std::optional<std::filesystem::path> ca_file;
    // Where the proxy variables are read; the process environment unless a test injects one.
    EnvironmentLookup environment;
};

struct HttpRequest {
    std::string method = "GET";
    std::string url;
    HttpHeaders headers;
    // Sent as compact JSON with Content-Type "application/json" unless `headers` names one.
    std::optional<Json> json_body;
};

// No answer at all: connecting, TLS (including a certificate that does not verify), the proxy,
// the deadline, too many redirects, or a request we refuse to send.
struct TransportError {
    std::string message;
};

// An answer with status 400 or above; the whole answer stays readable.
struct HttpStatusError {
    HttpResponse response;
    std::string message;  // "<url>: status code <n>"
};

// Success is an answer below 400 after redirects.
using HttpResult = std::variant<HttpResponse, HttpStatusError, TransportError>;

// The answer of a success or of a status error; nothing for a transport error.
[[nodiscard]] const HttpResponse* answer_of(const HttpResult& result);
// The printable text of a failure; empty for a success.
[[nodiscard]] std::string error_text(const HttpResult& result);

class HttpClient;

// A client with the given settings, the proxy chosen from the environment now. Nothing when
// libcurl cannot be initialised; the caller's fetch then fails.
[[nodiscard]] std::optional<HttpClient> make_http_client(HttpSettings settings = {});

class HttpClient {
  public:
    ~HttpClient();
    HttpClient(HttpClient&&) noexcept;
    HttpClient& operator=(HttpClient&&) noexcept;
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Never throws, never retries.
    [[nodiscard]] HttpResult send(const HttpRequest& request);

    // The proxy chosen when the client was built; nothing for direct connections.
    [[nodiscard]] const std::optional<ProxyAddress>& proxy() const;

    struct State;  // the implementation's; opaque here

  private:
    explicit HttpClient(std::unique_ptr<State> state);
    friend std::optional<HttpClient> make_http_client(HttpSettings settings);

    std::unique_ptr<State> state_;
};

}  // namespace poller
