// Reader cases found by fuzzing and by the allocation work: shared name
// texts stay independent per node; what loads can be saved and read back.
#include "XmlTestUtil.h"
#include "velmar/win32/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace nkDS;
using testsupport::Load;
using testsupport::Save;
using testsupport::Top;

namespace
{

template <class C> void CheckRepeatedNames()
{
    CXmlFileT<C> doc;
    ASSERT_TRUE(Load(doc, std::string(testsupport::kDecl) +
                              "<r><e k='1' j='2'/><e k='3'/><e k='4'>t</e></r>"));
    CXmlNodeT<C>* r = Top(doc, 1);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->GetChildCount(), 3u);
    CXmlNodeT<C>* a = r->GetChild(0);
    CXmlNodeT<C>* b = r->GetChild(1);
    CXmlNodeT<C>* c = r->GetChild(2);
    EXPECT_EQ(a->GetParamCount(), 2u);
    EXPECT_EQ(c->GetParamCount(), 1u);
    const std::string before = Save(doc);

    // Renaming one node or one parameter leaves the others alone.
    const C renamed[] = {'z', 0};
    ASSERT_TRUE(b->SetName(renamed));
    ASSERT_TRUE(b->SetParam(a->GetParamName(0), renamed));
    EXPECT_EQ(a->GetName()[0], C('e'));
    EXPECT_EQ(c->GetName()[0], C('e'));
    EXPECT_EQ(b->GetName()[0], C('z'));
    EXPECT_EQ(a->GetParamValue(0)[0], C('1'));
    EXPECT_EQ(c->GetParamValue(0)[0], C('4'));
    EXPECT_EQ(a->GetParamName(0)[0], C('k'));

    CXmlFileT<C> again;
    ASSERT_TRUE(Load(again, before));
    EXPECT_EQ(Save(again), before);
}

} // namespace

TEST(XmlParserSharedNames, nodes_with_the_same_names_stay_independent)
{
    CheckRepeatedNames<char>();
    CheckRepeatedNames<wchar_t>();
}

TEST(XmlParserHeader, one_whose_parameters_all_lack_a_name_is_refused)
{
    // It would be saved as "<?xml0version?>", which no load accepts.
    CXmlFileA narrow;
    EXPECT_FALSE(Load(narrow, "<?xml0version=\"-8\"?>\r\n<root>x</root>"));
    CXmlFileW wide;
    EXPECT_FALSE(Load(wide, "<?xml version='1.0'?><?pi ='v'?><r/>"));
    CXmlFileW fine;
    EXPECT_TRUE(Load(fine, "<?xml version='1.0'?><?pi ='v' k='w'?><r/>"));
}

TEST(XmlParserDeclaration, a_header_only_beginning_like_it_names_no_code_page)
{
    // "<?xmlev" is taken as the first header, but the writer does not treat
    // it as the declaration; reading its encoding would make GBK text come
    // back as different characters after one save.
    const std::string gbk = "<?xmlev encoding='GBK'?>\r\n<r n='\xd6\xd0'>\xd6\xd0</r>\r\n";
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, gbk));
    const std::string first = Save(doc);
    CXmlFileW again;
    ASSERT_TRUE(Load(again, first));
    EXPECT_EQ(Save(again), first);

    // The real declaration still selects the code page.
    CXmlFileW real;
    ASSERT_TRUE(Load(real, "<?xml version='1.0' encoding='GBK'?>\r\n<r>\xd6\xd0</r>\r\n"));
    ASSERT_NE(Top(real, 1), nullptr);
    EXPECT_EQ(Top(real, 1)->GetValue()[0], wchar_t(0x4E2D));
}

