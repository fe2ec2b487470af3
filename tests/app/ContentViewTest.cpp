// The content pane: what it shows for each kind of item, what it stores of
// the user's typing, and several windows on one document.
#include "EditorTestApp.h"
#include "TreeTestUtil.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>

using namespace testsupport;

namespace
{

const char kDoc[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<a x=\"1\"><b>x</b><!--note--><c/></a>\n";

// Types `text` at the end of the pane's text, as the user would.
void Type(CXMLContentView* pView, LPCWSTR text)
{
    CEdit& edit = pView->GetEditCtrl();
    edit.SetSel(-1, -1);
    const int end = edit.GetWindowText().GetLength();
    edit.SetSel(end, end);
    edit.ReplaceSel(text, TRUE);
}

std::wstring Text(CXMLContentView* pView)
{
    return pView->GetEditCtrl().GetWindowText().GetString();
}

} // namespace

TEST(ContentView, shows_and_stores_the_text_of_each_kind_of_item)
{
    EditorFixture f;
    CVelmarDoc::SetStrictDialect(true); // the editor's own dialect and layout
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.tree && w.frame->Content());
    CVelmarDoc* pDoc = w.doc;
    CXMLTreeCtrl& tree = *w.tree;
    CXMLContentView* pPane = w.frame->Content();
    nkDS::CXmlNodeW* a = w.root->GetChild(1);
    nkDS::CXmlNodeW* b = a->GetChild(0);

    // Empty and disabled until something editable is selected.
    EXPECT_FALSE(pPane->GetEditCtrl().IsWindowEnabled());
    EXPECT_EQ(Text(pPane), L"");

    ASSERT_TRUE(w.Select({L"a", L"Child Nodes", L"b", L"Node Value"}));
    EXPECT_TRUE(pPane->GetEditCtrl().IsWindowEnabled());
    EXPECT_EQ(Text(pPane), L"x");
    EXPECT_FALSE(pDoc->IsModified()); // showing a text stores nothing
    Type(pPane, L"y");
    EXPECT_STREQ(b->GetValue(), L"xy");
    EXPECT_FALSE(b->IsCData());
    EXPECT_TRUE(pDoc->IsModified());
    Type(pPane, L"<");
    EXPECT_STREQ(b->GetValue(), L"xy<");
    EXPECT_TRUE(b->IsCData());
    Type(pPane, L"]]>");
    EXPECT_STREQ(b->GetValue(), L"xy<"); // refused, and the pane shows what is stored
    EXPECT_EQ(Text(pPane), L"xy<");
    pPane->GetEditCtrl().SetSel(0, -1);
    pPane->GetEditCtrl().ReplaceSel(L"plain", TRUE);
    EXPECT_STREQ(b->GetValue(), L"plain");
    EXPECT_FALSE(b->IsCData());

    // The parameter's value, refused with a quote, an apostrophe or "<".
    ASSERT_TRUE(w.Select({L"a", L"Child Vars", L"x"}));
    EXPECT_EQ(Text(pPane), L"1");
    for (LPCWSTR bad : {L"\"", L"'", L"<"})
    {
        Type(pPane, bad);
        EXPECT_STREQ(a->GetParamValue(0), L"1");
        pPane->GetEditCtrl().SetSel(0, -1);
        pPane->GetEditCtrl().ReplaceSel(L"1", TRUE);
    }
    Type(pPane, L"0");
    EXPECT_STREQ(a->GetParamValue(0), L"10");

    // A remark, refused with its end mark.
    ASSERT_TRUE(w.Select({L"a", L"Child Nodes", L"Remark"}));
    EXPECT_EQ(Text(pPane), L"note");
    Type(pPane, L"--");
    EXPECT_STREQ(a->GetChild(1)->GetValue(), L"note--");
    Type(pPane, L">");
    EXPECT_STREQ(a->GetChild(1)->GetValue(), L"note--");

    // Everything else empties and disables the pane, and typing stores nothing.
    for (const std::vector<std::wstring>& path : {std::vector<std::wstring>{L"a", L"Node Value"},
                                                  {L"a"},
                                                  {L"xml"},
                                                  {L"a", L"Child Vars"},
                                                  {L"a", L"Child Nodes"}})
    {
        tree.SelectItem(ItemAt(tree, path));
        EXPECT_FALSE(pPane->GetEditCtrl().IsWindowEnabled());
        EXPECT_EQ(Text(pPane), L"");
        EXPECT_EQ(pPane->GetEditedNode(), nullptr);
    }
    tree.SelectItem(nullptr);
    EXPECT_FALSE(pPane->GetEditCtrl().IsWindowEnabled());

