// Documents in XML 1.0 mode: what the tree shows of them, editing their
// values, names, document type and mixed content, the bytes saved, the
// strict dialect setting and the message of a file that does not open.
#include "EditorTestApp.h"
#include "TreeTestUtil.h"

#include "velmar/app/ItemKind.h"
#include "velmar/app/Resource.h"

#include <gtest/gtest.h>

#include <string>

using namespace testsupport;

namespace
{

// Every sample is in the writer's own layout, so it saves back byte for byte.
const char kSvg[] = "<?xml  version='1.0'  encoding='UTF-8'?>\n"
                    "<svg:svg  xmlns:svg='http://www.w3.org/2000/svg'  width='10'>\n"
                    " <svg:rect  x='1'  y='a &amp; b'/>\n"
                    " <svg:text>Fish &amp; Chips &#x41;</svg:text>\n"
                    "</svg:svg>\n";
const char kDocType[] = "<?xml  version='1.0'?>\n"
                        "<!DOCTYPE note [\n<!ENTITY w \"world\">\n]>\n"
                        "<note  a='1'>Hello &w; &amp; bye</note>\n";
const char kDocBook[] = "<?xml  version='1.0'  encoding='UTF-8'?>\n"
                        "<article>\n"
                        " <para>Use <command>ls</command> to <emphasis>list</emphasis>.</para>\n"
                        "</article>\n";
const char kHebrew[] = "<?xml  version='1.0'  encoding='windows-1255'?>\n"
                       "<a  t='\xF9\xEC\xE5\xED'>\xF9\xEC\xE5\xED</a>\n";

std::string Utf16Sample()
{
    const std::u16string text = u"\uFEFF<?xml  version='1.0'  encoding='UTF-16'?>\r\n"
                                u"<a>caf\u00E9 &amp; \u65E5</a>\r\n";
    std::string bytes;
    for (char16_t c : text)
    {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

void Type(CXMLContentView* pView, LPCWSTR text)
{
    CEdit& edit = pView->GetEditCtrl();
    const int end = edit.GetWindowText().GetLength();
    edit.SetSel(end, end);
    edit.ReplaceSel(text, TRUE);
}

void ReplaceAll(CXMLContentView* pView, LPCWSTR text)
{
    pView->GetEditCtrl().SetSel(0, -1);
    pView->GetEditCtrl().ReplaceSel(text, TRUE);
}

std::wstring Shown(CXMLContentView* pView)
{
    return pView->GetEditCtrl().GetWindowText().GetString();
}

// Renames the selected item in place; whether the tree took the name.
bool RenameSelected(const DocWindow& w, LPCWSTR name)
{
    CEdit* pEdit = w.tree->EditLabel(w.tree->GetSelectedItem());
    if (!pEdit)
        return false;
    pEdit->SetWindowText(name);
    w.tree->EndEditLabelNow(FALSE);
    return w.tree->GetItemText(w.tree->GetSelectedItem()) == CString(name);
}

} // namespace

TEST(Xml10Document, samples_open_with_their_items_and_save_back_unchanged)
{
    const struct
    {
        const char* name;
        std::string bytes;
        std::vector<std::wstring> item;
        int kind;
        std::wstring shown; // in the content pane when the item is selected
    } cases[] = {
        {"svg.xml",
         kSvg,
         {L"svg:svg", L"Child Nodes", L"svg:rect", L"Child Vars", L"y"},
         ikParam,
         L"a & b"},
        {"note.xml",
         kDocType,
         {L"DOCTYPE"},
         ikDocType,
         L"<!DOCTYPE note [\n<!ENTITY w \"world\">\n]>"},
        {"note2.xml", kDocType, {L"note", L"Node Value"}, ikNodeValue, L"Hello &w; & bye"},
        {"book.xml",
         kDocBook,
         {L"article", L"Child Nodes", L"para", L"Child Nodes", L"Text"},
         ikText,
         L"Use "},
        {"utf16.xml", Utf16Sample(), {L"a", L"Node Value"}, ikNodeValue, L"caf\u00E9 & \u65E5"},
        {"hebrew.xml", kHebrew, {L"a", L"Child Vars", L"t"}, ikParam, L"\u05E9\u05DC\u05D5\u05DD"},
    };
    EditorFixture f;
    for (const auto& c : cases)
    {
        CVelmarDoc* pDoc = f.OpenWith(c.name, c.bytes);
        ASSERT_NE(pDoc, nullptr) << c.name;
        EXPECT_TRUE(pDoc->IsXml10()) << c.name;
        EXPECT_EQ(f.Main()->GetStatusBar().GetPaneText(2), CString(L"XML 1.0"));
        DocWindow w = WindowOf(f.ActiveChild());
        ASSERT_TRUE(w.Select(c.item)) << c.name;
        EXPECT_EQ(w.tree->GetItemKind(w.tree->GetSelectedItem()), c.kind) << c.name;
        EXPECT_EQ(Shown(w.frame->Content()), c.shown) << c.name;
        // The value column says what the pane says, on one line and trimmed.
        if (c.kind != ikDocType)
        {
            const std::wstring row = c.shown.substr(0, c.shown.find_last_not_of(L' ') + 1);
            EXPECT_EQ(w.tree->GetColumnText(w.tree->GetSelectedItem()).Str(), row) << c.name;
        }
        pDoc->SetModifiedFlag(TRUE);
        ASSERT_TRUE(pDoc->DoFileSave()) << c.name;
        EXPECT_EQ(f.ReadFile(c.name), c.bytes) << c.name;
    }
    EXPECT_TRUE(f.user.boxes.empty());
}

TEST(Xml10Document, values_names_and_new_children_reach_the_file_as_markup)
{
    EditorFixture f;
    DocWindow w = f.OpenSample(kSvg);
    ASSERT_TRUE(w.doc);
    CXMLContentView* pPane = w.frame->Content();

    // Typed "&" and "<" are stored escaped, as text, never as CDATA.
    ASSERT_TRUE(w.Select({L"svg:svg", L"Child Nodes", L"svg:text", L"Node Value"}));
    EXPECT_EQ(Shown(pPane), L"Fish & Chips A");
    Type(pPane, L" <b>");
    nkDS::CXmlNodeW* text = w.root->GetChild(1)->GetChild(1);
    EXPECT_STREQ(text->GetValue(), L"Fish &amp; Chips A &lt;b>");
    EXPECT_FALSE(text->IsCData());
    EXPECT_EQ(Shown(pPane), L"Fish & Chips A <b>");

    // A parameter value with both quotes: the one the writer needs is escaped.
    ASSERT_TRUE(w.Select({L"svg:svg", L"Child Nodes", L"svg:rect", L"Child Vars", L"y"}));
    ReplaceAll(pPane, L"it's \"<\" & more");
    EXPECT_TRUE(f.user.boxes.empty());

    // Names of the document's mode; a refused one changes nothing.
    ASSERT_TRUE(w.Select({L"svg:svg", L"Child Nodes", L"svg:rect"}));
    EXPECT_TRUE(RenameSelected(w, L"svg:circle"));
    ASSERT_TRUE(w.Select({L"svg:svg", L"Child Nodes", L"svg:circle", L"Child Vars", L"x"}));
    EXPECT_TRUE(RenameSelected(w, L"\u65E5\u671F"));
    ASSERT_TRUE(w.Select({L"svg:svg", L"Child Nodes", L"svg:circle"}));
    EXPECT_FALSE(RenameSelected(w, L"1circle"));
    EXPECT_STREQ(w.root->GetChild(1)->GetChild(0)->GetName(), L"svg:circle");

    // A child of an element with text keeps the text as a run before it.
    ASSERT_TRUE(w.Select({L"svg:svg", L"Child Nodes", L"svg:text", L"Child Nodes"}));
    f.ActiveChild()->SendMessage(WM_COMMAND, ID_XML_ADD_DATANODE);
    EXPECT_TRUE(f.user.boxes.empty()); // nothing to ask: nothing is lost
    ASSERT_NE(ItemAt(*w.tree, {L"svg:svg", L"Child Nodes", L"svg:text", L"Child Nodes", L"Text"}),
              nullptr);
    ASSERT_TRUE(w.doc->DoFileSave());
    EXPECT_EQ(
        f.ReadFile("doc.xml"),
        "<?xml  version='1.0'  encoding='UTF-8'?>\n"
        "<svg:svg  xmlns:svg='http://www.w3.org/2000/svg'  width='10'>\n"
        " <svg:circle  \xE6\x97\xA5\xE6\x9C\x9F='1'  y=\"it's &quot;&lt;&quot; &amp; more\"/>\n"
        " <svg:text>Fish &amp; Chips A &lt;b><NewNode/></svg:text>\n"
        "</svg:svg>\n");
}

TEST(Xml10Document, the_document_type_and_text_runs_are_edited_deleted_and_moved)
{
    EditorFixture f;
    DocWindow w = f.OpenSample(kDocType);
    ASSERT_TRUE(w.doc);
    CXMLContentView* pPane = w.frame->Content();
    nkDS::CXmlNodeW* docType = w.root->GetChild(1);
    const std::wstring before = docType->GetValue();

    // An unfinished declaration is refused once the user leaves it.
    ASSERT_TRUE(w.Select({L"DOCTYPE"}));
    ReplaceAll(pPane, L"<!DOCTYPE note [<!ENTITY w \"x\">");
    EXPECT_TRUE(f.user.boxes.empty());
    w.view->SetFocus();
    pPane->SetFocus();
    w.view->SetFocus();
    f.Spin();
    ASSERT_EQ(f.user.boxes.size(), 1u);
    EXPECT_NE(f.user.LastText().find(L"not a well-formed document type"), std::wstring::npos);
    EXPECT_EQ(docType->GetValue(), before);
    EXPECT_EQ(Shown(pPane), before);

    ReplaceAll(pPane, L"<!DOCTYPE note [<!ENTITY w \"planet\">]>");
    EXPECT_STREQ(docType->GetValue(), L"<!DOCTYPE note [<!ENTITY w \"planet\">]>");
    ASSERT_TRUE(w.Select({L"note", L"Node Value"}));
    EXPECT_TRUE(CommandEnabled(f.ActiveChild(), ID_XML_DELETE) == false);
    ASSERT_TRUE(w.Select({L"DOCTYPE"}));
    EXPECT_FALSE(CommandEnabled(f.ActiveChild(), ID_XML_RENAME));
    EXPECT_TRUE(CommandEnabled(f.ActiveChild(), ID_XML_DELETE));
    ASSERT_TRUE(w.doc->DoFileSave());
    EXPECT_EQ(f.ReadFile("doc.xml"), "<?xml  version='1.0'?>\n"
                                     "<!DOCTYPE note [<!ENTITY w \"planet\">]>\n"
                                     "<note  a='1'>Hello &w; &amp; bye</note>\n");
    EXPECT_TRUE(w.view->DeleteSelected());
    EXPECT_EQ(ItemAt(*w.tree, {L"DOCTYPE"}), nullptr);

    // Text runs move among the element's children and go with Delete.
    DocWindow b = f.OpenWith("book.xml", kDocBook) ? WindowOf(f.ActiveChild()) : DocWindow();
    ASSERT_TRUE(b.doc);
    ASSERT_TRUE(b.Select({L"article", L"Child Nodes", L"para", L"Child Nodes", L"Text"}));
    EXPECT_TRUE(CommandEnabled(f.ActiveChild(), ID_XML_MOVE_DOWN));
    f.ActiveChild()->SendMessage(WM_COMMAND, ID_XML_MOVE_DOWN);
    ASSERT_TRUE(b.Select({L"article", L"Child Nodes", L"para", L"Child Nodes", L"Text"}));
    EXPECT_TRUE(b.view->DeleteSelected());
    ASSERT_TRUE(b.doc->DoFileSave());
    EXPECT_EQ(f.ReadFile("book.xml"),
              "<?xml  version='1.0'  encoding='UTF-8'?>\n"
              "<article>\n"
              " <para><command>ls</command> to <emphasis>list</emphasis>.</para>\n"
              "</article>\n");
}

TEST(Xml10Document, a_file_that_does_not_open_is_named_with_line_column_and_reason)
{
    EditorFixture f;
    f.WriteFile("catalog.xml",
                "<?xml version='1.0'?>\n<catalog>\n <item>\n  <name>\u00E9t\u00E9</item>\n");
    EXPECT_EQ(f.Open("catalog.xml"), nullptr);
    ASSERT_EQ(f.user.boxes.size(), 1u);
    EXPECT_EQ(f.user.LastText(),
              L"Error open XML file!\n\ncatalog.xml: line 4, column 12: expected </name>");

    // Strict: a file that is plain XML 1.0 is offered in that mode.
    CVelmarDoc::SetStrictDialect(true);
    ASSERT_TRUE(CVelmarDoc::IsStrictDialectSet());
    f.user.answers = {IDNO};
    EXPECT_EQ(f.OpenWith("svg.xml", kSvg), nullptr);
    ASSERT_EQ(f.user.boxes.size(), 2u);
    EXPECT_NE(f.user.LastText().find(L"Open it that way?"), std::wstring::npos);
    f.user.answers = {IDYES};
    CVelmarDoc* pDoc = f.Open("svg.xml");
    ASSERT_NE(pDoc, nullptr);
    EXPECT_TRUE(pDoc->IsXml10());

    // Strict documents ask before an element's text goes with a new child.
    DocWindow w = f.OpenSample("<?xml version='1.0'?><a><b>keep me</b></a>");
    ASSERT_TRUE(w.doc);
    EXPECT_FALSE(w.doc->IsXml10());
    EXPECT_EQ(f.Main()->GetStatusBar().GetPaneText(2), CString(L"Strict"));
    ASSERT_TRUE(w.Select({L"a", L"Child Nodes", L"b", L"Child Nodes"}));
    f.user.answers = {IDNO};
    f.ActiveChild()->SendMessage(WM_COMMAND, ID_XML_ADD_DATANODE);
    EXPECT_NE(f.user.LastText().find(L"keep me"), std::wstring::npos);
    EXPECT_STREQ(w.root->GetChild(1)->GetChild(0)->GetValue(), L"keep me");
    EXPECT_EQ(w.root->GetChild(1)->GetChild(0)->GetChildCount(), 0u);
    EXPECT_FALSE(w.doc->IsModified());
}

TEST(Xml10Document, copying_a_node_writes_it_as_its_document_does_and_leaves_it_whole)
{
    EditorFixture f;
    DocWindow w = f.OpenSample("<?xml version='1.0'?>\n<a  t=\"it's\">keep<!--r--></a>\n");
    ASSERT_TRUE(w.doc);
    // Mixed content stays on one line: the strict layout would indent it
    // and so change its text.
    nkDS::CXmlNodeW* a = w.root->GetChild(1);
    EXPECT_EQ(CXMLTreeView::NodeXmlText(a), CString(L"<a  t=\"it's\">keep<!--r--></a>"));
    ASSERT_EQ(a->GetChildCount(), 2u);
    EXPECT_STREQ(a->GetChild(0)->GetValue(), L"keep");
    EXPECT_EQ(w.view->ItemXmlText(ItemAt(*w.tree, {L"a", L"Child Vars", L"t"})),
              CString(L"t=\"it's\""));
}

TEST(Xml10Document, new_documents_follow_the_setting_and_keep_their_mode)
{
    EditorFixture f;
    CVelmarDoc* pXml10 = f.NewDocument();
    ASSERT_NE(pXml10, nullptr);
    EXPECT_TRUE(pXml10->IsXml10());
    EXPECT_STREQ(pXml10->GetXmlFile().GetChild(0)->GetParamByName(L"encoding"), L"UTF-8");

    f.Main()->SendMessage(WM_COMMAND, ID_VIEW_STRICT);
    EXPECT_TRUE(CVelmarDoc::IsStrictDialectSet());
    CVelmarDoc* pStrict = f.NewDocument();
    ASSERT_NE(pStrict, nullptr);
    EXPECT_FALSE(pStrict->IsXml10());
    EXPECT_TRUE(pXml10->IsXml10()); // an open document keeps its mode
    EXPECT_EQ(f.Main()->GetStatusBar().GetPaneText(2), CString(L"Strict"));
    f.Main()->SendMessage(WM_COMMAND, ID_VIEW_STRICT);
    EXPECT_FALSE(CVelmarDoc::IsStrictDialectSet());
}
