#include "platform/crt.h"
#include "platform/testing/hooks.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// The classic runtime sequence, worked from state = state * 214013 + 2531011 and
// value = (state >> 16) & 0x7FFF with seed 1.
TEST(CrtRand, SeedOneGivesTheClassicSequence) {
    crt::srand(1);
    EXPECT_EQ(crt::rand(), 41);
    EXPECT_EQ(crt::rand(), 18467);
    EXPECT_EQ(crt::rand(), 6334);
    EXPECT_EQ(crt::rand(), 26500);
}

TEST(CrtRand, AThreadThatNeverSeedsStartsAsIfSeededWithOne) {
    int first = -1;
    std::thread([&] { first = crt::rand(); }).join();
    EXPECT_EQ(first, 41);
}

TEST(CrtRand, SeedingOneThreadLeavesAnotherThreadsSequenceAlone) {
    crt::srand(1);
    crt::rand();  // 41
    std::thread([] {
        crt::srand(12345);
        crt::rand();
    }).join();
    EXPECT_EQ(crt::rand(), 18467);
}

TEST(CrtRand, ValuesStayWithinFifteenBits) {
    crt::srand(0xDEADBEEF);
    for (int i = 0; i < 100000; ++i) {
        const int v = crt::rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, crt::RAND_MAX_VALUE);
    }
}

TEST(CrtRand, SeedZeroFollowsTheFormula) {
    // state 0 -> 2531011 = 0x269EC3; (0x269EC3 >> 16) & 0x7FFF = 0x26 = 38.
    crt::srand(0);
    EXPECT_EQ(crt::rand(), 38);
}

TEST(CrtMalloc, TheNamedAllocationFailsAndOnlyThatOne) {
    crt::testing::failAllocation(2);
    void* a = crt::malloc(16);
    void* b = crt::malloc(16);
    void* c = crt::malloc(16);
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(b, nullptr);
    EXPECT_NE(c, nullptr);
    crt::free(a);
    crt::free(c);
    crt::free(nullptr);
}

}  // namespace
