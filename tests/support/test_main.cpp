// The main of every test program: GoogleTest, plus one tally line per program appended to the
// file named by GAUGELET_TEST_TALLY, which scripts/test adds up across all suites.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string program_name(const char* argv0) {
    std::string name = argv0 != nullptr ? argv0 : "tests";
    const auto slash = name.find_last_of("/\\");
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0) {
        name.erase(name.size() - 4);
    }
    return name;
}

class TallyListener : public testing::EmptyTestEventListener {
public:
    explicit TallyListener(std::string name) : name_(std::move(name)) {}

    void OnTestProgramEnd(const testing::UnitTest& unit) override {
        const char* target = std::getenv("GAUGELET_TEST_TALLY");
        if (target == nullptr || *target == '\0') {
            return;
        }
        std::string path = target;
#ifdef _WIN32
        // Under Wine the Unix file system is drive Z:.
        if (path.front() == '/') {
            path = "Z:" + path;
        }
#endif
        if (std::FILE* file = std::fopen(path.c_str(), "a")) {
            std::fprintf(file, "%s %d %d %d\n", name_.c_str(), unit.successful_test_count(),
                         unit.failed_test_count(), unit.skipped_test_count());
            std::fclose(file);
        }
    }

private:
    std::string name_;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new TallyListener(program_name(argv[0])));
    return RUN_ALL_TESTS();
}
