#include "accounts/tool_session.hpp"

#include "text/path_text.hpp"

namespace accounts {

std::optional<platform::ChildCommand> claude_command_for(const ToolSession& session,
                                                         std::vector<std::string> arguments,
                                                         const std::filesystem::path& dir,
                                                         ClaudeEnvironment environment) {
    const auto dir_text = text::path_to_utf8(dir);
    if (!dir_text) {
        return std::nullopt;
    }
    platform::ChildCommand command = session.locator.claude_command(std::move(arguments));
    command.set_env("CLAUDE_CONFIG_DIR", *dir_text);
    if (environment == ClaudeEnvironment::Clean) {
        command.remove_env("CLAUDECODE");
        command.remove_env("CLAUDE_CODE_ENTRYPOINT");
    }
    return command;
}

std::optional<FolderUses::Lease> enter_folder(const ToolSession& session, const std::filesystem::path& dir) {
    if (session.admit) {
        return session.admit(dir);
    }
    return folder_uses().enter(dir);
}

void discard_all_streams(platform::ChildCommand& command) {
    command.standard_input = platform::StdioMode::Discard;
    command.standard_output = platform::StdioMode::Discard;
    command.standard_error = platform::StdioMode::Discard;
}

}  // namespace accounts
