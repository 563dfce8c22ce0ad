#pragma once
// The process-wide diagnostic log, opened into a temporary file for a test program, and the
// lines written since a mark.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace test_fakes {

class LogCapture {
  public:
    // Opens the process log (once per program) and marks its current end.
    LogCapture();
    // The messages written since the mark, without their time stamps.
    [[nodiscard]] std::vector<std::string> lines() const;
    // The whole log text since the mark, as written.
    [[nodiscard]] std::string text() const;

    [[nodiscard]] static const std::filesystem::path& path();

  private:
    std::size_t mark_ = 0;
};

}  // namespace test_fakes
