#include "window/startup_arguments.hpp"

#include <algorithm>

#include "text/debug_text.hpp"

namespace window {

bool has_diagnose_flag(const std::vector<std::string>& arguments) {
    return std::find(arguments.begin(), arguments.end(), "--diagnose") != arguments.end();
}

std::string debug_arguments(const std::vector<std::string>& arguments) {
    std::string out = "[";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) {
            out += ", ";
        }
        out += text::debug_quoted(arguments[i]);
    }
    out += "]";
    return out;
}

}  // namespace window
