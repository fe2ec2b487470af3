#include "velmar/foundation/nkMem.h"

#include "AllocFailure.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
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
unsigned RefCount(const CStringA& s)
{
    return s.GetStorage().GetRefMem()->GetRefCount();
}
} // namespace

TEST(String, CopiesShareUntilOneWrites)
{
    CStringA a = Text("hello");
    CStringA b(a);
    CStringA c;
    c = b;
    EXPECT_EQ(a.GetString(), b.GetString());
    EXPECT_EQ(a.GetString(), c.GetString());
    EXPECT_EQ(RefCount(a), 3u);

    b.Append('!');
    EXPECT_STREQ(a.GetString(), "hello");
    EXPECT_STREQ(b.GetString(), "hello!");
    EXPECT_EQ(b.GetLength(), 6u);
    EXPECT_EQ(RefCount(a), 2u);
    EXPECT_EQ(RefCount(b), 1u);

    c.InsertChar(0, '>');
    EXPECT_STREQ(c.GetString(), ">hello");
    EXPECT_STREQ(a.GetString(), "hello");
    EXPECT_EQ(RefCount(a), 1u);

    // Self-assignment and assigning the string its own buffer change nothing.
    const char* before = a.GetString();
    a = a;
    a.Assign(a.GetString());
    EXPECT_EQ(a.GetString(), before);
    EXPECT_STREQ(a.GetString(), "hello");

    // A tail of its own buffer, and itself appended.
    a.Assign(a.GetString() + 2);
    EXPECT_STREQ(a.GetString(), "llo");
    EXPECT_EQ(a.GetLength(), 3u);
    a.Append(a);
    a.Append(a.GetString() + 1);
    EXPECT_STREQ(a.GetString(), "llollolollo");

    // A string marked not to share is copied at once.
    a.SetNoShare(true);
    CStringA priv(a);
    EXPECT_NE(priv.GetString(), a.GetString());
    EXPECT_STREQ(priv.GetString(), "llollolollo");
    EXPECT_EQ(RefCount(a), 1u);
}

TEST(String, CapacitiesComeInUnitsOf16)
{
    CStringA a;
    a.GetBuffer(0);
    EXPECT_EQ(a.GetCapacity(), 16u);
    a.GetBuffer(15);
    EXPECT_EQ(a.GetCapacity(), 16u);
    a.GetBuffer(16);
    EXPECT_EQ(a.GetCapacity(), 32u);

    CStringW w;
    w.GetBuffer(0);
    EXPECT_EQ(w.GetCapacity(), 16u);
    EXPECT_EQ(w.GetStorage().GetCapacity(), 16 * sizeof(wchar_t));
    w.GetBuffer(16);
    EXPECT_EQ(w.GetCapacity(), 32u);

    // Growth by appending reallocates once per 16 characters, keeping text.
    CStringA g;
    std::string expect;
    unsigned reallocations = 0;
    const char* last = nullptr;
    for (int i = 0; i < 100; ++i)
    {
        g.Append(static_cast<char>('a' + i % 26));
        expect += static_cast<char>('a' + i % 26);
        if (g.GetString() != last)
        {
            ++reallocations;
            last = g.GetString();
        }
        EXPECT_EQ(g.GetCapacity() % 16, 0u);
    }
    EXPECT_EQ(reallocations, 7u); // 16, 32, ..., 112
    EXPECT_EQ(expect, g.GetString());
}

// A string of known length takes no more than the heap's own 16-byte step
// beyond its characters and terminator, in both widths; a sharer keeps its text.
template <class S> void CheckExactBuffers()
{
    using T = typename S::CharType;
    for (std::uint32_t n : {0u, 1u, 2u, 3u, 4u, 5u, 11u, 15u, 16u, 17u, 100u, 1000u})
    {
        S s;
        T* p = s.GetBufferSetLength(n);
        ASSERT_NE(p, nullptr);
        for (std::uint32_t i = 0; i < n; ++i)
            p[i] = static_cast<T>('a' + i % 26);
        EXPECT_EQ(s.GetLength(), n);
        EXPECT_EQ(s.GetString()[n], T(0));
        const std::uint32_t payload = s.GetStorage().GetCapacity();
        EXPECT_GE(payload, (n + 1) * sizeof(T)) << n;
        // Header, payload and the heap's word end on a 16-byte step, with
        // less than a step to spare.
        EXPECT_EQ((kRefMemHeader + payload + sizeof(void*)) % 16, 0u) << n;
        EXPECT_LT(payload - (n + 1) * sizeof(T), 16u) << n;

        S shared(s);
        T* q = shared.GetBufferSetLength(n + 3);
        ASSERT_NE(q, nullptr);
        q[n] = q[n + 1] = q[n + 2] = static_cast<T>('z');
        EXPECT_EQ(s.GetLength(), n);
        EXPECT_EQ(s.GetString()[n], T(0));
        EXPECT_EQ(shared.GetLength(), n + 3);
        EXPECT_EQ(std::char_traits<T>::compare(s.GetString(), shared.GetString(), n), 0);
    }
}

