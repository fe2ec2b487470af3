// The XML menu's node editing commands, sent as the menu and the keys send
// them: WM_COMMAND to the main frame, which routes it to the active document
// window; enable states come from the same routing's update queries.
#include "EditorTestApp.h"
#include "TreeTestUtil.h"
#include "velmar/app/Resource.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

using namespace testsupport;

namespace
{

const char kDoc[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<a x=\"1\" y=\"2\"><b/><c>t</c><!--r--></a>\n"
                    "<z/>\n";

// The commands in the order of the enable strings below.
const UINT kCommands[] = {ID_XML_ADD_HEADER, ID_XML_ADD_DATANODE, ID_XML_ADD_REMARK,
                          ID_XML_ADD_PARAM,  ID_XML_RENAME,       ID_XML_DELETE,
                          ID_XML_MOVE_UP,    ID_XML_MOVE_DOWN};

void Send(EditorFixture& f, UINT id)
{
    f.Main()->SendMessage(WM_COMMAND, id);
}

// Straight to the handler, past the update query a menu item or key asks first.
void SendUnchecked(EditorFixture& f, UINT id)
{
    f.Main()->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr);
}

// "1" or "0" per command of kCommands.
std::string EnableString(EditorFixture& f)
{
    std::string s;
    for (UINT id : kCommands)
        s += CommandEnabled(f.Main(), id) ? '1' : '0';
    return s;
}

std::string Narrow(const wchar_t* text)
{
    return QString::fromWCharArray(text).toStdString();
}

// The names of a node's children (remarks as "#r"), space separated.
std::string ChildNames(const nkDS::CXmlNodeW& node)
{
    std::string out;
    for (uint32_t i = 0; i < node.GetChildCount(); ++i)
    {
        const nkDS::CXmlNodeW* child = node.GetChild(i);
        out += (i ? " " : "") +
               (child->GetKind() == nkDS::xnkRemark ? std::string("#r") : Narrow(child->GetName()));
    }
    return out;
}

// name=value of a node's parameters, space separated.
std::string Params(const nkDS::CXmlNodeW& node)
{
    std::string out;
    for (uint32_t i = 0; i < node.GetParamCount(); ++i)
        out += (i ? " " : "") + Narrow(node.GetParamName(i)) + "=" + Narrow(node.GetParamValue(i));
    return out;
}

// The English texts; TranslationTest checks the Chinese.
const std::wstring kConfirmText = L"Delete the selected node?";
const std::wstring kConfirmCaption = L"Confirm";

} // namespace

TEST(NodeCommands, each_command_is_enabled_by_the_kind_and_place_of_the_selection)
{
    EditorFixture f;
    DocWindow o = f.OpenSample(kDoc);
    ASSERT_TRUE(o.doc && o.tree);

    // Order: header, data node, remark, parameter, rename, delete, up, down.
    const struct
    {
        std::vector<std::wstring> item;
        const char* enabled;
    } cases[] = {
        {{}, "11101100"},       // nothing selected
        {{L"xml"}, "11100100"}, // the first item: no rename, no move
        {{L"xml", L"Child Vars"}, "00010100"},
        {{L"xml", L"Child Vars", L"version"}, "00011101"}, // first of two parameters
        {{L"xml", L"Child Vars", L"encoding"}, "00011110"},
        {{L"a"}, "11101101"}, // may not pass the first item
        {{L"a", L"Child Vars"}, "00010100"},
        {{L"a", L"Child Nodes"}, "11100100"},
        {{L"a", L"Node Value"}, "00000000"},
        {{L"a", L"Child Nodes", L"b"}, "11101101"},
        {{L"a", L"Child Nodes", L"c"}, "11101111"},
        {{L"a", L"Child Nodes", L"Remark"}, "11100110"}, // a remark is not renamed
        {{L"a", L"Child Nodes", L"c", L"Node Value"}, "00000000"},
        {{L"z"}, "11101110"},
    };
    for (const auto& c : cases)
    {
        if (c.item.empty())
            o.tree->SelectItem(nullptr);
        else
            ASSERT_TRUE(o.Select(c.item));
        EXPECT_EQ(EnableString(f), c.enabled)
            << Narrow(c.item.empty() ? L"(none)" : c.item.back().c_str());
    }

    // With the content pane active every one of them is disabled.
    ASSERT_TRUE(o.Select({L"a"}));
    o.frame->SetActiveView(o.frame->Content());
    EXPECT_EQ(EnableString(f), "00000000");
    o.frame->SetActiveView(o.frame->Tree());
    EXPECT_EQ(EnableString(f), "11101101");

    // A disabled command sent anyway changes nothing.
    const std::string before = DumpItems(*o.tree);
    Send(f, ID_XML_MOVE_UP);
    Send(f, ID_XML_ADD_PARAM);
    EXPECT_EQ(DumpItems(*o.tree), before);
    EXPECT_EQ(ChildNames(*o.root), "xml a z");
    EXPECT_FALSE(o.doc->IsModified());
}

