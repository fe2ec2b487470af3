// Finding and replacing in a document's nodes, through the find bar's
// commands as the keys and buttons send them, and going to a typed path.
#include "EditorTestApp.h"
#include "TreeTestUtil.h"
#include "velmar/app/NodeSearch.h"
#include "velmar/app/Resource.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

using namespace testsupport;

namespace
{

const char kDoc[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<shelf><book id=\"b1\" lang=\"en\"><title>Cat's Cradle</title>"
                    "<note>cat</note></book>"
                    "<book id=\"b2\"><title>The Catcher</title><!--a cat remark--></book>"
                    "<cat/></shelf>\n";

std::string Narrow(const wchar_t* text)
{
    return QString::fromWCharArray(text).toStdString();
}

// "title.text", "book.id", "cat.name", "#r.text".
std::string Describe(const NodeTextRef& ref)
{
    const std::string node =
        ref.node->GetKind() == nkDS::xnkRemark ? "#r" : Narrow(ref.node->GetName());
    if (ref.slot == 0)
        return node + ".name";
    if (ref.IsParam())
        return node + "." + Narrow(ref.node->GetParamName(ref.Param()));
    return node + ".text";
}

// Every match from the start, one search after the other, until the search
// goes round to the first again; in the given direction.
std::string Matches(nkDS::CXmlNodeW& root, const NodeFindOptions& options, bool bForward)
{
    CNodeTextMatcher matcher;
    CString error;
    if (!matcher.Compile(options, error, &root))
        return "error";
    std::string out;
    NodeTextRef at, first;
    for (int i = 0; i < 20; ++i)
    {
        NodeTextRef hit;
        const NodeFindResult result = FindNodeText(root, at, bForward, matcher, hit);
        if (result == NodeFindResult::notFound)
            return out;
        if (result == NodeFindResult::wrapped)
            return hit == first ? out : out + " (wrapped elsewhere)";
        if (!first.node)
            first = hit;
        out += (out.empty() ? "" : " ") + Describe(hit);
        at = hit;
    }
    return out + " (endless)";
}

void Send(EditorFixture& f, UINT id)
{
    f.Main()->SendMessage(WM_COMMAND, id);
}

void PressEnter(QWidget* pWidget)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(pWidget, &press);
}

} // namespace

TEST(NodeSearch, options_choose_the_texts_and_both_directions_meet_the_same_matches)
{
    EditorFixture f;
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.root);
    struct Case
    {
        const wchar_t* what;
        bool matchCase, wholeWord, regex, inNames, inValues;
        const char* expected; // forwards
    } cases[] = {
        {L"cat", false, false, false, true, true,
         "title.text note.text title.text #r.text cat.name"},
        {L"cat", true, false, false, true, true, "note.text #r.text cat.name"},
        {L"cat", false, true, false, true, true, "title.text note.text #r.text cat.name"},
        {L"cat", false, false, false, true, false, "cat.name"},
        {L"cat", false, false, false, false, true, "title.text note.text title.text #r.text"},
        {L"lang", false, false, false, true, true, "book.lang"},
        {L"^b\\d$", false, false, true, true, true, "book.id book.id"},
        {L"CAT", true, false, true, true, true, ""},
        {L"Cat[a-z]+", true, true, true, true, true, "title.text"},
        {L"(", false, false, true, true, true, "error"},
    };
    for (const Case& c : cases)
    {
        const NodeFindOptions options{c.what,  c.matchCase, c.wholeWord,
                                      c.regex, c.inNames,   c.inValues};
        const std::string forwards = Matches(*w.root, options, true);
        EXPECT_EQ(forwards, c.expected) << Narrow(c.what);
        // Backwards from the end: the same matches, last first.
        std::string expected = c.expected, backwards = Matches(*w.root, options, false);
        std::vector<std::string> parts;
        for (size_t at = 0; !expected.empty() && expected != "error";)
        {
            const size_t end = expected.find(' ', at);
            parts.insert(parts.begin(), expected.substr(at, end - at));
            if (end == std::string::npos)
                break;
            at = end + 1;
        }
        std::string reversed;
        for (const std::string& part : parts)
            reversed += (reversed.empty() ? "" : " ") + part;
        EXPECT_EQ(backwards, expected == "error" ? expected : reversed) << Narrow(c.what);
    }
}

