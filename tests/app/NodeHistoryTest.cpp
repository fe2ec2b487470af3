// The document's history of node edits: every edit is one step that undoes
// and redoes in any window of the document, back to the very file the user
// had; and the nodes' clipboard.
#include "EditorTestApp.h"
#include "TreeTestUtil.h"
#include "velmar/app/Resource.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <functional>

using namespace testsupport;

namespace
{

const char kDoc[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<a x=\"1\" y=\"2\"><b>t</b><c/><!--r--></a>\n"
                    "<z/>\n";

void Send(EditorFixture& f, UINT id)
{
    f.Main()->SendMessage(WM_COMMAND, id);
}

void Type(CXMLContentView* pView, LPCWSTR text)
{
    CEdit& edit = pView->GetEditCtrl();
    const int end = edit.GetWindowText().GetLength();
    edit.SetSel(end, end);
    edit.ReplaceSel(text, TRUE);
}

void Clip(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

std::string Saved(EditorFixture& f, CVelmarDoc* pDoc)
{
    pDoc->DoFileSave();
    return f.ReadFile("doc.xml");
}

std::wstring SelectedLabel(const CXMLTreeCtrl& tree)
{
    HTREEITEM h = tree.GetSelectedItem();
    return h ? tree.GetItemText(h).GetString() : L"(none)";
}

struct Edit
{
    const char* what;
    std::vector<std::wstring> select;
    UINT command; // sent when there is no `act`
    std::function<void(EditorFixture&, const DocWindow&)> act;
    const wchar_t* step;  // the step's name
    const wchar_t* shown; // selected in the other window after its undo
    const char* in;       // in the saved file after the edit
};

void RenameToD(EditorFixture&, const DocWindow& w)
{
    w.tree->EditLabel(w.tree->GetSelectedItem())->SetWindowText(L"d");
    w.tree->EndEditLabelNow(FALSE);
}

void TypeUV(EditorFixture&, const DocWindow& w)
{
    Type(w.frame->Content(), L"u");
    Type(w.frame->Content(), L"v");
}

void PasteTwo(EditorFixture& f, const DocWindow&)
{
    Clip("<p q='1'><r/></p><!--s-->");
    Send(f, ID_EDIT_PASTE);
}

} // namespace

TEST(NodeHistory, every_edit_is_one_step_that_undoes_and_redoes_in_another_window)
{
    const Edit edits[] = {
        {"add node",
         {L"a", L"Child Nodes"},
         ID_XML_ADD_DATANODE,
         nullptr,
         L"Add 'NewNode'",
         L"Child Nodes",
         "<NewNode/>"},
        {"add parameter",
         {L"a", L"Child Vars"},
         ID_XML_ADD_PARAM,
         nullptr,
         L"Add parameter to 'a'",
         L"Child Vars",
         "NewParam=''"},
        {"delete",
         {L"a", L"Child Nodes", L"b"},
         ID_XML_DELETE,
         nullptr,
         L"Delete 'b'",
         L"b",
         "<a  x='1'  y='2'>\r\n <c/>"},
        {"delete parameter",
         {L"a", L"Child Vars", L"x"},
         ID_XML_DELETE,
         nullptr,
         L"Delete 'x'",
         L"x",
         "<a  y='2'>"},
        {"move", {L"z"}, ID_XML_MOVE_UP, nullptr, L"Move 'z'", L"z", "?>\r\n<z/>"},
        {"rename", {L"a", L"Child Nodes", L"c"}, 0, RenameToD, L"Rename 'c'", L"c", "<d/>"},
        {"typing",
         {L"a", L"Child Nodes", L"b", L"Node Value"},
         0,
         TypeUV,
         L"Edit text of 'b'",
         L"Node Value",
         "<b>tuv</b>"},
        {"paste",
         {L"a", L"Child Nodes", L"b"},
         0,
         PasteTwo,
         L"Paste 'p'",
         L"Child Nodes",
         "<b>t</b>\r\n <p  q='1'>\r\n  <r/>\r\n </p>\r\n <!--s-->\r\n <c/>"},
        {"duplicate",
         {L"a", L"Child Nodes", L"c"},
         ID_EDIT_DUPLICATE,
         nullptr,
         L"Duplicate 'c'",
         L"Child Nodes",
         "<c/>\r\n <c/>"},
        {"cut",
         {L"a", L"Child Nodes", L"b"},
         ID_EDIT_CUT,
         nullptr,
         L"Cut 'b'",
         L"b",
         "<a  x='1'  y='2'>\r\n <c/>"},
    };
    for (const Edit& e : edits)
    {
        EditorFixture f;
        CVelmarDoc::SetStrictDialect(true); // the editor's own dialect and layout
        DocWindow w1 = f.OpenSample(kDoc);
        DocWindow w2 = WindowOf(f.NewWindow());
        ASSERT_TRUE(w1.tree && w2.tree) << e.what;
        const std::string before = Saved(f, w1.doc);
        f.Main()->MDIActivate(w1.frame);
        ASSERT_TRUE(w1.Select(e.select)) << e.what;
        f.user.answers = {IDYES};
        if (e.act)
            e.act(f, w1);
        else
            Send(f, e.command);
        EXPECT_TRUE(w1.doc->IsModified()) << e.what;
        EXPECT_EQ(w1.doc->GetHistory().GetCount(), 1) << e.what;
        EXPECT_EQ(w1.doc->GetHistory().GetUndoName(), CString(e.step)) << e.what;
        const std::string after = Saved(f, w1.doc);
        EXPECT_NE(after.find(e.in), std::string::npos) << e.what << "\n" << after;

        f.Main()->MDIActivate(w2.frame);
        Send(f, ID_EDIT_UNDO);
        EXPECT_EQ(Saved(f, w1.doc), before) << e.what;
        EXPECT_EQ(DumpItems(*w1.tree), DumpItems(*w2.tree)) << e.what;
        EXPECT_EQ(SelectedLabel(*w2.tree), e.shown) << e.what;
        Send(f, ID_EDIT_REDO);
        EXPECT_EQ(Saved(f, w1.doc), after) << e.what;
        EXPECT_EQ(DumpItems(*w1.tree), DumpItems(*w2.tree)) << e.what;
    }
}

TEST(NodeHistory, undo_back_to_the_saved_state_leaves_the_document_unmodified)
{
    EditorFixture f;
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.Select({L"z"}));
    Send(f, ID_XML_ADD_DATANODE);
    Send(f, ID_XML_ADD_DATANODE);
    w.doc->DoFileSave();
    EXPECT_EQ(w.doc->GetHistory().GetCount(), 2); // saving keeps the history
    Send(f, ID_EDIT_UNDO);
    EXPECT_TRUE(w.doc->IsModified());
    Send(f, ID_EDIT_REDO);
    EXPECT_FALSE(w.doc->IsModified());
    Send(f, ID_EDIT_UNDO);
    Send(f, ID_EDIT_UNDO);
    EXPECT_TRUE(w.doc->IsModified());
    EXPECT_FALSE(CommandEnabled(f.Main(), ID_EDIT_UNDO));
    EXPECT_TRUE(CommandEnabled(f.Main(), ID_EDIT_REDO));

    // Typing on one text is one step, whatever the keystrokes; back to where
    // it started, the step goes.
    ASSERT_TRUE(w.Select({L"a", L"Child Vars", L"x"}));
    Type(w.frame->Content(), L"2");
    Type(w.frame->Content(), L"3");
    EXPECT_EQ(w.doc->GetHistory().GetCount(), 1);
    EXPECT_EQ(w.doc->GetHistory().GetUndoName(), CString(L"Edit value of 'x'"));
    w.frame->Content()->GetEditCtrl().SetWindowText(L"1");
    w.frame->Content()->OnChange();
    EXPECT_EQ(w.doc->GetHistory().GetCount(), 0);
}

TEST(NodeHistory, the_clipboard_holds_xml_text_and_a_paste_that_does_not_read_changes_nothing)
{
    EditorFixture f;
    CVelmarDoc::SetStrictDialect(true); // the editor's own dialect and layout
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.Select({L"a", L"Child Nodes", L"b"}));
    Send(f, ID_EDIT_COPY);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(data->text(), "<b>t</b>");
    EXPECT_EQ(data->data("application/xml"), "<b>t</b>");
    ASSERT_TRUE(w.Select({L"a", L"Child Vars", L"y"}));
    Send(f, ID_EDIT_COPY);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "y='2'");

    struct Paste
    {
        std::vector<std::wstring> select;
        const char* text;
        const char* refusal; // the start of the message, or null when pasted
    } pastes[] = {
        {{L"a", L"Child Vars"}, "y='2'", nullptr},
        {{L"a", L"Child Nodes"}, "<b>unclosed", "The text is not XML"},
        {{L"a", L"Child Nodes"}, "plain words", "The text is not XML"},
        {{L"a", L"Child Vars", L"x"}, "<b/>", "The text holds no parameters."},
        {{L"xml"}, "<?xml version='1.0'?><k/>", nullptr},
        {{L"a", L"Child Nodes", L"Remark"}, "<?pi a='1'?>", nullptr},
    };
    // Text kept beside children (as a file's line breaks can be) is not asked about.
    w.root->GetChild(1)->SetValue(L"\n");
    for (const Paste& p : pastes)
    {
        ASSERT_TRUE(w.Select(p.select)) << p.text;
        Clip(p.text);
        const int steps = w.doc->GetHistory().GetCount();
        const size_t boxes = f.user.boxes.size();
        Send(f, ID_EDIT_PASTE);
        EXPECT_EQ(w.doc->GetHistory().GetCount(), steps + (p.refusal ? 0 : 1)) << p.text;
        ASSERT_EQ(f.user.boxes.size(), boxes + (p.refusal ? 1 : 0)) << p.text;
        if (p.refusal)
        {
            EXPECT_EQ(f.user.boxes.back().text.rfind(QString(p.refusal).toStdWString(), 0), 0u)
                << p.text;
        }
    }
    const std::string saved = Saved(f, w.doc);
    EXPECT_NE(saved.find("<a  x='1'  y='2'  y='2'>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("?>\r\n<k/>\r\n<a"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<!--r-->\r\n<?pi  a='1'?>"), std::string::npos) << saved;
}

