#pragma once
// Finding the Claude and Codex command-line tools and turning a call of one into a child command.
// A tool is looked for afresh for every command, so one installed while we run is found next time.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/process.hpp"

namespace accounts {

// How long a "--version" probe or a lookup may take before it is given up.
inline constexpr std::chrono::seconds TOOL_PROBE_LIMIT{10};

// Whether the candidate, started by its bare name with "--version", could be started at all.
using ToolProbe = std::function<bool(const std::string& candidate)>;
// The lookup's standard output when it ran and exited with code 0; nothing otherwise.
using ToolLookup = std::function<std::optional<std::string>(const std::string& candidate)>;

// The production probe: the candidate with "--version", output discarded, ended after `limit`
// (a probe that starts counts, whatever happens after).
[[nodiscard]] bool probe_tool(const std::string& candidate,
                              std::chrono::milliseconds limit = TOOL_PROBE_LIMIT);
// The production lookup: "where.exe" candidate on Windows (bounded by TOOL_PROBE_LIMIT); on
// POSIX the first executable regular file of that name in a PATH folder, as one line.
[[nodiscard]] std::optional<std::string> look_up_tool(const std::string& candidate);

// The located program wrapped for starting: a ".cmd" through "cmd.exe" /d /s /c, a ".ps1" (when
// `scripts_through_powershell`) through "powershell.exe" -NoProfile -ExecutionPolicy Bypass
// -File, anything else directly; the extension is compared ignoring case. cmd.exe, where.exe
// and powershell.exe are named by their full path in the system folder.
[[nodiscard]] platform::ChildCommand wrap_tool(const std::string& located, bool scripts_through_powershell,
                                               std::vector<std::string> arguments);

class ToolLocator {
  public:
    ToolLocator();  // the production probe and lookup
    ToolLocator(ToolProbe probe, ToolLookup lookup);

    // The program to start (a bare name or a full path); the default name when nothing is found.
    [[nodiscard]] std::string find_claude() const;
    [[nodiscard]] std::string find_codex() const;

    // The located tool, wrapped, with the arguments. The caller adds the Claude environment.
    [[nodiscard]] platform::ChildCommand claude_command(std::vector<std::string> arguments) const;
    // The same for Codex, with CODEX_HOME = dir. A dir that is not valid text cannot be handed
    // to the tool, and the command then fails to start rather than use the tool's own default.
    [[nodiscard]] platform::ChildCommand codex_command(std::vector<std::string> arguments,
                                                       const std::filesystem::path& dir) const;

  private:
    [[nodiscard]] std::string find(const std::vector<std::string>& candidates,
                                   const std::string& fallback) const;

    ToolProbe probe_;
    ToolLookup lookup_;
};

// The same with the production probe and lookup.
[[nodiscard]] std::string find_claude();
[[nodiscard]] std::string find_codex();
[[nodiscard]] platform::ChildCommand claude_command(std::vector<std::string> arguments);
[[nodiscard]] platform::ChildCommand codex_command(std::vector<std::string> arguments,
                                                   const std::filesystem::path& dir);

}  // namespace accounts
