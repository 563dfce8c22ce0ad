// A program that saves the settings file in a loop, two contents in turn, and writes one byte to
// standard output after each save, so that a test can kill it at chosen moments mid-save.
#include <cstdio>
#include <string>

#include "interrupted_save_contents.hpp"
#include "settings/settings_write.hpp"
#include "text/path_text.hpp"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: settings_saver <settings path>\n", stderr);
        return 2;
    }
    const auto path = text::path_from_utf8(argv[1]);
    if (!path) {
        return 2;
    }
    const settings::SettingsFile contents[2] = {interrupted_save::old_contents(),
                                                interrupted_save::new_contents()};
    for (unsigned n = 0;; ++n) {
        if (settings::write_settings_file(*path, contents[n % 2])) {
            return 1;
        }
        if (std::fputc('.', stdout) == EOF || std::fflush(stdout) != 0) {
            return 0;  // the test stopped listening
        }
    }
}
