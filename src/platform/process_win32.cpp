// Child processes through CreateProcessW: hidden, started suspended and put into a job object
// before they run (so everything they start is in the job too), inheriting only the handles
// meant for them, with captured pipes drained by reader threads.
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/command_line.hpp"
#include "platform/os_handle_win32.hpp"
#include "platform/process.hpp"
#include "platform/wide_win32.hpp"
#include "platform/windows_win32.hpp"

namespace platform {
namespace {

class AttributeList {
  public:
    explicit AttributeList(DWORD count) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, count, 0, &size);
        storage_.resize(size);
        list_ = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
        if (!InitializeProcThreadAttributeList(list_, count, 0, &size)) {
            list_ = nullptr;
        }
    }
    ~AttributeList() {
        if (list_ != nullptr) {
            DeleteProcThreadAttributeList(list_);
        }
    }
    AttributeList(const AttributeList&) = delete;
    AttributeList& operator=(const AttributeList&) = delete;
    [[nodiscard]] LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }

  private:
    std::vector<unsigned char> storage_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

bool same_variable(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// The variable name of an environment entry; entries such as "=C:=C:\dir" start with "=".
std::wstring_view entry_name(std::wstring_view entry) {
    const auto equals = entry.find(L'=', 1);
    return entry.substr(0, equals);
}

// The parent's environment with the changes applied, as a sorted UTF-16 block. Nothing when a
// name or value cannot be passed.
std::optional<std::wstring> environment_block(const ChildCommand& command) {
    struct Change {
        std::wstring name;
        std::optional<std::wstring> value;
    };
    std::vector<Change> changes;
    for (const auto& name : command.removed_variables) {
        auto wide = to_wide(name);
        if (!wide || wide->empty() ||
            wide->find_first_of(std::wstring_view(L"=\0", 2)) != std::wstring::npos) {
            return std::nullopt;
        }
        changes.push_back({std::move(*wide), std::nullopt});
    }
    for (const auto& [name, value] : command.set_variables) {
        auto wide_name = to_wide(name);
        auto wide_value = to_wide(value);
        if (!wide_name || !wide_value || wide_name->empty() ||
            wide_name->find_first_of(std::wstring_view(L"=\0", 2)) != std::wstring::npos ||
            wide_value->find(L'\0') != std::wstring::npos) {
            return std::nullopt;
        }
        changes.push_back({std::move(*wide_name), std::move(*wide_value)});
    }

    std::vector<std::wstring> entries;
    if (wchar_t* strings = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
            const std::wstring_view text(entry);
            const bool changed = std::any_of(changes.begin(), changes.end(), [&](const Change& c) {
                return same_variable(c.name, entry_name(text));
            });
            if (!changed) {
                entries.emplace_back(text);
            }
        }
        FreeEnvironmentStringsW(strings);
    }
    for (const auto& change : changes) {
        if (change.value) {
            entries.push_back(change.name + L"=" + *change.value);
        }
    }
    // Windows expects the block sorted by name, case-insensitively.
    std::stable_sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        const auto x = entry_name(a);
        const auto y = entry_name(b);
        return CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                                    static_cast<int>(y.size()), TRUE) == CSTR_LESS_THAN;
    });
    std::wstring block;
    for (const auto& entry : entries) {
        block += entry;
        block += L'\0';
    }
    if (entries.empty()) {
        block += L'\0';
    }
    block += L'\0';
    return block;
}

KernelHandle inheritable_null(DWORD access) {
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    const HANDLE file = CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return KernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// An inheritable copy of one of our own standard handles, or none when we have none (a GUI process).
KernelHandle inheritable_copy(DWORD which) {
    const HANDLE own = GetStdHandle(which);
    if (own == nullptr || own == INVALID_HANDLE_VALUE) {
        return KernelHandle();
    }
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return KernelHandle();
    }
    return KernelHandle(copy);
}

// Reads one pipe to its end, keeping at most MAX_CAPTURED_BYTES; past that the stream is dropped
// and `overflowed` set, and the pipe is still read so the child is never held up.
void drain_pipe(HANDLE pipe, std::string& sink, bool& overflowed) {
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) || read == 0) {
            return;  // ERROR_BROKEN_PIPE: every writer is gone
        }
        if (overflowed || read > MAX_CAPTURED_BYTES - sink.size()) {
            overflowed = true;
            std::string().swap(sink);
            continue;
        }
        sink.append(buffer, read);
    }
}

