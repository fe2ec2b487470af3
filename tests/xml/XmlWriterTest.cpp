// The writer: layout, escapes, encodings, checked writes and round trips.
#include "XmlTestUtil.h"
#include "support/RecordingStream.h"
#include "support/TempDir.h"
#include "velmar/win32/Unicode.h"
#include "velmar/win32/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <memory>

using namespace nkDS;
using namespace testsupport;

namespace
{

CXmlNodeW* Add(CXmlNodeW* parent, const wchar_t* name, const wchar_t* value = L"",
               uint32_t kind = xnkData)
{
    CXmlNodeW* n = CreateXmlNodeW();
    n->SetKind(kind);
    n->SetName(name); // a remark's empty name is refused and stays empty
    n->SetValue(value);
    parent->AddChild(n);
    return n;
}

TEST(XmlWriter, indents_each_level_by_one_space_at_any_depth)
{
    // Deeper than the indentation written in one piece, and a document
    // whose lines end in LF.
    for (const bool lf : {false, true})
    {
        CXmlFileW doc;
        CXmlNodeW* node = &doc;
        const int depth = 45;
        for (int i = 0; i < depth; ++i)
            node = Add(node, L"e", i + 1 == depth ? L"x" : L"");
        std::string want;
        const std::string eol = lf ? "\n" : "\r\n";
        for (int i = 0; i + 1 < depth; ++i)
            want += std::string(static_cast<size_t>(i), ' ') + "<e>" + eol;
        want += std::string(depth - 1, ' ') + "<e>x</e>" + eol;
        for (int i = depth - 2; i >= 0; --i)
            want += std::string(static_cast<size_t>(i), ' ') + "</e>" + eol;
        std::string text = want;
        if (lf)
        {
            // Loaded in XML 1.0 mode, which keeps the document's line end.
            CXmlFileW read(1.0f, nullptr, kXmlParseXml10);
            ASSERT_TRUE(Load(read, want));
            text = Save(read);
        }
        else
            text = Save(doc);
        EXPECT_EQ(text, want);
    }
}

TEST(XmlWriter, writes_line_by_line_and_escapes_what_is_no_reference)
{
    CXmlFileW doc;
    CXmlNodeW* decl = Add(&doc, L"xml", L"", xnkHeader);
    decl->AddParam(L"version", L"1.0");
    decl->AddParam(L"encoding", L"GBK");
    CXmlNodeW* root = Add(&doc, L"root", L"lost");
    Add(root, L"NewNode");
    Add(root, L"v", L"a&b &amp; &#38; &#x26; &x & &#; <>")->AddParam(L"p", L"1>0 & &lt;");
    CXmlNodeW* b = Add(root, L"b", L"x<y>z");
    Add(b, L"", L" note ", xnkRemark);
    Add(b, L"pi", L"", xnkHeader)->AddParam(L"k", L"v");
    Add(root, L"c", L"x<y")->SetCData(true);
    bool ok = false;
    EXPECT_EQ(
        Save(doc, &ok),
        "<?xml  version='1.0'  encoding='GBK'?>\r\n"
        "<root>\r\n"
        " <NewNode/>\r\n"
        " <v  p='1>0 &amp; &lt;'>a&amp;b &amp; &#38; &#x26; &amp;x &amp; &amp;#; &lt;&gt;</v>\r\n"
        " <b>\r\n"
        "  <!-- note -->\r\n"
        "<?pi  k='v'?>\r\n"
        " </b>\r\n"
        " <c><![CDATA[x<y]]></c>\r\n"
        "</root>\r\n");
    EXPECT_TRUE(ok);
    EXPECT_STREQ(root->GetValue(), L""); // a node with children keeps no text
}

TEST(XmlWriter, encoding_follows_the_declaration_and_never_loses_a_character)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, "<?xml version='1.0' encoding='GBK'?><a>x</a>"));
    Top(doc, 1)->SetValue(L"\u4E2D\U0001F600\u00E9");
    Top(doc, 1)->AddParam(L"p", L"\U0001F600");
    // GBK has 中 and é but no emoji: those become references.
    EXPECT_EQ(Save(doc), "<?xml  version='1.0'  encoding='GBK'?>\r\n"
                         "<a  p='&#x1F600;'>\xD6\xD0&#x1F600;\xA8\xA6</a>\r\n");

    // A byte order mark read is written back, and only then.
    const std::string utf8 =
        "<?xml version='1.0' encoding='UTF-8'?>\r\n<a>\xE4\xB8\xAD\xF0\x9F\x98\x80</a>\r\n";
    ASSERT_TRUE(Load(doc, "\xEF\xBB\xBF" + utf8));
    EXPECT_EQ(Save(doc).substr(0, 3), "\xEF\xBB\xBF");
    ASSERT_TRUE(Load(doc, utf8));
    EXPECT_EQ(
        Save(doc),
        "<?xml  version='1.0'  encoding='UTF-8'?>\r\n<a>\xE4\xB8\xAD\xF0\x9F\x98\x80</a>\r\n");
}

