// The writer: layout, escapes, encodings, checked writes and round trips.
#include "XmlTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace nkDS;
using testsupport::Load;
using testsupport::Save;
using testsupport::Top;

namespace
{

CXmlNodeW* Add(CXmlNodeW* parent, const wchar_t* name, const wchar_t* value = L"",
               uint32_t kind = xnkData)
{
    CXmlNodeW* n = CreateXmlNodeW();
    n->SetKind(kind);
    if (kind == xnkData || kind == xnkHeader)
        n->SetName(name);
    n->SetValue(value);
    parent->AddChild(n);
    return n;
}

TEST(XmlWriterLayout, new_document_is_written_line_by_line)
{
    CXmlFileW doc;
    CXmlNodeW* decl = Add(&doc, L"xml", L"", xnkHeader);
    decl->AddParam(L"version", L"1.0");
    decl->AddParam(L"encoding", L"GBK");
    CXmlNodeW* root = Add(&doc, L"root");
    Add(root, L"NewNode");
    Add(root, L"v", L"a&b")->AddParam(L"n", L"1");
    bool ok = false;
    EXPECT_EQ(Save(doc, &ok), "<?xml  version='1.0'  encoding='GBK'?>\r\n"
                              "<root>\r\n"
                              " <NewNode/>\r\n"
                              " <v  n='1'>a&amp;b</v>\r\n"
                              "</root>\r\n");
    EXPECT_TRUE(ok);
}

TEST(XmlWriterLayout, remarks_headers_cdata_and_values_of_parents)
{
    CXmlFileW doc;
    Add(&doc, L"xml", L"", xnkHeader)->AddParam(L"version", L"1.0");
    CXmlNodeW* a = Add(&doc, L"a", L"lost");
    CXmlNodeW* b = Add(a, L"b", L"x<y>z");
    Add(b, L"", L" note ", xnkRemark);
    Add(b, L"pi", L"", xnkHeader)->AddParam(L"k", L"v");
    CXmlNodeW* c = Add(a, L"c", L"x<y");
    c->SetCData(true);
    EXPECT_EQ(Save(doc), "<?xml  version='1.0'?>\r\n"
                         "<a>\r\n"
                         " <b>\r\n"
                         "  <!-- note -->\r\n"
                         "<?pi  k='v'?>\r\n"
                         " </b>\r\n"
                         " <c><![CDATA[x<y]]></c>\r\n"
                         "</a>\r\n");
    EXPECT_STREQ(a->GetValue(), L""); // a node with children keeps no text
}

TEST(XmlWriterEscapes, text_and_parameters_keep_references_and_escape_the_rest)
{
    CXmlFileW doc;
    Add(&doc, L"xml", L"", xnkHeader)->AddParam(L"version", L"1.0");
    CXmlNodeW* a = Add(&doc, L"a", L"a&b &amp; &#38; &#x26; &x & &#; <>");
    a->AddParam(L"p", L"1>0 & &lt;");
    const std::string out = Save(doc);
    EXPECT_NE(
        out.find(
            "<a  p='1>0 &amp; &lt;'>a&amp;b &amp; &#38; &#x26; &amp;x &amp; &amp;#; &lt;&gt;</a>"),
        std::string::npos)
        << out;
}

TEST(XmlWriterEncoding, follows_the_declaration_and_never_loses_a_character)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, "<?xml version='1.0' encoding='GBK'?><a>x</a>"));
    Top(doc, 1)->SetValue(L"\u4E2D\U0001F600\u00E9");
    Top(doc, 1)->AddParam(L"p", L"\U0001F600");
    // GBK has 中 and é but no emoji: those become references.
    EXPECT_EQ(Save(doc), "<?xml  version='1.0'  encoding='GBK'?>\r\n"
                         "<a  p='&#x1F600;'>\xD6\xD0&#x1F600;\xA8\xA6</a>\r\n");

    const std::string utf8 =
        "<?xml version='1.0' encoding='UTF-8'?>\r\n<a>\xE4\xB8\xAD\xF0\x9F\x98\x80</a>\r\n";
    ASSERT_TRUE(Load(doc, utf8));
    EXPECT_EQ(
        Save(doc),
        "<?xml  version='1.0'  encoding='UTF-8'?>\r\n<a>\xE4\xB8\xAD\xF0\x9F\x98\x80</a>\r\n");

    ASSERT_TRUE(Load(doc, "\xEF\xBB\xBF" + utf8));
    EXPECT_EQ(Save(doc).substr(0, 3), "\xEF\xBB\xBF");
}

// A stream that takes at most `room` bytes in all.
class ShortStream : public Orvex::CMemStream
{
public:
    explicit ShortStream(uint32_t room) : m_room(room) {}
    uint32_t Write(const void* buffer, uint32_t count) override
    {
        const uint32_t n = count < m_room ? count : m_room;
        m_room -= n;
        return Orvex::CMemStream::Write(buffer, n);
    }

private:
    uint32_t m_room;
};

