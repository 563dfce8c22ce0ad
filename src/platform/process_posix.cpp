// Child processes through posix_spawn, each leading its own process group so that ending it on
// time-out ends everything it started. A waiter thread watches for the exit without reaping it
// (the pid, and so the group id, stays reserved until we reap), and one reader thread drains the
// captured pipes while the child runs.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/os_handle_posix.hpp"
#include "platform/process.hpp"

extern char** environ;

namespace platform {
namespace {

std::optional<IoError> make_pipe(Fd& read_end, Fd& write_end) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return last_os_error();
    }
    read_end.reset(fds[0]);
    write_end.reset(fds[1]);
    return std::nullopt;
}

std::uint32_t exit_code_of(int status) {
    if (WIFEXITED(status)) {
        return static_cast<std::uint32_t>(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return 128u + static_cast<std::uint32_t>(WTERMSIG(status));
    }
    return 255u;
}

// The parent's environment with the command's changes, as "NAME=value" strings.
std::optional<std::vector<std::string>> child_environment(const ChildCommand& command) {
    const auto valid_name = [](const std::string& name) {
        return !name.empty() && name.find('=') == std::string::npos && name.find('\0') == std::string::npos;
    };
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        bool changed = false;
        for (const auto& removed : command.removed_variables) {
            changed = changed || removed == name;
        }
        for (const auto& [set_name, value] : command.set_variables) {
            changed = changed || set_name == name;
        }
        if (!changed) {
            entries.push_back(std::move(text));
        }
    }
    for (const auto& name : command.removed_variables) {
        if (!valid_name(name)) {
            return std::nullopt;
        }
    }
    for (const auto& [name, value] : command.set_variables) {
        if (!valid_name(name) || value.find('\0') != std::string::npos) {
            return std::nullopt;
        }
        entries.push_back(name + "=" + value);
    }
    return entries;
}

class SpawnActions {
  public:
    SpawnActions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
    ~SpawnActions() {
        if (ok_) {
            posix_spawn_file_actions_destroy(&actions_);
        }
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return ok_ ? &actions_ : nullptr; }

  private:
    posix_spawn_file_actions_t actions_{};
    bool ok_ = false;
};

class SpawnAttributes {
  public:
    SpawnAttributes() { ok_ = posix_spawnattr_init(&attributes_) == 0; }
    ~SpawnAttributes() {
        if (ok_) {
            posix_spawnattr_destroy(&attributes_);
        }
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return ok_ ? &attributes_ : nullptr; }

  private:
    posix_spawnattr_t attributes_{};
    bool ok_ = false;
};

}  // namespace

struct Process::Impl {
    pid_t pid = -1;
    bool reaped = false;
    int status = 0;
    bool end_leftovers = false;

    std::mutex mutex;
    std::condition_variable changed;
    bool exited = false;       // the waiter saw the exit (not yet reaped)
    bool wait_failed = false;  // the waiter could not watch the child
    bool drained = false;      // the reader saw the end of every captured pipe
    std::thread waiter;
    std::thread reader;

    Fd output_read;
    Fd error_read;
    Fd stop_read;  // the reader also ends when this pipe becomes readable
    Fd stop_write;
    std::string output;
    std::string error;
    bool overflowed = false;  // written by the reader, read after it was joined

    ~Impl() {
        if (pid > 0 && !reaped) {
            std::unique_lock lock(mutex);
            if (!exited || end_leftovers) {
                lock.unlock();
                end_tree();  // an exited child is not reaped yet, so its group id is still ours
            }
        }
        join_waiter_and_reap();
        stop_reader();
    }