TEST(XmlWriter, cdata_and_remarks_take_no_character_references)
{
    // A reference there is literal text: a CDATA value with a character
    // that GBK lacks goes out as escaped text, and such a remark fails.
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, "<?xml version='1.0' encoding='GBK'?><a><![CDATA[x]]></a>"));
    Top(doc, 1)->SetValue(L"x<\U0001F600");
    bool ok = false;
    EXPECT_EQ(Save(doc, &ok),
              "<?xml  version='1.0'  encoding='GBK'?>\r\n<a>x&lt;&#x1F600;</a>\r\n");
    EXPECT_TRUE(ok);
    Add(Top(doc, 1), L"", L"\U0001F600", xnkRemark);
    Save(doc, &ok);
    EXPECT_FALSE(ok);
    EXPECT_STREQ(doc.m_writer.GetErrorReason(),
                 "a remark holds a character that the encoding cannot represent");
}

TEST(XmlWriter, the_declaration_is_read_and_written_in_the_encoding_it_names)
{
    const std::string gbk =
        "<?xml  version='1.0'  encoding='GBK'  note='\xD6\xD0'?>\r\n<r>\xD6\xD0</r>\r\n";
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, gbk));
    EXPECT_STREQ(Top(doc, 0)->GetParamByName(L"note"), L"\u4E2D");
    EXPECT_EQ(Save(doc), gbk);
}

TEST(XmlWriter, every_utf8_sequence_length_is_written_as_the_code_page_layer_would)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, Doc("<r k='x'>t</r>")));
    CXmlNodeW* r = Top(doc, 1);
    ASSERT_NE(r, nullptr);
    // Each length's first and last value, among others.
    const wchar_t* value = L"a\x7F"
                           L"\u0080\u00E9\u4E2D\U0001F600\u07FF\u0800\uFFFF\U00010000\U0010FFFF";
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
    EXPECT_TRUE(IsFixedPoint<wchar_t>(saved));
}

// Runs of ASCII are written several characters at a time; a character
// that needs an escape or more than a byte ends a run wherever it falls.
// The narrow tree writes the same text a byte at a time, so both must give
// the same bytes in every place text goes, in both modes.
TEST(XmlWriter, ascii_runs_give_way_to_any_character_at_any_place)
{
    const char* const others[] = {"&",
                                  "<",
                                  ">",
                                  "\"",
                                  "'",
                                  "&amp;",
                                  "]]>",
                                  "\x01",
                                  "\x7F",
                                  "\xC3\xA9",
                                  "\xE4\xB8\xAD",
                                  "\xF0\x9F\x98\x80"};
    const std::string letters = "abcdefghijklmnopqrstuvwxyz";
    for (uint8_t flags : {kXmlParseStrict, kXmlParseXml10})
    {
        CXmlFileA narrow(1.0f, nullptr, flags);
        CXmlFileW wide(1.0f, nullptr, flags);
        ASSERT_TRUE(Load(narrow, Doc("<r/>")) && Load(wide, Doc("<r/>")));
        CXmlNodeA* narrowRoot = Top(narrow, 1);
        CXmlNodeW* wideRoot = Top(wide, 1);
        ASSERT_TRUE(narrowRoot != nullptr && wideRoot != nullptr);
        size_t texts = 0;
        for (const char* other : others)
            for (size_t length = 0; length <= 13; ++length)
                for (size_t at = 0; at <= length; ++at)
                {
                    // Set in place: some of these no node would take, and
                    // the writer must still write them as they stand.
                    std::string text = letters.substr(0, length);
                    text.insert(at, other);
                    wchar_t wideText[64] = {};
                    ASSERT_GT(MultiByteToWideChar(65001, 0, text.c_str(), -1, wideText, 64), 0);
                    CXmlNodeA* a = CreateXmlNodeA();
                    CXmlNodeW* w = CreateXmlNodeW();
                    ASSERT_TRUE(a->SetName("t") && w->SetName(L"t"));
                    ASSERT_TRUE(a->AddParam("p", "x") && w->AddParam(L"p", L"x"));
                    a->m_strValue.Assign(text.c_str());
                    w->m_strValue.Assign(wideText);
                    a->ParamValues().GetAtForWrite(0).Assign(text.c_str());
                    w->ParamValues().GetAtForWrite(0).Assign(wideText);
                    narrowRoot->AddChild(a);
                    wideRoot->AddChild(w);
                    if (std::strstr(other, "-") == nullptr)
                    {
                        CXmlNodeA* remarkA = CreateXmlNodeA();
                        CXmlNodeW* remarkW = CreateXmlNodeW();
                        remarkA->SetKind(xnkRemark);
                        remarkW->SetKind(xnkRemark);
                        remarkA->m_strValue.Assign(text.c_str());
                        remarkW->m_strValue.Assign(wideText);
                        narrowRoot->AddChild(remarkA);
                        wideRoot->AddChild(remarkW);
                    }
                    ++texts;
                }
        ASSERT_GT(texts, 1000u);
        const std::string bytes = Save(wide);
        EXPECT_EQ(bytes, Save(narrow)) << int(flags);
        // The escapes are there: the case would prove nothing if every
        // special character went out as it stands.
        EXPECT_NE(bytes.find("ab&lt;cd"), std::string::npos);
        EXPECT_NE(bytes.find("abcd&amp;ef"), std::string::npos);
    }
}

