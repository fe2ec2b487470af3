#include "XmlTestUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

using namespace nkDS;

namespace
{

// Elements with parameters, text, remarks, CDATA and mixed content, past the
// size from which a load takes its blocks from the bulk pool.
std::string LargeDocument()
{
    std::string s = testsupport::Doc("<root>\r\n");
    for (int i = 0; s.size() < (3u << 20) / 2; ++i)
    {
        const std::string n = std::to_string(i);
        s += "<item id=\"" + n + "\" kind=\"k" + std::to_string(i % 7) + "\"><name>item " + n +
             "</name><!-- note " + n + " --><p>a <b>mixed</b> run \xC3\xA9 " + n +
             "</p><![CDATA[x<y " + n + "]]></item>\r\n";
    }
    return s + "</root>\r\n";
}

template <class C> struct Loaded
{
    std::unique_ptr<CXmlFileT<C>> doc;
    bool ok = false;
};

// Loads on a thread of its own, so that the region it was cutting from is
// handed back when it ends, as a loader thread's is.
template <class C> Loaded<C> LoadOnThread(const std::string& bytes, uint8_t flags)
{
    Loaded<C> r;
    r.doc = std::make_unique<CXmlFileT<C>>(1.0f, nullptr, flags);
    std::thread t([&] { r.ok = testsupport::Load(*r.doc, bytes); });
    t.join();
    return r;
}

class PoolOn
{
public:
    explicit PoolOn(bool on) : m_was(nkMem::IsBulkPoolEnabled()) { nkMem::EnableBulkPool(on); }
    ~PoolOn() { nkMem::EnableBulkPool(m_was); }

private:
    bool m_was;
};

template <class C> class XmlBulkLoad : public ::testing::Test
{
};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(XmlBulkLoad, Widths);

} // namespace

TYPED_TEST(XmlBulkLoad, a_large_document_loads_from_the_pool_into_the_same_tree_and_gives_it_back)
{
    const std::string bytes = LargeDocument();
    for (uint8_t flags : {kXmlParseStrict, kXmlParseXml10})
    {
        std::string onHeap;
        {
            PoolOn off(false);
            auto plain = LoadOnThread<TypeParam>(bytes, flags);
            ASSERT_TRUE(plain.ok);
            onHeap = testsupport::Save(*plain.doc);
        }
        PoolOn on(true);
        const uint32_t start = nkMem::BulkRegionsInUse();
        auto pooled = LoadOnThread<TypeParam>(bytes, flags);
        ASSERT_TRUE(pooled.ok);
        CXmlNodeT<TypeParam>* root = testsupport::Top(*pooled.doc, 1);
        ASSERT_NE(nullptr, root);
        ASSERT_GT(root->GetChildCount(), 1000u);
        CXmlNodeT<TypeParam>* item = root->GetChild(0);
        EXPECT_TRUE(nkMem::IsBulk(item));
        EXPECT_TRUE(nkMem::IsBulk(item->GetParamByName(LIT("id"))));
        EXPECT_GT(nkMem::BulkRegionsInUse(), start);
        EXPECT_EQ(onHeap, testsupport::Save(*pooled.doc));

        // Edits after the load mix heap blocks into the pooled tree.
        EXPECT_TRUE(item->SetValue(LIT("changed after loading")));
        auto* added = new CXmlNodeT<TypeParam>;
        EXPECT_FALSE(nkMem::IsBulk(added));
        ASSERT_TRUE(added->SetName(LIT("added")));
        ASSERT_TRUE(item->AddChild(added));
        EXPECT_NE(std::string::npos, testsupport::Save(*pooled.doc).find("<added"));

        pooled.doc.reset();
        EXPECT_EQ(start, nkMem::BulkRegionsInUse()) << int(flags);
    }
}

TYPED_TEST(XmlBulkLoad, small_and_broken_documents_leave_nothing_behind)
{
    PoolOn on(true);
    const uint32_t start = nkMem::BulkRegionsInUse();
    // A small document stays on the heap: a region would cost it more.
    auto small = LoadOnThread<TypeParam>(testsupport::Doc("<a x='1'><b/></a>"), kXmlParseStrict);
    ASSERT_TRUE(small.ok);
    EXPECT_FALSE(nkMem::IsBulk(testsupport::Top(*small.doc, 1)));
    EXPECT_EQ(start, nkMem::BulkRegionsInUse());

    // A large one cut off in the middle fails, and what it had made is
    // given back with the document.
    const std::string bytes = LargeDocument();
    auto broken = LoadOnThread<TypeParam>(bytes.substr(0, bytes.size() - 1000), kXmlParseStrict);
    EXPECT_FALSE(broken.ok);
    broken.doc.reset();
    EXPECT_EQ(start, nkMem::BulkRegionsInUse());
}
