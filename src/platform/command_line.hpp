#pragma once
// Windows command lines from separate arguments. Windows hands a child one string, which the
// child splits by the CommandLineToArgvW rules; cmd.exe re-reads the command it runs with rules of
// its own. Portable, so the quoting is tested natively too.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One argument quoted so that CommandLineToArgvW gives it back unchanged: left alone when it has
// no white space or quote, otherwise in quotes with backslashes doubled where they precede a quote.
[[nodiscard]] std::string quote_windows_argument(std::string_view argument);

// The whole command line. The program comes first, always quoted (program names are read up to
// the next quote, with no escapes, so a name holding a quote is refused).
//
// When the program is cmd.exe, the arguments after the first "/c" are the command cmd.exe runs:
// they are quoted as above, joined, and wrapped in one more pair of quotes that "/s" strips, the
// only form that keeps quoted arguments intact ("cmd.exe /c "a b.cmd" "x y"" loses them). cmd.exe
// reads that command twice (the line, then the script's %*) and both times treats & | < > ^ outside
// quotes and % anywhere as its own, so such text (and line breaks) is refused rather than run.
//
// Nothing when an argument holds a NUL or cannot be passed safely.
[[nodiscard]] std::optional<std::string> windows_command_line(std::string_view program,
                                                              const std::vector<std::string>& arguments);

}  // namespace platform