TEST(XmlWriterFailure, a_short_write_is_reported)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, std::string(testsupport::kDecl) + "<a>some text</a>"));
    ShortStream full(10);
    EXPECT_FALSE(doc.Write(&full));
    EXPECT_FALSE(doc.ExportNode(&full, Top(doc, 1)));
    ShortStream roomy(1000);
    EXPECT_TRUE(doc.Write(&roomy));
}

TEST(XmlWriterExport, headers_then_the_node_and_a_locator_picks_it)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(
        doc, "<?xml version='1.0'?><?css href='x'?><r><b id='1'>one</b><b id='2'>two</b></r>"));
    Orvex::CMemStream out;
    ASSERT_TRUE(doc.ExportNode(&out, Top(doc, 1)));
    const std::string twice(reinterpret_cast<const char*>(out.GetBuffer()), out.GetLength());
    EXPECT_EQ(twice, "<?xml  version='1.0'?>\r\n<?css  href='x'?>\r\n<?css  href='x'?>\r\n");

    Orvex::CDataLocator second(L"r/b=1");
    EXPECT_EQ(doc.FindNode(&second), Top(doc, 2)->GetChild(1));
    Orvex::CDataLocator byParam(L"r/b?id=1");
    EXPECT_EQ(doc.FindNode(&byParam), Top(doc, 2)->GetChild(0));
    Orvex::CDataLocator missing(L"r/c");
    EXPECT_EQ(doc.FindNode(&missing), nullptr);

    Orvex::CMemStream picked;
    ASSERT_TRUE(doc.Save(&picked, &second));
    const std::string text(reinterpret_cast<const char*>(picked.GetBuffer()), picked.GetLength());
    EXPECT_EQ(text, "<?xml  version='1.0'?>\r\n<?css  href='x'?>\r\n<b  id='2'>two</b>\r\n");
}

TEST(XmlWriterVersion, set_version_changes_only_an_existing_parameter)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, "<?xml version='1.0'?><a/>"));
    doc.SetVersion(2.5f);
    EXPECT_STREQ(Top(doc, 0)->GetParamByName(L"version"), L"2.5");
    doc.SetVersion(1e30f); // far past seven characters, still whole
    EXPECT_EQ(std::wcstod(Top(doc, 0)->GetParamByName(L"version"), nullptr), double(1e30f));
    ASSERT_TRUE(Load(doc, "<?xml encoding='UTF-8'?><a/>"));
    doc.SetVersion(2.5f);
    EXPECT_EQ(Top(doc, 0)->GetParamByName(L"version"), nullptr);
}

std::string ReadFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(XmlWriterFiles, samples_reach_a_fixed_point_that_libxml2_accepts)
{
    const std::filesystem::path samples = VELMAR_SAMPLES_DIR;
    const std::filesystem::path tmp = std::filesystem::temp_directory_path() / "velmar-xml-writer";
    std::filesystem::remove_all(tmp);
    std::filesystem::create_directories(tmp);
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(samples))
    {
        if (entry.path().extension() != ".xml")
            continue;
        ++seen;
        CXmlFileW doc;
        ASSERT_TRUE(doc.LoadFromFile(entry.path().c_str())) << entry.path();
        const std::filesystem::path once = tmp / ("once-" + entry.path().filename().string());
        const std::filesystem::path twice = tmp / ("twice-" + entry.path().filename().string());
        ASSERT_TRUE(doc.SaveToFile(once.c_str()));
        CXmlFileW again;
        ASSERT_TRUE(again.LoadFromFile(once.c_str())) << once;
        ASSERT_TRUE(again.SaveToFile(twice.c_str()));
        EXPECT_EQ(ReadFile(once), ReadFile(twice)) << entry.path();
#ifndef _WIN32
        // libxml2's checker is a tool of the build machine, not of the Windows build.
        const std::string cmd = "xmllint --noout '" + once.string() + "' 2>/dev/null";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << once;
#endif
    }
    EXPECT_GE(seen, 3);

    // A shorter document replaces a longer file completely.
    const std::filesystem::path p = tmp / "short.xml";
    std::ofstream(p) << std::string(5000, 'x');
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, std::string(testsupport::kDecl) + "<a/>"));
    ASSERT_TRUE(doc.SaveToFile(p.c_str()));
    EXPECT_EQ(ReadFile(p), Save(doc));
    EXPECT_FALSE(doc.SaveToFile((tmp / "no-such-dir" / "x.xml").c_str()));
    EXPECT_FALSE(doc.LoadFromFile((tmp / "missing.xml").c_str()));
    std::filesystem::remove_all(tmp);
}

} // namespace
