// Start-up, the one window and the message loop of gaugelet.exe.
#include "platform/windows_win32.hpp"
// The shell's header needs the Windows header first.
#include <fmt/format.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "diagnostics/log.hpp"
#include "localization/language.hpp"
#include "native_interop/gdi_owners_win32.hpp"
#include "panel/state_panel_size.hpp"
#include "platform/os_handle_win32.hpp"
#include "platform/wide_win32.hpp"
#include "poller/endpoint_overrides.hpp"
#include "settings/settings_load.hpp"
#include "settings/settings_path.hpp"
#include "state/app_state.hpp"
#include "state/dpi.hpp"
#include "state/settings_notice.hpp"
#include "text/debug_text.hpp"
#include "text/path_text.hpp"
#include "window/background_work_win32.hpp"
#include "window/log_forms.hpp"
#include "window/panel_visibility_win32.hpp"
#include "window/settings_watch_win32.hpp"
#include "window/startup_arguments.hpp"
#include "window/ui_parts_win32.hpp"
#include "window/window_messages.hpp"
#include "window/window_procedure_win32.hpp"
#include "window/window_run.hpp"

namespace window {
namespace {

constexpr wchar_t CLASS_NAME[] = L"Quotavane";
constexpr wchar_t WINDOW_TITLE[] = L"Gaugelet";
// Per session: a second user signed in to the same machine runs their own copy.
constexpr wchar_t INSTANCE_MUTEX[] = L"Local\\Quotavane";
constexpr std::int64_t INITIAL_HEIGHT_DIPS = 46;
constexpr DWORD PANEL_EX_STYLE = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;

struct LocalFreeTraits {
    using Handle = LPWSTR*;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle h) noexcept { LocalFree(h); }
};

// The process's arguments split by the Windows rules, as UTF-8; an argument that is not valid
// text is kept as empty (it can then never be "--diagnose").
std::vector<std::string> command_line_arguments() {
    int count = 0;
    platform::UniqueHandle<LocalFreeTraits> argv(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    for (int i = 0; argv && i < count; ++i) {
        arguments.push_back(platform::from_wide(argv.get()[i]).value_or(""));
    }
    return arguments;
}

struct InstanceMutex {
    platform::KernelHandle handle;  // held open for the life of the process
    DWORD error = 0;                // the last error of CreateMutexW
};

InstanceMutex create_instance_mutex() {
    InstanceMutex mutex;
    mutex.handle.reset(CreateMutexW(nullptr, FALSE, INSTANCE_MUTEX));
    mutex.error = GetLastError();
    return mutex;
}

// The log, opened only after the single-instance mutex is known: a second start must not empty
// the running instance's log, so it writes after that instance's lines.
void open_diagnostic_log(const std::vector<std::string>& arguments, const InstanceMutex& mutex) {
    const auto path = diagnostics::log_path();
    const bool another_runs = mutex.handle && mutex.error == ERROR_ALREADY_EXISTS;
    if (!(another_runs ? diagnostics::open_log_keeping(path) : diagnostics::open_log(path))) {
        return;
    }
    diagnostics::log_line("diagnostic logging enabled");
    diagnostics::log_owned(fmt::format("startup args={} log_path={}", debug_arguments(arguments),
                                       text::path_to_utf8(path).value_or("<not valid text>")));
    diagnostics::log_line("entering window::run");
}

struct ProgramIcons {
    native_interop::Icon large;
    native_interop::Icon small;
};

ProgramIcons program_icons() {
    ProgramIcons icons;
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return icons;
    }
    HICON large = nullptr;
    HICON small = nullptr;
    if (ExtractIconExW(path, 0, &large, &small, 1) > 0) {
        icons.large.reset(large);
        icons.small.reset(small);
    }
    return icons;
}

HWND create_main_window(HINSTANCE instance, const ProgramIcons& icons) {
    const std::uint32_t dpi = state::system_dpi().load();
    const auto size = panel::panel_size(dpi);
    HWND hwnd =
        CreateWindowExW(PANEL_EX_STYLE, CLASS_NAME, WINDOW_TITLE, WS_POPUP, 0, 0, size.width,
                        state::scale_dip(INITIAL_HEIGHT_DIPS, dpi), nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        return nullptr;
    }
    if (icons.large) {
        SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.large.get()));
    }
    if (icons.small) {
        SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.small.get()));
    }
    diagnostics::log_owned(fmt::format("main window created hwnd={}", debug_hwnd(hwnd)));
    return hwnd;
}

