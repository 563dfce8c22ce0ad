// Requests through libcurl with our own proxy, redirect, deadline and body rules.
#include "poller/http_client.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/environment.hpp"
#include "poller/http_curl.hpp"
#include "text/path_text.hpp"

namespace poller {

struct HttpClient::State {
    HttpSettings settings;
    std::optional<ProxyAddress> proxy;
    std::string proxy_url;  // handed to libcurl; credentials go separately
    std::optional<std::string> ca_file;
    // One handle for the client's requests and redirects, so a second request to the same host
    // may reuse the connection.
    curl::UniqueEasy easy;
    bool used = false;  // a used handle is reset before its next request
};

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool has_header(const HttpHeaders& headers, std::string_view name) {
    return std::any_of(headers.begin(), headers.end(),
                       [name](const HttpHeader& h) { return equal_ignoring_case(h.name, name); });
}

void remove_header(HttpHeaders& headers, std::string_view name) {
    std::erase_if(headers, [name](const HttpHeader& h) { return equal_ignoring_case(h.name, name); });
}

bool is_token(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
               std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
    });
}

// A value with a line break would let text from a file smuggle in a header of its own.
bool is_header_value(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool is_redirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string_view proxy_url_prefix(ProxyScheme scheme) {
    switch (scheme) {
        case ProxyScheme::Socks4:
            return "socks4://";
        case ProxyScheme::Socks4a:
            return "socks4a://";
        // The proxy resolves the host name, as socks4a does.
        case ProxyScheme::Socks5:
            return "socks5h://";
        case ProxyScheme::Http:
            break;
    }
    return "http://";
}

long proxy_type(ProxyScheme scheme) {
    switch (scheme) {
        case ProxyScheme::Socks4:
            return CURLPROXY_SOCKS4;
        case ProxyScheme::Socks4a:
            return CURLPROXY_SOCKS4A;
        case ProxyScheme::Socks5:
            return CURLPROXY_SOCKS5_HOSTNAME;
        case ProxyScheme::Http:
            break;
    }
    return CURLPROXY_HTTP;
}

// Scheme, host, port and path only: user info and query never reach an error text.
std::optional<std::string> display_url(const std::string& url) {
    curl::UniqueUrl handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    for (const CURLUPart part : {CURLUPART_USER, CURLUPART_PASSWORD, CURLUPART_QUERY, CURLUPART_FRAGMENT}) {
        (void)curl_url_set(handle.get(), part, nullptr, 0);
    }
    char* text = nullptr;
    if (curl_url_get(handle.get(), CURLUPART_URL, &text, 0) != CURLUE_OK || text == nullptr) {
        return std::nullopt;
    }
    std::string shown(text);
    curl_free(text);
    return shown;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

// What one round trip (one hop of a redirect chain) brought back.
struct Exchange {
    CURLcode code = CURLE_OK;
    long status = 0;
    HttpHeaders headers;
    std::string body;
    bool body_too_large = false;
    bool headers_complete = false;  // the final answer's header block ended: what fails now is the body
    std::string redirect_url;
    std::string error;  // libcurl's detail text
};

extern "C" std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user) noexcept {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t length = size * count;
    std::string_view line(data, length);
    try {
        if (line.substr(0, 5) == "HTTP/") {
            // A new status line: an interim answer (100 Continue) is followed by the real one.
            exchange.headers.clear();
            exchange.headers_complete = false;
        } else if (line == "\r\n" || line == "\n") {
            exchange.headers_complete = true;
        } else if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            if (!exchange.headers.empty() && !trim(line).empty()) {
                exchange.headers.back().value += ' ';
                exchange.headers.back().value += trim(line);
            }
        } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
            exchange.headers.push_back(
                {std::string(trim(line.substr(0, colon))), std::string(trim(line.substr(colon + 1)))});
        }
    } catch (...) {
        return 0;  // out of memory: abort the transfer
    }
    return length;
}

