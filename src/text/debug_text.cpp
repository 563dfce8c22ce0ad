#include "text/debug_text.hpp"

#include <cstdio>

#include "text/path_text.hpp"

namespace text {

std::string debug_quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    char escaped[12];
                    std::snprintf(escaped, sizeof escaped, "\\u{%x}",
                                  static_cast<unsigned>(static_cast<unsigned char>(c)));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

std::string debug_path(const std::filesystem::path& path) {
    const auto utf8 = path_to_utf8(path);
    return utf8 ? debug_quoted(*utf8) : std::string("\"<not valid text>\"");
}

}  // namespace text
