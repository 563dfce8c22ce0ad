# Header-only libraries: Debian's headers natively, the same headers staged into the
# mingw prefix for the cross build (scripts/setup), so both builds use one version.
find_path(GAUGELET_NLOHMANN_INCLUDE nlohmann/json.hpp REQUIRED)
add_library(gaugelet_nlohmann INTERFACE)
target_include_directories(gaugelet_nlohmann SYSTEM INTERFACE "${GAUGELET_NLOHMANN_INCLUDE}")
add_library(gaugelet::json ALIAS gaugelet_nlohmann)

find_path(GAUGELET_FMT_INCLUDE fmt/format.h REQUIRED)
add_library(gaugelet_fmt INTERFACE)
target_include_directories(gaugelet_fmt SYSTEM INTERFACE "${GAUGELET_FMT_INCLUDE}")
target_compile_definitions(gaugelet_fmt INTERFACE FMT_HEADER_ONLY=1)
add_library(gaugelet::fmt ALIAS gaugelet_fmt)

# libcurl: Debian's OpenSSL build natively; for Windows the static Schannel build that
# scripts/build-curl-mingw installs into the mingw prefix. One target for both.
add_library(gaugelet_curl INTERFACE)
if(WIN32)
    find_path(GAUGELET_CURL_INCLUDE curl/curl.h)
    find_library(GAUGELET_CURL_LIBRARY NAMES libcurl.a curl)
    if(NOT GAUGELET_CURL_INCLUDE OR NOT GAUGELET_CURL_LIBRARY)
        message(FATAL_ERROR "static libcurl for mingw not found: run scripts/setup")
    endif()
    target_include_directories(gaugelet_curl SYSTEM INTERFACE "${GAUGELET_CURL_INCLUDE}")
    target_compile_definitions(gaugelet_curl INTERFACE CURL_STATICLIB)
    target_link_libraries(gaugelet_curl INTERFACE "${GAUGELET_CURL_LIBRARY}" ws2_32 crypt32 bcrypt secur32
                                                  advapi32)
else()
    find_package(CURL 7.85 REQUIRED)
    target_link_libraries(gaugelet_curl INTERFACE CURL::libcurl)
endif()
add_library(gaugelet::curl ALIAS gaugelet_curl)

find_package(Threads REQUIRED)

if(GAUGELET_TESTS)
    find_package(GTest 1.12 CONFIG REQUIRED)
endif()
