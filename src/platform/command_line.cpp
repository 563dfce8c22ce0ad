// Quoting by the CommandLineToArgvW rules, and the extra care cmd.exe needs.
#include "platform/command_line.hpp"

#include <algorithm>

namespace platform {
namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lower(x) == lower(y); });
}

bool is_cmd(std::string_view program) {
    const auto slash = program.find_last_of("\\/");
    const std::string_view name = slash == std::string_view::npos ? program : program.substr(slash + 1);
    return equals_ignoring_case(name, "cmd.exe") || equals_ignoring_case(name, "cmd");
}

// Whether cmd.exe passes `line` on as it stands: it toggles its quote state at every quote and
// acts on these characters outside quotes.
bool safe_for_cmd(std::string_view line) {
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '%' || c == '\r' || c == '\n') {
            return false;
        } else if (!quoted && (c == '&' || c == '|' || c == '<' || c == '>' || c == '^')) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string quote_windows_argument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos) {
        return std::string(argument);
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    // Trailing backslashes come before the closing quote, so they are doubled too.
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

std::optional<std::string> windows_command_line(std::string_view program,
                                                const std::vector<std::string>& arguments) {
    if (program.empty() || program.find_first_of(std::string_view("\"\0", 2)) != std::string_view::npos) {
        return std::nullopt;
    }
    for (const auto& argument : arguments) {
        if (argument.find('\0') != std::string::npos) {
            return std::nullopt;
        }
    }
    // Built by appending: GCC 12 at -O3 reports a false -Wrestrict overlap for `"x" + string`.
    std::string line = "\"";
    line.append(program).append("\"");
    std::size_t next = 0;
    if (is_cmd(program)) {
        const auto c = std::find_if(arguments.begin(), arguments.end(),
                                    [](const std::string& a) { return equals_ignoring_case(a, "/c"); });
        if (c != arguments.end()) {
            for (auto it = arguments.begin(); it != c + 1; ++it) {
                line.append(" ").append(quote_windows_argument(*it));
            }
            std::string command;
            for (auto it = c + 1; it != arguments.end(); ++it) {
                command.append(command.empty() ? "" : " ").append(quote_windows_argument(*it));
            }
            if (!safe_for_cmd(command)) {
                return std::nullopt;
            }
            line.append(" \"").append(command).append("\"");
            return line;
        }
    }
    for (; next < arguments.size(); ++next) {
        line.append(" ").append(quote_windows_argument(arguments[next]));
    }
    return line;
}

}  // namespace platform