// Short text that many nodes share (the loader shares equal names and short
// values) is written as each place needs it, in both modes: the same bytes
// as the narrow tree, whose text is written as it stands, gives.
TEST(XmlWriter, shared_short_text_is_written_as_each_place_needs_it)
{
    // Each value as text, as a parameter (in double quotes in XML 1.0 mode
    // when it holds a single quote) and, in part, as a remark; 16 and 17
    // characters straddle the length the writer keeps.
    const char* const values[] = {"a&amp;b &x",
                                  "x&lt;y&gt;z ]]&gt;",
                                  "q&quot;&apos;",
                                  "\xE4\xB8\xAD\xC3\xA9 \xF0\x9F\x98\x80",
                                  "plain",
                                  "sixteen chars ok",
                                  "seventeen chars!!"};
    std::string body = "<root>";
    for (int copy = 0; copy < 3; ++copy)
        for (const char* v : values)
            body += std::string("<item k='") + v + "'>" + v + "</item><!--c" + "--><item>" + v +
                    "</item>";
    body += "</root>";
    for (uint8_t flags : {kXmlParseStrict, kXmlParseXml10})
    {
        CXmlFileA narrow(1.0f, nullptr, flags);
        CXmlFileW wide(1.0f, nullptr, flags);
        ASSERT_TRUE(Load(narrow, Doc(body)) && Load(wide, Doc(body))) << int(flags);
        CXmlNodeW* root = Top(wide, 1);
        ASSERT_NE(root, nullptr);
        // The case only means something when the text is shared.
        ASSERT_EQ(root->GetChild(0)->GetName(), root->GetChild(2)->GetName());
        EXPECT_EQ(Save(wide), Save(narrow)) << int(flags);
        // Text changed between two saves is written anew, even where the
        // allocator gives a new text of the same length the old one's place.
        CXmlNodeW* const first = Add(root, L"a", L"first");
        CXmlNodeW* const other = Add(root, L"b", L"other");
        EXPECT_NE(Save(wide).find("<b>other</b>"), std::string::npos);
        ASSERT_TRUE(first->SetValue(L"fresh"));
        ASSERT_TRUE(other->SetValue(L"newer"));
        EXPECT_NE(Save(wide).find("<b>newer</b>"), std::string::npos);

        // One text in every place at once: element text, parameter value,
        // remark, each escaped its own way, against the same tree with a
        // copy of the text in each place.
        const wchar_t* const raw = L"a]]>b<c&d\"e";
        nkMem::CStringW shared;
        shared.Assign(raw);
        CXmlFileW copies(1.0f, nullptr, flags);
        ASSERT_TRUE(Load(copies, Doc("<root/>")));
        CXmlNodeW* const sharedRoot = CreateXmlNodeW();
        ASSERT_TRUE(sharedRoot->SetName(L"all"));
        root->AddChild(sharedRoot);
        CXmlNodeW* const copyRoot = Add(Top(copies, 1), L"all");
        for (CXmlNodeW* parent : {sharedRoot, copyRoot})
        {
            const bool share = parent == sharedRoot;
            CXmlNodeW* text = Add(parent, L"t");
            CXmlNodeW* remark = Add(parent, L"", L"", xnkRemark);
            // Set through the list: the value is one no parameter may be
            // given, which the writer must still write faithfully.
            ASSERT_TRUE(text->AddParam(L"p", L"x"));
            if (share)
            {
                text->m_strValue = shared;
                text->ParamValues().GetAtForWrite(0) = shared;
                remark->m_strValue = shared;
                ASSERT_EQ(text->GetValue(), remark->GetValue());
            }
            else
            {
                text->SetValue(raw);
                text->ParamValues().GetAtForWrite(0).Assign(raw);
                remark->SetValue(raw);
            }
        }
        const std::string all = Save(wide), one = Save(copies);
        const size_t at = all.find("<all>"), from = one.find("<all>");
        ASSERT_NE(at, std::string::npos);
        ASSERT_NE(from, std::string::npos);
        EXPECT_EQ(all.substr(at, all.find("</all>") - at),
                  one.substr(from, one.find("</all>") - from))
            << int(flags);
    }
}

