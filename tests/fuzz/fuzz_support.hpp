#pragma once
// What the fuzz targets share: a scratch folder for the readers that take a folder, a check that
// aborts with a message (libFuzzer then keeps the input), unpadded URL-safe Base64 and calendar
// text written independently of the readers, so that a reader's result can be written back and
// read again.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/clock.hpp"

namespace fuzz_support {

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void check(bool condition, const char* what) {
    if (!condition) {
        fail(what);
    }
}

// One folder per fuzzing process, removed when the process ends normally.
inline const std::filesystem::path& scratch_folder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "gaugelet-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            fail("cannot create the scratch folder");
        }
        static std::filesystem::path created;
        created = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(created, ignored);
        });
        return created;
    }();
    return folder;
}

inline void write_bytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    check(static_cast<bool>(out), "cannot write a scratch file");
}

inline std::string encode_base64url(std::string_view bytes) {
    static constexpr char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string out;
    std::uint32_t bits = 0;
    int held = 0;
    for (const char c : bytes) {
        bits = (bits << 8) | static_cast<unsigned char>(c);
        held += 8;
        while (held >= 6) {
            held -= 6;
            out += ALPHABET[(bits >> held) & 0x3F];
        }
    }
    if (held > 0) {
        out += ALPHABET[(bits << (6 - held)) & 0x3F];
    }
    return out;
}

struct CivilTime {
    std::int64_t year, month, day, hour, minute, second;
};

// The proleptic Gregorian date and time of a Unix second count (days counted from 0000-03-01).
inline CivilTime civil_from_unix(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        days -= 1;
    }
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t day_of_era = days - era * 146097;
    const std::int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const std::int64_t shifted_month = (5 * day_of_year + 2) / 153;
    const std::int64_t day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
    const std::int64_t month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
    const std::int64_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day, rest / 3600, rest / 60 % 60, rest % 60};
}

inline std::int64_t unix_seconds_of(platform::FileTime t) {
    return (static_cast<std::int64_t>(t) - static_cast<std::int64_t>(platform::FILETIME_UNIX_EPOCH)) /
           static_cast<std::int64_t>(platform::FILETIME_TICKS_PER_SECOND);
}

}  // namespace fuzz_support