    void watch() {
        siginfo_t info{};
        for (;;) {
            if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) == 0) {
                break;
            }
            if (errno != EINTR) {
                const std::lock_guard lock(mutex);
                wait_failed = true;
                changed.notify_all();
                return;
            }
        }
        const std::lock_guard lock(mutex);
        exited = true;
        changed.notify_all();
    }

    void drain() {
        pollfd fds[3] = {
            {output_read.get(), POLLIN, 0}, {error_read.get(), POLLIN, 0}, {stop_read.get(), POLLIN, 0}};
        std::string* sinks[2] = {&output, &error};
        char buffer[64 * 1024];
        for (;;) {
            if (fds[0].fd < 0 && fds[1].fd < 0) {
                break;
            }
            const int ready = ::poll(fds, 3, -1);
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
                break;
            }
            if (fds[2].revents != 0) {
                break;
            }
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || fds[i].revents == 0) {
                    continue;
                }
                const ssize_t count = ::read(fds[i].fd, buffer, sizeof buffer);
                if (count > 0) {
                    keep(*sinks[i], buffer, static_cast<std::size_t>(count));
                } else if (count == 0 || errno != EINTR) {
                    fds[i].fd = -1;  // the end of this pipe; poll ignores negative descriptors
                }
            }
        }
        const std::lock_guard lock(mutex);
        drained = true;
        changed.notify_all();
    }

    // Appends up to the cap; past it the stream is dropped and only read on.
    void keep(std::string& sink, const char* bytes, std::size_t count) {
        if (overflowed || count > MAX_CAPTURED_BYTES - sink.size()) {
            overflowed = true;
            std::string().swap(sink);
            return;
        }
        sink.append(bytes, count);
    }

    // SIGKILL to the child's group: the child and everything it started that stayed in the group.
    void end_tree() noexcept {
        if (pid > 0 && !reaped) {
            if (::killpg(pid, SIGKILL) != 0) {
                ::kill(pid, SIGKILL);
            }
        }
    }

    void join_waiter_and_reap() noexcept {
        if (waiter.joinable()) {
            waiter.join();
        }
        if (pid > 0 && !reaped && exited) {
            int result = 0;
            do {
                result = ::waitpid(pid, &status, 0);
            } while (result < 0 && errno == EINTR);
            reaped = true;
        }
    }

    void stop_reader() noexcept {
        if (reader.joinable()) {
            const char byte = 0;
            while (::write(stop_write.get(), &byte, 1) < 0 && errno == EINTR) {
            }
            reader.join();
        }
    }
};

