// A tree makes the items of a node only when they are opened or looked
// into: what is never opened costs nothing, and everything that leads to a
// node (find, paths, validation, undo, edits in other windows) still finds
// or makes its item.
#include "EditorTestApp.h"
#include "TreeTestUtil.h"
#include "velmar/app/Resource.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace
{

const char kDoc[] = "<?xml version=\"1.0\"?>\n"
                    "<shelf><book id=\"b1\"><title>Cradle</title><note>cat</note></book>"
                    "<book id=\"b2\"><title>Catcher</title><price cur=\"EUR\">11</price></book>"
                    "<empty/></shelf>\n";

void Send(EditorFixture& f, UINT id)
{
    f.Main()->SendMessage(WM_COMMAND, id);
}

std::string Narrow(const CString& text)
{
    return QString::fromWCharArray(text.GetString()).toStdString();
}

// "label:kind" of the selected item and the path bar's text.
std::string Selection(EditorFixture& f, const DocWindow& w)
{
    HTREEITEM h = w.tree->GetSelectedItem();
    return Narrow(w.tree->GetItemText(h)) + ":" + std::to_string(w.tree->GetItemKind(h)) + " " +
           QString::fromStdWString(f.Main()->m_path).toStdString();
}

// "label:kind" of the children of hParent made so far.
std::string Labels(const CXMLTreeCtrl& tree, HTREEITEM hParent)
{
    std::string out;
    for (HTREEITEM h = tree.GetChildItem(hParent); h; h = tree.GetNextSiblingItem(h))
        out += (out.empty() ? "" : " ") + Narrow(tree.GetItemText(h)) + ":" +
               std::to_string(tree.GetItemKind(h));
    return out;
}

nkDS::CXmlNodeW* Shelf(const DocWindow& w)
{
    return w.root->GetChild(1);
}

} // namespace

TEST(LazyTree, opening_makes_only_the_top_items_and_opening_an_item_makes_its_own)
{
    EditorFixture f;
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.tree);
    CXMLTreeCtrl& tree = *w.tree;
    EXPECT_EQ(CountItems(tree), 2u);
    HTREEITEM hShelf = NthChild(tree, TVI_ROOT, 1);
    // Buttons show what opening would give, before anything is made.
    EXPECT_TRUE(tree.ItemHasChildren(hShelf));
    EXPECT_FALSE(tree.IsBuilt(hShelf));
    ASSERT_TRUE(tree.Expand(hShelf, TVE_EXPAND));
    EXPECT_EQ(CountItems(tree), 5u);
    struct Case
    {
        std::vector<std::wstring> path;
        bool button;
        const char* items; // after opening
    };
    const Case cases[] = {
        {{L"shelf", L"Child Vars"}, false, ""},
        {{L"shelf", L"Node Value"}, false, ""},
        {{L"shelf", L"Child Nodes"}, true, "book:5 book:5 empty:5"},
        {{L"shelf", L"Child Nodes", L"empty"}, true, "Child Vars:3 Child Nodes:1 Node Value:2"},
        {{L"shelf", L"Child Nodes", L"empty", L"Child Nodes"}, false, ""},
        {{L"shelf", L"Child Nodes", L"empty", L"Child Vars"}, false, ""},
    };
    for (const Case& c : cases)
    {
        HTREEITEM h = ItemAt(tree, c.path);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(tree.ItemHasChildren(h) != FALSE, c.button) << Narrow(tree.GetItemText(h));
        EXPECT_EQ(tree.Expand(h, TVE_EXPAND) != FALSE, c.button);
        EXPECT_EQ(Labels(tree, h), c.items);
        EXPECT_EQ(tree.ItemHasChildren(h) != FALSE, *c.items != 0);
    }
    // The books were never opened: their groups are not there.
    EXPECT_EQ(CountItems(tree), 11u);
    EXPECT_FALSE(tree.IsBuilt(ItemAt(tree, {L"shelf", L"Child Nodes", L"book"})));

    // A rebuild opens again what the user had open, making it anew.
    w.view->RefreshItem(TVI_ROOT);
    for (const auto& path : {std::vector<std::wstring>{L"shelf", L"Child Nodes"},
                             std::vector<std::wstring>{L"shelf", L"Child Nodes", L"empty"}})
    {
        HTREEITEM h = ItemAt(tree, path);
        ASSERT_NE(h, nullptr);
        EXPECT_TRUE(tree.GetItemState(h, TVIS_EXPANDED) & TVIS_EXPANDED);
    }
    EXPECT_EQ(CountItems(tree), 11u);
}

