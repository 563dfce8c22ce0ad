// gaugelet-cli's entry point on Linux and other POSIX systems: arguments are already UTF-8.
#include <iostream>

#include "cli/cli.hpp"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return cli::run(arguments, std::cout, std::cerr);
}