// A parameter reads back up to its first zero character, and is written
// so, however often its text was written before: here in full as the
// element's name, then as the parameter's name and value.
template <class C> std::basic_string<C> Ascii(const char* s)
{
    return std::basic_string<C>(s, s + std::strlen(s));
}

template <class C> void ExpectParameterCutAtZero(uint8_t flags)
{
    CXmlFileT<C> doc(1.0f, nullptr, flags);
    ASSERT_TRUE(Load(doc, "<?xml version='1.0' encoding='UTF-8'?><root/>"));
    nkMem::CStringT<C> cut;
    const C raw[] = {C('a'), C('b'), C(0), C('c'), C('d'), C(0)};
    cut.Assign(raw, 5);
    ASSERT_EQ(cut.GetLength(), 5u);
    CXmlNodeT<C>* node = nullptr;
    if constexpr (sizeof(C) == 1)
        node = CreateXmlNodeA();
    else
        node = CreateXmlNodeW();
    Top(doc, 1)->AddChild(node);
    node->m_strName = cut;
    ASSERT_TRUE(node->AddParam(Ascii<C>("n").c_str(), Ascii<C>("v").c_str()));
    ASSERT_TRUE(node->AddParam(Ascii<C>("m").c_str(), Ascii<C>("w").c_str()));
    for (uint32_t i = 0; i < 2; ++i)
    {
        node->ParamNames().GetAtForWrite(i) = cut;
        node->ParamValues().GetAtForWrite(i) = cut;
    }
    EXPECT_EQ(std::basic_string<C>(node->GetParamValue(0)), Ascii<C>("ab"));
    const std::string out = Save(doc);
    EXPECT_NE(out.find(std::string("<ab\0cd  ab='ab'  ab='ab'/>", 26)), std::string::npos)
        << int(flags);
}

TEST(XmlWriter, a_parameter_is_written_up_to_its_first_zero_character)
{
    for (const uint8_t flags : {kXmlParseStrict, kXmlParseXml10})
    {
        ExpectParameterCutAtZero<char>(flags);
        ExpectParameterCutAtZero<wchar_t>(flags);
    }
}

TEST(XmlWriter, a_short_write_is_reported)
{
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, Doc("<a>some text</a>")));
    CRecordingStream full, roomy;
    full.writeLimit = 10;
    EXPECT_FALSE(doc.Write(&full));
    EXPECT_FALSE(doc.ExportNode(&full, Top(doc, 1)));
    EXPECT_TRUE(doc.Write(&roomy));
}

