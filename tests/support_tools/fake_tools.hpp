#pragma once
// Tool sessions whose Claude and Codex tools are the fake provider tool of tests/fixtures.

#include <filesystem>
#include <optional>

#include "accounts/tool_session.hpp"

namespace test_tools {

// Limits short enough for tests; the real ones are minutes.
[[nodiscard]] accounts::ToolLimits short_limits();

// The locator finds "claude" and "codex" at the given programs (the fake tool when not given);
// every other candidate is missing.
[[nodiscard]] accounts::ToolSession fake_tool_session(
    std::optional<std::filesystem::path> claude = std::nullopt,
    std::optional<std::filesystem::path> codex = std::nullopt);

// A one-line script that prints `output` and exits 0: a tool whose answer a test chooses.
[[nodiscard]] std::filesystem::path write_printing_tool(const std::filesystem::path& folder,
                                                        std::string_view name, std::string_view output);

}  // namespace test_tools
