// Freed large blocks are kept for the next large document, but not without bound: at the
// limit the ones freed longest ago are let go first.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "trx_api/json/json_object.h"

using trx::JsonBlockAllocator;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kBlocksAreMapped = false;  // sanitizer builds take every block from malloc
#else
constexpr bool kBlocksAreMapped = true;
#endif

constexpr std::size_t kMiB = std::size_t(1) << 20;

bool holds(const void* block, std::size_t size, unsigned char byte) {
    const auto* p = static_cast<const unsigned char*>(block);
    for (std::size_t i = 0; i < size; i += 4096)
        if (p[i] != byte) return false;
    return true;
}

class RetainedBlocks : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kBlocksAreMapped) GTEST_SKIP() << "blocks come from malloc in this build";
        JsonBlockAllocator::releaseRetained();
    }
    void TearDown() override { JsonBlockAllocator::releaseRetained(); }
};

}  // namespace

TEST_F(RetainedBlocks, AtTheLimitTheBlocksFreedLongestAgoGoFirst) {
    JsonBlockAllocator a;
    void* old = a.Malloc(kMiB);
    std::memset(old, 0x11, kMiB);
    JsonBlockAllocator::Free(old);

    // 576 MB of blocks freed after it (never touched, so they cost no memory) pass the
    // 512 MB that is kept: the oldest block goes, the newest ones stay.
    std::vector<void*> later;
    for (int i = 0; i < 9; ++i) later.push_back(a.Malloc(64 * kMiB));
    void* newest = later.back();
    static_cast<char*>(newest)[0] = 0x22;
    for (void* p : later) JsonBlockAllocator::Free(p);

    void* one = a.Malloc(kMiB);
    EXPECT_TRUE(holds(one, kMiB, 0));  // the old block was unmapped; this one is new
    void* big = a.Malloc(64 * kMiB);
    EXPECT_EQ(big, newest);  // the last one freed is the first one taken
    EXPECT_EQ(static_cast<char*>(big)[0], 0x22);
    JsonBlockAllocator::Free(one);
    JsonBlockAllocator::Free(big);
}