TEST(NodeCommands, adds_go_to_the_end_of_the_selected_list_and_select_its_group)
{
    EditorFixture f;
    ASSERT_NE(f.NewDocument(), nullptr);
    DocWindow w = WindowOf(f.ActiveChild());
    CVelmarDoc* pDoc = w.doc;
    ASSERT_TRUE(pDoc && w.tree);
    nkDS::CXmlFileW& root = *w.root;

    // With nothing selected the adds are offered but add nothing.
    w.tree->SelectItem(nullptr);
    for (UINT id : {ID_XML_ADD_HEADER, ID_XML_ADD_DATANODE, ID_XML_ADD_REMARK})
        Send(f, id);
    EXPECT_EQ(ChildNames(root), "xml");
    EXPECT_FALSE(pDoc->IsModified());

    // From the declaration (a top-level item) into the top level; the first item is selected.
    ASSERT_TRUE(w.Select({L"xml"}));
    Send(f, ID_XML_ADD_DATANODE);
    EXPECT_EQ(ChildNames(root), "xml NewNode");
    EXPECT_EQ(root.GetChild(1)->GetKind(), nkDS::xnkData);
    EXPECT_EQ(w.tree->GetSelectedItem(), w.tree->GetRootItem());
    EXPECT_TRUE(pDoc->IsModified());

    // Into a "Child Nodes" group, and next to a child: both at the end of the list.
    nkDS::CXmlNodeW* newNode = root.GetChild(1);
    ASSERT_TRUE(w.Select({L"NewNode", L"Child Nodes"}));
    Send(f, ID_XML_ADD_DATANODE);
    HTREEITEM hList = ItemAt(*w.tree, {L"NewNode", L"Child Nodes"});
    EXPECT_EQ(w.tree->GetSelectedItem(), hList);
    EXPECT_TRUE(w.tree->GetItemState(hList, TVIS_EXPANDED) & TVIS_EXPANDED);
    ASSERT_TRUE(w.Select({L"NewNode", L"Child Nodes", L"NewNode"}));
    Send(f, ID_XML_ADD_REMARK);
    EXPECT_EQ(ChildNames(*newNode), "NewNode #r");
    EXPECT_STREQ(newNode->GetChild(1)->GetValue(), L"Remark string.");
    EXPECT_STREQ(newNode->GetChild(1)->GetName(), L"");
    EXPECT_EQ(DumpItems(*w.tree, hList),
              "NewNode:5[Child Vars:3 Child Nodes:1 Node Value:2] Remark:7");
    EXPECT_EQ(w.tree->GetSelectedItem(), hList);

    // A header node, and the window's caption asked to show the change.
    ASSERT_TRUE(w.Select({L"NewNode"}));
    const int titles = w.frame->m_nTitleUpdates;
    Send(f, ID_XML_ADD_HEADER);
    EXPECT_EQ(ChildNames(root), "xml NewNode xml-stylesheet");
    EXPECT_EQ(root.GetChild(2)->GetKind(), nkDS::xnkHeader);
    EXPECT_EQ(root.GetChild(2)->GetParamCount(), 0u);
    EXPECT_EQ(DumpItems(*w.tree, ItemAt(*w.tree, {L"xml-stylesheet"})), "Child Vars:3");
    EXPECT_GT(w.frame->m_nTitleUpdates, titles);

    // Where the handler's node is refused it is given back (a leak under the sanitizer otherwise).
    ASSERT_TRUE(w.Select({L"NewNode", L"Node Value"}));
    for (UINT id : {ID_XML_ADD_HEADER, ID_XML_ADD_DATANODE, ID_XML_ADD_REMARK})
        SendUnchecked(f, id);
    EXPECT_EQ(ChildNames(root), "xml NewNode xml-stylesheet");
    EXPECT_EQ(ChildNames(*newNode), "NewNode #r");
}