TEST(NodeSearch, f3_selects_the_next_match_from_the_selection_and_wraps_round)
{
    EditorFixture f;
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.tree);
    CFindBar* pBar = f.Main()->GetFindBar();
    EXPECT_FALSE(pBar->IsOpen());
    Send(f, ID_XML_FIND);
    EXPECT_TRUE(pBar->IsOpen());
    f.Spin(); // the bar's buttons are enabled by the idle update
    EXPECT_TRUE(pBar->GetDlgItem(ID_XML_FIND_CLOSE)->GetWidget()->isEnabled());
    pBar->SetOptions({L"catch", false, false, false, true, true});
    // From the last element the search goes past the end to the only match.
    ASSERT_TRUE(w.Select({L"shelf", L"Child Nodes", L"cat"}));
    Send(f, ID_XML_FIND_NEXT);
    HTREEITEM hTitle = ItemAt(
        *w.tree, {L"shelf", L"Child Nodes", L"book", L"Child Nodes", L"title", L"Node Value"});
    // The first book's title does not match; the second's is the one expanded to.
    EXPECT_NE(w.tree->GetSelectedItem(), hTitle);
    EXPECT_EQ(w.tree->GetItemText(w.tree->GetSelectedItem()), CString(L"Node Value"));
    EXPECT_EQ(f.Main()->m_path, L"shelf/book=1/title/");
    // Shift+F3 from there finds nothing else: the same match again, said nowhere else.
    Send(f, ID_XML_FIND_PREV);
    EXPECT_EQ(f.Main()->m_path, L"shelf/book=1/title/");
    EXPECT_TRUE(f.user.boxes.empty());
    // Nothing to find: the user is told, the selection stays.
    pBar->SetOptions({L"dog", false, false, false, true, true});
    Send(f, ID_XML_FIND_NEXT);
    ASSERT_EQ(f.user.boxes.size(), 1u);
    EXPECT_EQ(f.user.LastText(), L"Cannot find \"dog\".");
    EXPECT_EQ(f.Main()->m_path, L"shelf/book=1/title/");
    // Escape in the bar closes it.
    pBar->SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_FALSE(pBar->IsOpen());
}

TEST(NodeSearch, an_xpath_search_steps_through_the_texts_of_the_selected_nodes)
{
    EditorFixture f;
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.tree);
    NodeFindOptions options;
    options.xpath = true;
    struct Case
    {
        const wchar_t* what;
        const char* forwards;
        const char* backwards;
    } cases[] = {
        {L"//comment() | //book/title | //@lang", "book.lang title.name title.name #r.text",
         "#r.text title.name title.name book.lang"},
        {L"//book[@id = 'b2']/title/text()", "title.text", "title.text"},
        {L"//book[2]/following::*", "cat.name", "cat.name"},
        {L"//nothing", "", ""},
        {L"count(//book)", "", ""}, // a number selects no text
        {L"//book[", "error", "error"},
    };
    for (const Case& c : cases)
    {
        options.what = c.what;
        EXPECT_EQ(Matches(*w.root, options, true), c.forwards) << Narrow(c.what);
        EXPECT_EQ(Matches(*w.root, options, false), c.backwards) << Narrow(c.what);
    }

    // F3 in the editor: the selection moves to the matches; a bad expression
    // is explained with its column, and replacing is refused.
    CFindBar* pBar = f.Main()->GetFindBar();
    Send(f, ID_XML_FIND);
    options.what = L"//title";
    pBar->SetOptions(options);
    EXPECT_TRUE(pBar->GetOptions().xpath);
    Send(f, ID_XML_FIND_NEXT);
    EXPECT_EQ(f.Main()->m_path, L"shelf/book/title/");
    Send(f, ID_XML_FIND_NEXT);
    EXPECT_EQ(f.Main()->m_path, L"shelf/book=1/title/");
    Send(f, ID_XML_FIND_PREV);
    EXPECT_EQ(f.Main()->m_path, L"shelf/book/title/");
    EXPECT_TRUE(f.user.boxes.empty());
    options.what = L"//book[";
    pBar->SetOptions(options);
    Send(f, ID_XML_FIND_NEXT);
    ASSERT_EQ(f.user.boxes.size(), 1u);
    EXPECT_EQ(f.user.LastText(), L"The XPath expression is not valid at column 8: expected a step");
    Send(f, ID_XML_REPLACE_ALL);
    ASSERT_EQ(f.user.boxes.size(), 2u);
    EXPECT_EQ(f.user.LastText(), L"Replacing needs a text to find, not an XPath expression.");
    EXPECT_EQ(f.Main()->m_path, L"shelf/book/title/");
}