DWORD milliseconds_for_wait(std::chrono::milliseconds timeout) {
    const auto count = std::clamp<long long>(timeout.count(), 0, INFINITE - 1);
    return static_cast<DWORD>(count);
}

}  // namespace

struct Process::Impl {
    KernelHandle process;
    KernelHandle job;
    DWORD pid = 0;
    bool exited = false;
    bool end_leftovers = false;

    KernelHandle output_read;
    KernelHandle error_read;
    std::string output;
    std::string error;
    bool output_overflowed = false;  // each written by its reader, read after the readers were joined
    bool error_overflowed = false;
    std::thread output_reader;
    std::thread error_reader;
    std::mutex mutex;
    std::condition_variable drained_changed;
    int readers_running = 0;

    ~Impl() {
        if (process && !exited && WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0) {
            end_tree();
        }
        exited = true;
        std::unique_lock lock(mutex);
        if (!drained_changed.wait_for(lock, std::chrono::milliseconds(0),
                                      [&] { return readers_running == 0; })) {
            lock.unlock();
            end_tree();  // something left behind holds our pipes
        } else {
            lock.unlock();
        }
        join_readers();
        if (job && end_leftovers) {
            TerminateJobObject(job.get(), 1);
        } else if (job) {
            // The child exited by itself: what it left running (a browser it opened) may stay.
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
        }
    }

    void end_tree() noexcept {
        if (job) {
            TerminateJobObject(job.get(), 1);
        } else if (process) {
            TerminateProcess(process.get(), 1);
        }
        if (process) {
            WaitForSingleObject(process.get(), INFINITE);
        }
    }

    void start_reader(std::thread& thread, HANDLE pipe, std::string& sink, bool& overflowed) {
        {
            const std::lock_guard lock(mutex);
            ++readers_running;
        }
        try {
            thread = std::thread([this, pipe, &sink, &overflowed] {
                drain_pipe(pipe, sink, overflowed);
                const std::lock_guard lock(mutex);
                --readers_running;
                drained_changed.notify_all();
            });
        } catch (...) {
            const std::lock_guard lock(mutex);
            --readers_running;
            throw;
        }
    }

    void join_readers() noexcept {
        if (output_reader.joinable()) {
            output_reader.join();
        }
        if (error_reader.joinable()) {
            error_reader.join();
        }
    }
};