TEST(NodeCommands, parameters_are_added_and_move_with_their_values)
{
    EditorFixture f;
    DocWindow o = f.OpenSample(kDoc);
    ASSERT_TRUE(o.doc && o.tree);
    nkDS::CXmlNodeW* a = o.root->GetChild(1);

    ASSERT_TRUE(o.Select({L"a", L"Child Vars"}));
    Send(f, ID_XML_ADD_PARAM);
    Send(f, ID_XML_ADD_PARAM); // the group is still selected
    EXPECT_EQ(Params(*a), "x=1 y=2 NewParam= NewParam=");
    HTREEITEM hVars = ItemAt(*o.tree, {L"a", L"Child Vars"});
    EXPECT_EQ(DumpItems(*o.tree, hVars), "x:6 y:6 NewParam:6 NewParam:6");
    EXPECT_EQ(o.tree->GetSelectedItem(), hVars);
    EXPECT_TRUE(o.doc->IsModified());

    // From a parameter, whose item the rebuild takes away: its group is expanded and selected.
    ASSERT_TRUE(o.Select({L"a", L"Child Vars", L"x"}));
    HTREEITEM hX = o.tree->GetSelectedItem();
    o.tree->Expand(hVars, TVE_COLLAPSE);
    Send(f, ID_XML_ADD_PARAM);
    EXPECT_EQ(a->GetParamCount(), 5u);
    EXPECT_EQ(o.tree->GetSelectedItem(), hVars);
    EXPECT_TRUE(o.tree->GetItemState(hVars, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(o.tree->GetItemText(hX), CString()); // gone

    // Moving a parameter takes its value along; it stays selected, so moves repeat.
    o.doc->SetModifiedFlag(FALSE);
    ASSERT_TRUE(o.Select({L"a", L"Child Vars", L"y"}));
    Send(f, ID_XML_MOVE_UP);
    EXPECT_EQ(Params(*a), "y=2 x=1 NewParam= NewParam= NewParam=");
    EXPECT_EQ(DumpItems(*o.tree, hVars), "y:6 x:6 NewParam:6 NewParam:6 NewParam:6");
    EXPECT_EQ(o.tree->GetSelectedItem(), ItemAt(*o.tree, {L"a", L"Child Vars", L"y"}));
    EXPECT_TRUE(o.doc->IsModified());
    ASSERT_TRUE(o.Select({L"a", L"Child Vars", L"y"}));
    Send(f, ID_XML_MOVE_DOWN);
    Send(f, ID_XML_MOVE_DOWN);
    EXPECT_EQ(Params(*a), "x=1 NewParam= y=2 NewParam= NewParam=");

    // The declaration's parameters may be reordered too: it is not the first item itself.
    ASSERT_TRUE(o.Select({L"xml", L"Child Vars", L"encoding"}));
    Send(f, ID_XML_MOVE_UP);
    EXPECT_EQ(Params(*o.root->GetChild(0)), "encoding=UTF-8 version=1.0");
}

TEST(NodeCommands, nodes_move_among_their_siblings_but_never_onto_the_first_item)
{
    EditorFixture f;
    DocWindow o = f.OpenSample("<?xml version=\"1.0\"?>\n<a><b/><c/><!--r--></a>\n<y/>\n<z/>\n");
    ASSERT_TRUE(o.doc && o.tree);
    nkDS::CXmlNodeW* a = o.root->GetChild(1);

    ASSERT_TRUE(o.Select({L"z"}));
    Send(f, ID_XML_MOVE_UP);
    EXPECT_EQ(ChildNames(*o.root), "xml a z y");
    EXPECT_EQ(o.tree->GetSelectedItem(), ItemAt(*o.tree, {L"z"}));
    EXPECT_TRUE(o.doc->IsModified());
    ASSERT_TRUE(o.Select({L"z"}));
    Send(f, ID_XML_MOVE_UP);
    EXPECT_EQ(ChildNames(*o.root), "xml z a y");
    ASSERT_TRUE(o.Select({L"z"}));
    Send(f, ID_XML_MOVE_UP); // disabled: it would pass the first item
    EXPECT_EQ(ChildNames(*o.root), "xml z a y");

    // Inside a list, with a moved subtree keeping its items.
    ASSERT_TRUE(o.Select({L"a", L"Child Nodes", L"b"}));
    Send(f, ID_XML_MOVE_DOWN);
    EXPECT_EQ(ChildNames(*a), "c b #r");
    ASSERT_TRUE(o.Select({L"a", L"Child Nodes", L"Remark"}));
    Send(f, ID_XML_MOVE_UP);
    EXPECT_EQ(ChildNames(*a), "c #r b");
    EXPECT_EQ(DumpItems(*o.tree, ItemAt(*o.tree, {L"a", L"Child Nodes"})),
              "c:5[Child Vars:3 Child Nodes:1 Node Value:2] Remark:7 b:5[Child Vars:3 Child "
              "Nodes:1 Node Value:2]");
}

TEST(NodeCommands,
     delete_asks_first_and_then_takes_what_the_item_stands_for_and_rename_edits_in_place)
{
    EditorFixture f;
    DocWindow o = f.OpenSample(kDoc);
    ASSERT_TRUE(o.doc && o.tree);
    nkDS::CXmlNodeW* a = o.root->GetChild(1);

    // Refused: the box as the user sees it, and nothing changes.
    ASSERT_TRUE(o.Select({L"a", L"Child Nodes", L"c"}));
    f.user.answers = {IDNO};
    Send(f, ID_XML_DELETE);
    ASSERT_EQ(f.user.boxes.size(), 1u);
    const w32::MessageBoxRequest& box = f.user.boxes.back();
    EXPECT_EQ(box.text, kConfirmText);
    EXPECT_EQ(box.caption, kConfirmCaption);
    EXPECT_EQ(box.style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(box.defaultButton, IDNO);
    EXPECT_EQ(box.owner, o.frame->GetSafeHwnd());
    EXPECT_EQ(ChildNames(*a), "b c #r");
    EXPECT_FALSE(o.doc->IsModified());

    // Accepted: the node goes with its subtree; its neighbour in the list is selected.
    f.user.answers = {IDYES};
    Send(f, ID_XML_DELETE);
    EXPECT_EQ(ChildNames(*a), "b #r");
    EXPECT_EQ(o.tree->GetSelectedItem(), ItemAt(*o.tree, {L"a", L"Child Nodes", L"Remark"}));
    EXPECT_EQ(o.frame->Content()->GetEditedNode(), a->GetChild(1));
    EXPECT_EQ(f.Main()->m_path, L"a/");
    EXPECT_TRUE(o.doc->IsModified());

    // The Delete key in the tree is the same command, with the same question.
    f.user.answers = {IDYES};
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(o.tree->GetWidget(), &del);
    EXPECT_EQ(f.user.boxes.size(), 3u);
    EXPECT_EQ(ChildNames(*a), "b");

    // Groups are emptied and stay.
    f.user.answers = {IDYES, IDYES, IDYES};
    ASSERT_TRUE(o.Select({L"a", L"Child Vars"}));
    Send(f, ID_XML_DELETE);
    ASSERT_TRUE(o.Select({L"a", L"Child Nodes"}));
    Send(f, ID_XML_DELETE);
    EXPECT_EQ(a->GetParamCount(), 0u);
    EXPECT_EQ(a->GetChildCount(), 0u);
    EXPECT_EQ(DumpItems(*o.tree, ItemAt(*o.tree, {L"a"})),
              "Child Vars:3 Child Nodes:1 Node Value:2");

    // One parameter: the one at the item's place.
    ASSERT_TRUE(o.Select({L"xml", L"Child Vars", L"version"}));
    Send(f, ID_XML_DELETE);
    EXPECT_EQ(Params(*o.root->GetChild(0)), "encoding=UTF-8");
    EXPECT_EQ(DumpItems(*o.tree, ItemAt(*o.tree, {L"xml"})), "Child Vars:3[encoding:6]");

    // With nothing selected the question is still asked, and nothing goes.
    o.doc->SetModifiedFlag(FALSE);
    o.tree->SelectItem(nullptr);
    const size_t asked = f.user.boxes.size();
    f.user.answers = {IDYES};
    Send(f, ID_XML_DELETE);
    EXPECT_EQ(f.user.boxes.size(), asked + 1);
    EXPECT_EQ(ChildNames(*o.root), "xml a z");
    EXPECT_FALSE(o.doc->IsModified());

    // Rename with nothing selected opens no editor. While a label is edited,
    // Delete does not even ask.
    Send(f, ID_XML_RENAME);
    EXPECT_EQ(o.tree->GetEditControl(), nullptr);
    ASSERT_TRUE(o.Select({L"z"}));
    Send(f, ID_XML_RENAME);
    ASSERT_NE(o.tree->GetEditControl(), nullptr);
    EXPECT_EQ(o.tree->GetEditControl()->GetWindowText(), CString(L"z"));
    Send(f, ID_XML_DELETE);
    EXPECT_EQ(f.user.boxes.size(), asked + 1);
    o.tree->GetEditControl()->SetWindowText(L"zz");
    o.tree->EndEditLabelNow(FALSE);
    EXPECT_STREQ(o.root->GetChild(2)->GetName(), L"zz");
    EXPECT_TRUE(o.doc->IsModified());

    // The first item may go too; then the next one is first. An empty tree
    // with nothing selected offers no rename.
    f.user.answers = {IDYES, IDYES, IDYES};
    for (const wchar_t* next : {L"a", L"zz", L""})
    {
        o.tree->SelectItem(o.tree->GetRootItem());
        Send(f, ID_XML_DELETE);
        EXPECT_EQ(o.tree->GetItemText(o.tree->GetRootItem()), CString(next));
    }
    EXPECT_EQ(o.root->GetChildCount(), 0u);
    EXPECT_EQ(o.tree->GetCount(), 0u);
    EXPECT_FALSE(CommandEnabled(f.Main(), ID_XML_RENAME));
    EXPECT_TRUE(CommandEnabled(f.Main(), ID_XML_ADD_DATANODE));
}

TEST(NodeCommands, a_second_window_follows_every_edit_of_the_first)
{
    EditorFixture f;
    DocWindow o = f.OpenSample(kDoc);
    ASSERT_TRUE(o.doc && o.tree);
    DocWindow w1 = o;
    DocWindow w2 = WindowOf(f.NewWindow());
    ASSERT_TRUE(w2.tree && w2.frame != w1.frame);
    nkDS::CXmlNodeW* a = o.root->GetChild(1);
    nkDS::CXmlNodeW* c = a->GetChild(1);
    auto activate = [&](const DocWindow& w)
    {
        w.frame->MDIActivate();
        EditorFixture::Spin(0);
        ASSERT_EQ(f.ActiveChild(), w.frame);
    };

    // Window 2 shows c's text, expanded and selected; window 1 deletes a.
    activate(w2);
    ASSERT_TRUE(w2.Select({L"a", L"Child Nodes", L"c", L"Node Value"}));
    ASSERT_EQ(w2.frame->Content()->GetEditedNode(), c);
    activate(w1);
    ASSERT_TRUE(w1.Select({L"a"}));
    f.user.answers = {IDYES};
    Send(f, ID_XML_DELETE);
    EXPECT_EQ(ChildNames(*o.root), "xml z");
    for (const void* gone : {static_cast<const void*>(a), static_cast<const void*>(c)})
    {
        EXPECT_FALSE(AnyItemPointsAt(*w1.tree, gone));
        EXPECT_FALSE(AnyItemPointsAt(*w2.tree, gone));
    }
    EXPECT_EQ(DumpItems(*w2.tree), DumpItems(*w1.tree));
    EXPECT_EQ(w2.tree->GetSelectedItem(), nullptr);
    EXPECT_EQ(w2.frame->Content()->GetEditedNode(), nullptr);
    EXPECT_FALSE(w2.frame->Content()->GetEditCtrl().IsWindowEnabled());

    // Window 2 goes on working on the current tree.
    activate(w2);
    ASSERT_TRUE(w2.Select({L"z", L"Child Vars"}));
    EXPECT_EQ(EnableString(f), "00010100"); // asked of window 2's tree
    ASSERT_TRUE(w2.Select({L"z", L"Child Nodes"}));
    Send(f, ID_XML_ADD_DATANODE);
    ASSERT_TRUE(w2.Select({L"z", L"Child Vars"}));
    Send(f, ID_XML_ADD_PARAM);
    ASSERT_TRUE(w2.Select({L"z", L"Child Nodes", L"NewNode", L"Node Value"}));
    EXPECT_EQ(w2.frame->Content()->GetEditedNode(), o.root->GetChild(1)->GetChild(0));
    EXPECT_EQ(DumpItems(*w1.tree), DumpItems(*w2.tree));
    EXPECT_EQ(DumpItems(*w1.tree, ItemAt(*w1.tree, {L"z"})),
              "Child Vars:3[NewParam:6] Child Nodes:1[NewNode:5[Child Vars:3 Child Nodes:1 Node "
              "Value:2]] Node Value:2");

    // An edit elsewhere leaves window 2's selection where it was.
    activate(w1);
    ASSERT_TRUE(w1.Select({L"xml", L"Child Vars"}));
    Send(f, ID_XML_ADD_PARAM);
    EXPECT_EQ(w2.tree->GetSelectedItem(),
              ItemAt(*w2.tree, {L"z", L"Child Nodes", L"NewNode", L"Node Value"}));
    EXPECT_EQ(DumpItems(*w2.tree, ItemAt(*w2.tree, {L"xml"})),
              "Child Vars:3[version:6 encoding:6 NewParam:6]");

    // Moves and group deletes in window 1 rebuild window 2 as well.
    ASSERT_TRUE(w1.Select({L"xml", L"Child Vars", L"NewParam"}));
    Send(f, ID_XML_MOVE_UP);
    ASSERT_TRUE(w1.Select({L"z", L"Child Nodes"}));
    f.user.answers = {IDYES};
    Send(f, ID_XML_DELETE);
    EXPECT_EQ(DumpItems(*w2.tree), DumpItems(*w1.tree));
    EXPECT_EQ(DumpItems(*w2.tree, ItemAt(*w2.tree, {L"xml"})),
              "Child Vars:3[version:6 NewParam:6 encoding:6]");
    EXPECT_EQ(w2.tree->GetSelectedItem(), nullptr);

    // Closing window 1 leaves window 2 with the document.
    w1.frame->SendMessage(WM_CLOSE);
    EditorFixture::Spin(0);
    activate(w2);
    ASSERT_TRUE(w2.Select({L"z"}));
    f.user.answers = {IDYES};
    Send(f, ID_XML_DELETE);
    EXPECT_EQ(ChildNames(*o.root), "xml");
}

TEST(NodeCommands, a_child_for_an_element_with_text_is_added_only_when_the_user_agrees)
{
    EditorFixture f;
    CVelmarDoc::SetStrictDialect(true); // the editor's own dialect and layout
    DocWindow o = f.OpenSample(kDoc);
    ASSERT_TRUE(o.doc && o.tree);
    nkDS::CXmlNodeW* c = o.root->GetChild(1)->GetChild(1);
    for (int answer : {IDNO, IDYES})
    {
        ASSERT_TRUE(o.Select({L"a", L"Child Nodes", L"c", L"Child Nodes"}));
        f.user.answers = {answer};
        Send(f, ID_XML_ADD_DATANODE);
        ASSERT_EQ(f.user.boxes.size(), answer == IDNO ? 1u : 2u);
        EXPECT_NE(f.user.LastText().find(L"\nt\n"), std::wstring::npos) << f.user.LastText();
        EXPECT_EQ(ChildNames(*c), answer == IDNO ? "" : "NewNode");
        EXPECT_STREQ(c->GetValue(), answer == IDNO ? L"t" : L"");
        EXPECT_EQ(o.doc->IsModified(), answer == IDYES);
    }
    // Without text to lose nothing is asked.
    Send(f, ID_XML_ADD_REMARK);
    EXPECT_EQ(f.user.boxes.size(), 2u);
    EXPECT_EQ(ChildNames(*c), "NewNode #r");
}
