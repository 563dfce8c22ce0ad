// libcurl initialisation and list helpers.
#include "poller/http_curl.hpp"

namespace poller::curl {

bool global_init() noexcept {
    // A function-local static is initialised once even when threads race here.
    static const bool ready = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
    return ready;
}

bool append(UniqueSlist& list, const char* line) noexcept {
    curl_slist* extended = curl_slist_append(list.get(), line);
    if (extended == nullptr) {
        return false;
    }
    // curl_slist_append returns the same head once the list exists.
    (void)list.release();
    list.reset(extended);
    return true;
}

}  // namespace poller::curl
