#pragma once
// Real proxies for the client's tests, started as child processes on free loopback ports:
// tinyproxy (HTTP, CONNECT for HTTPS) and microsocks (SOCKS5). POSIX only.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace test_http {

// A port on 127.0.0.1 that nothing listened on a moment ago.
[[nodiscard]] std::uint16_t free_loopback_port();

// Polls connect() to 127.0.0.1:port, a bounded number of times; true once a connection is accepted.
[[nodiscard]] bool wait_for_port(std::uint16_t port, pid_t child);

// A child process with stdout and stderr in a file; terminated and reaped on destruction.
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& output);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    [[nodiscard]] pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
};

class LocalProxy {
  public:
    enum class Kind { Tinyproxy, Microsocks };

    // Throws when the proxy does not come up. A tinyproxy with `basic_auth` ("user password")
    // asks every client for those credentials.
    LocalProxy(Kind kind, const std::filesystem::path& folder, const std::string& basic_auth = {});

    [[nodiscard]] std::uint16_t port() const { return port_; }
    // How the proxy variables name it: "http://127.0.0.1:<port>" or "socks5://127.0.0.1:<port>".
    [[nodiscard]] std::string address() const;
    // What the proxy printed so far (it logs each connection it makes).
    [[nodiscard]] std::string output() const;

  private:
    Kind kind_;
    std::uint16_t port_ = 0;
    std::filesystem::path output_;
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace test_http