extern "C" std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) noexcept {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t length = size * count;
    if (length > MAX_BODY_BYTES - exchange.body.size()) {
        exchange.body_too_large = true;
        return 0;  // stop reading: the rest would be thrown away anyway
    }
    try {
        exchange.body.append(data, length);
    } catch (...) {
        return 0;
    }
    return length;
}

// libcurl's name for the failure, with its detail text when that says more.
std::string curl_detail(const Exchange& exchange) {
    std::string detail = curl_easy_strerror(exchange.code);
    if (!exchange.error.empty() && exchange.error != detail) {
        detail = fmt::format("{}: {}", detail, exchange.error);
    }
    return detail;
}

std::string transport_message(std::string_view url, const Exchange& exchange) {
    return fmt::format("{}: {}", url, curl_detail(exchange));
}

class Round {
  public:
    Round(HttpClient::State& state, CURL* easy) : state_(state), easy_(easy) {}

    // One request without following redirects; nothing when it ran (see `exchange`), else why
    // it was not sent.
    std::optional<std::string> run(const std::string& method, const std::string& url,
                                   const HttpHeaders& headers, const std::optional<std::string>& body,
                                   milliseconds remaining, Exchange& exchange);

  private:
    template <typename Value>
    void set(CURLoption option, Value value) {
        if (ok_ && curl_easy_setopt(easy_, option, value) != CURLE_OK) {
            ok_ = false;
            refused_option_ = option;
        }
    }

    HttpClient::State& state_;
    CURL* easy_;
    bool ok_ = true;
    CURLoption refused_option_ = CURLOPT_LASTENTRY;
};

std::optional<std::string> Round::run(const std::string& method, const std::string& url,
                                      const HttpHeaders& headers, const std::optional<std::string>& body,
                                      milliseconds remaining, Exchange& exchange) {
    curl::UniqueSlist list;
    bool listed = true;
    for (const auto& header : headers) {
        // libcurl drops a header written "Name:"; "Name;" sends it with an empty value.
        const std::string line =
            header.value.empty() ? header.name + ";" : fmt::format("{}: {}", header.name, header.value);
        listed = listed && curl::append(list, line.c_str());
    }
    if (!has_header(headers, "User-Agent")) {
        listed = listed && curl::append(list, fmt::format("User-Agent: {}", DEFAULT_USER_AGENT).c_str());
    }
    if (!has_header(headers, "Accept")) {
        listed = listed && curl::append(list, fmt::format("Accept: {}", DEFAULT_ACCEPT).c_str());
    }
    if (body && !has_header(headers, "Content-Type")) {
        listed = listed && curl::append(list, "Content-Type: application/json");
    }
    // No "Expect: 100-continue" round trip before a body.
    listed = listed && curl::append(list, "Expect:");
    if (!listed) {
        return "out of memory";
    }

    char error_buffer[CURL_ERROR_SIZE] = {};
    if (state_.used) {
        curl_easy_reset(easy_);
    }
    state_.used = true;
    set(CURLOPT_ERRORBUFFER, error_buffer);
    set(CURLOPT_URL, url.c_str());
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_TCP_NODELAY, 1L);
    set(CURLOPT_FOLLOWLOCATION, 0L);
    set(CURLOPT_CONNECTTIMEOUT_MS,
        static_cast<long>(std::min(state_.settings.connect_timeout, remaining).count()));
    set(CURLOPT_TIMEOUT_MS, static_cast<long>(remaining.count()));
    // Always explicit: an empty proxy and an empty no-proxy list keep libcurl from reading the
    // proxy variables with its own, different rules.
    set(CURLOPT_PROXY, state_.proxy_url.c_str());
    set(CURLOPT_NOPROXY, "");
    if (state_.proxy) {
        set(CURLOPT_PROXYTYPE, proxy_type(state_.proxy->scheme));
        if (!state_.proxy->user.empty()) {
            set(CURLOPT_PROXYUSERNAME, state_.proxy->user.c_str());
            set(CURLOPT_PROXYPASSWORD, state_.proxy->password.value_or("").c_str());
        }
    }
    set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    set(CURLOPT_SSL_VERIFYPEER, 1L);
    set(CURLOPT_SSL_VERIFYHOST, 2L);
    if (state_.ca_file) {
        set(CURLOPT_CAINFO, state_.ca_file->c_str());
#ifndef _WIN32
        // Only the given file; Schannel has no CA folder to switch off.
        set(CURLOPT_CAPATH, static_cast<const char*>(nullptr));
#endif
    } else {
#ifdef _WIN32
        // Schannel with the Windows certificate store; a revocation server that cannot be reached
        // (common behind proxies) is not a verification failure.
        set(CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NATIVE_CA | CURLSSLOPT_REVOKE_BEST_EFFORT));