TEST(XmlWriter, a_long_output_arrives_whole_and_in_order_and_a_short_write_in_it_is_reported)
{
    // Several blocks of output.
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, Doc("<root/>")));
    CXmlNodeW* root = Top(doc, 1);
    const int kItems = 60000;
    for (int i = 0; i < kItems; ++i)
    {
        const std::wstring n = std::to_wstring(i);
        CXmlNodeW* item = Add(root, L"item", (L"value \u00e9 " + n + L" & more").c_str());
        ASSERT_TRUE(item->AddParam(L"id", n.c_str()));
    }
    CRecordingStream roomy;
    ASSERT_TRUE(doc.Write(&roomy));
    ASSERT_GT(roomy.data.size(), size_t(3) << 20);
    const std::string bytes(roomy.data.begin(), roomy.data.end());
    CXmlFileW again;
    ASSERT_TRUE(Load(again, bytes)) << again.GetParser().GetErrorReason() << " at "
                                    << again.GetParser().GetErrorOffset() << "\n"
                                    << bytes.substr(0, 300);
    CXmlNodeW* back = Top(again, 1);
    ASSERT_NE(nullptr, back);
    ASSERT_EQ(static_cast<uint32_t>(kItems), back->GetChildCount());
    for (int i = 0; i < kItems; i += 997)
    {
        const std::wstring n = std::to_wstring(i);
        EXPECT_EQ(n, back->GetChild(i)->GetParamByName(L"id"));
        // The dialect keeps references as they stand in values.
        EXPECT_EQ(L"value \u00e9 " + n + L" &amp; more", back->GetChild(i)->GetValue());
    }
    EXPECT_EQ(bytes, Save(again));

    // Short anywhere: in a full block, in the last one, or by one byte at
    // the very end.
    for (size_t limit : {size_t(1) << 20, bytes.size() / 2, bytes.size() - 100, bytes.size() - 1})
    {
        CRecordingStream full;
        full.writeLimit = static_cast<uint32_t>(limit);
        EXPECT_FALSE(doc.Write(&full)) << limit;
        EXPECT_LE(full.data.size(), limit);
    }
    CRecordingStream exact;
    exact.writeLimit = static_cast<uint32_t>(bytes.size());
    EXPECT_TRUE(doc.Write(&exact));
}

TEST(XmlWriter, export_writes_headers_then_the_node_and_a_locator_picks_it)
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
    for (const wchar_t* nothing : {L"r/c", L"r/b=-1", L"r/b=2"})
    {
        Orvex::CDataLocator missing(nothing);
        EXPECT_EQ(doc.FindNode(&missing), nullptr);
    }

    Orvex::CMemStream picked;
    ASSERT_TRUE(doc.Save(&picked, &second));
    const std::string text(reinterpret_cast<const char*>(picked.GetBuffer()), picked.GetLength());
    EXPECT_EQ(text, "<?xml  version='1.0'?>\r\n<?css  href='x'?>\r\n<b  id='2'>two</b>\r\n");
}

TEST(XmlWriter, set_version_changes_only_an_existing_parameter)
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

TEST(XmlWriter, samples_reach_a_fixed_point_that_libxml2_accepts)
{
    TempDir tmp;
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VELMAR_SAMPLES_DIR))
    {
        if (entry.path().extension() != ".xml" && entry.path().extension() != ".svg")
            continue;
        ++seen;
        // Each in the own dialect when it is in it, else in XML 1.0 mode.
        uint8_t flags = kXmlParseStrict;
        auto doc = std::make_unique<CXmlFileW>();
        if (!doc->LoadFromFile(entry.path().c_str()))
        {
            flags = kXmlParseXml10;
            doc = std::make_unique<CXmlFileW>(1.0f, nullptr, flags);
            ASSERT_TRUE(doc->LoadFromFile(entry.path().c_str())) << entry.path();
        }
        const std::string once = tmp.file("once-" + entry.path().filename().string());
        const std::string twice = tmp.file("twice-" + entry.path().filename().string());
        ASSERT_TRUE(doc->SaveToFile(once.c_str()));
        CXmlFileW again(1.0f, nullptr, flags);
        ASSERT_TRUE(again.LoadFromFile(once.c_str())) << once;
        ASSERT_TRUE(again.SaveToFile(twice.c_str()));
        EXPECT_EQ(ReadBytes(once), ReadBytes(twice)) << entry.path();
#ifndef _WIN32
        // libxml2's checker is a tool of the build machine, not of the Windows build.
        const std::string cmd = "xmllint --noout '" + once + "' 2>/dev/null";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << once;
#endif
    }
    EXPECT_GE(seen, 8);

    // A shorter document replaces a longer file completely.
    const std::string p = tmp.file("short.xml");
    WriteBytes(p, std::vector<uint8_t>(5000, 'x'));
    CXmlFileW doc;
    ASSERT_TRUE(Load(doc, Doc("<a/>")));
    ASSERT_TRUE(doc.SaveToFile(p.c_str()));
    const std::string saved = Save(doc);
    EXPECT_EQ(ReadBytes(p), std::vector<uint8_t>(saved.begin(), saved.end()));
    EXPECT_FALSE(doc.SaveToFile(tmp.file("no-such-dir/x.xml").c_str()));
    EXPECT_FALSE(doc.LoadFromFile(tmp.file("missing.xml").c_str()));
}

