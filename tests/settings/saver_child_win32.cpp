// The saver child through CreateProcessW, an anonymous pipe and TerminateProcess.
#include <stdexcept>
#include <string>

#include "platform/os_handle_win32.hpp"
#include "platform/windows_win32.hpp"
#include "saver_child.hpp"

namespace interrupted_save {

struct SaverChild::Impl {
    platform::KernelHandle process;
    platform::KernelHandle output;
};

SaverChild::SaverChild(const std::filesystem::path& program, const std::string& argument)
    : impl_(std::make_unique<Impl>()) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inheritable, 0)) {
        throw std::runtime_error("CreatePipe failed");
    }
    impl_->output.reset(read_end);
    platform::KernelHandle child_end(write_end);
    // Only the child's end is inherited.
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = child_end.get();
    // The test's paths are ASCII; quoting covers the spaces a prefix path may hold.
    std::wstring line =
        L"\"" + program.wstring() + L"\" \"" + std::wstring(argument.begin(), argument.end()) + L"\"";
    PROCESS_INFORMATION info{};
    // Wine now and then refuses a start while it is still tearing down the child killed just
    // before; a few more tries tell that apart from a start that cannot work.
    DWORD error = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                           nullptr, &startup, &info)) {
            error = 0;
            break;
        }
        error = GetLastError();
        Sleep(100);
    }
    if (error != 0) {
        throw std::runtime_error("CreateProcessW failed with error " + std::to_string(error));
    }
    CloseHandle(info.hThread);
    impl_->process.reset(info.hProcess);
}

SaverChild::~SaverChild() {
    kill();
}

bool SaverChild::read_progress() {
    char byte = 0;
    DWORD got = 0;
    return ReadFile(impl_->output.get(), &byte, 1, &got, nullptr) && got == 1;
}

void SaverChild::kill() {
    if (!impl_->process) {
        return;
    }
    TerminateProcess(impl_->process.get(), 1);
    WaitForSingleObject(impl_->process.get(), INFINITE);
    impl_->process.reset();
}

}  // namespace interrupted_save
