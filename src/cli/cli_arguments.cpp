#include <fmt/format.h>

#include "cli/cli.hpp"

namespace cli {

std::optional<Arguments> parse_arguments(const std::vector<std::string>& arguments, UsageError& error) {
    Arguments parsed;
    std::optional<Command> command;
    for (const auto& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            parsed.command = Command::Help;
            return parsed;
        }
        if (argument == "--diagnose") {
            parsed.diagnose = true;
        } else if (argument == "--json") {
            parsed.json = true;
        } else if (!argument.empty() && argument[0] == '-') {
            error.message = fmt::format("unknown option \"{}\"", argument);
            return std::nullopt;
        } else if (command) {
            error.message = fmt::format("unexpected argument \"{}\"", argument);
            return std::nullopt;
        } else if (argument == "status") {
            command = Command::Status;
        } else if (argument == "settings") {
            command = Command::Settings;
        } else {
            error.message = fmt::format("unknown command \"{}\"", argument);
            return std::nullopt;
        }
    }
    if (!command) {
        error.message = "no command given";
        return std::nullopt;
    }
    if (parsed.json && command != Command::Status) {
        error.message = "--json belongs to status";
        return std::nullopt;
    }
    parsed.command = *command;
    return parsed;
}

std::string usage_text() {
    return "usage: gaugelet-cli [--diagnose] status [--json]\n"
           "       gaugelet-cli [--diagnose] settings\n"
           "       gaugelet-cli --help\n"
           "\n"
           "  status      poll every account once and print its usage limits\n"
           "              (exit 3 when an account could not be read)\n"
           "  --json      print the status as a JSON array\n"
           "  settings    print the settings file as the program reads it\n"
           "              (exit 1 when the file is invalid)\n"
           "  --diagnose  write the diagnostic log \"gaugelet-cli.log\" in the temporary folder\n";
}

}  // namespace cli
