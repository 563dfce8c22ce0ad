#pragma once
// A child process whose standard output is a pipe the test reads byte by byte, and that the test
// kills outright: SIGKILL on POSIX, TerminateProcess on Windows. Neither gives the child a chance
// to clean up, as when a user's machine loses power or the task manager ends the program.

#include <filesystem>
#include <memory>
#include <string>

namespace interrupted_save {

class SaverChild {
  public:
    // Starts `program` with one argument; throws when it cannot be started.
    SaverChild(const std::filesystem::path& program, const std::string& argument);
    ~SaverChild();
    SaverChild(const SaverChild&) = delete;
    SaverChild& operator=(const SaverChild&) = delete;

    // Blocks until the child writes one more byte; false when its output ended.
    bool read_progress();
    // Kills the child at once and waits until it is gone (reaped, its handle closed).
    void kill();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace interrupted_save