    // The document saved holds what was stored.
    ASSERT_TRUE(pDoc->DoFileSave());
    const std::string saved = f.ReadFile("doc.xml");
    EXPECT_NE(saved.find("<b>plain</b>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("x='10'"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<!--note---->"), std::string::npos) << saved;
}

TEST(ContentView, a_refused_edit_is_told_and_the_stored_text_shown_again)
{
    EditorFixture f;
    CVelmarDoc::SetStrictDialect(true); // the editor's own dialect and layout
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.tree);
    CXMLContentView* pPane = w.frame->Content();
    const struct
    {
        std::vector<std::wstring> item;
        LPCWSTR typed, stored;
    } cases[] = {
        {{L"a", L"Child Vars", L"x"}, L"'", L"1"},
        {{L"a", L"Child Vars", L"x"}, L"\"", L"1"},
        {{L"a", L"Child Nodes", L"Remark"}, L"-->", L"note"},
        {{L"a", L"Child Nodes", L"b", L"Node Value"}, L"<]]>", L"x"},
    };
    for (const auto& c : cases)
    {
        ASSERT_TRUE(w.Select(c.item));
        const size_t before = f.user.boxes.size();
        Type(pPane, c.typed);
        EXPECT_EQ(Text(pPane), c.stored) << c.typed;
        EXPECT_EQ(f.user.boxes.size(), before + 1) << c.typed;
    }
    EXPECT_FALSE(w.doc->IsModified());
}

TEST(ContentView, a_value_becoming_cdata_keeps_its_meaning)
{
    const struct
    {
        const char* text;
        LPCWSTR typed, stored;
        bool cdata;
    } cases[] = {
        {"Fish &amp; Chips", L"<", L"Fish & Chips<", true},
        {"&#65;&#x42;&lt;&quot;&apos; &amp", L">", L"AB<\"' &amp>", true},
        {"&nbsp;x", L"<>", L"&nbsp;x&lt;&gt;", false}, // only the document knows &nbsp;
        {"]]&gt;", L"<", L"]]&gt;&lt;", false},
        {"<![CDATA[&amp;<]]>", L">", L"&amp;<>", true}, // already literal
    };
    for (const auto& c : cases)
    {
        EditorFixture f;
        CVelmarDoc::SetStrictDialect(true); // the editor's own dialect and layout
        DocWindow w = f.OpenSample(std::string("<?xml version=\"1.0\"?>\n<a>") + c.text + "</a>\n");
        ASSERT_TRUE(w.Select({L"a", L"Node Value"})) << c.text;
        Type(w.frame->Content(), c.typed);
        nkDS::CXmlNodeW* a = w.root->GetChild(1);
        EXPECT_STREQ(a->GetValue(), c.stored) << c.text;
        EXPECT_EQ(a->IsCData(), c.cdata) << c.text;
        EXPECT_EQ(Text(w.frame->Content()), c.stored) << c.text;
    }
}

TEST(ContentView, a_file_dropped_on_the_pane_is_opened_not_typed)
{
    EditorFixture f;
    f.Main()->DragAcceptFiles(); // as the editor's start-up does
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.Select({L"a", L"Child Nodes", L"b", L"Node Value"}));
    f.WriteFile("dropped.xml", "<?xml version=\"1.0\"?>\n<d/>\n");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdWString(f.Path("dropped.xml")))});
    QWidget* pViewport = CEdit::PlainTextOf(w.frame->Content()->GetSafeHwnd())->viewport();
    const QPointF at(5, 5);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pViewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pViewport, &drop);
    f.Spin();
    EXPECT_EQ(f.OpenDocumentCount(), 2);
    EXPECT_STREQ(w.root->GetChild(1)->GetChild(0)->GetValue(), L"x");
    EXPECT_FALSE(w.doc->IsModified());
}