TEST(NodeHistory, the_open_groups_stay_open_through_edits_and_their_undo)
{
    EditorFixture f;
    DocWindow w = f.OpenSample(kDoc);
    const std::vector<std::vector<std::wstring>> open = {
        {L"a"}, {L"a", L"Child Nodes"}, {L"a", L"Child Nodes", L"b"}};
    for (const auto& labels : open)
        w.tree->Expand(ItemAt(*w.tree, labels), TVE_EXPAND);
    auto allOpen = [&]
    {
        for (const auto& labels : open)
            if (!(w.tree->GetItemState(ItemAt(*w.tree, labels), TVIS_EXPANDED) & TVIS_EXPANDED))
                return false;
        return true;
    };
    ASSERT_TRUE(w.Select({L"a", L"Child Nodes", L"c"}));
    f.user.answers = {IDYES};
    Send(f, ID_XML_DELETE);
    EXPECT_TRUE(allOpen());
    EXPECT_EQ(SelectedLabel(*w.tree), L"Remark"); // the neighbour
    Send(f, ID_XML_MOVE_UP);
    EXPECT_EQ(SelectedLabel(*w.tree), L"Remark"); // the moved item
    Send(f, ID_EDIT_UNDO);
    Send(f, ID_EDIT_UNDO);
    EXPECT_TRUE(allOpen());
    EXPECT_EQ(SelectedLabel(*w.tree), L"c");
}
