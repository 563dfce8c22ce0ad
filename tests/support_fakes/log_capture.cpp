#include "log_capture.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "diagnostics/log.hpp"
#include "support/temp_folder.hpp"

namespace test_fakes {

const std::filesystem::path& LogCapture::path() {
    static test_support::TempFolder* folder = new test_support::TempFolder("gaugelet-log");
    static const std::filesystem::path file = folder->path() / "gaugelet.log";
    static const bool opened = diagnostics::open_log(file);
    EXPECT_TRUE(opened);
    return file;
}

LogCapture::LogCapture() {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path(), ec);
    mark_ = ec ? 0 : static_cast<std::size_t>(size);
}

std::string LogCapture::text() const {
    const std::string all = test_support::read_text(path());
    return all.size() > mark_ ? all.substr(mark_) : std::string();
}

std::vector<std::string> LogCapture::lines() const {
    std::vector<std::string> messages;
    std::istringstream in(text());
    for (std::string line; std::getline(in, line);) {
        const auto close = line.find("] ");
        messages.push_back(close == std::string::npos ? line : line.substr(close + 2));
    }
    return messages;
}

}  // namespace test_fakes
