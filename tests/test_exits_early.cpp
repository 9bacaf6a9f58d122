// A program that leaves in its second case with status 0: CTest must count it failed (the
// test is registered as one expected to fail; see tests/run_to_end.sh).
#include <gtest/gtest.h>
#include <cstdlib>

TEST(ExitsEarly, FirstCasePasses)
{
    EXPECT_EQ(1 + 1, 2);
}

TEST(ExitsEarly, SecondCaseLeavesWithStatusZero)
{
    std::exit(0);
}