// XML 1.0 mode, by tree construction in both widths.
template <class C> class XmlWriter10Test : public ::testing::Test
{
};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(XmlWriter10Test, Widths);

template <class C>
CXmlNodeT<C>* Put(CXmlNodeT<C>* parent, const C* name, const C* value, uint32_t kind = xnkData)
{
    CXmlNodeT<C>* n;
    if constexpr (sizeof(C) == 1)
        n = CreateXmlNodeA();
    else
        n = CreateXmlNodeW();
    n->SetXml10(true);
    n->SetKind(kind);
    n->SetName(name);
    n->SetValue(value);
    parent->AddChild(n);
    return n;
}

// The UTF-16 form of UTF-8 `s`, in `big` or little endian order.
std::string Utf16(const std::string& s, bool big)
{
    std::wstring w(s.size() + 1, L'\0');
    w.resize(static_cast<size_t>(MultiByteToWideChar(65001, 0, s.data(), static_cast<int>(s.size()),
                                                     w.data(), static_cast<int>(w.size()))));
    std::string out;
    for (const wchar_t c : w)
        for (const uint32_t u :
             unicode::NeedsSurrogatePair(static_cast<uint32_t>(c))
                 ? std::vector<uint32_t>{unicode::HighSurrogateOf(c), unicode::LowSurrogateOf(c)}
                 : std::vector<uint32_t>{static_cast<uint32_t>(c)})
        {
            out += static_cast<char>(big ? u >> 8 : u & 0xFF);
            out += static_cast<char>(big ? u & 0xFF : u >> 8);
        }
    return out;
}

TYPED_TEST(XmlWriter10Test, keeps_line_ends_doctype_quotes_and_mixed_content_as_they_stand)
{
    using C = TypeParam;
    CXmlFileT<C> doc(1.0f, nullptr, kXmlParseXml10);
    ASSERT_TRUE(doc.SetLineEnd("\n"));
    Put<C>(&doc, LIT("xml"), LIT(""), xnkHeader)->AddParam(LIT("version"), LIT("1.0"));
    Put<C>(&doc, LIT(""), LIT("<!DOCTYPE r [<!ENTITY e \"x>y\">]>"), xnkDocType);
    CXmlNodeT<C>* r = Put<C>(&doc, LIT("svg:r"), LIT(""));
    r->AddParam(LIT("a"), LIT("it's"));
    r->AddParam(LIT("xml:b"), LIT("say \"hi\""));
    CXmlNodeT<C>* p = Put<C>(r, LIT("p"), LIT(""));
    Put<C>(p, LIT(""), LIT("Hello "), xnkText);
    Put<C>(Put<C>(p, LIT("b"), LIT("")), LIT("i"), LIT("you"));
    Put<C>(p, LIT(""), LIT(" &e; ]]> a>b <"), xnkText);
    Put<C>(p, LIT(""), LIT("x]]>y"), xnkText)->SetCData(true);
    Put<C>(p, LIT(""), LIT(" r "), xnkRemark);
    Put<C>(r, LIT("c"), LIT("d>"));
    const std::string expected = "<?xml  version='1.0'?>\n"
                                 "<!DOCTYPE r [<!ENTITY e \"x>y\">]>\n"
                                 "<svg:r  a=\"it's\"  xml:b='say \"hi\"'>\n"
                                 " <p>Hello <b><i>you</i></b> &e; ]]&gt; a>b &lt;"
                                 "<![CDATA[x]]>y]]><!-- r --></p>\n"
                                 " <c>d></c>\n"
                                 "</svg:r>\n";
    EXPECT_EQ(Save(doc), expected);
    // A new document that names UTF-16 is written in it, with its mark.
    doc.GetChild(0)->AddParam(LIT("encoding"), LIT("UTF-16"));
    EXPECT_EQ(Save(doc).substr(0, 12), Utf16("\xEF\xBB\xBF<?xml", false));
}

