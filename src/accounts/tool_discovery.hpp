#pragma once
// Finding the Claude and Codex command-line tools and turning a call of one into a child command.
// Tools are found through the PATH entries only and started by their full path. The program's
// locator keeps what it found (see tool_discovery_cache.hpp), so a tool installed, updated or
// moved while we run is still found.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "accounts/tool_discovery_cache.hpp"
#include "platform/process.hpp"

namespace accounts {

// How long a "--version" probe may take before it is ended.
inline constexpr std::chrono::seconds TOOL_PROBE_LIMIT{10};

// Whether the program that the lookup found could be started with "--version" at all.
using ToolProbe = std::function<bool(const std::string& located)>;
// Where the candidate is: its full path (the first line of the answer counts); nothing when it
// is nowhere.
using ToolLookup = std::function<std::optional<std::string>(const std::string& candidate)>;

// The production probe: the located program with "--version" (a ".cmd" through cmd.exe), output
// discarded, ended after `limit` with whatever it started (a probe that starts counts, whatever
// happens after).
[[nodiscard]] bool probe_tool(const std::string& located, std::chrono::milliseconds limit = TOOL_PROBE_LIMIT);
// The production lookup: the candidate searched for in the entries of PATH as it is now.
[[nodiscard]] std::optional<std::string> look_up_tool(const std::string& candidate);

// The located program wrapped for starting: a ".cmd" through "cmd.exe" /d /s /c, a ".ps1" (when
// `scripts_through_powershell`) through "powershell.exe" -NoProfile -ExecutionPolicy Bypass
// -File, anything else directly; the extension is compared ignoring case. cmd.exe, where.exe
// and powershell.exe are named by their full path in the system folder.
[[nodiscard]] platform::ChildCommand wrap_tool(const std::string& located, bool scripts_through_powershell,
                                               std::vector<std::string> arguments);

// The located program wrapped as above; a tool that was not found gets a command that never
// starts (a bare name would be searched for in the current folder too).
[[nodiscard]] platform::ChildCommand tool_command(const LocatedTool& located, bool scripts_through_powershell,
                                                  std::vector<std::string> arguments);

class ToolLocator {
  public:
    ToolLocator();  // the production probe and lookup, with the program's discovery cache
    // Without a cache every call looks afresh.
    ToolLocator(ToolProbe probe, ToolLookup lookup, DiscoveryCache* cache = nullptr);

    // The first candidate the lookup finds and the probe can start; else the first the lookup
    // finds; else the default name, not found.
    [[nodiscard]] LocatedTool locate_claude() const;
    [[nodiscard]] LocatedTool locate_codex() const;
    // The located program's text (the default name when nothing is found).
    [[nodiscard]] std::string find_claude() const;
    [[nodiscard]] std::string find_codex() const;

    // The located tool, wrapped, with the arguments. The caller adds the Claude environment.
    [[nodiscard]] platform::ChildCommand claude_command(std::vector<std::string> arguments) const;
    // The same for Codex, with CODEX_HOME = dir. A dir that is not valid text cannot be handed
    // to the tool, and the command then fails to start rather than use the tool's own default.
    [[nodiscard]] platform::ChildCommand codex_command(std::vector<std::string> arguments,
                                                       const std::filesystem::path& dir) const;

  private:
    [[nodiscard]] LocatedTool locate(const std::string& tool, const std::vector<std::string>& candidates,
                                     const std::string& fallback) const;
    [[nodiscard]] LocatedTool discover(const std::vector<std::string>& candidates,
                                       const std::string& fallback) const;

    ToolProbe probe_;
    ToolLookup lookup_;
    DiscoveryCache* cache_ = nullptr;
};

// The same with the production probe and lookup.
[[nodiscard]] std::string find_claude();
[[nodiscard]] std::string find_codex();
[[nodiscard]] platform::ChildCommand claude_command(std::vector<std::string> arguments);
[[nodiscard]] platform::ChildCommand codex_command(std::vector<std::string> arguments,
                                                   const std::filesystem::path& dir);

}  // namespace accounts
