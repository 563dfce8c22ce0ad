#pragma once
// Owners for libcurl's handles and the process-wide initialisation. Internal to the HTTP client
// (and its benchmark); nothing else in the program talks to libcurl.

#include <curl/curl.h>

#include "platform/unique_handle.hpp"

namespace poller::curl {

struct EasyTraits {
    using Handle = CURL*;
    static constexpr Handle invalid() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { curl_easy_cleanup(handle); }
};
using UniqueEasy = platform::UniqueHandle<EasyTraits>;

struct SlistTraits {
    using Handle = curl_slist*;
    static constexpr Handle invalid() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { curl_slist_free_all(handle); }
};
using UniqueSlist = platform::UniqueHandle<SlistTraits>;

struct UrlTraits {
    using Handle = CURLU*;
    static constexpr Handle invalid() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { curl_url_cleanup(handle); }
};
using UniqueUrl = platform::UniqueHandle<UrlTraits>;

// curl_global_init exactly once for the process, whichever thread gets here first; later calls
// return the first call's outcome. Never undone: clients may be built until the process ends.
[[nodiscard]] bool global_init() noexcept;

// Appends one line to a header list; false when libcurl could not allocate.
[[nodiscard]] bool append(UniqueSlist& list, const char* line) noexcept;

}  // namespace poller::curl