// Large output is converted and written in blocks behind the writer: a
// UTF-16 document of many blocks reads back whole, a short write in any of
// them fails the save, and the next save of the same document succeeds.
TEST(XmlWriter10, a_long_utf16_output_arrives_whole_and_a_short_write_fails_it)
{
    CXmlFileW doc(1.0f, nullptr, kXmlParseXml10);
    Put<wchar_t>(&doc, L"xml", L"", xnkHeader)->AddParam(L"version", L"1.0");
    doc.GetChild(0)->AddParam(L"encoding", L"UTF-16");
    CXmlNodeW* root = Put<wchar_t>(&doc, L"root", L"");
    const int kItems = 100000;
    for (int i = 0; i < kItems; ++i)
    {
        // Characters of every UTF-8 length, one beyond the first plane,
        // so that block ends fall inside every kind of sequence.
        const std::wstring n = std::to_wstring(i);
        Put<wchar_t>(root, L"item", (L"vé中😀 " + n).c_str())->AddParam(L"id", n.c_str());
    }
    CRecordingStream roomy;
    ASSERT_TRUE(doc.Write(&roomy));
    const std::string bytes(roomy.data.begin(), roomy.data.end());
    ASSERT_GT(bytes.size(), size_t(7) << 20); // several blocks of UTF-8
    CXmlFileW again(1.0f, nullptr, kXmlParseXml10);
    ASSERT_TRUE(Load(again, bytes)) << again.GetParser().GetErrorReason();
    CXmlNodeW* back = Top(again, 1);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(static_cast<uint32_t>(kItems), back->GetChildCount());
    for (int i = 0; i < kItems; i += 1999)
    {
        const std::wstring n = std::to_wstring(i);
        EXPECT_EQ(n, back->GetChild(i)->GetParamByName(L"id"));
        EXPECT_EQ(L"vé中😀 " + n, back->GetChild(i)->GetValue());
    }
    EXPECT_EQ(bytes, Save(again));
    for (size_t limit : {size_t(1) << 20, bytes.size() / 2, bytes.size() - 2})
    {
        CRecordingStream full;
        full.writeLimit = static_cast<uint32_t>(limit);
        EXPECT_FALSE(doc.Write(&full)) << limit;
        EXPECT_LE(full.data.size(), limit);
        CRecordingStream next;
        EXPECT_TRUE(doc.Write(&next)) << limit;
        EXPECT_EQ(next.data.size(), bytes.size()) << limit;
    }
    // One write of a block that fails while the ones after it succeed
    // still fails the save: the file would lack that block.
    for (size_t refused : {size_t(1), roomy.writes.size() / 2, roomy.writes.size()})
    {
        CRecordingStream once;
        once.refuseWrite = refused;
        EXPECT_FALSE(doc.Write(&once)) << refused << " of " << roomy.writes.size();
    }
}

TEST(XmlWriter10, characters_the_encoding_lacks_fail_where_no_reference_can_stand)
{
    struct Case
    {
        uint32_t kind;
        const wchar_t* name;
        const wchar_t* value;
        const char* encoding;
        const char* written; // null: refused with a reason holding `why`
        const char* why;
    };
    const Case cases[] = {
        {xnkData, L"a", L"\u4E2D", "ISO-8859-1", "<a>&#x4E2D;</a>", nullptr},
        {xnkData, L"\u4E2D", L"", "ISO-8859-1", nullptr, "name"},
        {xnkRemark, L"", L"\u4E2D", "ISO-8859-1", nullptr, "remark"},
        {xnkDocType, L"", L"<!DOCTYPE \u4E2D>", "ISO-8859-1", nullptr, "document type"},
        {xnkData, L"a", L"x", "x-no-such", nullptr, "unsupported encoding x-no-such"},
    };
    for (const Case& c : cases)
    {
        CXmlFileW doc(1.0f, nullptr, kXmlParseXml10);
        nkMem::CStringW enc;
        enc.Assign(c.encoding);
        Put<wchar_t>(&doc, L"xml", L"", xnkHeader)->AddParam(L"encoding", enc.GetString());
        Put<wchar_t>(&doc, c.name, c.value, c.kind)->SetCData(c.kind == xnkData);
        bool ok = false;
        const std::string out = Save(doc, &ok);
        EXPECT_EQ(ok, c.written != nullptr) << c.why;
        if (c.written != nullptr)
            EXPECT_EQ(out.substr(out.find('\n') + 1), std::string(c.written) + "\r\n");
        else
            EXPECT_NE(std::strstr(doc.m_writer.GetErrorReason(), c.why), nullptr) << c.why;
    }
}

