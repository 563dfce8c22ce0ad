// Locating the provider tools in three stages: the first candidate found on PATH that starts,
// else the first found at all, else the default name (not found).
#include "accounts/tool_discovery.hpp"

#include <string_view>

#include "accounts/tool_path_search.hpp"
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

}  // namespace

bool probe_tool(const std::string& located, std::chrono::milliseconds limit) {
    platform::ChildCommand command = wrap_tool(located, false, {"--version"});
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
    return find_on_path(candidate, platform::get_env("PATH").value_or(""));
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

platform::ChildCommand tool_command(const LocatedTool& located, bool scripts_through_powershell,
                                    std::vector<std::string> arguments) {
    platform::ChildCommand command =
        wrap_tool(located.program, scripts_through_powershell, std::move(arguments));
    if (!located.found) {
        command.program.clear();  // never starts
    }
    return command;
}

ToolLocator::ToolLocator()
    : ToolLocator([](const std::string& located) { return probe_tool(located); }, look_up_tool,
                  &discovery_cache()) {}

ToolLocator::ToolLocator(ToolProbe probe, ToolLookup lookup, DiscoveryCache* cache)
    : probe_(std::move(probe)), lookup_(std::move(lookup)), cache_(cache) {}

LocatedTool ToolLocator::discover(const std::vector<std::string>& candidates,
                                  const std::string& fallback) const {
    std::vector<std::string> found;
    for (const auto& candidate : candidates) {
        const auto output = lookup_(candidate);
        found.push_back(output ? first_line(*output) : std::string());
    }
    for (const auto& path : found) {
        if (!path.empty() && probe_(path)) {
            return {path, true};
        }
    }
    for (const auto& path : found) {
        if (!path.empty()) {
            return {path, true};
        }
    }
    return {fallback, false};
}

LocatedTool ToolLocator::locate(const std::string& tool, const std::vector<std::string>& candidates,
                                const std::string& fallback) const {
    if (cache_ == nullptr) {
        return discover(candidates, fallback);
    }
    const std::string search_path = platform::get_env("PATH").value_or("");
    if (auto kept = cache_->find(tool, search_path)) {
        return std::move(*kept);
    }
    LocatedTool located = discover(candidates, fallback);
    cache_->store(tool, search_path, located);
    return located;
}

LocatedTool ToolLocator::locate_claude() const {
    return locate("claude", CLAUDE_CANDIDATES, CLAUDE_DEFAULT);
}

LocatedTool ToolLocator::locate_codex() const {
    return locate("codex", CODEX_CANDIDATES, CODEX_DEFAULT);
}

std::string ToolLocator::find_claude() const {
    return locate_claude().program;
}

std::string ToolLocator::find_codex() const {
    return locate_codex().program;
}

platform::ChildCommand ToolLocator::claude_command(std::vector<std::string> arguments) const {
    return tool_command(locate_claude(), false, std::move(arguments));
}

platform::ChildCommand ToolLocator::codex_command(std::vector<std::string> arguments,
                                                  const std::filesystem::path& dir) const {
    auto command = tool_command(locate_codex(), true, std::move(arguments));
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
