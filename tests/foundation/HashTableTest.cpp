#include "velmar/foundation/nkMem.h"

#include "AllocFailure.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace nkMem;

namespace
{
using Table = CHashTable<CStringA, int>;
CStringA Text(const std::string& s)
{
    CStringA r;
    r.Assign(s.c_str());
    return r;
}
// Keys whose home slot in a table of `buckets` is `slot`.
std::vector<CStringA> KeysWithHome(const Table& t, std::uint32_t slot, int want)
{
    std::vector<CStringA> keys;
    for (int i = 0; keys.size() < static_cast<size_t>(want) && i < 100000; ++i)
    {
        CStringA k = Text("key" + std::to_string(i));
        if (t.HomeSlot(k) == slot)
            keys.push_back(k);
    }
    return keys;
}
} // namespace

TEST(HashTable, HashIsSignedBytesTimesPositionPlus119)
{
    EXPECT_EQ(HashKey(CStringA()), 0u);
    EXPECT_EQ(HashKey(Text("a")), 97u * 119u);
    EXPECT_EQ(HashKey(Text("ab")), 97u * 119u + 98u * 120u);
    EXPECT_EQ(HashKey(Text("\xff")), static_cast<std::uint32_t>(-119));
}

TEST(HashTable, SlotsGrowLazilyAndCollisionsGoToTheEnd)
{
    Table t(16);
    EXPECT_EQ(t.GetSlotCount(), 0u);
    EXPECT_EQ(t.GetSlots().GetCount(), 2u);
    EXPECT_EQ(t.GetSlots().GetAt(0), Table::Sentinel());
    EXPECT_EQ(t.GetSlots().GetAt(1), Table::Sentinel());
    EXPECT_EQ(t.begin(), t.end());

    auto keys = KeysWithHome(t, 9, 3);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(t.Lookup(keys[0]), 0u);

    auto* p0 = t.SetAt(keys[0], 100);
    EXPECT_EQ(t.GetSlots().GetCount(), 12u); // 10 usable + 2 sentinels
    EXPECT_EQ(t.GetPair(9), p0);
    EXPECT_EQ(t.GetSlots().GetAt(11), Table::Sentinel());
    for (std::uint32_t i = 0; i < 9; ++i)
        EXPECT_EQ(t.GetPair(i), nullptr);

    auto* p1 = t.SetAt(keys[1], 200); // home 9 taken: next slot at the end
    EXPECT_EQ(t.GetPair(10), p1);
    EXPECT_EQ(t.GetSlotCount(), 11u);
    EXPECT_EQ(t.Lookup(keys[0]), 9u);
    EXPECT_EQ(t.Lookup(keys[1]), 10u);
    EXPECT_EQ(t.Lookup(keys[2]), 11u); // absent: the number of usable slots
    EXPECT_EQ(t.GetCount(), 2u);

    // A key with a low home slot reuses the slots already there.
    auto low = KeysWithHome(t, 2, 1);
    t.SetAt(low[0], 300);
    EXPECT_EQ(t.GetSlotCount(), 11u);
    EXPECT_EQ(t.Lookup(low[0]), 2u);
    // A key whose home slot lies past the usable slots is absent.
    auto high = KeysWithHome(t, 15, 1);
    EXPECT_EQ(t.Lookup(high[0]), t.GetSlotCount());

    // Removing the first key leaves a free slot that lookups step over.
    EXPECT_TRUE(t.RemoveSlot(9));
    EXPECT_FALSE(t.RemoveSlot(9));
    EXPECT_EQ(t.Lookup(keys[1]), 10u);
    EXPECT_EQ(t.Lookup(keys[0]), 11u);
    EXPECT_EQ(t.GetCount(), 2u);

    std::set<int> seen;
    for (auto* pair : t)
        seen.insert(pair->second);
    EXPECT_EQ(seen, (std::set<int>{200, 300}));

    t.RemoveAll();
    EXPECT_EQ(t.GetCount(), 0u);
    EXPECT_EQ(t.GetSlots().GetCount(), 2u);
    EXPECT_EQ(t.begin(), t.end());
}

TEST(HashTable, ManyKeysWith255BucketsUseEvenHomeSlots)
{
    Table t(255);
    std::set<std::uint32_t> homes;
    for (int i = 0; i < 2000; ++i)
    {
        CStringA k = Text("mapping-" + std::to_string(i));
        homes.insert(t.HomeSlot(k));
        ASSERT_EQ(t.Lookup(k), t.GetSlotCount());
        t.SetAt(k, i);
    }
    for (auto h : homes)
        EXPECT_EQ(h % 2, 0u);
    EXPECT_EQ(t.GetCount(), 2000u);
    for (int i = 0; i < 2000; ++i)
    {
        std::uint32_t s = t.Lookup(Text("mapping-" + std::to_string(i)));
        ASSERT_LT(s, t.GetSlotCount());
        EXPECT_EQ(t.GetPair(s)->second, i);
    }
    int walked = 0;
    for (auto it = t.begin(); it != t.end(); ++it)
    {
        EXPECT_EQ(t.GetPair(it.Slot(t)), *it);
        ++walked;
    }
    EXPECT_EQ(walked, 2000);

    // The empty key: with or without a buffer it is the same key.
    CStringA withBuffer = Text("x");
    withBuffer.Empty();
    t.SetAt(CStringA(), -1);
    EXPECT_LT(t.Lookup(withBuffer), t.GetSlotCount());

    Table zero(0); // every key's home is slot 0
    zero.SetAt(Text("a"), 1);
    zero.SetAt(Text("b"), 2);
    EXPECT_EQ(zero.Lookup(Text("a")), 0u);
    EXPECT_EQ(zero.Lookup(Text("b")), 1u);
}

TEST(HashTable, FailedGrowthKeepsTheTableWalkable)
{
    Table t(4); // room for 4 slots: a collision past them must grow the list
    auto keys = KeysWithHome(t, 3, 2);
    t.SetAt(keys[0], 1);
    EXPECT_EQ(t.GetSlotCount(), 4u);
    {
        testsupport::FailGuard fail(0);
        EXPECT_THROW(t.SetAt(keys[1], 2), std::bad_alloc);
    }
    std::vector<int> walked;
    for (auto* p : t)
        walked.push_back(p->second);
    EXPECT_EQ(walked, std::vector<int>{1});
    EXPECT_EQ(t.GetCount(), 1u);
    EXPECT_EQ(t.Lookup(keys[0]), 3u);
    EXPECT_EQ(t.Lookup(keys[1]), t.GetSlotCount());
    t.SetAt(keys[1], 2);
    EXPECT_EQ(t.Lookup(keys[1]), 4u);

    CHashTable<CStringW, int> wide(8);
    wide.SetAt(CStringW(L"w%%"), 5); // formatted: the key is "w%"
    EXPECT_EQ(wide.GetPair(wide.Lookup(CStringW(L"w%%")))->second, 5);
}