TYPED_TEST(XmlWriter10Test, reads_back_to_what_any_reader_sees_the_same)
{
    using C = TypeParam;
    struct Case
    {
        std::string in, out; // out empty: written as it came
    };
    const std::string koi8 =
        "<?xml version='1.0' encoding='KOI8-R'?>\n<m>\xF7\xD9\xC8\xCF\xC4</m>\n";
    const Case cases[] = {
        {"<a\n  x=\"1\"\n  y='say \"hi\"' >t</a >", "<a  x='1'  y='say \"hi\"'>t</a>\n"},
        {"<r a=\"it's\" b='2 > 1'/>", "<r  a=\"it's\"  b='2 > 1'/>\r\n"},
        {"<p>Hello <b>you</b> there, 2 > 1 &amp; <i>x</i></p>\r\n", ""},
        {"<!DOCTYPE r [\n<!ENTITY e \"a>b\">\n]>\n<r>\n <e>&e;</e>\n</r>\n", ""},
        {"<r>\n <!-- a -->\n <![CDATA[x]]>\n</r>\n", "<r><![CDATA[x]]><!-- a --></r>\n"},
        {koi8, "<?xml  version='1.0'  encoding='KOI8-R'?>\n<m>\xF7\xD9\xC8\xCF\xC4</m>\n"},
        {"\xEF\xBB\xBF<svg:r xmlns:svg='u'/>", "\xEF\xBB\xBF<svg:r  xmlns:svg='u'/>\r\n"},
        {Utf16("\xEF\xBB\xBF<r>\xE4\xB8\xAD\xF0\x9F\x98\x80</r>\n", true), ""},
    };
    for (const Case& c : cases)
    {
        CXmlFileT<C> doc(1.0f, nullptr, kXmlParseXml10);
        ASSERT_TRUE(Load(doc, c.in)) << c.in << doc.GetParser().GetErrorReason();
        const std::string saved = Save(doc);
        EXPECT_EQ(saved, c.out.empty() ? c.in : c.out);
        EXPECT_TRUE(IsFixedPoint<C>(saved, kXmlParseXml10)) << saved;
    }
}

// Whether some element holds text beside child nodes.
template <class C> bool HasMixedContent(const CXmlNodeT<C>* node)
{
    bool text = false;
    for (uint32_t i = 0; i < node->GetChildCount(); ++i)
    {
        const CXmlNodeT<C>* child = node->GetChild(i);
        if (child->GetKind() == xnkText || HasMixedContent(child))
            return true;
        text = text || std::basic_string<C>(node->GetValue())
                               .find_first_not_of(Pick<C>(" \r\n\t", L" \r\n\t")) !=
                           std::basic_string<C>::npos;
    }
    return text;
}

TYPED_TEST(XmlWriter10Test, what_the_own_dialect_reads_is_written_the_same_in_both_modes)
{
    using C = TypeParam;
    int seen = 0;
    for (const std::string& dir : {std::string(VELMAR_SAMPLES_DIR),
                                   std::string(VELMAR_SAMPLES_DIR) + "/../tests/xml/fuzz/seeds"})
        for (const auto& entry : std::filesystem::directory_iterator(dir))
        {
            const std::vector<uint8_t> raw = ReadBytes(entry.path().string());
            const std::string bytes(raw.begin(), raw.end());
            CXmlFileT<C> strict;
            if (!Load(strict, bytes))
                continue;
            ++seen;
            CXmlFileT<C> xml10(1.0f, nullptr, kXmlParseXml10);
            ASSERT_TRUE(Load(xml10, bytes)) << entry.path();
            if (HasMixedContent(&xml10))
                continue; // its text, which the own dialect drops, is kept
            // The same bytes, but for the line end XML 1.0 mode keeps.
            const std::string own = Save(strict);
            std::string expected;
            for (size_t i = 0; i < own.size(); ++i)
                if (own.compare(i, 2, "\r\n") == 0)
                    expected += xml10.GetLineEnd(), ++i;
                else
                    expected += own[i];
            EXPECT_EQ(Save(xml10), expected) << entry.path();
        }
    EXPECT_GE(seen, 10);
}

} // namespace
