// gaugelet.exe's entry point: a GUI program with no console, everything else in window::run.
#include "platform/windows_win32.hpp"
#include "window/window_run.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return window::run();
}