TEST(NodeSearch, replace_changes_values_only_one_or_all_and_reports_how_many)
{
    struct Case
    {
        const wchar_t* what;
        const wchar_t* with;
        bool regex;
        const char* report;
        std::vector<std::pair<std::string, std::string>> edits; // made by hand to kDoc
    } cases[] = {
        {L"cat",
         L"dog",
         false,
         "Replaced 4 matches.",
         {{"Cat's", "dog's"}, {">cat<", ">dog<"}, {"Catcher", "dogcher"}, {"a cat", "a dog"}}},
        // A parameter value cannot hold a quote: those stay, and the report says so.
        {L"b(\\d)",
         L"\"\\1",
         true,
         "Replaced 0 matches. 2 values cannot hold their replaced text and stay as they were.",
         {}},
    };
    for (const Case& c : cases)
    {
        EditorFixture f;
        std::string byHand = kDoc;
        for (const auto& [from, to] : c.edits)
            byHand.replace(byHand.find(from), from.size(), to);
        CVelmarDoc* pWant = f.OpenWith("want.xml", byHand);
        ASSERT_TRUE(pWant && pWant->OnSaveDocument(f.Path("want.xml").c_str()));
        DocWindow w = f.OpenSample(kDoc);
        ASSERT_TRUE(w.doc);
        CFindBar* pBar = f.Main()->GetFindBar();
        pBar->SetOptions({c.what, false, false, c.regex, true, true});
        pBar->SetReplaceText(c.with);
        Send(f, ID_XML_REPLACE_ALL);
        EXPECT_EQ(Narrow(f.user.LastText().c_str()), c.report);
        EXPECT_EQ(w.doc->IsModified(), !c.edits.empty());
        ASSERT_TRUE(w.doc->OnSaveDocument(f.Path("doc.xml").c_str()));
        EXPECT_EQ(f.ReadFile("doc.xml"), f.ReadFile("want.xml"));
        if (c.edits.empty())
            continue;
        // Every replacement is one step: a single undo gives the file back.
        EXPECT_EQ(w.doc->GetHistory().GetUndoName(), CString(L"Replace All"));
        Send(f, ID_EDIT_UNDO);
        ASSERT_TRUE(w.doc->OnSaveDocument(f.Path("undone.xml").c_str()));
        CVelmarDoc* pOld = f.OpenWith("old.xml", kDoc);
        ASSERT_TRUE(pOld && pOld->OnSaveDocument(f.Path("old.xml").c_str()));
        EXPECT_EQ(f.ReadFile("undone.xml"), f.ReadFile("old.xml"));
    }
    // One at a time: the selected match is replaced and the next one selected.
    EditorFixture f;
    DocWindow w = f.OpenSample(kDoc);
    CFindBar* pBar = f.Main()->GetFindBar();
    pBar->SetOptions({L"cat", true, false, false, true, true});
    pBar->SetReplaceText(L"dog");
    Send(f, ID_XML_FIND_NEXT); // the note
    Send(f, ID_XML_REPLACE_ONE);
    nkDS::CXmlNodeW* book = w.root->GetChild(1)->GetChild(0);
    EXPECT_EQ(Narrow(book->GetChild(1)->GetValue()), "dog");
    EXPECT_EQ(Narrow(w.root->GetChild(1)->GetChild(1)->GetChild(1)->GetValue()), "a cat remark");
    EXPECT_EQ(w.tree->GetItemText(w.tree->GetSelectedItem()), CString(L"Remark"));
    EXPECT_TRUE(w.doc->IsModified());
    EXPECT_EQ(w.doc->GetHistory().GetUndoName(), CString(L"Replace in 'note'"));
    Send(f, ID_EDIT_UNDO);
    EXPECT_EQ(Narrow(book->GetChild(1)->GetValue()), "cat");
    EXPECT_FALSE(w.doc->IsModified());
}

TEST(NodeSearch, enter_in_the_path_bar_selects_the_typed_path_or_says_nothing_is_there)
{
    EditorFixture f;
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.tree);
    auto* pField =
        qobject_cast<QLineEdit*>(f.Main()->GetPathBar().GetDlgItem(IDC_PATH)->GetWidget());
    ASSERT_TRUE(pField);
    struct Case
    {
        const wchar_t* typed;
        const wchar_t* path; // the path bar afterwards
        size_t boxes;
    } cases[] = {
        {L"shelf/book=1/title", L"shelf/book=1/title/", 0},
        {L" shelf/book?id=b1/ ", L"shelf/book/", 0},
        {L"shelf/cat", L"shelf/cat/", 0},
        {L"shelf/book=2", L"shelf/cat/", 1},
        {L"", L"shelf/cat/", 2},
    };
    for (const Case& c : cases)
    {
        pField->setText(QString::fromWCharArray(c.typed));
        PressEnter(pField);
        EXPECT_EQ(f.Main()->m_path, c.path) << Narrow(c.typed);
        EXPECT_EQ(f.user.boxes.size(), c.boxes) << Narrow(c.typed);
    }
    EXPECT_EQ(f.user.LastText(), L"There is no node at \"\".");
}
