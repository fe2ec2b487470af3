#include "velmar/foundation/nkMem.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

using namespace nkMem;

namespace
{

// The pool is off in sanitizer builds; these tests turn it on for their run.
class BulkPool : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_was = IsBulkPoolEnabled();
        EnableBulkPool(true);
    }
    void TearDown() override { EnableBulkPool(m_was); }

    // Runs `work` on a thread of its own and waits for it.
    template <class F> static void OnThread(F work)
    {
        std::thread t(work);
        t.join();
    }

private:
    bool m_was = false;
};

} // namespace

TEST_F(BulkPool, OnlySmallBlocksInsideAScopeComeFromThePool)
{
    OnThread(
        []
        {
            void* before = BulkAlloc(24);
            EXPECT_FALSE(IsBulk(before));
            std::vector<void*> small;
            void* large = nullptr;
            {
                CBulkScope scope;
                {
                    CBulkScope nested; // scopes nest
                }
                for (std::size_t n : {std::size_t(0), std::size_t(1), std::size_t(7),
                                      std::size_t(8), std::size_t(9), kBulkMax})
                    small.push_back(BulkAlloc(n));
                large = BulkAlloc(kBulkMax + 1);
            }
            void* after = BulkAlloc(24);
            EXPECT_FALSE(IsBulk(after));
            EXPECT_FALSE(IsBulk(large));
            for (void* p : small)
            {
                EXPECT_TRUE(IsBulk(p));
                EXPECT_EQ(0u,
                          reinterpret_cast<std::uintptr_t>(p) % 8); // room for the holder's flags
            }
            // Blocks do not overlap: each keeps what was written into it.
            const std::size_t sizes[] = {0, 1, 7, 8, 9, kBulkMax};
            for (std::size_t i = 0; i < small.size(); ++i)
                std::memset(small[i], int(i + 1), sizes[i]);
            for (std::size_t i = 0; i < small.size(); ++i)
                for (std::size_t b = 0; b < sizes[i]; ++b)
                    ASSERT_EQ(int(i + 1), static_cast<unsigned char*>(small[i])[b]);
            for (void* p : small)
                BulkFree(p);
            BulkFree(large);
            BulkFree(before);
            BulkFree(after);
            BulkFree(nullptr);
        });
}

TEST_F(BulkPool, RegionsGoBackWhenTheirLastBlockIsFreedByAnyThread)
{
    const std::uint32_t start = BulkRegionsInUse();
    std::vector<void*> blocks;
    // Three regions' worth and a bit: regions fill up, are left, and the
    // last is still being cut from when the scope ends.
    OnThread(
        [&]
        {
            CBulkScope scope;
            for (int i = 0; i < 3 * 4096 + 10; ++i)
                blocks.push_back(BulkAlloc(kBulkMax));
            EXPECT_GE(BulkRegionsInUse(), start + 4);
        });
    EXPECT_GE(BulkRegionsInUse(), start + 4);
    // Freed here, out of order, on another thread than the one that cut them.
    for (std::size_t i = 0; i < blocks.size(); i += 2)
        BulkFree(blocks[i]);
    EXPECT_GE(BulkRegionsInUse(), start + 4); // every region still holds live blocks
    for (std::size_t i = 1; i < blocks.size(); i += 2)
        BulkFree(blocks[i]);
    EXPECT_EQ(start, BulkRegionsInUse());

    // A region given back is used again, committed afresh.
    OnThread(
        []
        {
            CBulkScope scope;
            auto* p = static_cast<unsigned char*>(BulkAlloc(64));
            EXPECT_TRUE(IsBulk(p));
            EXPECT_EQ(0, p[0]);
            BulkFree(p);
        });
    EXPECT_EQ(start, BulkRegionsInUse());

    // The end of a thread's outermost scope hands its region on, though
    // the thread lives on.
    void* kept = nullptr;
    {
        CBulkScope scope;
        {
            CBulkScope nested;
        }
        kept = BulkAlloc(64);
    }
    EXPECT_TRUE(IsBulk(kept));
    BulkFree(kept);
    EXPECT_EQ(start, BulkRegionsInUse());
}

TEST_F(BulkPool, ThreadsCutAndFreeAtOnce)
{
    const std::uint32_t start = BulkRegionsInUse();
    std::vector<void*> made[2];
    // Enough for several regions each, so that both threads take the one
    // the pool keeps ready, one after the other or at once.
    auto cut = [&](int k)
    {
        CBulkScope scope;
        for (int i = 0; i < 150000; ++i)
        {
            auto* p = static_cast<std::uint32_t*>(BulkAlloc(16 + 8 * (i % 5)));
            *p = static_cast<std::uint32_t>(k * 1000000 + i);
            made[k].push_back(p);
        }
    };
    std::thread a(cut, 0), b(cut, 1);
    a.join();
    b.join();
    // Each thread frees the other's blocks, both at once.
    auto release = [&](int k)
    {
        for (std::size_t i = 0; i < made[k].size(); ++i)
        {
            EXPECT_EQ(static_cast<std::uint32_t>(k * 1000000 + i),
                      *static_cast<std::uint32_t*>(made[k][i]));
            BulkFree(made[k][i]);
        }
    };
    std::thread c(release, 1), d(release, 0);
    c.join();
    d.join();
    EXPECT_EQ(start, BulkRegionsInUse());
}

TEST_F(BulkPool, SharedBlocksMadeInAScopeLiveOnAfterIt)
{
    OnThread(
        []
        {
            CStringT<char> kept;
            CStringT<char> copy;
            {
                CBulkScope scope;
                kept.Assign("made while loading");
                EXPECT_TRUE(IsBulk(kept.GetString()));
            }
            copy = kept; // shared, then written: the copy comes from the heap
            copy.Append(" and changed after");
            EXPECT_FALSE(IsBulk(copy.GetString()));
            EXPECT_STREQ("made while loading", kept.GetSafeString());
            EXPECT_STREQ("made while loading and changed after", copy.GetSafeString());
        });
}

TEST_F(BulkPool, ATurnedOffPoolLeavesEveryBlockOnTheHeap)
{
    EnableBulkPool(false);
    OnThread(
        []
        {
            CBulkScope scope;
            void* p = BulkAlloc(32);
            EXPECT_FALSE(IsBulk(p));
            BulkFree(p);
        });
}