#endif
    }
    set(CURLOPT_HTTPHEADER, list.get());
    if (body) {
        set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
        set(CURLOPT_POSTFIELDS, body->c_str());
        if (method != "POST") {
            set(CURLOPT_CUSTOMREQUEST, method.c_str());
        }
    } else if (method == "GET") {
        set(CURLOPT_HTTPGET, 1L);
    } else if (method == "HEAD") {
        set(CURLOPT_NOBODY, 1L);
    } else if (method == "POST") {
        set(CURLOPT_POSTFIELDSIZE, 0L);
        set(CURLOPT_POSTFIELDS, "");
    } else {
        set(CURLOPT_CUSTOMREQUEST, method.c_str());
    }
    set(CURLOPT_HEADERFUNCTION, &on_header);
    set(CURLOPT_HEADERDATA, static_cast<void*>(&exchange));
    set(CURLOPT_WRITEFUNCTION, &on_body);
    set(CURLOPT_WRITEDATA, static_cast<void*>(&exchange));

    std::optional<std::string> refused;
    if (ok_) {
        exchange.code = curl_easy_perform(easy_);
        exchange.error = error_buffer;
        (void)curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &exchange.status);
        const char* location = nullptr;
        if (curl_easy_getinfo(easy_, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location != nullptr) {
            exchange.redirect_url = location;
        }
    } else {
        refused = fmt::format("libcurl refused option {}", static_cast<int>(refused_option_));
    }
    // The handle outlives this frame's buffer, list and callbacks' data.
    (void)curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, static_cast<char*>(nullptr));
    (void)curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));
    (void)curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, static_cast<const char*>(nullptr));
    (void)curl_easy_setopt(easy_, CURLOPT_HEADERDATA, static_cast<void*>(nullptr));
    (void)curl_easy_setopt(easy_, CURLOPT_WRITEDATA, static_cast<void*>(nullptr));
    return refused;
}