Process::Process(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Process::Process(Process&&) noexcept = default;
Process& Process::operator=(Process&&) noexcept = default;
Process::~Process() = default;

std::uint32_t Process::id() const noexcept {
    return static_cast<std::uint32_t>(impl_->pid);
}

std::variant<Process, IoError> Process::start(const ChildCommand& command) {
    const auto environment = child_environment(command);
    if (!environment || command.program.empty() || command.program.find('\0') != std::string::npos) {
        return os_error(EINVAL);
    }
    for (const auto& argument : command.arguments) {
        if (argument.find('\0') != std::string::npos) {
            return os_error(EINVAL);
        }
    }

    auto impl = std::make_unique<Impl>();
    impl->end_leftovers = command.leftovers == Leftovers::End;
    Fd output_write;
    Fd error_write;
    if (command.standard_output == StdioMode::Capture) {
        if (auto error = make_pipe(impl->output_read, output_write)) {
            return *error;
        }
    }
    if (command.standard_error == StdioMode::Capture) {
        if (auto error = make_pipe(impl->error_read, error_write)) {
            return *error;
        }
    }
    if (auto error = make_pipe(impl->stop_read, impl->stop_write)) {
        return *error;
    }

    SpawnActions actions;
    SpawnAttributes attributes;
    if (actions.get() == nullptr || attributes.get() == nullptr) {
        return os_error(ENOMEM);
    }
    int failure = 0;
    const auto add = [&](int result) { failure = failure != 0 ? failure : result; };
    if (command.standard_input != StdioMode::Inherit) {
        add(posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0));
    }
    const auto connect = [&](StdioMode mode, const Fd& pipe_end, int target) {
        if (mode == StdioMode::Discard) {
            add(posix_spawn_file_actions_addopen(actions.get(), target, "/dev/null", O_WRONLY, 0));
        } else if (mode == StdioMode::Capture) {
            add(posix_spawn_file_actions_adddup2(actions.get(), pipe_end.get(), target));
        }
    };
    connect(command.standard_output, output_write, STDOUT_FILENO);
    connect(command.standard_error, error_write, STDERR_FILENO);
    std::string directory;
    if (command.working_directory) {
        directory = command.working_directory->native();
        add(posix_spawn_file_actions_addchdir_np(actions.get(), directory.c_str()));
    }

    // Its own group (so the tree can be killed as one), no blocked signals, default handlers.
    sigset_t signals;
    sigemptyset(&signals);
    add(posix_spawnattr_setsigmask(attributes.get(), &signals));
    sigfillset(&signals);
    add(posix_spawnattr_setsigdefault(attributes.get(), &signals));
    add(posix_spawnattr_setpgroup(attributes.get(), 0));
    add(posix_spawnattr_setflags(attributes.get(),
                                 POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
    if (failure != 0) {
        return os_error(static_cast<std::uint32_t>(failure));
    }

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(command.program.c_str()));
    for (const auto& argument : command.arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& entry : *environment) {
        envp.push_back(const_cast<char*>(entry.c_str()));
    }
    envp.push_back(nullptr);

    pid_t pid = -1;
    const bool search = command.program.find('/') == std::string::npos;
    const int spawned =
        search ? ::posix_spawnp(&pid, argv[0], actions.get(), attributes.get(), argv.data(), envp.data())
               : ::posix_spawn(&pid, argv[0], actions.get(), attributes.get(), argv.data(), envp.data());
    if (spawned != 0) {
        return os_error(static_cast<std::uint32_t>(spawned));
    }
    impl->pid = pid;
    // Only the child holds the write ends now, so the reader sees the end when the tree is done.
    output_write.reset();
    error_write.reset();

    try {
        impl->waiter = std::thread([raw = impl.get()] { raw->watch(); });
        if (impl->output_read || impl->error_read) {
            impl->reader = std::thread([raw = impl.get()] { raw->drain(); });
        } else {
            impl->drained = true;
        }
    } catch (const std::system_error& e) {
        impl->end_tree();
        if (!impl->waiter.joinable()) {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            impl->reaped = true;
        } else {
            const std::lock_guard lock(impl->mutex);
            impl->exited = true;  // SIGKILL ends it; the destructor joins the waiter and reaps
        }
        return os_error(static_cast<std::uint32_t>(e.code().value()));
    }
    return Process(std::move(impl));
}

Process::State Process::wait_for(std::chrono::milliseconds timeout) {
    std::unique_lock lock(impl_->mutex);
    impl_->changed.wait_for(lock, timeout, [&] { return impl_->exited || impl_->wait_failed; });
    if (impl_->exited) {
        return State::Exited;
    }
    return impl_->wait_failed ? State::Failed : State::Running;
}

void Process::kill() noexcept {
    impl_->end_tree();
    {
        std::unique_lock lock(impl_->mutex);
        impl_->changed.wait(lock, [&] { return impl_->exited || impl_->wait_failed; });
    }
    impl_->join_waiter_and_reap();
    impl_->stop_reader();
}

std::optional<ProcessOutput> Process::finish(std::chrono::milliseconds patience) {
    {
        std::unique_lock lock(impl_->mutex);
        if (!impl_->exited) {
            return std::nullopt;
        }
        if (impl_->end_leftovers) {
            // What they hold of our pipes closes with them; what the child wrote stays readable.
            lock.unlock();
            impl_->end_tree();
            lock.lock();
        }
        if (!impl_->changed.wait_for(lock, patience, [&] { return impl_->drained; })) {
            lock.unlock();
            impl_->end_tree();  // the group still holds our pipes; the child itself is waiting to be reaped
            lock.lock();
            impl_->changed.wait_for(lock, patience, [&] { return impl_->drained; });
        }
    }
    impl_->stop_reader();  // a holder that left the group cannot keep us waiting
    impl_->join_waiter_and_reap();
    if (!impl_->reaped || impl_->overflowed) {
        return std::nullopt;
    }
    return ProcessOutput{exit_code_of(impl_->status), std::move(impl_->output), std::move(impl_->error)};
}

}  // namespace platform
