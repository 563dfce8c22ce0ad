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

find_package(Threads REQUIRED)

if(GAUGELET_TESTS)
    find_package(GTest 1.12 CONFIG REQUIRED)
endif()