TEST(String, BuffersOfKnownLengthAreExact)
{
    CheckExactBuffers<CStringA>();
    CheckExactBuffers<CStringW>();

    // A borrowed buffer is never grown.
    char room[4] = {};
    CStringA ext;
    ext.AttachExternal(room, sizeof room);
    EXPECT_EQ(ext.GetBufferSetLength(4), nullptr);
    EXPECT_EQ(ext.GetLength(), 0u);
    char* p = ext.GetBufferSetLength(3);
    ASSERT_EQ(p, room);
    EXPECT_EQ(ext.GetLength(), 3u);
}

TEST(String, EmptyDoesNotAllocateAndUnsharesFirst)
{
    testsupport::ResetArrayAllocCount();
    CStringA fresh;
    fresh.Empty();
    fresh.Assign("");
    fresh.Assign(static_cast<const char*>(nullptr));
    EXPECT_EQ(testsupport::ArrayAllocCount(), 0u);
    EXPECT_EQ(fresh.GetString(), nullptr);
    EXPECT_TRUE(IsNullOrEmpty(fresh.GetString()));

    CStringA a = Text("keep me");
    CStringA b(a);
    b.Empty();
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_NE(b.GetString(), nullptr);
    EXPECT_STREQ(b.GetString(), "");
    EXPECT_STREQ(a.GetString(), "keep me");
    EXPECT_EQ(RefCount(a), 1u);

    // Emptying keeps the capacity.
    CStringA c = Text("0123456789abcdefXYZ");
    c.Empty();
    EXPECT_EQ(c.GetCapacity(), 32u);

    EXPECT_TRUE(IsNullOrEmpty<char>(nullptr));
    EXPECT_TRUE(IsNullOrEmpty(""));
    EXPECT_FALSE(IsNullOrEmpty(L"x"));
}

TEST(String, FormatTreatsTextAsFormat)
{
    CStringA pct("100%%");
    EXPECT_STREQ(pct.GetString(), "100%");
    EXPECT_EQ(pct.GetLength(), 4u);

    CStringA f("%s=%d;%5.2f", "x", 42, 3.14159);
    EXPECT_STREQ(f.GetString(), "x=42; 3.14");
    EXPECT_EQ(f.GetLength(), 10u);
    EXPECT_EQ(f.GetCapacity(), 16u);

    CStringA none(static_cast<const char*>(nullptr));
    EXPECT_TRUE(none.IsEmpty());

    // An argument may be the string's own text.
    CStringA self = Text("abc");
    self.Format("[%s|%s]", self.GetString(), self.GetString());
    EXPECT_STREQ(self.GetString(), "[abc|abc]");

    CStringW w(L"%ls %d%%", L"wide", 7);
    EXPECT_STREQ(w.GetString(), L"wide 7%");
    EXPECT_EQ(w.GetLength(), 7u);

    // Longer than the first scratch buffer: the length is still exact.
    std::wstring longText(3000, L'z');
    CStringW big(L"<%ls>", longText.c_str());
    EXPECT_EQ(big.GetLength(), 3002u);
    EXPECT_EQ(big.GetCapacity(), 3008u);
    EXPECT_EQ(big.GetString()[3001], L'>');

    // %s is a narrow argument on both systems.
    CStringW narrow;
    EXPECT_TRUE(narrow.Format(L"[%s|%ls]", "ab", L"cd"));
    EXPECT_STREQ(narrow.GetString(), L"[ab|cd]");

    CStringW bad = CStringW(L"ok");
#ifdef _WIN32
    // The Windows C runtime's "C" locale maps every byte to the unit of the same value.
    EXPECT_TRUE(bad.Format(L"%s", "\xff\xfe"));
    EXPECT_STREQ(bad.GetString(), L"\u00ff\u00fe");
#else
    // A narrow argument the C locale cannot convert fails at once.
    EXPECT_FALSE(bad.Format(L"%s", "\xff\xfe"));
    EXPECT_TRUE(bad.IsEmpty());
#endif
}

