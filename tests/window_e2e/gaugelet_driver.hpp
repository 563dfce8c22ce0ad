#pragma once
// Starts the real gaugelet.exe with its own settings folder, temporary folder (for the log),
// the fake tools first in PATH and a stand-in server, and reads back what it did.

#include <chrono>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "platform/process.hpp"
#include "platform/windows_win32.hpp"
#include "poller/endpoints.hpp"
#include "state/rect.hpp"

namespace e2e {

using namespace std::chrono_literals;

// Waits until `condition` holds or `limit` passes; the result of the last check.
bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds limit = 20s);

// Whether windows can be created here (Wine needs an X display).
[[nodiscard]] bool gui_available();

class Driver {
  public:
    // `root` holds Quotavane\settings.json and the log; `endpoints` are handed over as the
    // developer overrides.
    Driver(std::filesystem::path root, poller::Endpoints endpoints);

    [[nodiscard]] std::optional<platform::Process> start(std::vector<std::string> arguments = {
                                                             "--diagnose"}) const;

    // gaugelet-cli.exe with the same settings, tools and servers, as a user would run it beside the program.
    [[nodiscard]] std::optional<platform::Process> start_cli(std::vector<std::string> arguments) const;

    [[nodiscard]] std::filesystem::path settings_file() const {
        return root_ / "Quotavane" / "settings.json";
    }
    [[nodiscard]] std::filesystem::path log_file() const { return root_ / "gaugelet.log"; }
    [[nodiscard]] std::string log() const;
    [[nodiscard]] bool log_has(const std::string& text) const {
        return log().find(text) != std::string::npos;
    }
    [[nodiscard]] bool wait_for_log(const std::string& text, std::chrono::milliseconds limit = 20s) const;
    // The settings file as JSON; null while it does not exist or does not parse.
    [[nodiscard]] nlohmann::json settings() const;

  private:
    [[nodiscard]] std::optional<platform::Process> start_program(const std::filesystem::path& file,
                                                                 std::vector<std::string> arguments) const;
    std::filesystem::path root_;
    poller::Endpoints endpoints_;
};

// The program's windows of class "Quotavane" owned by process `pid`.
[[nodiscard]] std::vector<HWND> program_windows(std::uint32_t pid);
[[nodiscard]] HWND wait_for_window(std::uint32_t pid);
[[nodiscard]] state::Rect window_rect(HWND hwnd);

// Whether the shell holds the tray icon (owner, uid): it accepts a change to it.
[[nodiscard]] bool tray_icon_shown(HWND owner, std::uint32_t uid);

// The visible popup menus ("#32768") of the threads of process `pid`.
[[nodiscard]] std::vector<HWND> open_menus(std::uint32_t pid);

// Sets the system's light-theme switch for the test; the value before is put back when it ends.
class SystemTheme {
  public:
    explicit SystemTheme(bool light);
    ~SystemTheme();
    SystemTheme(const SystemTheme&) = delete;
    SystemTheme& operator=(const SystemTheme&) = delete;

  private:
    std::optional<DWORD> before_;
};

// Screen pixels that are exactly `rgb` inside `area`.
[[nodiscard]] int count_screen_pixels(const state::Rect& area, COLORREF rgb);

}  // namespace e2e