TEST(ContentView, every_window_of_a_document_follows_a_selection_typing_and_renames)
{
    EditorFixture f;
    DocWindow w1 = f.OpenSample(kDoc);
    DocWindow w2 = WindowOf(f.NewWindow());
    ASSERT_TRUE(w1.tree && w2.tree && w1.frame != w2.frame);
    CXMLTreeCtrl& tree1 = *w1.tree;
    CXMLTreeCtrl& tree2 = *w2.tree;
    EXPECT_EQ(DumpItems(tree1), DumpItems(tree2));

    // A selection in either tree reaches both panes.
    ASSERT_TRUE(w1.Select({L"a", L"Child Vars", L"x"}));
    EXPECT_EQ(Text(w1.frame->Content()), L"1");
    EXPECT_EQ(Text(w2.frame->Content()), L"1");
    ASSERT_TRUE(w2.Select({L"a", L"Child Nodes", L"b", L"Node Value"}));
    EXPECT_EQ(Text(w1.frame->Content()), L"x");
    EXPECT_EQ(Text(w2.frame->Content()), L"x");

    // Typing in one pane shows in the other, whose next keystroke keeps it.
    Type(w1.frame->Content(), L"1");
    EXPECT_EQ(Text(w2.frame->Content()), L"x1");
    Type(w2.frame->Content(), L"2");
    EXPECT_STREQ(w1.root->GetChild(1)->GetChild(0)->GetValue(), L"x12");

    // A rename in one tree shows in the other.
    CEdit* pEdit = tree1.EditLabel(ItemAt(tree1, {L"a"}));
    ASSERT_NE(pEdit, nullptr);
    pEdit->SetWindowText(L"top");
    tree1.EndEditLabelNow(FALSE);
    EXPECT_NE(ItemAt(tree2, {L"top"}), nullptr);
    pEdit = tree2.EditLabel(ItemAt(tree2, {L"top", L"Child Vars", L"x"}));
    ASSERT_NE(pEdit, nullptr);
    pEdit->SetWindowText(L"ex");
    tree2.EndEditLabelNow(FALSE);
    EXPECT_NE(ItemAt(tree1, {L"top", L"Child Vars", L"ex"}), nullptr);
}

namespace
{

// A window that takes every drop, to see the dispatcher's messages arrive.
class CAcceptingWnd : public CWnd
{
public:
    int m_nEnter = 0, m_nLeave = 0, m_nDrop = 0;
    LRESULT OnDragEnter(WPARAM, LPARAM)
    {
        ++m_nEnter;
        return 0;
    }
    LRESULT OnDragOver(WPARAM, LPARAM lParam)
    {
        *reinterpret_cast<DROPEFFECT*>(lParam) = DROPEFFECT_COPY;
        return 0;
    }
    LRESULT OnDrop(WPARAM, LPARAM lParam)
    {
        ++m_nDrop;
        *reinterpret_cast<BOOL*>(lParam) = FALSE;
        return 0;
    }
    LRESULT OnDragLeave(WPARAM, LPARAM)
    {
        ++m_nLeave;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CAcceptingWnd, CWnd)
ON_MESSAGE(DTDM_DRAGENTER, &CAcceptingWnd::OnDragEnter)
ON_MESSAGE(DTDM_DRAGOVER, &CAcceptingWnd::OnDragOver)
ON_MESSAGE(DTDM_DROP, &CAcceptingWnd::OnDrop)
ON_MESSAGE(DTDM_DRAGLEAVE, &CAcceptingWnd::OnDragLeave)
END_MESSAGE_MAP()

} // namespace

TEST(DropTarget, the_tree_takes_files_to_open_and_a_window_that_answers_decides)
{
    EditorFixture f;
    ASSERT_NE(f.NewDocument(), nullptr);
    CXMLTreeView* pView = f.ActiveChild()->Tree();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdWString(f.Path("dropped.xml")))});
    COleDataObject data(&files);
    COleDropTargetDispatcher& target = pView->GetDropTarget();
    EXPECT_EQ(target.GetRegisteredWindow(), pView);
    EXPECT_EQ(target.OnDragEnter(pView, &data, MK_LBUTTON, CPoint(5, 5)),
              static_cast<DROPEFFECT>(DROPEFFECT_COPY));
    EXPECT_EQ(target.OnDragOver(pView, &data, MK_LBUTTON, CPoint(5, 5)),
              static_cast<DROPEFFECT>(DROPEFFECT_COPY));
    target.OnDragLeave(pView);

    CAcceptingWnd wnd;
    ASSERT_TRUE(wnd.Create(nullptr, L"drop here", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 50),
                           f.Main(), 1234));
    COleDropTargetDispatcher dispatcher;
    EXPECT_EQ(dispatcher.OnDragEnter(&wnd, &data, MK_LBUTTON, CPoint(1, 1)),
              static_cast<DROPEFFECT>(DROPEFFECT_NONE));
    EXPECT_EQ(dispatcher.OnDragOver(&wnd, &data, MK_LBUTTON, CPoint(1, 1)),
              static_cast<DROPEFFECT>(DROPEFFECT_COPY));
    EXPECT_FALSE(dispatcher.OnDrop(&wnd, &data, DROPEFFECT_COPY, CPoint(1, 1)));
    dispatcher.OnDragLeave(&wnd);
    EXPECT_EQ(wnd.m_nEnter, 1);
    EXPECT_EQ(wnd.m_nDrop, 1);
    EXPECT_EQ(wnd.m_nLeave, 1);
    wnd.DestroyWindow();
}
