// Shared counters of copied handle owners.
#include "velmar/foundation/nkMem.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace nkMem;

namespace
{

int g_released = 0;

// A handle owner in the way derived classes use the base: count the holder
// when a handle is acquired, and release it only as the last holder.
class CHandleOwner : public CInstanceRefObjectT<unsigned int>
{
public:
    void Acquire()
    {
        handle = true;
        AddRef();
    }
    ~CHandleOwner() override
    {
        if (handle && !IsShared())
            ++g_released;
    }
    bool handle = false;
};

} // namespace

TEST(InstanceRefObject, CopiesShareOneCounterAndTheLastHolderReleases)
{
    g_released = 0;
    {
        auto first = std::make_unique<CHandleOwner>();
        first->Acquire();
        EXPECT_FALSE(first->IsShared());
        EXPECT_EQ(first->GetRefCount(), 1u);

        std::vector<std::unique_ptr<CHandleOwner>> copies;
        for (int i = 0; i < 3; ++i)
            copies.push_back(std::make_unique<CHandleOwner>(*first));
        EXPECT_TRUE(first->IsShared());
        EXPECT_EQ(copies.back()->GetRefCount(), 4u);

        first.reset();
        copies.erase(copies.begin());
        EXPECT_EQ(g_released, 0);
        EXPECT_TRUE(copies.back()->IsShared());
        copies.erase(copies.begin());
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_FALSE(copies[0]->IsShared()); // all but one are gone
        EXPECT_EQ(copies[0]->GetRefCount(), 1u);
        EXPECT_EQ(g_released, 0);
    }
    EXPECT_EQ(g_released, 1);
}

TEST(InstanceRefObject, AssignmentMovesBetweenGroupsWithoutLosingCounters)
{
    CInstanceRefObjectT<unsigned int> a, b, c;
    a.AddRef();
    b.AddRef(); // b is the sole holder of its own counter
    b = a;      // ...which must be freed, not leaked
    EXPECT_TRUE(a.IsShared());
    EXPECT_EQ(a.GetRefCount(), 2u);

    b = b; // assignment to itself changes nothing
    EXPECT_EQ(a.GetRefCount(), 2u);
    b = a; // already in the group: still two holders
    EXPECT_EQ(a.GetRefCount(), 2u);

    b = c; // leaving the group; c has no counter, so b holds none either
    EXPECT_FALSE(a.IsShared());
    EXPECT_FALSE(b.IsShared());
    EXPECT_EQ(b.GetRefCount(), 0u);

    EXPECT_EQ(c.ReleaseRef(), 0u); // nothing to release
    a.AddRef();
    EXPECT_EQ(a.ReleaseRef(), 2u);
    EXPECT_EQ(a.ReleaseRef(), 1u);
    EXPECT_EQ(a.ReleaseRef(), 0u); // never below zero
}
