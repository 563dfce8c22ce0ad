// One GET to a local server through our client, against a bare libcurl easy request that does
// the same (a fresh handle each time, the same options). The difference is the client's own cost.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <string>

#include "http_test_server.hpp"
#include "poller/http_client.hpp"
#include "poller/http_curl.hpp"

namespace {

test_http::TestServer& server() {
    static test_http::TestServer instance;
    return instance;
}

std::string usage_url() {
    static const std::string url = [] {
        server().route("GET", "/api/oauth/usage", [](const test_http::SeenRequest&) {
            return test_http::Reply{200,
                                    {{"anthropic-ratelimit-unified-status", "allowed"}},
                                    R"({"five_hour":{"utilization":12.5,"resets_at":null}})"};
        });
        server().start();
        return server().url("/api/oauth/usage");
    }();
    return url;
}

void BM_GaugeletClient(benchmark::State& state) {
    const std::string url = usage_url();
    poller::HttpSettings settings;
    settings.environment = [](std::string_view) { return std::optional<std::string>(); };
    for (auto _ : state) {
        auto client = poller::make_http_client(settings);
        const poller::HttpResult result = client->send(
            {"GET", url, {{"Authorization", "Bearer token"}, {"anthropic-beta", "oauth-2025-04-20"}}, {}});
        const auto* answer = std::get_if<poller::HttpResponse>(&result);
        if (answer == nullptr || answer->status != 200 ||
            !answer->header("anthropic-ratelimit-unified-status")) {
            state.SkipWithError("request failed");
            break;
        }
        benchmark::DoNotOptimize(answer->body.data());
    }
}

struct Collected {
    std::string headers;
    std::string body;
};

std::size_t collect_header(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<Collected*>(user)->headers.append(data, size * count);
    return size * count;
}

std::size_t collect_body(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<Collected*>(user)->body.append(data, size * count);
    return size * count;
}

void BM_BareLibcurl(benchmark::State& state) {
    const std::string url = usage_url();
    curl_global_init(CURL_GLOBAL_ALL);
    for (auto _ : state) {
        // The list outlives the handle that points to it.
        poller::curl::UniqueSlist headers;
        poller::curl::UniqueEasy handle(curl_easy_init());
        for (const char* line : {"Authorization: Bearer token", "anthropic-beta: oauth-2025-04-20",
                                 "User-Agent: ureq/2.12.1", "Accept: */*", "Expect:"}) {
            (void)poller::curl::append(headers, line);
        }
        CURL* easy = handle.get();
        Collected collected;
        char error[CURL_ERROR_SIZE] = {};
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error);
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, 30000L);
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, 30000L);
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
        curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
        curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &collect_header);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, &collected);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &collect_body);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &collected);
        const CURLcode code = curl_easy_perform(easy);
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        if (code != CURLE_OK || status != 200) {
            state.SkipWithError("request failed");
            break;
        }
        benchmark::DoNotOptimize(collected.body.data());
    }
}

BENCHMARK(BM_GaugeletClient)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_BareLibcurl)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
