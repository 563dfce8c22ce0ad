// The saver child through posix_spawn, a pipe and SIGKILL.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

#include "saver_child.hpp"

extern char** environ;

namespace interrupted_save {

struct SaverChild::Impl {
    pid_t pid = -1;
    int output = -1;
};

SaverChild::SaverChild(const std::filesystem::path& program, const std::string& argument)
    : impl_(std::make_unique<Impl>()) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::string name = program.string();
    std::string arg = argument;
    char* argv[] = {name.data(), arg.data(), nullptr};
    const int failed = ::posix_spawn(&impl_->pid, name.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    impl_->output = fds[0];
    if (failed != 0) {
        ::close(fds[0]);
        throw std::runtime_error("posix_spawn failed");
    }
}

SaverChild::~SaverChild() {
    kill();
    if (impl_->output >= 0) {
        ::close(impl_->output);
    }
}

bool SaverChild::read_progress() {
    char byte = 0;
    for (;;) {
        const ssize_t got = ::read(impl_->output, &byte, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got == 1;
    }
}

void SaverChild::kill() {
    if (impl_->pid <= 0) {
        return;
    }
    ::kill(impl_->pid, SIGKILL);
    int status = 0;
    while (::waitpid(impl_->pid, &status, 0) < 0 && errno == EINTR) {
    }
    impl_->pid = -1;
}

}  // namespace interrupted_save
