// Locating the provider tools in three stages: start each candidate by name, else ask the
// lookup for a full path, else the default name.
#include "accounts/tool_discovery.hpp"

#include <string_view>

#include "platform/environment.hpp"
#include "platform/system_program.hpp"
#include "text/path_text.hpp"

namespace accounts {
namespace {

const std::vector<std::string> CLAUDE_CANDIDATES = {"claude.cmd", "claude"};
const std::vector<std::string> CODEX_CANDIDATES = {"codex.cmd", "codex.ps1", "codex.exe", "codex"};
constexpr const char* CLAUDE_DEFAULT = "claude.cmd";
constexpr const char* CODEX_DEFAULT = "codex.cmd";

bool ends_with_ignoring_case(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) {
        return false;
    }
    text.remove_prefix(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != suffix[i]) {
            return false;
        }
    }
    return true;
}

// UTF-8 with each maximal invalid part replaced by U+FFFD.
std::string decode_lossy(std::string_view bytes) {
    static constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";
    std::string out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;  // the allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        if (length == 0) {
            out += REPLACEMENT;
            ++i;
            continue;
        }
        std::size_t taken = 1;
        while (taken < length && i + taken < bytes.size()) {
            const auto c = static_cast<unsigned char>(bytes[i + taken]);
            const bool ok = taken == 1 ? (c >= low && c <= high) : (c >= 0x80 && c <= 0xBF);
            if (!ok) {
                break;
            }
            ++taken;
        }
        if (taken == length) {
            out.append(bytes.substr(i, length));
        } else {
            out += REPLACEMENT;
        }
        i += taken;
    }
    return out;
}

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The first line of the lookup's answer, trimmed.
std::string first_line(std::string_view output) {
    const std::string text = decode_lossy(output);
    std::string_view line(text);
    line = line.substr(0, line.find('\n'));
    while (!line.empty() && is_space(line.front())) {
        line.remove_prefix(1);
    }
    while (!line.empty() && is_space(line.back())) {
        line.remove_suffix(1);
    }
    return std::string(line);
}

#ifndef _WIN32
bool is_executable_file(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    using std::filesystem::perms;
    return !ec && std::filesystem::is_regular_file(status) &&
           (status.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) !=
               perms::none;
}
#endif

}  // namespace

bool probe_tool(const std::string& candidate, std::chrono::milliseconds limit) {
    platform::ChildCommand command;
    command.program = candidate;
    command.arguments = {"--version"};
    command.standard_output = platform::StdioMode::Discard;
    command.standard_error = platform::StdioMode::Discard;
    command.leftovers = platform::Leftovers::End;
    auto started = platform::Process::start(command);
    auto* process = std::get_if<platform::Process>(&started);
    if (process == nullptr) {
        return false;
    }
    platform::wait_or_kill(*process, limit);
    return true;
}

std::optional<std::string> look_up_tool(const std::string& candidate) {
#ifdef _WIN32
    platform::ChildCommand command;
    command.program = platform::system_program("where.exe");
    command.arguments = {candidate};
    command.standard_input = platform::StdioMode::Discard;
    command.standard_output = platform::StdioMode::Capture;
    command.standard_error = platform::StdioMode::Capture;
    const auto output = platform::run_with_timeout(command, TOOL_PROBE_LIMIT);
    if (!output || output->exit_code != 0) {
        return std::nullopt;
    }
    return output->standard_output;
#else
    const auto search_path = platform::get_env("PATH");
    if (!search_path || candidate.empty() || candidate.find('/') != std::string::npos) {
        return std::nullopt;
    }
    std::string_view rest(*search_path);
    for (;;) {
        const auto colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        // An empty entry names the current folder.
        const std::filesystem::path path =
            std::filesystem::path(folder.empty() ? "." : std::string(folder)) / candidate;
        if (is_executable_file(path)) {
            return text::path_to_utf8(path).value_or(path.native()) + "\n";
        }
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        rest.remove_prefix(colon + 1);
    }
#endif
}

platform::ChildCommand wrap_tool(const std::string& located, bool scripts_through_powershell,
                                 std::vector<std::string> arguments) {
    platform::ChildCommand command;
    if (ends_with_ignoring_case(located, ".cmd")) {
        // "/d" skips AutoRun commands; "/s" with the outer quotes keeps the script's quoting.
        command.program = platform::system_program("cmd.exe");
        command.arguments = {"/d", "/s", "/c", located};
    } else if (scripts_through_powershell && ends_with_ignoring_case(located, ".ps1")) {
        command.program = platform::system_program("powershell.exe");
        command.arguments = {"-NoProfile", "-ExecutionPolicy", "Bypass", "-File", located};
    } else {
        command.program = located;
    }
    command.arguments.insert(command.arguments.end(), std::make_move_iterator(arguments.begin()),
                             std::make_move_iterator(arguments.end()));
    return command;
}

ToolLocator::ToolLocator()
    : ToolLocator([](const std::string& candidate) { return probe_tool(candidate); }, look_up_tool) {}

ToolLocator::ToolLocator(ToolProbe probe, ToolLookup lookup)
    : probe_(std::move(probe)), lookup_(std::move(lookup)) {}

std::string ToolLocator::find(const std::vector<std::string>& candidates, const std::string& fallback) const {
    for (const auto& candidate : candidates) {
        if (probe_(candidate)) {
            return candidate;
        }
    }
    for (const auto& candidate : candidates) {
        if (const auto output = lookup_(candidate)) {
            std::string path = first_line(*output);
            if (!path.empty()) {
                return path;
            }
        }
    }
    return fallback;
}

std::string ToolLocator::find_claude() const {
    return find(CLAUDE_CANDIDATES, CLAUDE_DEFAULT);
}

std::string ToolLocator::find_codex() const {
    return find(CODEX_CANDIDATES, CODEX_DEFAULT);
}

platform::ChildCommand ToolLocator::claude_command(std::vector<std::string> arguments) const {
    return wrap_tool(find_claude(), false, std::move(arguments));
}

platform::ChildCommand ToolLocator::codex_command(std::vector<std::string> arguments,
                                                  const std::filesystem::path& dir) const {
    auto command = wrap_tool(find_codex(), true, std::move(arguments));
    if (const auto home = text::path_to_utf8(dir)) {
        command.set_env("CODEX_HOME", *home);
    } else {
        command.program.clear();  // never starts
    }
    return command;
}

std::string find_claude() {
    return ToolLocator().find_claude();
}

std::string find_codex() {
    return ToolLocator().find_codex();
}

platform::ChildCommand claude_command(std::vector<std::string> arguments) {
    return ToolLocator().claude_command(std::move(arguments));
}

platform::ChildCommand codex_command(std::vector<std::string> arguments, const std::filesystem::path& dir) {
    return ToolLocator().codex_command(std::move(arguments), dir);
}

}  // namespace accounts
