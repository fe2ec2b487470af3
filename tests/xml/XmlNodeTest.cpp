// The node model in both widths: names, parameters, validity and ownership.
#include "XmlTestUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string_view>
#include <utility>
#include <vector>
#ifdef _WIN32
#include <malloc.h>
#endif

// Every block from the global allocator is counted while it lives, so a test
// can tell whether an operation returned all it took (the C library's figures
// count its cache of freed blocks too). Every form is replaced, plain, array,
// nothrow and aligned: the address sanitizer serves any form left out itself,
// and a block it made must not reach free() here.
static std::atomic<long> g_liveBlocks{0};

namespace
{
// Over-aligned blocks come from the aligned allocator of the C library,
// which Windows pairs with a free of its own.
bool OverAligned(std::size_t align)
{
    return align > alignof(std::max_align_t);
}
void* CountedAlloc(std::size_t n, std::size_t align = 0)
{
    const std::size_t size = n == 0 ? 1 : n;
#ifdef _WIN32
    void* p = OverAligned(align) ? _aligned_malloc(size, align) : std::malloc(size);
#else
    void* p = OverAligned(align) ? std::aligned_alloc(align, (size + align - 1) / align * align)
                                 : std::malloc(size);
#endif
    g_liveBlocks += p != nullptr;
    return p;
}
void CountedFree(void* p, std::size_t align = 0) noexcept
{
    g_liveBlocks -= p != nullptr;
#ifdef _WIN32
    if (OverAligned(align))
    {
        _aligned_free(p);
        return;
    }
#endif
    (void)align;
    std::free(p);
}
void* CountedOrThrow(std::size_t n, std::size_t align = 0)
{
    if (void* p = CountedAlloc(n, align))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t n)
{
    return CountedOrThrow(n);
}
void* operator new[](std::size_t n)
{
    return CountedOrThrow(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    return CountedAlloc(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept
{
    return CountedAlloc(n);
}
void* operator new(std::size_t n, std::align_val_t a)
{
    return CountedOrThrow(n, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t n, std::align_val_t a)
{
    return CountedOrThrow(n, static_cast<std::size_t>(a));
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return CountedAlloc(n, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return CountedAlloc(n, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept
{
    CountedFree(p);
}
void operator delete[](void* p) noexcept
{
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    CountedFree(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    CountedFree(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    CountedFree(p);
}
void operator delete(void* p, std::align_val_t a) noexcept
{
    CountedFree(p, static_cast<std::size_t>(a));
}
void operator delete[](void* p, std::align_val_t a) noexcept
{
    CountedFree(p, static_cast<std::size_t>(a));
}
void operator delete(void* p, std::size_t, std::align_val_t a) noexcept
{
    CountedFree(p, static_cast<std::size_t>(a));
}
void operator delete[](void* p, std::size_t, std::align_val_t a) noexcept
{
    CountedFree(p, static_cast<std::size_t>(a));
}
void operator delete(void* p, std::align_val_t a, const std::nothrow_t&) noexcept
{
    CountedFree(p, static_cast<std::size_t>(a));
}
void operator delete[](void* p, std::align_val_t a, const std::nothrow_t&) noexcept
{
    CountedFree(p, static_cast<std::size_t>(a));
}

using namespace nkDS;

namespace
{

template <class C> class XmlNodeTest : public ::testing::Test
{
};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(XmlNodeTest, Widths);

} // namespace

TYPED_TEST(XmlNodeTest, new_node_is_an_empty_data_node_and_names_keep_the_rule)
{
    CXmlNodeT<TypeParam> n;
    EXPECT_EQ(n.GetKind(), static_cast<uint32_t>(xnkData));
    EXPECT_FALSE(n.IsCData());
    EXPECT_STREQ(n.GetName(), LIT("")); // never null
    EXPECT_STREQ(n.GetValue(), LIT(""));
    EXPECT_EQ(n.GetParamCount(), 0u);
    EXPECT_EQ(n.GetChildCount(), 0u);
    EXPECT_EQ(n.GetParent(), nullptr);

    EXPECT_TRUE(n.SetName(LIT("_a-b.c9")));
    for (const TypeParam* bad : {LIT("1abc"), LIT("a:b"), LIT(""), LIT("a b")})
        EXPECT_FALSE(n.SetName(bad));
    EXPECT_FALSE(n.SetName(nullptr));
    EXPECT_STREQ(n.GetName(), LIT("_a-b.c9")); // a refused name leaves the old one

    EXPECT_TRUE(n.SetValue(LIT("any <text> at all")));
    EXPECT_STREQ(n.GetValue(), LIT("any <text> at all"));
    EXPECT_TRUE(n.SetValue(nullptr));
    EXPECT_STREQ(n.GetValue(), LIT(""));
}

TEST(XmlNodeWide, names_with_non_ascii_characters_are_refused)
{
    CXmlNodeW n;
    EXPECT_FALSE(n.SetName(L"a\u0161"));      // low byte is 'a'
    EXPECT_FALSE(n.AddParam(L"\u0141", L"")); // low byte is 'A'
    EXPECT_TRUE(n.AddParam(L"title", L"\u00E9t\u00E9 \u4E2D\u6587"));
    EXPECT_TRUE(n.SetParam(L"title", L"\u0127")); // low byte is "'": still a plain letter
    EXPECT_STREQ(n.GetParamValue(0), L"\u0127");
}

TYPED_TEST(XmlNodeTest, an_xml10_node_takes_qualified_names_and_either_quote)
{
    CXmlNodeT<TypeParam> n;
    EXPECT_FALSE(n.SetName(LIT("svg:rect")));
    n.SetXml10(true);
    EXPECT_TRUE(n.SetName(LIT("svg:rect")));
    EXPECT_TRUE(n.AddParam(LIT("xml:lang"), LIT("it's")));
    EXPECT_FALSE(n.AddParam(LIT("q"), LIT("'\"")));
    EXPECT_FALSE(n.SetName(LIT("1a")));
    EXPECT_STREQ(n.GetName(), LIT("svg:rect"));
    EXPECT_TRUE(n.SetValue(LIT("a > b")));
    EXPECT_TRUE(n.IsValid());
    n.SetKind(xnkText);
    EXPECT_TRUE(n.IsValid());
    n.SetValue(LIT("a ]]> b"));
    EXPECT_FALSE(n.IsValid());
}

TYPED_TEST(XmlNodeTest, parameters_keep_order_duplicates_and_the_value_rule)
{
    CXmlNodeT<TypeParam> n;
    for (const TypeParam* bad : {LIT("it's"), LIT("a\"b"), LIT("a<b")})
        EXPECT_FALSE(n.AddParam(LIT("q"), bad));
    EXPECT_FALSE(n.AddParam(nullptr, LIT("v")));
    EXPECT_FALSE(n.AddParam(LIT("9q"), LIT("v")));
    EXPECT_EQ(n.GetParamCount(), 0u);

    EXPECT_TRUE(n.AddParam(LIT("empty"), nullptr));
    EXPECT_TRUE(n.AddParam(LIT("dup"), LIT("first")));
    EXPECT_TRUE(n.AddParam(LIT("other"), LIT("a > b & c")));
    EXPECT_TRUE(n.AddParam(LIT("dup"), LIT("second")));
    ASSERT_EQ(n.GetParamCount(), 4u);
    EXPECT_STREQ(n.GetParamValue(0), LIT(""));
    EXPECT_STREQ(n.GetParamName(3), LIT("dup"));

    EXPECT_EQ(n.FindParam(LIT("dup")), 1u);
    EXPECT_EQ(n.FindParam(LIT("Dup")), 4u); // case-sensitive
    EXPECT_EQ(n.FindParam(LIT("du")), 4u);  // whole names only
    EXPECT_EQ(n.FindParam(LIT("dupe")), 4u);
    EXPECT_EQ(n.FindParam(nullptr), 4u);
    EXPECT_STREQ(n.GetParamByName(LIT("dup")), LIT("first"));
    EXPECT_EQ(n.GetParamByName(LIT("missing")), nullptr);

    EXPECT_FALSE(n.SetParam(LIT("missing"), LIT("x")));
    EXPECT_EQ(n.GetParamCount(), 4u); // never adds
    EXPECT_FALSE(n.SetParam(LIT("dup"), LIT("it's")));
    EXPECT_STREQ(n.GetParamValue(1), LIT("first"));
    EXPECT_TRUE(n.SetParam(LIT("dup"), LIT("changed")));
    EXPECT_STREQ(n.GetParamValue(1), LIT("changed"));
    EXPECT_STREQ(n.GetParamValue(3), LIT("second")); // only the first match
    EXPECT_TRUE(n.SetParam(LIT("other"), nullptr));
    EXPECT_STREQ(n.GetParamValue(2), LIT(""));

    // Removal takes the name and its value together.
    EXPECT_TRUE(n.RemoveParam(1));
    EXPECT_FALSE(n.RemoveParam(3));
    ASSERT_EQ(n.GetParamCount(), 3u);
    EXPECT_STREQ(n.GetParamName(2), LIT("dup"));
    EXPECT_STREQ(n.GetParamValue(2), LIT("second"));
    EXPECT_STREQ(n.GetParamByName(LIT("dup")), LIT("second"));
    EXPECT_STREQ(n.GetParamName(7), LIT("")); // out of range reads empty
}

TYPED_TEST(XmlNodeTest, parameters_added_one_by_one_grow_their_lists_geometrically)
{
    CXmlNodeT<TypeParam> n; // lists sized to the count would copy themselves at every add
    uint32_t grown = 0;
    for (uint32_t i = 0, room = 0; i < 1000; ++i)
    {
        n.AddParam(LIT("p"), LIT("v"));
        const uint32_t was =
            std::exchange(room, n.ParamNames().GetCapacity() + n.ParamValues().GetCapacity());
        grown += room != was;
    }
    EXPECT_LT(grown, 20u);
}

TYPED_TEST(XmlNodeTest, parameter_room_is_made_on_first_use_and_given_back)
{
    using Node = CXmlNodeT<TypeParam>;
    const long before = g_liveBlocks.load();
    Node* n = new Node;
    const Node& view = *n;
    EXPECT_EQ(view.ParamNames().GetCount() + view.ParamValues().GetCount(), 0u);
    EXPECT_STREQ(view.GetParamName(0), LIT(""));
    EXPECT_EQ(view.GetParamByName(LIT("a")), nullptr);
    EXPECT_FALSE(n->SetParam(LIT("a"), LIT("1")));
    EXPECT_FALSE(n->RemoveParam(0));
    EXPECT_EQ(g_liveBlocks.load(), before + 1); // reading made no room

    // The lists written directly and the node's own operations see one pair.
    ASSERT_TRUE(n->AddParam(LIT("a"), LIT("1")));
    n->ParamNames().Add(nkMem::CStringT<TypeParam>(LIT("b")));
    n->ParamValues().Add(nkMem::CStringT<TypeParam>(LIT("2")));
    EXPECT_EQ(view.GetParamCount(), 2u);
    EXPECT_STREQ(view.GetParamByName(LIT("b")), LIT("2"));
    n->RemoveAllParams();
    EXPECT_EQ(view.GetParamCount(), 0u);
    ASSERT_TRUE(n->AddParam(LIT("c"), LIT("3")));
    EXPECT_STREQ(view.GetParamValue(0), LIT("3"));

    // A kind wider than the node keeps is no kind at all, not a truncated one.
    n->SetKind(0x10000u | xnkData);
    EXPECT_EQ(n->GetKind(), 0u);
    EXPECT_FALSE(n->IsValid());
    DestroyXmlNode(n);
    EXPECT_EQ(g_liveBlocks.load(), before); // the parameters went with the node
}

// Nodes sharing their parameters: each change, through the node or its
// lists, reaches the changed node only, and the last node gives the room back.
TYPED_TEST(XmlNodeTest, shared_parameters_change_for_one_node_only)
{
    using Node = CXmlNodeT<TypeParam>;
    using String = nkMem::CStringT<TypeParam>;
    const std::vector<std::pair<const char*, void (*)(Node&)>> changes = {
        {"SetParam", [](Node& n) { n.SetParam(LIT("a"), LIT("9")); }},
        {"RemoveParam", [](Node& n) { n.RemoveParam(0); }},
        {"AddParam", [](Node& n) { n.AddParam(LIT("c"), LIT("3")); }},
        {"RemoveAllParams", [](Node& n) { n.RemoveAllParams(); }},
        {"Clear", [](Node& n) { n.Clear(); }},
        {"name list", [](Node& n) { n.ParamNames().GetAtForWrite(1).Assign(LIT("x")); }},
        {"value list", [](Node& n) { n.ParamValues().Add(String(LIT("3"))); }},
        {"swap", [](Node& n) { n.ParamNames().Swap(0, 1); }},
        {"share none", [](Node& n) { n.ShareParams(Node()); }},
    };
    const long before = g_liveBlocks.load();
    for (const auto& [what, change] : changes)
    {
        Node* a = new Node;
        Node* b = new Node;
        ASSERT_TRUE(a->AddParam(LIT("a"), LIT("1")));
        ASSERT_TRUE(a->AddParam(LIT("b"), LIT("2")));
        b->ShareParams(*a);
        b->ShareParams(*b);
        change(*(std::string_view(what) == "swap" ? a : b));
        const Node* same = std::string_view(what) == "swap" ? b : a;
        ASSERT_EQ(same->GetParamCount(), 2u) << what;
        EXPECT_STREQ(same->GetParamName(1), LIT("b")) << what;
        EXPECT_STREQ(same->GetParamByName(LIT("a")), LIT("1")) << what;
        DestroyXmlNode(a);
        DestroyXmlNode(b);
        EXPECT_EQ(g_liveBlocks.load(), before) << what;
    }
}

TYPED_TEST(XmlNodeTest, validity_depends_on_the_kind)
{
    const struct
    {
        uint32_t kind;
        bool cdata;
        const TypeParam* name;
        const TypeParam* value;
        bool valid;
    } cases[] = {
        {xnkData, false, LIT(""), LIT(""), false}, // a data node needs a name
        {xnkData, false, LIT("item"), LIT(""), true},
        {xnkData, false, LIT("item"), LIT("a<b"), false},
        {xnkData, false, LIT("item"), LIT("a>b"), false},
        {xnkData, true, LIT("item"), LIT("a>b"), true},
        {xnkData, true, LIT("item"), LIT("x]]>y"), false},
        {xnkData, true, LIT("item"), LIT("x]]y"), true},
        {xnkRemark, false, LIT(""), LIT("a -- b"), true},
        {xnkRemark, false, LIT(""), LIT("a --> b"), false},
        {xnkHeader, false, LIT(""), LIT(""), false},
        {xnkHeader, false, LIT("xml-stylesheet"), LIT("<>"), true}, // its value is not its business
        {16, false, LIT("xml-stylesheet"), LIT(""), false},
        {0, false, LIT("xml-stylesheet"), LIT(""), false},
    };
    for (const auto& c : cases)
    {
        CXmlNodeT<TypeParam> n;
        n.SetKind(c.kind);
        n.SetCData(c.cdata);
        n.SetName(c.name);
        n.SetValue(c.value);
        EXPECT_EQ(n.IsValid(), c.valid) << c.kind << (c.cdata ? " cdata " : " ") << c.value;
    }
}

TYPED_TEST(XmlNodeTest, children_link_in_order_and_refuse_cycles)
{
    using Node = CXmlNodeT<TypeParam>;
    Node root;
    Node* a = new Node;
    Node* b = new Node;
    Node* c = new Node;
    EXPECT_FALSE(root.AddChild(&root));
    EXPECT_FALSE(root.AddChild(nullptr));
    EXPECT_TRUE(root.AddChild(a));
    EXPECT_TRUE(root.AddChild(c));
    EXPECT_TRUE(root.InsertChild(1, b));
    ASSERT_EQ(root.GetChildCount(), 3u);
    EXPECT_EQ(root.GetChild(0), a);
    EXPECT_EQ(root.GetChild(1), b);
    EXPECT_EQ(root.GetChild(2), c);
    EXPECT_EQ(b->GetParent(), &root);

    Node* grand = new Node;
    EXPECT_TRUE(a->AddChild(grand));
    // An ancestor cannot become a child: the tree would loop.
    EXPECT_FALSE(grand->AddChild(&root));
    EXPECT_FALSE(grand->AddChild(a));
    EXPECT_FALSE(grand->InsertChild(0, a));
    EXPECT_EQ(grand->GetChildCount(), 0u);

    EXPECT_EQ(root.IndexOfChild(c), 2u);
    EXPECT_EQ(root.IndexOfChild(grand), 3u);
    EXPECT_EQ(root.DetachChild(1), b);
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_EQ(root.DetachChild(5), nullptr);
    EXPECT_EQ(root.GetChild(1), c);
    DestroyXmlNode(b);

    root.Clear();
    EXPECT_EQ(root.GetChildCount(), 0u);
}

TYPED_TEST(XmlNodeTest, clear_empties_the_node_and_frees_every_descendant)
{
    using Node = CXmlNodeT<TypeParam>;
    Node parent;
    Node* root = new Node;
    ASSERT_TRUE(parent.AddChild(root));

    // A three-level subtree with text and parameters everywhere.
    auto build = [root]
    {
        root->SetName(LIT("root"));
        root->SetKind(xnkHeader);
        root->SetCData(true);
        root->SetValue(LIT("root value"));
        root->AddParam(LIT("p"), LIT("v"));
        for (int i = 0; i < 4; ++i)
        {
            Node* child = new Node;
            child->SetName(LIT("child"));
            child->AddParam(LIT("n"), LIT("1"));
            root->AddChild(child);
            for (int j = 0; j < 3; ++j)
            {
                Node* leaf = new Node;
                leaf->SetValue(LIT("leaf text that needs its own block"));
                child->AddChild(leaf);
            }
        }
    };
    build();
    root->Clear();
    const long settled = g_liveBlocks.load();
    build();
    EXPECT_EQ(root->GetChildCount(), 4u);
    root->Clear();
    EXPECT_EQ(g_liveBlocks.load(), settled); // the second round returned all it took

    EXPECT_EQ(root->GetKind(), static_cast<uint32_t>(xnkData));
    EXPECT_FALSE(root->IsCData());
    EXPECT_EQ(root->GetName()[0], TypeParam(0));
    EXPECT_EQ(root->GetValue()[0], TypeParam(0));
    EXPECT_EQ(root->GetParamCount(), 0u);
    EXPECT_EQ(root->GetChildCount(), 0u);
    EXPECT_EQ(root->GetParent(), &parent); // the link upwards stays
    parent.Clear();
}

// One width suffices: both run the same code, and deep trees are costly to build.
TEST(XmlNodeNarrow, clear_handles_deep_and_wide_trees_without_deep_recursion)
{
    using TypeParam = char;
    using Node = CXmlNodeA;
    // Far deeper than a recursive Clear could go on the default stack.
    const int depth = 250000;
    Node root;
    Node* cur = &root;
    for (int i = 0; i < depth; ++i)
    {
        Node* next = new Node;
        ASSERT_TRUE(cur->AddChild(next));
        cur = next;
    }
    cur->SetName(LIT("bottom"));
    root.Clear();
    EXPECT_EQ(root.GetChildCount(), 0u);

    // Wide enough that appending one exact-size step at a time would crawl.
    const int width = 50000;
    for (int i = 0; i < width; ++i)
    {
        Node* n = new Node;
        n->AddParam(LIT("i"), LIT("x"));
        ASSERT_TRUE(root.AddChild(n));
    }
    EXPECT_EQ(root.GetChildCount(), static_cast<uint32_t>(width));
    root.Clear();
    EXPECT_EQ(root.GetChildCount(), 0u);
    EXPECT_TRUE(root.AddChild(new Node)); // still usable afterwards
    root.Clear();
    DestroyXmlNode<TypeParam>(nullptr);
}
