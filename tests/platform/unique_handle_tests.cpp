#include <gtest/gtest.h>

#include <vector>

#include "platform/unique_handle.hpp"

namespace {

// Handles are small integers; the traits keep a journal of what the owner did with them.
struct Journal {
    std::vector<int> adopted;
    std::vector<int> released;
    std::vector<int> closed;
    [[nodiscard]] long owned() const {
        return static_cast<long>(adopted.size()) - static_cast<long>(released.size());
    }
};
Journal journal;

struct CountingTraits {
    using Handle = int;
    static Handle invalid() noexcept { return 0; }
    static void adopted(Handle h) noexcept { journal.adopted.push_back(h); }
    static void released(Handle h) noexcept { journal.released.push_back(h); }
    static void close(Handle h) noexcept {
        journal.closed.push_back(h);
        released(h);
    }
};
using Owner = platform::UniqueHandle<CountingTraits>;

class UniqueHandleCounting : public testing::Test {
  protected:
    void SetUp() override { journal = {}; }
};

TEST_F(UniqueHandleCounting, EveryPathClosesOnceAndKeepsTheCountBalanced) {
    {
        Owner a(1);
        Owner b(std::move(a));  // a move hands over, nothing adopted or closed twice
        EXPECT_FALSE(a.valid());
        Owner c(2);
        c = std::move(b);  // 2 is closed, 1 moves on
        EXPECT_EQ(c.get(), 1);
        EXPECT_EQ(journal.closed, std::vector<int>{2});
        Owner& same = c;
        c = std::move(same);  // self-move keeps the handle
        EXPECT_EQ(c.get(), 1);
        EXPECT_EQ(journal.owned(), 1);
    }
    EXPECT_EQ(journal.closed, (std::vector<int>{2, 1}));
    EXPECT_EQ(journal.owned(), 0);
}

TEST_F(UniqueHandleCounting, ResetAndReleaseHandOverOwnership) {
    Owner a(3);
    a.reset(3);  // resetting to the handle it holds must not close it
    EXPECT_TRUE(journal.closed.empty());
    EXPECT_EQ(a.get(), 3);
    a.reset(4);
    EXPECT_EQ(journal.closed, std::vector<int>{3});
    const int mine = a.release();  // the caller owns 4 now: counted as given away, not closed
    EXPECT_EQ(mine, 4);
    EXPECT_FALSE(a.valid());
    EXPECT_EQ(journal.closed, std::vector<int>{3});
    EXPECT_EQ(journal.owned(), 0);
    a.reset();  // nothing held: nothing happens
    Owner empty;
    EXPECT_EQ(empty.release(), 0);
    EXPECT_EQ(journal.adopted, (std::vector<int>{3, 4}));
    EXPECT_EQ(journal.released, (std::vector<int>{3, 4}));
}

}  // namespace
