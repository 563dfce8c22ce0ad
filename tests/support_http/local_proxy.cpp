// Proxy child processes with posix_spawn; readiness by polling connect().
#include "local_proxy.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace test_http {
namespace {

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

class Socket {
  public:
    Socket() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {}
    ~Socket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    [[nodiscard]] int fd() const { return fd_; }

  private:
    int fd_;
};

const char* program_for(LocalProxy::Kind kind) {
    return kind == LocalProxy::Kind::Tinyproxy ? "/usr/bin/tinyproxy" : "/usr/bin/microsocks";
}

}  // namespace

std::uint16_t free_loopback_port() {
    Socket socket;
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (socket.fd() < 0 || ::bind(socket.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket.fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("no free loopback port");
    }
    return ntohs(address.sin_port);
}

bool wait_for_port(std::uint16_t port, pid_t child) {
    constexpr int ATTEMPTS = 500;
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        Socket socket;
        const sockaddr_in address = loopback(port);
        if (::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            return true;
        }
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) {
            return false;  // it exited: the port was taken or the configuration refused
        }
        // A pause between polls, not a wait for a result: the loop ends on the first connection.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> args;
    for (const auto& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const int failed = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        pid_ = -1;
        throw std::runtime_error("could not start " + argv.front());
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
}

LocalProxy::LocalProxy(Kind kind, const std::filesystem::path& folder, const std::string& basic_auth)
    : kind_(kind) {
    const std::string name = kind == Kind::Tinyproxy ? "tinyproxy" : "microsocks";
    output_ = folder / (name + ".out");
    // The port may be taken between choosing and binding it: try a few.
    for (int attempt = 0; attempt < 3 && !process_; ++attempt) {
        port_ = free_loopback_port();
        std::vector<std::string> argv;
        if (kind == Kind::Tinyproxy) {
            const auto config = folder / "tinyproxy.conf";
            std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\nAllow 127.0.0.1\n"
                                  << "LogLevel Connect\nMaxClients 20\n"
                                  << (basic_auth.empty() ? "" : "BasicAuth " + basic_auth + "\n");
            argv = {program_for(kind), "-d", "-c", config.string()};
        } else {
            argv = {program_for(kind), "-i", "127.0.0.1", "-p", std::to_string(port_)};
        }
        auto process = std::make_unique<ChildProcess>(argv, output_);
        if (wait_for_port(port_, process->pid())) {
            process_ = std::move(process);
        }
    }
    if (!process_) {
        throw std::runtime_error(name + " did not start: " + output());
    }
}

std::string LocalProxy::address() const {
    return (kind_ == Kind::Tinyproxy ? "http://127.0.0.1:" : "socks5://127.0.0.1:") + std::to_string(port_);
}

std::string LocalProxy::output() const {
    std::ifstream in(output_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace test_http
