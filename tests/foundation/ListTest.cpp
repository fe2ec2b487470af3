#include "velmar/foundation/nkMem.h"

#include "AllocFailure.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

using namespace nkMem;

namespace
{
CStringA Text(const char* s)
{
    CStringA r;
    r.Assign(s);
    return r;
}
std::vector<std::string> Items(const CList<CStringA>& l)
{
    std::vector<std::string> v;
    for (const auto& s : l)
        v.emplace_back(s.GetSafeString());
    return v;
}
using V = std::vector<std::string>;

// Every tree node holds a list: a table pointer would cost each of them 8
// bytes, and a node 16 with the allocator's rounding.
static_assert(!std::is_polymorphic_v<CList<void*>> && !std::is_polymorphic_v<CStrTList<char>>);
static_assert(sizeof(void*) != 8 || sizeof(CList<void*>) == 16);
} // namespace

TEST(List, InsertAndRemoveInTheMiddleKeepStringsInOrder)
{
    CList<CStringA> l;
    for (const char* s : {"a", "b", "e"})
        l.Add(Text(s));
    const CStringA mid[] = {Text("c"), Text("d")};
    EXPECT_EQ(l.InsertAt(2, mid, 2), 2u);
    EXPECT_EQ(Items(l), (V{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(l.GetCapacity(), 5u); // exact growth
    const CStringA first = Text("0");
    EXPECT_EQ(l.InsertAt(0, &first, 1), 1u);
    EXPECT_EQ(Items(l), (V{"0", "a", "b", "c", "d", "e"}));

    EXPECT_EQ(l.RemoveAt(2, 2), 2u);
    EXPECT_EQ(Items(l), (V{"0", "a", "d", "e"}));
    // Past the end: the list is cut at index.
    EXPECT_EQ(l.RemoveAt(1, 10), 3u);
    EXPECT_EQ(Items(l), (V{"0"}));
    EXPECT_EQ(l.RemoveAt(5, 1), 0u);
    EXPECT_EQ(l.GetCapacity(), 6u); // removal keeps the block

    // Inserting while there is room does not reallocate.
    const CStringA* data = l.GetData();
    l.Add(Text("x"));
    l.InsertAt(0, mid, 2);
    EXPECT_EQ(l.GetData(), data);
    EXPECT_EQ(Items(l), (V{"c", "d", "0", "x"}));

    l.Swap(0, 3);
    EXPECT_EQ(Items(l), (V{"x", "d", "0", "c"}));

    // Elements taken from the list itself, while it grows.
    l.InsertAt(1, l.GetData(), 4);
    EXPECT_EQ(Items(l), (V{"x", "x", "d", "0", "c", "d", "0", "c"}));
    l.Add(l.GetAt(2));
    EXPECT_EQ(l.GetCount(), 9u);
    EXPECT_STREQ(l.GetAt(8).GetString(), "d");
}

TEST(List, CopiesShareElementsUntilOneWrites)
{
    CList<CStringA> a;
    for (const char* s : {"one", "two", "three"})
        a.Add(Text(s));
    CList<CStringA> b(a);
    EXPECT_EQ(a.GetData(), b.GetData());

    b.GetAtForWrite(1).Assign("TWO");
    EXPECT_NE(a.GetData(), b.GetData());
    EXPECT_EQ(Items(a), (V{"one", "two", "three"}));
    EXPECT_EQ(Items(b), (V{"one", "TWO", "three"}));
    // The untouched strings still share their blocks between the two lists.
    EXPECT_EQ(a.GetAt(0).GetString(), b.GetAt(0).GetString());
    EXPECT_EQ(a.GetAt(0).GetStorage().GetRefMem()->GetRefCount(), 2u);

    // Every writing operation isolates the copy.
    const CStringA z = Text("z");
    const std::pair<V, std::function<void(CList<CStringA>&)>> writes[] = {
        {{"two", "three"}, [](auto& l) { l.RemoveAt(0, 1); }},
        {{"one", "z", "two", "three"}, [&](auto& l) { l.InsertAt(1, &z, 1); }},
        {{"three", "two", "one"}, [](auto& l) { l.Swap(0, 2); }},
        {{"z"}, [&](auto& l) { l.RemoveAll(), l.Add(z); }},
    };
    for (const auto& [want, write] : writes)
    {
        CList<CStringA> copy;
        copy = a;
        write(copy);
        EXPECT_EQ(Items(copy), want);
        EXPECT_EQ(Items(a), (V{"one", "two", "three"}));
    }

    // Emptying a sharer, then destroying the other first: the elements are
    // still destroyed once (the leak check of the sanitizer build sees it).
    auto* g = new CList<CStringA>;
    g->Add(Text("destroyed once"));
    CList<CStringA> h(*g);
    h.RemoveAll();
    EXPECT_FALSE(g->GetStorage().IsShared());
    delete g;
    EXPECT_EQ(h.GetCount(), 0u);
}

TEST(List, PrivateBlockCopiesTakeTheirOwnElementReferences)
{
    // At 255 sharers, or with noShare, the block is copied byte for byte; the
    // strings in it must then be copied properly or they would be freed twice.
    CList<CStringA> a;
    a.Add(Text("alpha"));
    a.Add(Text("beta"));
    std::vector<CList<CStringA>> sharers(254, a);
    EXPECT_EQ(a.GetStorage().GetRefMem()->GetRefCount(), 255u);
    {
        CList<CStringA> deep(a);
        EXPECT_NE(deep.GetData(), a.GetData());
        EXPECT_EQ(Items(deep), (V{"alpha", "beta"}));
        EXPECT_EQ(a.GetAt(0).GetStorage().GetRefMem()->GetRefCount(), 2u);
        deep.GetAtForWrite(0).Assign("ALPHA");
        EXPECT_EQ(Items(a), (V{"alpha", "beta"}));
    }
    sharers.clear();

    a.SetNoShare(true);
    CList<CStringA> priv(a);
    EXPECT_NE(priv.GetData(), a.GetData());
    EXPECT_EQ(Items(priv), (V{"alpha", "beta"}));
}

TEST(List, TruncateAndSetSize)
{
    CList<void*> p;
    p.Truncate(4, true); // room, count unchanged
    EXPECT_EQ(p.GetCount(), 0u);
    EXPECT_EQ(p.GetCapacity(), 4u);
    p.SetSize(3, true);
    EXPECT_EQ(p.GetCount(), 3u);
    EXPECT_EQ(p.GetAt(2), nullptr);
    p.GetAtForWrite(0) = &p;
    p.SetSize(6, true); // beyond capacity: grows exactly, zeroed
    EXPECT_EQ(p.GetCapacity(), 6u);
    EXPECT_EQ(p.GetAt(0), &p);
    EXPECT_EQ(p.GetAt(5), nullptr);
    p.Truncate(2, false);
    EXPECT_EQ(p.GetCount(), 2u);
    p.SetSize(1, false);
    EXPECT_EQ(p.GetCount(), 1u);

    // Strings: shrinking destroys, growing constructs empty strings.
    CList<CStringA> s;
    s.Add(Text("x"));
    s.Add(Text("y"));
    s.SetSize(4, false);
    EXPECT_EQ(Items(s), (V{"x", "y", "", ""}));
    s.SetSize(1, false);
    EXPECT_EQ(Items(s), (V{"x"}));

    // Appended pointers: the block always holds exactly the count.
    CList<void*> many;
    for (int i = 0; i < 1000; ++i)
    {
        many.Add(&many);
        ASSERT_EQ(many.GetCapacity(), many.GetCount());
    }
}

TEST(List, FailedGrowthLeavesTheListUnchanged)
{
    CList<CStringA> l;
    l.Add(Text("a"));
    l.Add(Text("b"));
    const CStringA* data = l.GetData();
    const CStringA c = Text("c");
    {
        testsupport::FailGuard fail(0);
        EXPECT_THROW(l.Add(c), std::bad_alloc);
    }
    EXPECT_EQ(l.GetData(), data);
    EXPECT_EQ(Items(l), (V{"a", "b"}));

    // Copy on write that fails half way: the list keeps sharing.
    CList<CStringA> shared(l);
    std::vector<CStringA> pins(254, l.GetAt(1)); // the next copy of "b" must allocate
    {
        testsupport::FailGuard fail(1); // the block succeeds, the copy of "b" fails
        EXPECT_THROW(shared.GetAtForWrite(0), std::bad_alloc);
    }
    EXPECT_EQ(shared.GetData(), l.GetData());
    EXPECT_EQ(Items(shared), (V{"a", "b"}));
}

TEST(StrTList, SetMultiStringCopiesEachStringAsIs)
{
    CStrTList<char> l;
    l.Add(Text("old"));
    EXPECT_EQ(l.SetMultiString("a\0bc\0\0"), 2u);
    EXPECT_EQ(Items(l), (V{"a", "bc"}));
    EXPECT_EQ(l.SetMultiString("100%\0%s%d\0\0"), 2u);
    EXPECT_EQ(Items(l), (V{"100%", "%s%d"}));
    EXPECT_EQ(l.SetMultiString(nullptr), 0u);
    EXPECT_EQ(l.GetCount(), 0u);
    EXPECT_EQ(l.SetMultiString(""), 0u);

    CStrTList<wchar_t> w;
    EXPECT_EQ(w.SetMultiString(L"x\0yz\0\0"), 2u);
    EXPECT_STREQ(w.GetAt(1).GetString(), L"yz");
    EXPECT_EQ(w.Find(CStringW(L"yz")), 1u);
    EXPECT_EQ(w.Find(CStringW(L"YZ")), 2u);
    EXPECT_EQ(w.Find(CStringW(L"YZ"), false), 1u);

    CStrTList<wchar_t> copy(w);
    copy.GetAtForWrite(0).Assign(L"changed");
    EXPECT_STREQ(w.GetAt(0).GetString(), L"x");
}
