#include "velmar/foundation/nkMem.h"

#include "AllocFailure.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

using namespace nkMem;

namespace
{
std::vector<int> Items(const CCompactList<int>& l)
{
    return std::vector<int>(l.begin(), l.end());
}
using V = std::vector<int>;

// The count lives in the block: the holder is one word, so that a tree node
// with its children costs two words for the links.
static_assert(sizeof(CCompactList<void*>) == sizeof(void*));
} // namespace

TEST(CompactList, InsertRemoveSwapAndTruncateKeepTheOrder)
{
    CCompactList<int> l;
    EXPECT_TRUE(l.IsEmpty());
    EXPECT_EQ(l.GetCapacity(), 0u);
    EXPECT_EQ(l.begin(), l.end());
    const int abc[] = {1, 2, 5};
    EXPECT_EQ(l.InsertAt(0, abc, 3), 3u);
    const int mid[] = {3, 4};
    EXPECT_EQ(l.InsertAt(2, mid, 2), 2u);
    EXPECT_EQ(Items(l), (V{1, 2, 3, 4, 5}));
    EXPECT_EQ(l.InsertAt(99, abc, 1), 1u); // past the end: appended
    EXPECT_EQ(l.RemoveAt(1, 2), 2u);
    EXPECT_EQ(Items(l), (V{1, 4, 5, 1}));
    EXPECT_EQ(l.RemoveAt(3, 9), 1u); // only what is there
    EXPECT_EQ(l.RemoveAt(3, 1), 0u);
    l.Swap(0, 2);
    EXPECT_EQ(Items(l), (V{5, 4, 1}));

    // Inserting the list's own elements into itself copies them first.
    EXPECT_EQ(l.InsertAt(1, l.GetData(), 3), 3u);
    EXPECT_EQ(Items(l), (V{5, 5, 4, 1, 4, 1}));

    l.Truncate(2, false);
    EXPECT_EQ(Items(l), (V{5, 5}));
    l.Truncate(10, true);
    EXPECT_EQ(l.GetCount(), 2u);
    EXPECT_GE(l.GetCapacity(), 10u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(l.Add(i), 1u);
    EXPECT_EQ(l.GetCount(), 10u);
    EXPECT_EQ(l.GetAt(9), 7);

    l.RemoveAll();
    EXPECT_TRUE(l.IsEmpty());
    EXPECT_GE(l.GetCapacity(), 10u); // a block of its own is kept for reuse
}

TEST(CompactList, CopiesShareTheBlockUntilOneChanges)
{
    CCompactList<int> a;
    for (int i = 0; i < 4; ++i)
        a.Add(i);
    CCompactList<int> b(a);
    EXPECT_EQ(a.GetData(), b.GetData());

    // Each kind of change gives the changing list a block of its own; the
    // other keeps its elements and its count.
    b.Add(9);
    EXPECT_NE(a.GetData(), b.GetData());
    EXPECT_EQ(Items(a), (V{0, 1, 2, 3}));
    EXPECT_EQ(Items(b), (V{0, 1, 2, 3, 9}));
    CCompactList<int> c(a), d(a), e(a);
    c.RemoveAt(0, 1);
    d.Swap(0, 3);
    e.RemoveAll();
    EXPECT_EQ(Items(a), (V{0, 1, 2, 3}));
    EXPECT_EQ(Items(c), (V{1, 2, 3}));
    EXPECT_EQ(Items(d), (V{3, 1, 2, 0}));
    EXPECT_TRUE(e.IsEmpty());

    // Also when the shared block has room to append in place.
    a.Truncate(8, false);
    CCompactList<int> f(a);
    f.Add(f.GetAt(0));
    EXPECT_EQ(Items(a), (V{0, 1, 2, 3}));
    EXPECT_EQ(Items(f), (V{0, 1, 2, 3, 0}));
    a.Add(a.GetAt(3));
    EXPECT_EQ(Items(a), (V{0, 1, 2, 3, 3}));

    d.SwapWith(c);
    EXPECT_EQ(Items(c), (V{3, 1, 2, 0}));
    EXPECT_EQ(Items(d), (V{1, 2, 3}));
    c = d;
    EXPECT_EQ(c.GetData(), d.GetData());
}

TEST(CompactList, FailedGrowthLeavesTheListUnchanged)
{
    CCompactList<int> l;
    l.Add(1);
    l.Add(2);
    CCompactList<int> shared(l);
    const int more[] = {3, 4, 5, 6, 7, 8, 9, 10};
    for (CCompactList<int>* target : {&l, &shared})
    {
        testsupport::FailGuard fail(0);
        EXPECT_THROW(target->InsertAt(1, more, 8), std::bad_alloc);
    }
    EXPECT_EQ(Items(l), (V{1, 2}));
    EXPECT_EQ(Items(shared), (V{1, 2}));
    {
        testsupport::FailGuard fail(0);
        EXPECT_THROW(shared.RemoveAt(0, 1), std::bad_alloc); // needs a private copy
    }
    EXPECT_EQ(Items(shared), (V{1, 2}));
}