Process::Process(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Process::Process(Process&&) noexcept = default;
Process& Process::operator=(Process&&) noexcept = default;
Process::~Process() = default;

std::uint32_t Process::id() const noexcept {
    return impl_->pid;
}

std::variant<Process, IoError> Process::start(const ChildCommand& command) {
    const auto line = windows_command_line(command.program, command.arguments);
    auto wide_line = line ? to_wide(*line) : std::nullopt;
    if (!wide_line) {
        return os_error(ERROR_INVALID_PARAMETER);
    }
    std::optional<std::wstring> environment;
    if (!command.set_variables.empty() || !command.removed_variables.empty()) {
        environment = environment_block(command);
        if (!environment) {
            return os_error(ERROR_INVALID_PARAMETER);
        }
    }
    std::optional<std::wstring> directory;
    if (command.working_directory) {
        directory = command.working_directory->native();
    }

    auto impl = std::make_unique<Impl>();
    impl->end_leftovers = command.leftovers == Leftovers::End;
    KernelHandle standard[3];
    const auto connect = [&](StdioMode mode, DWORD which, bool input, KernelHandle& read_end,
                             KernelHandle& slot) -> std::optional<IoError> {
        if (mode == StdioMode::Inherit) {
            slot = inheritable_copy(which);
        } else if (mode == StdioMode::Discard || input) {
            slot = inheritable_null(input ? GENERIC_READ : GENERIC_WRITE);
            if (!slot) {
                return last_os_error();
            }
        } else {
            HANDLE read = nullptr;
            HANDLE write = nullptr;
            if (!CreatePipe(&read, &write, nullptr, 0)) {
                return last_os_error();
            }
            read_end.reset(read);
            slot.reset(write);
            if (!SetHandleInformation(write, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) {
                return last_os_error();
            }
        }
        return std::nullopt;
    };
    KernelHandle unused;
    if (auto error = connect(command.standard_input, STD_INPUT_HANDLE, true, unused, standard[0])) {
        return *error;
    }
    if (auto error =
            connect(command.standard_output, STD_OUTPUT_HANDLE, false, impl->output_read, standard[1])) {
        return *error;
    }
    if (auto error =
            connect(command.standard_error, STD_ERROR_HANDLE, false, impl->error_read, standard[2])) {
        return *error;
    }

    // Only these handles reach the child, so a child started at the same time on another thread
    // never holds our pipes open.
    std::vector<HANDLE> inherited;
    for (const auto& handle : standard) {
        if (handle && std::find(inherited.begin(), inherited.end(), handle.get()) == inherited.end()) {
            inherited.push_back(handle.get());
        }
    }
    AttributeList attributes(1);
    if (attributes.get() == nullptr) {
        return last_os_error();
    }
    if (!inherited.empty() &&
        !UpdateProcThreadAttribute(attributes.get(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.data(),
                                   inherited.size() * sizeof(HANDLE), nullptr, nullptr)) {
        return last_os_error();
    }

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = standard[0].get();
    startup.StartupInfo.hStdOutput = standard[1].get();
    startup.StartupInfo.hStdError = standard[2].get();
    startup.lpAttributeList = attributes.get();

    const DWORD flags =
        CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, wide_line->data(), nullptr, nullptr, inherited.empty() ? FALSE : TRUE, flags,
                        environment ? environment->data() : nullptr, directory ? directory->c_str() : nullptr,
                        &startup.StartupInfo, &info)) {
        return last_os_error();
    }
    impl->process.reset(info.hProcess);
    const KernelHandle thread(info.hThread);
    impl->pid = info.dwProcessId;
    for (auto& handle : standard) {
        handle.reset();  // the child's copies are all that keep the pipes open now
    }

    // The job ends the whole tree on time-out, and with us should we die first. Without one (a
    // system that refuses nested jobs) only the child itself can be ended.
    impl->job.reset(CreateJobObjectW(nullptr, nullptr));
    if (impl->job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(impl->job.get(), JobObjectExtendedLimitInformation, &limits,
                                     sizeof limits) ||
            !AssignProcessToJobObject(impl->job.get(), impl->process.get())) {
            impl->job.reset();
        }
    }
    if (ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
        const IoError error = last_os_error();
        TerminateProcess(impl->process.get(), 1);
        WaitForSingleObject(impl->process.get(), INFINITE);
        impl->exited = true;
        return error;
    }

    try {
        if (impl->output_read) {
            impl->start_reader(impl->output_reader, impl->output_read.get(), impl->output,
                               impl->output_overflowed);
        }
        if (impl->error_read) {
            impl->start_reader(impl->error_reader, impl->error_read.get(), impl->error,
                               impl->error_overflowed);
        }
    } catch (const std::system_error& e) {
        impl->end_tree();
        impl->exited = true;
        return os_error(static_cast<std::uint32_t>(e.code().value()));
    }
    return Process(std::move(impl));
}

Process::State Process::wait_for(std::chrono::milliseconds timeout) {
    if (impl_->exited) {
        return State::Exited;
    }
    switch (WaitForSingleObject(impl_->process.get(), milliseconds_for_wait(timeout))) {
        case WAIT_OBJECT_0:
            impl_->exited = true;
            return State::Exited;
        case WAIT_TIMEOUT:
            return State::Running;
        default:
            return State::Failed;
    }
}

void Process::kill() noexcept {
    impl_->end_tree();
    impl_->exited = true;
    impl_->join_readers();
}

std::optional<ProcessOutput> Process::finish(std::chrono::milliseconds patience) {
    if (wait_for(std::chrono::milliseconds(0)) != State::Exited) {
        return std::nullopt;
    }
    if (impl_->end_leftovers && impl_->job) {
        // What they hold of our pipes closes with them; what the child wrote stays readable.
        TerminateJobObject(impl_->job.get(), 1);
    }
    {
        std::unique_lock lock(impl_->mutex);
        if (!impl_->drained_changed.wait_for(lock, patience, [&] { return impl_->readers_running == 0; })) {
            lock.unlock();
            impl_->end_tree();  // the rest of the tree still holds our pipes
        }
    }
    impl_->join_readers();
    DWORD code = 0;
    if (impl_->output_overflowed || impl_->error_overflowed ||
        !GetExitCodeProcess(impl_->process.get(), &code)) {
        return std::nullopt;
    }
    return ProcessOutput{code, std::move(impl_->output), std::move(impl_->error)};
}

}  // namespace platform
