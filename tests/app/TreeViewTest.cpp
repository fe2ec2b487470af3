// The tree pane: items and their kinds, paths, label editing, the right
// button, drags, and several windows on one document.
#include "EditorTestApp.h"
#include "TreeTestUtil.h"

#include <gtest/gtest.h>

using namespace testsupport;

const char kDoc[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<?xml-stylesheet href=\"s.css\"?>\n"
                    "<a x=\"1\" y=\"2\"><b>one</b><!--note--><b>two</b><b/></a>\n";

TEST(TreeView, items_follow_the_nodes_with_their_kinds)
{
    EditorFixture f;
    DocWindow o = f.OpenSample(kDoc);
    ASSERT_TRUE(o.doc && o.tree);
    CXMLTreeCtrl& tree = *o.tree;
    EXPECT_EQ(DumpItems(tree),
              "xml:4[Child Vars:3[version:6 encoding:6]] "
              "xml-stylesheet:4[Child Vars:3[href:6]] "
              "a:5[Child Vars:3[x:6 y:6] "
              "Child Nodes:1[b:5[Child Vars:3 Child Nodes:1 Node Value:2] Remark:7 "
              "b:5[Child Vars:3 Child Nodes:1 Node Value:2] b:5[Child Vars:3 Child Nodes:1 Node "
              "Value:2]] "
              "Node Value:2]");

    // Group and parameter items point at the node of the item above them.
    nkDS::CXmlNodeW* a = o.doc->GetXmlFile().GetChild(2);
    HTREEITEM hA = ItemAt(tree, {L"a"});
    EXPECT_EQ(tree.GetItemNode(hA), a);
    EXPECT_EQ(tree.GetItemNode(ItemAt(tree, {L"a", L"Child Vars", L"y"})), a);
    EXPECT_EQ(tree.GetItemNode(ItemAt(tree, {L"a", L"Node Value"})), a);
    EXPECT_EQ(tree.GetItemNode(ItemAt(tree, {L"a", L"Child Nodes", L"Remark"})), a->GetChild(1));
    EXPECT_EQ(tree.GetIndexInParent(ItemAt(tree, {L"a", L"Child Vars", L"y"})), 1);
    EXPECT_EQ(tree.GetIndexInParent(hA), 2);
    EXPECT_TRUE(tree.IsFirstRootItem(ItemAt(tree, {L"xml"})));
    EXPECT_FALSE(tree.IsFirstRootItem(hA));
    EXPECT_EQ(tree.GetItemKind(nullptr), ikNone);

    // The label follows the name, the groups follow the kind: a data node
    // without a name is a "Remark" with groups, a named remark has none.
    nkDS::CXmlNodeW* nameless = nkDS::CreateXmlNodeW();
    nkDS::CXmlNodeW* namedRemark = nkDS::CreateXmlNodeW();
    namedRemark->SetName(L"r");
    namedRemark->SetKind(nkDS::xnkRemark);
    nkDS::CXmlNodeW* unnamedHeader = nkDS::CreateXmlNodeW();
    unnamedHeader->SetKind(nkDS::xnkHeader);
    ASSERT_TRUE(a->AddChild(nameless) && a->AddChild(namedRemark));
    ASSERT_TRUE(o.doc->GetXmlFile().AddChild(unnamedHeader));
    o.view->RefreshItem(TVI_ROOT);
    EXPECT_EQ(DumpItems(tree, ItemAt(tree, {L"a", L"Child Nodes"})),
              "b:5[Child Vars:3 Child Nodes:1 Node Value:2] Remark:7 b:5[Child Vars:3 Child "
              "Nodes:1 Node Value:2] "
              "b:5[Child Vars:3 Child Nodes:1 Node Value:2] Remark:7[Child Vars:3 Child Nodes:1 "
              "Node Value:2] r:5");
    HTREEITEM hLast = NthChild(tree, TVI_ROOT, 3);
    EXPECT_EQ(tree.GetItemText(hLast), CString(L"Remark"));
    EXPECT_EQ(DumpItems(tree, hLast), "Child Vars:3");
    EXPECT_EQ(tree.GetSelectedItem(), nullptr);

    // FillParams rebuilds the parameters of the node an item belongs to.
    ASSERT_TRUE(a->AddParam(L"z", L"3"));
    EXPECT_TRUE(tree.FillParams(ItemAt(tree, {L"a", L"Node Value"})));
    EXPECT_EQ(DumpItems(tree, ItemAt(tree, {L"a", L"Child Vars"})), "x:6 y:6 z:6");
    EXPECT_TRUE(tree.FillParams(ItemAt(tree, {L"a", L"Child Nodes", L"Remark"}))); // a's, above it
    // A nameless node with groups shows its own parameters, not its parent's.
    ASSERT_TRUE(unnamedHeader->AddParam(L"p", L"1"));
    EXPECT_TRUE(tree.FillParams(NthChild(tree, hLast, 0)));
    EXPECT_EQ(DumpItems(tree, hLast), "Child Vars:3[p:6]");
    HTREEITEM hNameless = NthChild(tree, ItemAt(tree, {L"a", L"Child Nodes"}), 4);
    ASSERT_TRUE(nameless->AddParam(L"q", L"2"));
    EXPECT_TRUE(tree.FillParams(NthChild(tree, hNameless, 0)));
    EXPECT_EQ(DumpItems(tree, NthChild(tree, hNameless, 0)), "q:6");
    EXPECT_EQ(DumpItems(tree, ItemAt(tree, {L"a", L"Child Vars"})), "x:6 y:6 z:6");
    EXPECT_FALSE(tree.FillParams(nullptr));
}

TEST(TreeView, selection_sends_the_path_of_the_element_items)
{
    EditorFixture f;
    DocWindow o = f.OpenSample("<?xml version=\"1.0\"?>\n<a><b/><c/><b p=\"1\"/><b/></a>\n");
    ASSERT_TRUE(o.doc && o.tree);
    CXMLTreeCtrl& tree = *o.tree;
    HTREEITEM hList = ItemAt(tree, {L"a", L"Child Nodes"});
    const std::pair<HTREEITEM, const wchar_t*> paths[] = {
        {NthChild(tree, hList, 3), L"a/b=2/"},
        {ItemAt(tree, {L"a", L"Child Nodes", L"c", L"Node Value"}), L"a/c/"},
        {NthChild(tree, NthChild(tree, NthChild(tree, hList, 2), 0), 0), L"a/b=1/"},
        {ItemAt(tree, {L"xml"}), L""},
        {ItemAt(tree, {L"a"}), L"a/"},
        {nullptr, L""},
    };
    for (const auto& [hItem, path] : paths)
    {
        SCOPED_TRACE(QString::fromWCharArray(path).toStdString());
        const int before = f.Main()->m_nPathUpdates;
        tree.SelectItem(hItem);
        EXPECT_EQ(f.Main()->m_path, path);
        EXPECT_EQ(f.Main()->m_nPathUpdates, before + 1);
        CString built;
        o.view->BuildPath(built);
        EXPECT_EQ(built, CString(path));
    }
}

namespace
{

// Edits the label of hItem to `text` as the user would; whether the edit could start.
bool EditLabelTo(CXMLTreeCtrl& tree, HTREEITEM hItem, LPCWSTR text)
{
    CEdit* pEdit = tree.EditLabel(hItem);
    if (!pEdit)
        return false;
    pEdit->SetWindowText(text);
    tree.EndEditLabelNow(FALSE);
    return true;
}

} // namespace

TEST(TreeView, label_editing_accepts_only_valid_names_where_names_exist)
{
    EditorFixture f;
    CVelmarDoc::SetStrictDialect(true); // the editor's own dialect and layout
    DocWindow o = f.OpenSample(kDoc);
    ASSERT_TRUE(o.doc && o.tree);
    CXMLTreeCtrl& tree = *o.tree;
    nkDS::CXmlNodeW* a = o.doc->GetXmlFile().GetChild(2);
    HTREEITEM hA = ItemAt(tree, {L"a"});

    // Never the first top-level item, a remark or a group.
    EXPECT_EQ(tree.EditLabel(ItemAt(tree, {L"xml"})), nullptr);
    EXPECT_EQ(tree.EditLabel(ItemAt(tree, {L"a", L"Child Nodes", L"Remark"})), nullptr);
    EXPECT_EQ(tree.EditLabel(ItemAt(tree, {L"a", L"Child Vars"})), nullptr);
    EXPECT_EQ(tree.EditLabel(ItemAt(tree, {L"a", L"Node Value"})), nullptr);

    for (LPCWSTR bad : {L"9x", L"", L"a b", L"a:b"})
    {
        ASSERT_TRUE(EditLabelTo(tree, hA, bad));
        EXPECT_EQ(tree.GetItemText(hA), CString(L"a"))
            << QString::fromWCharArray(bad).toStdString();
        EXPECT_STREQ(a->GetName(), L"a");
    }
    EXPECT_FALSE(o.doc->IsModified());
    ASSERT_TRUE(EditLabelTo(tree, hA, L"_a.b-1"));
    EXPECT_EQ(tree.GetItemText(hA), CString(L"_a.b-1"));
    EXPECT_STREQ(a->GetName(), L"_a.b-1");
    EXPECT_TRUE(o.doc->IsModified());

    // A parameter is renamed where it stands; its value stays.
    HTREEITEM hY = NthChild(tree, tree.FindGroup(hA, ikChildVars), 1);
    ASSERT_TRUE(EditLabelTo(tree, hY, L"why"));
    EXPECT_STREQ(a->GetParamName(1), L"why");
    EXPECT_STREQ(a->GetParamValue(1), L"2");
    EXPECT_STREQ(a->GetParamName(0), L"x");
    ASSERT_TRUE(EditLabelTo(tree, hY, L"-no"));
    EXPECT_STREQ(a->GetParamName(1), L"why");

    // Headers other than the first are renamed by the same rule, but never to
    // the name reserved for the declaration.
    HTREEITEM hStyle = ItemAt(tree, {L"xml-stylesheet"});
    nkDS::CXmlNodeW* style = o.doc->GetXmlFile().GetChild(1);
    ASSERT_TRUE(EditLabelTo(tree, hStyle, L"XML"));
    EXPECT_STREQ(style->GetName(), L"xml-stylesheet");
    ASSERT_TRUE(EditLabelTo(tree, hStyle, L"my-style"));
    EXPECT_STREQ(style->GetName(), L"my-style");
    EXPECT_EQ(tree.GetItemText(hStyle), CString(L"my-style"));

    // A cancelled edit changes nothing.
    o.doc->SetModifiedFlag(FALSE);
    ASSERT_NE(tree.EditLabel(hA), nullptr);
    tree.EndEditLabelNow(TRUE);
    EXPECT_STREQ(a->GetName(), L"_a.b-1");
    EXPECT_FALSE(o.doc->IsModified());
}

TEST(TreeView, right_button_selects_and_drags_move_nothing)
{
    EditorFixture f;
    DocWindow o = f.OpenSample(kDoc);
    ASSERT_TRUE(o.doc && o.tree);
    CXMLTreeCtrl& tree = *o.tree;
    o.frame->MDIMaximize();
    f.Spin(0);
    HTREEITEM hA = ItemAt(tree, {L"a"});
    CRect rc;
    ASSERT_TRUE(tree.GetItemRect(hA, &rc, TRUE));
    o.view->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON,
                        MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
    EXPECT_EQ(tree.GetSelectedItem(), hA);
    EXPECT_EQ(f.Main()->m_path, L"a/");
    // Below the last item nothing is hit and the selection stays.
    o.view->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(rc.left, 30000));
    EXPECT_EQ(tree.GetSelectedItem(), hA);

    // A begin-drag notification starts nothing and changes nothing.
    const std::string before = DumpItems(tree);
    NMTREEVIEW nm{};
    nm.hdr.hwndFrom = tree.GetSafeHwnd();
    nm.hdr.code = TVN_BEGINDRAG;
    nm.itemNew.hItem = hA;
    LRESULT result = 1;
    o.view->OnBeginDrag(&nm.hdr, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(DumpItems(tree), before);
    EXPECT_FALSE(o.doc->IsModified());
}

TEST(TreeView, deep_documents_fill_and_close_without_deep_recursion)
{
    EditorFixture f;
    CVelmarDoc* pDoc = f.NewDocument();
    ASSERT_NE(pDoc, nullptr);
    nkDS::CXmlNodeW* parent = &pDoc->GetXmlFile();
    const int depth = 50000;
    nkDS::CXmlNodeW* deepest = nullptr;
    for (int i = 0; i < depth; ++i)
    {
        nkDS::CXmlNodeW* node = nkDS::CreateXmlNodeW();
        ASSERT_NE(node, nullptr);
        node->SetName(L"d");
        ASSERT_TRUE(parent->AddChild(node));
        parent = deepest = node;
    }
    CXMLTreeView* pView = f.ActiveChild()->Tree();
    pView->RefreshItem(TVI_ROOT);
    CXMLTreeCtrl& tree = pView->GetXMLTreeCtrl();
    EXPECT_EQ(CountItems(tree), 2u); // the top items, nothing below them yet
    bool unbuilt = false;
    EXPECT_EQ(tree.FindNodeItem(deepest, &unbuilt), nullptr);
    EXPECT_TRUE(unbuilt);
    HTREEITEM hDeepest = tree.MakeNodeItem(deepest);
    ASSERT_NE(hDeepest, nullptr);
    // The way down: a node item and its three groups a level, the last one unopened.
    EXPECT_EQ(CountItems(tree), static_cast<size_t>(1 + 4 * depth - 3));
    EXPECT_EQ(tree.FindNodeItem(deepest), hDeepest);
    EXPECT_EQ(tree.GetItemNode(hDeepest), deepest);
    pDoc->OnCloseDocument();
    EXPECT_EQ(f.OpenDocumentCount(), 0);
}