HttpResult send_request(HttpClient::State& state, const HttpRequest& request) {
    const auto deadline_at = Clock::now() + state.settings.deadline;
    std::string url = request.url;
    auto shown = display_url(url);
    if (!shown) {
        return TransportError{"invalid URL"};
    }
    if (!is_token(request.method) ||
        !std::all_of(request.headers.begin(), request.headers.end(),
                     [](const HttpHeader& h) { return is_token(h.name) && is_header_value(h.value); })) {
        // Neither the name nor the value is shown: either may hold a token.
        return TransportError{fmt::format("{}: refused to send an invalid method or header", *shown)};
    }
    std::optional<std::string> body;
    if (request.json_body) {
        try {
            body = request.json_body->dump();
        } catch (const nlohmann::json::exception&) {
            return TransportError{fmt::format("{}: the request body is not valid UTF-8", *shown)};
        }
    }
    std::string method = request.method;
    HttpHeaders headers = request.headers;

    for (int redirects = 0;; ++redirects) {
        const auto remaining = std::chrono::duration_cast<milliseconds>(deadline_at - Clock::now());
        if (remaining.count() <= 0) {
            return TransportError{
                fmt::format("{}: no answer within {} ms", *shown, state.settings.deadline.count())};
        }
        Exchange exchange;
        if (auto refused =
                Round(state, state.easy.get()).run(method, url, headers, body, remaining, exchange)) {
            return TransportError{fmt::format("{}: {}", *shown, *refused)};
        }
        const bool cut_at_cap = exchange.code == CURLE_WRITE_ERROR && exchange.body_too_large;
        // Status and headers arrived whole and then the body broke off or stalled: that is an
        // answer whose body cannot be used, not a request that got no answer.
        const bool body_failed =
            exchange.code != CURLE_OK && !cut_at_cap && exchange.headers_complete && exchange.status >= 200;
        if (exchange.code != CURLE_OK && !cut_at_cap && !body_failed) {
            return TransportError{transport_message(*shown, exchange)};
        }
        if (is_redirect(exchange.status) && !exchange.redirect_url.empty()) {
            if (redirects == MAX_REDIRECTS) {
                return TransportError{
                    fmt::format("{}: too many redirects (more than {})", *shown, MAX_REDIRECTS)};
            }
            url = std::move(exchange.redirect_url);
            shown = display_url(url);
            if (!shown) {
                return TransportError{"redirected to an invalid URL"};
            }
            // Credentials are for the host the caller named, never for wherever it points us.
            remove_header(headers, "Authorization");
            if (exchange.status <= 303 && method != "GET" && method != "HEAD") {
                method = "GET";
                body.reset();
                remove_header(headers, "Content-Type");
                remove_header(headers, "Content-Length");
            }
            continue;
        }
        HttpResponse response{
            static_cast<int>(exchange.status), std::move(exchange.headers),
            cut_at_cap || body_failed ? std::string() : std::move(exchange.body), cut_at_cap,
            body_failed ? fmt::format("response body incomplete: {}", curl_detail(exchange)) : std::string()};
        if (response.status >= 400) {
            std::string message = fmt::format("{}: status code {}", *shown, response.status);
            return HttpStatusError{std::move(response), std::move(message)};
        }
        return response;
    }
}

}  // namespace

const HttpResponse* answer_of(const HttpResult& result) {
    if (const auto* response = std::get_if<HttpResponse>(&result)) {
        return response;
    }
    if (const auto* error = std::get_if<HttpStatusError>(&result)) {
        return &error->response;
    }
    return nullptr;
}

std::string error_text(const HttpResult& result) {
    if (const auto* error = std::get_if<HttpStatusError>(&result)) {
        return error->message;
    }
    if (const auto* error = std::get_if<TransportError>(&result)) {
        return error->message;
    }
    return {};
}

HttpClient::HttpClient(std::unique_ptr<State> state) : state_(std::move(state)) {}
HttpClient::~HttpClient() = default;
HttpClient::HttpClient(HttpClient&&) noexcept = default;
HttpClient& HttpClient::operator=(HttpClient&&) noexcept = default;

HttpResult HttpClient::send(const HttpRequest& request) {
    try {
        return send_request(*state_, request);
    } catch (const std::exception&) {
        return TransportError{"out of memory"};
    }
}

const std::optional<ProxyAddress>& HttpClient::proxy() const {
    return state_->proxy;
}

std::optional<HttpClient> make_http_client(HttpSettings settings) {
    try {
        if (!curl::global_init()) {
            return std::nullopt;
        }
        auto state = std::make_unique<HttpClient::State>();
        state->easy.reset(curl_easy_init());
        if (!state->easy || curl_easy_setopt(state->easy.get(), CURLOPT_NOSIGNAL, 1L) != CURLE_OK) {
            return std::nullopt;
        }
        if (settings.ca_file) {
            state->ca_file = text::path_to_utf8(*settings.ca_file);
            if (!state->ca_file) {
                return std::nullopt;
            }
        }
        if (settings.environment) {
            state->proxy = select_proxy(settings.environment);
        } else {
            state->proxy = select_proxy([](std::string_view name) { return platform::get_env(name); });
        }
        if (state->proxy) {
            state->proxy_url = fmt::format("{}{}:{}", proxy_url_prefix(state->proxy->scheme),
                                           state->proxy->host, state->proxy->port);
        }
        state->settings = std::move(settings);
        return HttpClient(std::move(state));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace poller
