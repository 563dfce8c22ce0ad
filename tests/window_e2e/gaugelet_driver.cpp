#include "gaugelet_driver.hpp"

#include <thread>

// clang-format off
#include "platform/windows_win32.hpp"  // first: the shell header needs its definitions
#include <shellapi.h>
// clang-format on

#include "fake_tool_support.hpp"
#include "native_interop/system_settings_win32.hpp"
#include "platform/environment.hpp"
#include "platform/file_io.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace e2e {
namespace {

std::string utf8(const std::filesystem::path& path) {
    return text::path_to_utf8(path).value();
}

std::filesystem::path program(std::string path = GAUGELET_PROGRAM) {
    // The cross build knows its folders by their POSIX paths; Wine shows them on drive Z:.
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    return test_support::utf8_path(path);
}

}  // namespace

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return condition();
        }
        std::this_thread::sleep_for(50ms);  // polling interval of the wait, not a synchronisation
    }
}

bool gui_available() {
    HWND probe = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"probe", WS_POPUP, 0, 0, 1, 1, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    if (probe == nullptr) {
        return false;
    }
    DestroyWindow(probe);
    return true;
}

Driver::Driver(std::filesystem::path root, poller::Endpoints endpoints)
    : root_(std::move(root)), endpoints_(std::move(endpoints)) {}

std::optional<platform::Process> Driver::start(std::vector<std::string> arguments) const {
    return start_program(program(), std::move(arguments));
}

std::optional<platform::Process> Driver::start_cli(std::vector<std::string> arguments) const {
    return start_program(program(GAUGELET_CLI_PROGRAM), std::move(arguments));
}

std::optional<platform::Process> Driver::start_program(const std::filesystem::path& file,
                                                       std::vector<std::string> arguments) const {
    platform::ChildCommand command;
    command.program = utf8(file);
    command.arguments = std::move(arguments);
    command.standard_input = platform::StdioMode::Discard;
    command.standard_output = platform::StdioMode::Discard;
    command.standard_error = platform::StdioMode::Discard;
    command.set_env("APPDATA", utf8(root_));
    command.set_env("TEMP", utf8(root_));
    command.set_env("TMP", utf8(root_));
    command.set_env("PATH", utf8(fake_tool::tool_directory()) + ";" + platform::get_env("PATH").value_or(""));
    for (const char* proxy :
         {"ALL_PROXY", "HTTPS_PROXY", "HTTP_PROXY", "all_proxy", "https_proxy", "http_proxy"}) {
        command.remove_env(proxy);
    }
    command.remove_env("GAUGELET_FAKE_TOOL_LOG");
    command.set_env("GAUGELET_ANTHROPIC_BASE_URL", endpoints_.anthropic);
    command.set_env("GAUGELET_CHATGPT_BASE_URL", endpoints_.chatgpt);
    if (endpoints_.http.ca_file) {
        command.set_env("GAUGELET_CA_FILE", utf8(*endpoints_.http.ca_file));
    }
    auto started = platform::Process::start(command);
    if (auto* process = std::get_if<platform::Process>(&started)) {
        return std::move(*process);
    }
    return std::nullopt;
}

std::string Driver::log() const {
    std::error_code ec;
    if (!std::filesystem::exists(log_file(), ec)) {
        return {};
    }
    return test_support::read_text(log_file());
}

bool Driver::wait_for_log(const std::string& text, std::chrono::milliseconds limit) const {
    return wait_until([&] { return log_has(text); }, limit);
}

nlohmann::json Driver::settings() const {
    // Read as the program reads it, sharing the file with a save that replaces it at that moment.
    const auto text = platform::read_file(settings_file());
    if (!std::holds_alternative<std::string>(text)) {
        return nullptr;
    }
    return nlohmann::json::parse(std::get<std::string>(text), nullptr, false);
}

namespace {

// The top-level windows of class `class_name` owned by process `pid`, the visible ones only if asked.
std::vector<HWND> windows_of(std::uint32_t pid, const wchar_t* class_name, bool visible_only) {
    std::vector<HWND> found;
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, class_name, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid && (!visible_only || IsWindowVisible(hwnd))) {
            found.push_back(hwnd);
        }
    }
    return found;
}

}  // namespace

std::vector<HWND> program_windows(std::uint32_t pid) {
    return windows_of(pid, L"Quotavane", false);
}

HWND wait_for_window(std::uint32_t pid) {
    HWND found = nullptr;
    wait_until([&] {
        const auto windows = program_windows(pid);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
    });
    return found;
}

state::Rect window_rect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}

bool tray_icon_shown(HWND owner, std::uint32_t uid) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = uid;
    data.uFlags = NIF_TIP;
    wcscpy_s(data.szTip, L"Gaugelet");
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

std::vector<HWND> open_menus(std::uint32_t pid) {
    return windows_of(pid, L"#32768", true);
}

SystemTheme::SystemTheme(bool light) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, native_interop::PERSONALIZE_KEY, native_interop::LIGHT_THEME_VALUE,
                     RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS) {
        before_ = value;
    }
    value = light ? 1 : 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, native_interop::PERSONALIZE_KEY, native_interop::LIGHT_THEME_VALUE,
                    REG_DWORD, &value, sizeof(value));
}

SystemTheme::~SystemTheme() {
    if (before_) {
        RegSetKeyValueW(HKEY_CURRENT_USER, native_interop::PERSONALIZE_KEY, native_interop::LIGHT_THEME_VALUE,
                        REG_DWORD, &*before_, sizeof(DWORD));
    } else {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, native_interop::PERSONALIZE_KEY,
                           native_interop::LIGHT_THEME_VALUE);
    }
}

int count_screen_pixels(const state::Rect& area, COLORREF rgb) {
    HDC screen = GetDC(nullptr);
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (GetPixel(screen, x, y) == rgb) {
                ++count;
            }
        }
    }
    ReleaseDC(nullptr, screen);
    return count;
}

}  // namespace e2e