state::AppState initial_state(const settings::LoadOutcome& loaded, HWND hwnd, bool system_dark) {
    const settings::SettingsFile& file = loaded.settings;
    const auto setting = localization::language_setting(
        file.language ? std::optional<std::string_view>(*file.language) : std::nullopt);
    const auto effective = localization::effective_language(setting, localization::detect_system_language());
    // From the load outcome, so a file that was there but did not load is kept aside by the first save.
    state::AppState state = state::state_from_load(loaded, static_cast<state::LanguageIndex>(setting),
                                                   static_cast<state::LanguageIndex>(effective));
    state.hwnd = reinterpret_cast<state::WindowHandle>(hwnd);
    state.system_dark = system_dark;
    state::note_settings_load(state, settings::settings_path(), loaded);
    return state;
}

void find_taskbar() {
    if (HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr)) {
        diagnostics::log_owned(fmt::format("taskbar found hwnd={}", debug_hwnd(taskbar)));
        if (auto held = state::app_state().lock()) {
            held->taskbar = reinterpret_cast<state::WindowHandle>(taskbar);
        }
    } else {
        diagnostics::log_line("taskbar not found");
    }
}

void run_message_loop() {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return;
        }
        if (got == -1) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int run_program() {
    const auto arguments = command_line_arguments();
    const bool diagnose = has_diagnose_flag(arguments);
    // Taken before the log opens (see open_diagnostic_log); judged where start-up checks it.
    InstanceMutex mutex = create_instance_mutex();
    if (diagnose) {
        open_diagnostic_log(arguments, mutex);
    }
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    state::system_dpi().store(GetDpiForSystem());
    diagnostics::log_line("window::run started");
    if (!mutex.handle) {
        diagnostics::log_io_error("startup aborted: unable to create single-instance mutex",
                                  platform::os_error(static_cast<std::uint32_t>(mutex.error)));
        return 1;
    }
    if (mutex.error == ERROR_ALREADY_EXISTS) {
        diagnostics::log_line("startup aborted: another instance is already running");
        return 0;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (instance == nullptr) {
        return 1;
    }
    const ProgramIcons icons = program_icons();
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = icons.large.get();
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = CLASS_NAME;
    window_class.hIconSm = icons.small.get();
    if (RegisterClassExW(&window_class) == 0) {
        diagnostics::log_line("RegisterClassExW returned 0");
    }
    const settings::LoadOutcome settings = settings::read_settings_file(settings::settings_path());
    // Read once: the developer overrides point the program at local servers in tests.
    poller::Endpoints endpoints = poller::endpoints_from_environment();
    HWND hwnd = create_main_window(instance, icons);
    if (hwnd == nullptr) {
        return 1;
    }
    const bool system_dark = system_prefers_dark();
    state::app_state().install(initial_state(settings, hwnd, system_dark));
    find_taskbar();
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    sync_tray(hwnd);
    render();
    diagnostics::log_line("panel initialized (hidden)");
    SetTimer(hwnd, TIMER_POLL, POLL_INTERVAL_MS, nullptr);
    SetTimer(hwnd, TIMER_CORNER_HOVER, CORNER_HOVER_MS, nullptr);
    start_background_work(hwnd, std::move(endpoints));
    start_settings_watch(hwnd, settings::settings_path());
    request_poll();
    follow_settings(hwnd);
    refresh_theme();
    if (state::is_pinned()) {
        show_panel(hwnd, state::PanelAnchor::Tray);
    }
    run_message_loop();
    UnregisterClassW(CLASS_NAME, instance);
    return 0;
}

}  // namespace

int run() noexcept {
    try {
        return run_program();
    } catch (...) {
        return 1;
    }
}

}  // namespace window