TEST(XmlWriterDeclaration, text_beyond_ascii_in_it_is_written_as_references)
{
    // The declaration is decoded before its encoding is known, so GBK bytes
    // written there would read back as other characters after one save.
    const std::string input =
        "<?xml version='1.\xe7\xb7\xb7' encoding='GBK'?>\r\n<r>\xd6\xd0</r>\r\n";
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, input));
    const std::string first = Save(doc);
    // How the bytes decode depends on the ANSI code page.
    const std::string declaration = first.substr(0, first.find("?>"));
    EXPECT_TRUE(std::all_of(declaration.begin(), declaration.end(), [](char c) { return c > 0; }))
        << first;
    if (GetACP() == CP_UTF8)
    {
        EXPECT_NE(declaration.find("&#x7DF7;"), std::string::npos) << first;
    }
    else if (GetACP() == 1252)
    {
        EXPECT_NE(declaration.find("&#xE7;&#xB7;&#xB7;"), std::string::npos) << first;
    }
    CXmlFileW again;
    ASSERT_TRUE(Load(again, first));
    EXPECT_EQ(Save(again), first);
    ASSERT_NE(Top(again, 1), nullptr);
    EXPECT_EQ(Top(again, 1)->GetValue()[0], wchar_t(0x4E2D));
}

TEST(XmlParserNames, an_element_whose_name_is_refused_fails_the_load_with_or_without_content)
{
    // Kept as a nameless node it would be saved as "</>" or with an end tag
    // "</>", and the saved file would no longer open.
    for (const char* body : {"<1a/>", "<r><1a/></r>", "<r><-a x='1'/></r>", "<r><.a/></r>",
                             "<a><.x>t</.x></a>", "<->t</->", "<a><-></-></a>"})
    {
        CXmlFileA narrow;
        EXPECT_FALSE(Load(narrow, std::string(testsupport::kDecl) + body)) << body;
        CXmlFileW wide;
        EXPECT_FALSE(Load(wide, std::string(testsupport::kDecl) + body)) << body;
    }
    CXmlFileW fine;
    ASSERT_TRUE(
        Load(fine, std::string(testsupport::kDecl) + "<a><b-c/><d.e>t</d.e><a1/><_b/></a>"));
    EXPECT_EQ(Top(fine, 1)->GetChildCount(), 4u);
}

TEST(XmlWriterUtf8, every_sequence_length_is_written_as_the_code_page_layer_would)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, std::string(testsupport::kDecl) + "<r k='x'>t</r>"));
    CXmlNodeW* r = Top(doc, 1);
    ASSERT_NE(r, nullptr);
    const wchar_t* value = L"a\u00E9\u4E2D\U0001F600\u07FF\u0800\uFFFF\U0010FFFF";
    ASSERT_TRUE(r->SetValue(value));
    ASSERT_TRUE(r->SetParam(L"k", value));
    const std::string saved = Save(doc);
    char expected[64];
    const int n =
        WideCharToMultiByte(65001, 0, value, -1, expected, sizeof expected, nullptr, nullptr);
    ASSERT_GT(n, 0);
    const std::string bytes(expected, static_cast<size_t>(n - 1));
    EXPECT_NE(saved.find("'" + bytes + "'"), std::string::npos);
    EXPECT_NE(saved.find(">" + bytes + "<"), std::string::npos);
    CXmlFileW again;
    ASSERT_TRUE(Load(again, saved));
    EXPECT_EQ(Save(again), saved);
}

TEST(XmlParserUtf8, text_decodes_as_the_code_page_layer_decodes_it)
{
    // Well-formed sequences of every length, then ill-formed ones (overlong,
    // surrogate, beyond Unicode, cut short) that take the layer's own path.
    const std::string texts[] = {
        "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xf4\x8f\xbf\xbf",
        "x\xc0\xafy",
        "x\xed\xa0\x80y",
        "x\xf4\x90\x80\x80y",
        "x\xe4\xb8y",
        "\xff\xfe",
    };
    for (const std::string& text : texts)
    {
        CXmlFileW doc;
        ASSERT_TRUE(Load(doc, "<?xml version='1.0' encoding='UTF-8'?><r k='" + text + "'>" + text +
                                  "</r>"));
        ASSERT_NE(Top(doc, 1), nullptr);
        wchar_t expected[64] = {};
        const int n =
            MultiByteToWideChar(65001, 0, text.data(), static_cast<int>(text.size()), expected, 63);
        ASSERT_GT(n, 0);
        EXPECT_EQ(std::wstring(Top(doc, 1)->GetValue()),
                  std::wstring(expected, static_cast<size_t>(n)));
        EXPECT_EQ(std::wstring(Top(doc, 1)->GetParamValue(0)),
                  std::wstring(expected, static_cast<size_t>(n)));
    }
}
