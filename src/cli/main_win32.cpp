// gaugelet-cli's entry point on Windows: UTF-16 arguments, UTF-8 output.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>

#include "cli/cli.hpp"
#include "platform/wide_win32.hpp"
#include "platform/windows_win32.hpp"

int wmain(int argc, wchar_t** argv) {
    // The console shows our UTF-8 as it is; bytes go out unchanged, with "\n" line ends, so a
    // script reads the same text from this build as from the Linux one.
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        auto argument = platform::from_wide(argv[i]);
        if (!argument) {
            std::cerr << "gaugelet-cli: argument " << i << " is not valid text (see gaugelet-cli --help)\n";
            return cli::EXIT_USAGE;
        }
        arguments.push_back(std::move(*argument));
    }
    return cli::run(arguments, std::cout, std::cerr);
}