TEST(String, InsertCharAndCompare)
{
    CStringA s = Text("ace");
    EXPECT_EQ(s.InsertChar(1, 'b'), 1u);
    EXPECT_EQ(s.InsertChar(3, 'd'), 1u);
    EXPECT_EQ(s.InsertChar(5, 'f'), 1u);  // at the end
    EXPECT_EQ(s.InsertChar(99, 'g'), 1u); // past the end appends
    EXPECT_EQ(s.InsertChar(0, '_'), 1u);
    EXPECT_STREQ(s.GetString(), "_abcdefg");
    EXPECT_EQ(s.GetLength(), 8u);
    CStringA empty;
    empty.InsertChar(0, 'x');
    EXPECT_STREQ(empty.GetString(), "x");

    const char* p = "Same";
    EXPECT_EQ(CStringA::Compare(p, p, true), 0);
    EXPECT_EQ(CStringA::Compare(nullptr, nullptr, true), 0);
    EXPECT_NE(CStringA::Compare(p, nullptr, true), 0);
    EXPECT_NE(CStringA::Compare(nullptr, p, false), 0);
    EXPECT_NE(CStringA::Compare("Same", "same", true), 0);
    EXPECT_EQ(CStringA::Compare("Same", "sAME", false), 0);
    EXPECT_LT(CStringA::Compare("abc", "abd", true), 0);
    EXPECT_GT(CStringA::Compare("b", "ABC", false), 0);
    EXPECT_EQ(CStringW::Compare(L"Wide", L"wIDE", false), 0);

    EXPECT_TRUE(Text("abc") == Text("abc"));
    EXPECT_FALSE(Text("abc") == Text("abd"));
    EXPECT_TRUE(CStringA() == Text(""));
    EXPECT_TRUE(Text("abc") == "abc");
}

TEST(String, RawCopyOf32BitUnits)
{
    const std::uint32_t units[] = {0x41, 0x1F600, 0x4E2D, 0};
    CStringW w(units);
    EXPECT_EQ(w.GetLength(), 3 * 4 / sizeof(wchar_t));
    EXPECT_EQ(0, std::memcmp(w.GetString(), units, 12));
    EXPECT_EQ(w.GetString()[w.GetLength()], L'\0');

    CStringA a(units);
    EXPECT_EQ(a.GetLength(), 12u);
    EXPECT_EQ(0, std::memcmp(a.GetString(), units, 12));
    EXPECT_EQ(a.GetString()[12], '\0');

    const std::uint32_t empty[] = {0};
    EXPECT_TRUE(CStringA(empty).IsEmpty());
    EXPECT_TRUE(CStringA(static_cast<const std::uint32_t*>(nullptr)).IsEmpty());
}

TEST(String, BorrowedBufferIsNeverGrown)
{
    char buf[8] = "abc";
    CStringA s;
    s.AttachExternal(buf, sizeof(buf));
    EXPECT_EQ(s.GetLength(), 3u);
    EXPECT_EQ(s.GetString(), buf);
    s.Append("defg");
    EXPECT_STREQ(buf, "abcdefg");
    EXPECT_EQ(s.GetBuffer(8), nullptr); // 8 + terminator does not fit
    s.Append('h');                      // refused, nothing written past the end
    EXPECT_EQ(s.GetLength(), 7u);
    CStringA copy(s); // the copy borrows the same buffer
    EXPECT_EQ(copy.GetString(), buf);
    copy.Assign("xyz");
    EXPECT_STREQ(buf, "xyz");
}

TEST(String, AssigningAShareKeepsEveryCountRight)
{
    CStringA a = Text("one"), b = Text("two");
    CStringA a2(a), b2(b);
    b2 = a; // leaves b's block to b alone
    EXPECT_EQ(RefCount(a), 3u);
    EXPECT_EQ(RefCount(b), 1u);
    b2 = a2; // the same block again
    const CStringA& self = b2;
    b2 = self;
    EXPECT_EQ(RefCount(a), 3u);
    CStringA sole = Text("three"); // its block goes
    sole = a;
    EXPECT_EQ(RefCount(a), 4u);
    EXPECT_EQ(sole.GetString(), a.GetString());
    b = a;
    EXPECT_EQ(RefCount(a), 5u);
    EXPECT_STREQ(b.GetString(), "one");
}

TEST(String, FailedAllocationKeepsTheString)
{
    CStringA s = Text("abc");
    const char* old = s.GetString();
    {
        testsupport::FailGuard fail(0);
        EXPECT_THROW(s.GetBuffer(100), std::bad_alloc);
    }
    EXPECT_EQ(s.GetString(), old);
    EXPECT_STREQ(s.GetString(), "abc");

    // A shared string whose private copy fails still shares.
    CStringA t(s);
    {
        testsupport::FailGuard fail(0);
        EXPECT_THROW(t.Append('d'), std::bad_alloc);
    }
    EXPECT_EQ(t.GetString(), old);
    EXPECT_EQ(RefCount(s), 2u);

    // The count saturates at 255 sharers: any further copy of any sharer is
    // deep, and when that fails the target keeps its text.
    std::vector<CStringA> sharers(254, s);
    EXPECT_EQ(RefCount(s), 255u);
    CStringA extra(sharers[17]);
    EXPECT_NE(extra.GetString(), old);
    EXPECT_STREQ(extra.GetString(), "abc");
    EXPECT_EQ(RefCount(extra), 1u);
    CStringA target = Text("target");
    {
        testsupport::FailGuard fail(0);
        EXPECT_THROW(target = s, std::bad_alloc);
    }
    EXPECT_STREQ(target.GetString(), "target");
    target = s;
    EXPECT_NE(target.GetString(), old);
    EXPECT_EQ(RefCount(s), 255u);
    sharers.clear();
    EXPECT_EQ(RefCount(s), 2u); // s and t
}
