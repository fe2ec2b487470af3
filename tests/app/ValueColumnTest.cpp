// The tree's value column: what each kind of item shows, kept to one line,
// computed as it is painted, and the View command that hides it for every window.
#include "EditorTestApp.h"
#include "TreeTestUtil.h"
#include "velmar/app/Resource.h"
#include "velmar/app/ValueColumn.h"

#include <gtest/gtest.h>

using namespace testsupport;

TEST(ValueColumn, shows_each_items_value_on_one_line)
{
    EditorFixture f;
    const std::string longText(400, 'x');
    DocWindow w = f.OpenSample("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<a k=\"v 1\"><b>  one\n\t two  </b><c>" +
                               longText + "</c><!--\n  first line\n second--><d><e/></d></a>\n");
    ASSERT_TRUE(w.tree);
    const std::wstring cut = std::wstring(160, L'x') + L"\x2026";
    struct Case
    {
        std::vector<std::wstring> labels;
        std::wstring value;
    } cases[] = {
        {{L"xml"}, L"version=\"1.0\" encoding=\"UTF-8\""},
        {{L"a", L"Child Vars", L"k"}, L"v 1"},
        {{L"a", L"Child Nodes", L"b"}, L"one two"},
        {{L"a", L"Child Nodes", L"b", L"Node Value"}, L"one two"},
        {{L"a", L"Child Nodes", L"c"}, cut},
        {{L"a", L"Child Nodes", L"Remark"}, L"first line"},
        {{L"a", L"Child Nodes", L"d"}, L""},
        {{L"a", L"Child Vars"}, L""},
    };
    for (const Case& c : cases)
    {
        HTREEITEM hItem = ItemAt(*w.tree, c.labels);
        ASSERT_TRUE(hItem) << c.labels.back().size();
        EXPECT_EQ(w.tree->GetColumnText(hItem).Str(), c.value);
    }
    // An edit shows at once: the text is read from the node, not kept.
    w.root->GetChild(1)->SetParam(L"k", L"w");
    EXPECT_EQ(w.tree->GetColumnText(ItemAt(*w.tree, {L"a", L"Child Vars", L"k"})).Str(), L"w");
}

TEST(ValueColumn, the_view_command_hides_it_in_every_window_and_remembers)
{
    EditorFixture f;
    f.app.SetRegistryKey(L"Velmar Tests");
    DocWindow w = f.OpenSample("<?xml version=\"1.0\"?>\n<a/>\n");
    ASSERT_TRUE(w.tree);
    CTestChildFrame* pOther = f.NewWindow();
    ASSERT_TRUE(pOther);
    const bool bWas = IsValueColumnShown();
    for (bool bShown : {!bWas, bWas})
    {
        f.Main()->SendMessage(WM_COMMAND, ID_VIEW_VALUES);
        EXPECT_EQ(IsValueColumnShown(), bShown);
        EXPECT_EQ(w.tree->IsTextColumnShown(), bShown);
        EXPECT_EQ(WindowOf(pOther).tree->IsTextColumnShown(), bShown);
        EXPECT_EQ(f.app.GetProfileInt(L"Settings", L"ShowValues", -1), bShown ? 1u : 0u);
    }
}