TEST(LazyTree, finding_a_node_deep_in_an_unopened_part_makes_and_selects_its_item)
{
    EditorFixture f;
    f.app.SetRegistryKey(L"Velmar Tests");
    struct Case
    {
        const char* name;
        std::function<bool(const DocWindow&)> go;
        const char* selected;
        size_t items; // made on the way
    };
    const Case cases[] = {
        {"path", [](const DocWindow& w) { return w.view->SelectPath(L"shelf/book=1/price") != 0; },
         "price:5 shelf/book=1/price/", 13},
        {"text",
         [](const DocWindow& w) {
             return w.view->SelectText({Shelf(w)->GetChild(1)->GetChild(1), 1}) != 0;
         },
         "cur:6 shelf/book=1/price/", 17},
        {"value",
         [](const DocWindow& w) {
             return w.view->SelectText({Shelf(w)->GetChild(0)->GetChild(1), 1}) != 0;
         },
         "Node Value:2 shelf/book/note/", 16},
        {"node and parameter",
         [](const DocWindow& w)
         { return w.view->SelectNodeItem(Shelf(w)->GetChild(1), ikParam, 0, nullptr) != 0; },
         "id:6 shelf/book=1/", 12},
        {"group",
         [](const DocWindow& w)
         { return w.view->SelectNodeItem(Shelf(w)->GetChild(2), ikChildNodes, -1, nullptr) != 0; },
         "Child Nodes:1 shelf/empty/", 11},
    };
    for (const Case& c : cases)
    {
        DocWindow w = f.OpenSample(kDoc);
        ASSERT_TRUE(w.tree);
        EXPECT_TRUE(c.go(w)) << c.name;
        EXPECT_EQ(Selection(f, w), c.selected) << c.name;
        // Only the way down was made: the top items, then a node item and its
        // three groups for each node on the way, and the nodes of each list passed.
        EXPECT_EQ(CountItems(*w.tree), c.items) << c.name;
        w.doc->OnCloseDocument();
    }

    // Find next, from the top, into books nobody opened.
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.tree);
    f.Main()->GetFindBar()->SetOptions({L"catch", false, false, false, true, true});
    Send(f, ID_XML_FIND);
    Send(f, ID_XML_FIND_NEXT);
    EXPECT_EQ(Selection(f, w), "Node Value:2 shelf/book=1/title/");
}

TEST(LazyTree, edits_reach_other_windows_without_making_what_they_never_opened)
{
    EditorFixture f;
    DocWindow w1 = f.OpenSample(kDoc);
    ASSERT_TRUE(w1.tree);
    DocWindow w2 = WindowOf(f.NewWindow());
    ASSERT_TRUE(w2.tree && w2.tree != w1.tree);
    CXMLTreeCtrl& tree2 = *w2.tree;
    // The second window has the shelf's list open, but no book.
    ASSERT_TRUE(tree2.Expand(ItemAt(tree2, {L"shelf", L"Child Nodes"}), TVE_EXPAND));
    HTREEITEM hEmptyList = ItemAt(tree2, {L"shelf", L"Child Nodes", L"empty", L"Child Nodes"});
    const size_t made = CountItems(tree2);
    EXPECT_FALSE(tree2.ItemHasChildren(hEmptyList));

    // Deep in the first book: delete the note, rename the title, add a parameter.
    f.Main()->MDIActivate(w1.frame);
    ASSERT_TRUE(w1.Select({L"shelf", L"Child Nodes", L"book", L"Child Nodes", L"note"}));
    f.user.answers = {IDYES};
    Send(f, ID_XML_DELETE);
    ASSERT_EQ(Shelf(w1)->GetChild(0)->GetChildCount(), 1u);
    ASSERT_TRUE(w1.Select({L"shelf", L"Child Nodes", L"book", L"Child Vars"}));
    Send(f, ID_XML_ADD_PARAM);
    EXPECT_EQ(CountItems(tree2), made);
    // A node the other window shows unopened gets its first child: its button shows.
    ASSERT_TRUE(w1.Select({L"shelf", L"Child Nodes", L"empty", L"Child Nodes"}));
    Send(f, ID_XML_ADD_DATANODE);
    EXPECT_EQ(Shelf(w1)->GetChild(2)->GetChildCount(), 1u);
    EXPECT_TRUE(tree2.ItemHasChildren(hEmptyList));
    EXPECT_EQ(CountItems(tree2), made);

    // Opened now, the second window shows the nodes as they are.
    const std::string book = DumpItems(*w1.tree, ItemAt(*w1.tree, {L"shelf", L"Child Nodes"}));
    EXPECT_EQ(DumpItems(tree2, ItemAt(tree2, {L"shelf", L"Child Nodes"})), book);
    EXPECT_EQ(DumpItems(tree2, ItemAt(tree2, {L"shelf", L"Child Nodes", L"book", L"Child Nodes"})),
              "title:5[Child Vars:3 Child Nodes:1 Node Value:2]");

    // Undo brings the note back in both, opened or not.
    f.Main()->MDIActivate(w1.frame);
    for (int i = 0; i < 3; ++i)
        Send(f, ID_EDIT_UNDO);
    EXPECT_EQ(Shelf(w1)->GetChild(0)->GetChildCount(), 2u);
    EXPECT_EQ(DumpItems(tree2, ItemAt(tree2, {L"shelf", L"Child Nodes"})),
              DumpItems(*w1.tree, ItemAt(*w1.tree, {L"shelf", L"Child Nodes"})));
    EXPECT_EQ(Shelf(w1)->GetChild(2)->GetChildCount(), 0u);
    EXPECT_FALSE(
        tree2.ItemHasChildren(ItemAt(tree2, {L"shelf", L"Child Nodes", L"empty", L"Child Nodes"})));
}
