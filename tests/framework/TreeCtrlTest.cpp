// The tree control and tree view on real widgets: insertion and navigation,
// selection notifications, label editing, hit testing, expansion, reflection.
#include "velmar/framework/framework.h"
#include "TreeItemModel.h"
#include "TreeItemStore.h"
#include "support/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyleHints>
#include <QTest>

#include <string>
#include <vector>

using namespace testsupport;

namespace
{

#define IDC_TREE 300

// A mouse event at `pt` of the widget; a move carries the button as held.
void SendMouse(QWidget* pWidget, QEvent::Type type, QPoint pt, Qt::MouseButton button)
{
    const bool move = type == QEvent::MouseMove;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, pt, pWidget->mapToGlobal(pt), move ? Qt::NoButton : button, held,
                  Qt::NoModifier);
    QApplication::sendEvent(pWidget, &e);
}

struct Note
{
    UINT code = 0;
    HWND from = nullptr;
    UINT_PTR id = 0;
    HTREEITEM hOld = nullptr;
    HTREEITEM hNew = nullptr;
    LPARAM lOld = 0;
    LPARAM lNew = 0;
    UINT action = 0;
    bool hasText = false;
    std::wstring text{};
};

// The parent window: records the tree's notifications and answers them as told.
class CHost : public CWnd
{
public:
    std::vector<Note> notes;
    LRESULT vetoSelChanging = 0;
    LRESULT cancelBeginEdit = 0;
    LRESULT acceptEndEdit = TRUE;
    LRESULT vetoExpanding = 0;
    std::function<void(CHost&, const Note&)> onNote;

    void OnNote(NMHDR* p, LRESULT* pResult)
    {
        Note n{.code = p->code, .from = p->hwndFrom, .id = p->idFrom};
        if (p->code == TVN_BEGINLABELEDIT || p->code == TVN_ENDLABELEDIT)
        {
            const TVITEM& item = reinterpret_cast<NMTVDISPINFO*>(p)->item;
            n.hNew = item.hItem;
            n.lNew = item.lParam;
            n.hasText = item.pszText != nullptr;
            n.text = n.hasText ? item.pszText : L"";
        }
        else if (p->code != NM_RCLICK)
        {
            const NMTREEVIEW* t = reinterpret_cast<NMTREEVIEW*>(p);
            n.hOld = t->itemOld.hItem;
            n.hNew = t->itemNew.hItem;
            n.lOld = t->itemOld.lParam;
            n.lNew = t->itemNew.lParam;
            n.action = t->action;
        }
        notes.push_back(n);
        *pResult = p->code == TVN_SELCHANGING      ? vetoSelChanging
                   : p->code == TVN_BEGINLABELEDIT ? cancelBeginEdit
                   : p->code == TVN_ENDLABELEDIT   ? acceptEndEdit
                   : p->code == TVN_ITEMEXPANDING  ? vetoExpanding
                                                   : 0;
        if (onNote)
            onNote(*this, n);
    }
    std::vector<UINT> Codes() const
    {
        std::vector<UINT> codes;
        for (const Note& n : notes)
            codes.push_back(n.code);
        return codes;
    }
    const Note* Last(UINT code) const
    {
        for (auto it = notes.rbegin(); it != notes.rend(); ++it)
            if (it->code == code)
                return &*it;
        return nullptr;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHost, CWnd)
ON_NOTIFY(TVN_SELCHANGING, IDC_TREE, &CHost::OnNote)
ON_NOTIFY(TVN_SELCHANGED, IDC_TREE, &CHost::OnNote)
ON_NOTIFY(TVN_BEGINLABELEDIT, IDC_TREE, &CHost::OnNote)
ON_NOTIFY(TVN_ENDLABELEDIT, IDC_TREE, &CHost::OnNote)
ON_NOTIFY(TVN_BEGINDRAG, IDC_TREE, &CHost::OnNote)
ON_NOTIFY(NM_RCLICK, IDC_TREE, &CHost::OnNote)
ON_NOTIFY(TVN_ITEMEXPANDING, IDC_TREE, &CHost::OnNote)
END_MESSAGE_MAP()

// A host window with one standalone tree control filling most of it.
struct TreeCtrlTest : public ::testing::Test
{
    CHost host;
    CTreeCtrl tree;
    void SetUp() override
    {
        ASSERT_TRUE(
            host.CreateEx(0, nullptr, L"Host", WS_OVERLAPPED, 0, 0, 320, 260, nullptr, nullptr));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT |
                                    TVS_SHOWSELALWAYS,
                                CRect(0, 0, 300, 240), &host, IDC_TREE));
        host.ShowWindow(SW_SHOW);
        SpinEvents(0);
    }
    void TearDown() override
    {
        tree.DestroyWindow();
        host.DestroyWindow();
        SpinEvents(0);
    }
    QWidget* Viewport() { return tree.GetTreeWidget()->viewport(); }
    QPoint LabelCenter(HTREEITEM h)
    {
        CRect r;
        EXPECT_TRUE(tree.GetItemRect(h, &r, TRUE));
        return QPoint(r.left + 4, (r.top + r.bottom) / 2);
    }
    void Mouse(QEvent::Type type, QPoint pt, Qt::MouseButton button)
    {
        SendMouse(Viewport(), type, pt, button);
    }
    void Click(QPoint pt, Qt::MouseButton button = Qt::LeftButton)
    {
        Mouse(QEvent::MouseButtonPress, pt, button);
        Mouse(QEvent::MouseButtonRelease, pt, button);
    }
};

} // namespace

TEST_F(TreeCtrlTest, insertion_order_positions_and_navigation)
{
    QAbstractItemModelTester tester(tree.GetTreeWidget()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    HTREEITEM b = tree.InsertItem(L"b");
    HTREEITEM d = tree.InsertItem(L"d", TVI_ROOT, TVI_LAST);
    HTREEITEM a = tree.InsertItem(L"a", TVI_ROOT, TVI_FIRST);
    HTREEITEM c = tree.InsertItem(L"c", TVI_ROOT, b);
    HTREEITEM s =
        tree.InsertItem(TVIF_TEXT | TVIF_PARAM, L"bb", 0, 0, 0, 0, 42, TVI_ROOT, TVI_SORT);
    ASSERT_TRUE(a && b && c && d && s);
    std::vector<std::wstring> order;
    for (HTREEITEM h = tree.GetRootItem(); h; h = tree.GetNextSiblingItem(h))
        order.push_back(tree.GetItemText(h).Str());
    EXPECT_EQ(order, (std::vector<std::wstring>{L"a", L"b", L"bb", L"c", L"d"}));
    EXPECT_EQ(tree.GetPrevSiblingItem(c), s);
    EXPECT_EQ(tree.GetPrevSiblingItem(a), nullptr);
    EXPECT_EQ(tree.GetNextSiblingItem(d), nullptr);
    EXPECT_EQ(tree.GetParentItem(a), nullptr);
    EXPECT_EQ(tree.GetItemData(s), 42u);

    // Children, and the same navigation through GetNextItem.
    HTREEITEM c1 = tree.InsertItem(L"c1", c);
    HTREEITEM c0 = tree.InsertItem(L"c0", c, TVI_FIRST);
    HTREEITEM c2 = tree.InsertItem(L"c2", 7, 8, c, TVI_LAST);
    EXPECT_EQ(tree.GetChildItem(c), c0);
    EXPECT_EQ(tree.GetNextItem(c0, TVGN_NEXT), c1);
    EXPECT_EQ(tree.GetNextItem(c2, TVGN_PREVIOUS), c1);
    EXPECT_EQ(tree.GetNextItem(c1, TVGN_PARENT), c);
    EXPECT_EQ(tree.GetNextItem(nullptr, TVGN_ROOT), a);
    EXPECT_EQ(tree.GetChildItem(TVI_ROOT), a);
    EXPECT_TRUE(tree.ItemHasChildren(c));
    EXPECT_FALSE(tree.ItemHasChildren(c1));
    EXPECT_EQ(tree.GetCount(), 8u);

    // Refused: after an item of another parent, under a deleted item, on a deleted handle.
    EXPECT_EQ(tree.InsertItem(L"x", a, c1), nullptr);
    EXPECT_TRUE(tree.DeleteItem(c1));
    EXPECT_EQ(tree.InsertItem(L"x", c1), nullptr);
    EXPECT_EQ(tree.GetItemText(c1), L"");
    EXPECT_FALSE(tree.SetItemText(c1, L"y"));
    EXPECT_FALSE(tree.DeleteItem(c1));
    // A new item never answers to the handle of the deleted one.
    HTREEITEM reused = tree.InsertItem(L"new", c);
    EXPECT_NE(reused, c1);
    EXPECT_EQ(tree.GetNextSiblingItem(c0), c2);
    EXPECT_EQ(tree.GetCount(), 8u);

    // A callback text is never read as a string.
    HTREEITEM cb =
        tree.InsertItem(TVIF_TEXT, LPSTR_TEXTCALLBACK, 0, 0, 0, 0, 0, TVI_ROOT, TVI_LAST);
    ASSERT_NE(cb, nullptr);
    EXPECT_EQ(tree.GetItemText(cb), L"");

    // GetItem truncates the text to the buffer.
    wchar_t buffer[3];
    TVITEM item{};
    item.hItem = c2;
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    item.pszText = buffer;
    item.cchTextMax = 2;
    EXPECT_TRUE(tree.GetItem(&item));
    EXPECT_EQ(std::wstring(buffer), L"c");
    EXPECT_EQ(std::make_pair(item.iImage, item.iSelectedImage), std::make_pair(7, 8));
    EXPECT_EQ(item.cChildren, 0);

    // Deleting a parent takes its children along.
    EXPECT_TRUE(tree.DeleteItem(c));
    EXPECT_EQ(tree.GetCount(), 5u);
    EXPECT_EQ(tree.GetItemText(c0), L"");
    EXPECT_TRUE(tree.DeleteAllItems());
    EXPECT_EQ(tree.GetCount(), 0u);
    EXPECT_EQ(tree.GetRootItem(), nullptr);
}

TEST_F(TreeCtrlTest, selection_changes_are_notified_with_old_and_new_also_when_deleted)
{
    HTREEITEM a = tree.InsertItem(TVIF_TEXT | TVIF_PARAM, L"a", 0, 0, 0, 0, 1, TVI_ROOT, TVI_LAST);
    HTREEITEM b = tree.InsertItem(TVIF_TEXT | TVIF_PARAM, L"b", 0, 0, 0, 0, 2, TVI_ROOT, TVI_LAST);
    HTREEITEM b1 = tree.InsertItem(TVIF_TEXT | TVIF_PARAM, L"b1", 0, 0, 0, 0, 3, b, TVI_LAST);
    HTREEITEM b2 = tree.InsertItem(TVIF_TEXT | TVIF_PARAM, L"b2", 0, 0, 0, 0, 4, b, TVI_LAST);

    EXPECT_TRUE(tree.SelectItem(a));
    ASSERT_EQ(host.Codes(), (std::vector<UINT>{TVN_SELCHANGING, TVN_SELCHANGED}));
    const Note* n = host.Last(TVN_SELCHANGED);
    EXPECT_EQ(n->hOld, nullptr);
    EXPECT_EQ(n->hNew, a);
    EXPECT_EQ(n->lNew, 1);
    EXPECT_EQ(n->from, tree.GetSafeHwnd());
    EXPECT_EQ(n->id, (UINT_PTR)IDC_TREE);
    EXPECT_EQ(tree.GetSelectedItem(), a);
    EXPECT_EQ(tree.GetItemState(a, TVIS_SELECTED), (UINT)TVIS_SELECTED);

    // Selecting what is selected says nothing; a collapsed parent opens.
    host.notes.clear();
    EXPECT_TRUE(tree.SelectItem(a));
    EXPECT_TRUE(host.notes.empty());
    EXPECT_FALSE(tree.GetItemState(b, TVIS_EXPANDED));
    EXPECT_TRUE(tree.SelectItem(b2));
    EXPECT_EQ(tree.GetItemState(b, TVIS_EXPANDED), (UINT)TVIS_EXPANDED);
    n = host.Last(TVN_SELCHANGED);
    EXPECT_EQ(n->hOld, a);
    EXPECT_EQ(n->lOld, 1);
    EXPECT_EQ(n->hNew, b2);
    EXPECT_EQ(tree.GetItemState(a, TVIS_SELECTED), 0u);
    EXPECT_EQ(tree.GetTreeWidget()->currentIndex().data().toString(), QString("b2"));

    // A veto keeps the selection.
    host.notes.clear();
    host.vetoSelChanging = TRUE;
    EXPECT_FALSE(tree.SelectItem(a));
    EXPECT_EQ(tree.GetSelectedItem(), b2);
    EXPECT_EQ(host.Codes(), (std::vector<UINT>{TVN_SELCHANGING}));
    host.vetoSelChanging = 0;

    // Deleting the selection moves it: next sibling, else parent; and says so.
    host.notes.clear();
    EXPECT_TRUE(tree.SelectItem(b1));
    host.notes.clear();
    EXPECT_TRUE(tree.DeleteItem(b1));
    ASSERT_EQ(host.Codes(), (std::vector<UINT>{TVN_SELCHANGED}));
    EXPECT_EQ(host.notes[0].hOld, b1);
    EXPECT_EQ(host.notes[0].lOld, 3);
    EXPECT_EQ(host.notes[0].hNew, b2);
    EXPECT_EQ(tree.GetSelectedItem(), b2);
    host.notes.clear();
    EXPECT_TRUE(tree.DeleteItem(b2));
    EXPECT_EQ(host.Last(TVN_SELCHANGED)->hNew, b);
    EXPECT_EQ(tree.GetSelectedItem(), b);
    // Deleting an unselected item says nothing.
    host.notes.clear();
    EXPECT_TRUE(tree.DeleteItem(a));
    EXPECT_TRUE(host.notes.empty());

    // Null clears the selection; clearing an empty one says nothing.
    EXPECT_TRUE(tree.SelectItem(nullptr));
    n = host.Last(TVN_SELCHANGED);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->hOld, b);
    EXPECT_EQ(n->hNew, nullptr);
    EXPECT_EQ(tree.GetSelectedItem(), nullptr);
    EXPECT_FALSE(tree.GetTreeWidget()->currentIndex().isValid());
    host.notes.clear();
    EXPECT_TRUE(tree.SelectItem(nullptr));
    EXPECT_TRUE(host.notes.empty());

    // Deleting everything clears the selection with a notification.
    EXPECT_TRUE(tree.SelectItem(b));
    host.notes.clear();
    EXPECT_TRUE(tree.DeleteAllItems());
    ASSERT_EQ(host.Codes(), (std::vector<UINT>{TVN_SELCHANGED}));
    EXPECT_EQ(host.notes[0].hOld, b);
    EXPECT_EQ(host.notes[0].hNew, nullptr);
    EXPECT_EQ(tree.GetSelectedItem(), nullptr);
}

TEST_F(TreeCtrlTest, user_clicks_keys_and_drags_reach_the_parent_as_notifications)
{
    HTREEITEM a = tree.InsertItem(L"alpha");
    HTREEITEM b =
        tree.InsertItem(TVIF_TEXT | TVIF_PARAM, L"beta", 0, 0, 0, 0, 77, TVI_ROOT, TVI_LAST);
    SpinEvents(0);
    Click(LabelCenter(b));
    const Note* n = host.Last(TVN_SELCHANGED);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->hNew, b);
    EXPECT_EQ(n->action, (UINT)TVC_BYMOUSE);
    EXPECT_EQ(tree.GetSelectedItem(), b);
    QTest::keyClick(tree.GetTreeWidget(), Qt::Key_Up);
    EXPECT_EQ(tree.GetSelectedItem(), a);
    EXPECT_EQ(host.Last(TVN_SELCHANGED)->action, (UINT)TVC_BYKEYBOARD);
    // A veto puts the view back on the selected item.
    host.vetoSelChanging = TRUE;
    Click(LabelCenter(b));
    EXPECT_EQ(tree.GetSelectedItem(), a);
    EXPECT_EQ(tree.GetTreeWidget()->currentIndex().data().toString(), QString("alpha"));
    host.vetoSelChanging = 0;
    // The right button does not select; NM_RCLICK goes to the parent.
    host.notes.clear();
    Click(LabelCenter(b), Qt::RightButton);
    EXPECT_EQ(tree.GetSelectedItem(), a);
    EXPECT_EQ(host.Codes(), (std::vector<UINT>{NM_RCLICK}));

    // A move of more than the drag distance with the button held begins a drag.
    const QPoint start = LabelCenter(b);
    Mouse(QEvent::MouseButtonPress, start, Qt::LeftButton);
    const QPoint far = start + QPoint(QApplication::startDragDistance() + 5, 0);
    Mouse(QEvent::MouseMove, far, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, far, Qt::LeftButton);
    ASSERT_NE(host.Last(TVN_BEGINDRAG), nullptr);
    EXPECT_EQ(host.Last(TVN_BEGINDRAG)->hNew, b);
    EXPECT_EQ(host.Last(TVN_BEGINDRAG)->lNew, 77);
}

TEST_F(TreeCtrlTest, label_edit_commit_cancel_veto_and_reject)
{
    HTREEITEM a =
        tree.InsertItem(TVIF_TEXT | TVIF_PARAM, L"old", 0, 0, 0, 0, 9, TVI_ROOT, TVI_LAST);
    HTREEITEM b = tree.InsertItem(L"other");
    SpinEvents(0);

    // Each edit ends by a key (0: the editor loses the focus), the parent answering the end.
    const struct
    {
        const wchar_t* typed;
        int key;
        LRESULT accept;
        bool hasText; // what the end notification carries
        const wchar_t* label;
    } edits[] = {
        {L"new name", Qt::Key_Return, TRUE, true, L"new name"},
        {L"typed", Qt::Key_Escape, TRUE, false, L"new name"}, // cancelled, whatever the answer
        {L"9 bad", Qt::Key_Enter, FALSE, true, L"new name"},  // rejected: the label reverts
        {L"by focus", 0, TRUE, true, L"by focus"},
    };
    for (const auto& edit : edits)
    {
        SCOPED_TRACE(QString::fromWCharArray(edit.typed).toStdString());
        const CString before = tree.GetItemText(a);
        host.notes.clear();
        host.acceptEndEdit = edit.accept;
        CEdit* pEdit = tree.EditLabel(a);
        ASSERT_NE(pEdit, nullptr);
        EXPECT_EQ(tree.GetEditControl(), pEdit);
        EXPECT_EQ(pEdit->GetWindowText(), before);
        const Note* n = host.Last(TVN_BEGINLABELEDIT);
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->hNew, a);
        EXPECT_EQ(n->lNew, 9);
        EXPECT_EQ(n->text, before.Str());
        pEdit->SetWindowText(edit.typed);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        if (edit.key)
            QTest::keyClick(pEdit->GetWidget(), Qt::Key(edit.key));
        else
            QApplication::sendEvent(pEdit->GetWidget(), &out);
        n = host.Last(TVN_ENDLABELEDIT);
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->hasText, edit.hasText);
        EXPECT_EQ(n->text, edit.hasText ? edit.typed : L"");
        EXPECT_EQ(tree.GetItemText(a), edit.label);
        EXPECT_EQ(tree.GetEditControl(), nullptr);
        SpinEvents(0);
    }
    host.acceptEndEdit = TRUE;

    // TRUE at the begin vetoes: no edit at all, and no end notification.
    host.notes.clear();
    host.cancelBeginEdit = TRUE;
    EXPECT_EQ(tree.EditLabel(b), nullptr);
    EXPECT_EQ(tree.GetEditControl(), nullptr);
    EXPECT_EQ(host.Codes(), (std::vector<UINT>{TVN_BEGINLABELEDIT}));
    host.cancelBeginEdit = 0;
    SpinEvents(0);

    // An end handler that deletes the item is survived.
    host.onNote = [this](CHost&, const Note& note)
    {
        if (note.code == TVN_ENDLABELEDIT)
            tree.DeleteItem(note.hNew);
    };
    CEdit* pEdit = tree.EditLabel(b);
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClick(pEdit->GetWidget(), Qt::Key_Return);
    host.onNote = nullptr;
    EXPECT_EQ(tree.GetCount(), 1u);
    EXPECT_EQ(tree.GetEditControl(), nullptr);
    SpinEvents(0);
}

TEST_F(TreeCtrlTest, slow_second_click_edits_only_with_the_style)
{
    HTREEITEM a = tree.InsertItem(L"label");
    SpinEvents(0);
    tree.GetTreeWidget()->setFocus();
    tree.SelectItem(a);
    int wait = QGuiApplication::styleHints()->mouseDoubleClickInterval() + 150;
    Click(LabelCenter(a));
    SpinEvents(wait);
    EXPECT_EQ(tree.GetEditControl(), nullptr); // no TVS_EDITLABELS
    tree.ModifyStyle(0, TVS_EDITLABELS);
    EXPECT_TRUE(tree.GetStyle() & TVS_EDITLABELS);
    Click(LabelCenter(a));
    SpinEvents(wait);
    ASSERT_NE(tree.GetEditControl(), nullptr);
    EXPECT_EQ(host.Last(TVN_BEGINLABELEDIT)->hNew, a);
    EXPECT_TRUE(tree.EndEditLabelNow(TRUE));
    SpinEvents(0);
    // A double click is not a slow click.
    Click(LabelCenter(a));
    Mouse(QEvent::MouseButtonDblClick, LabelCenter(a), Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, LabelCenter(a), Qt::LeftButton);
    SpinEvents(wait);
    EXPECT_EQ(tree.GetEditControl(), nullptr);
}

TEST_F(TreeCtrlTest, hit_test_parts_of_items_and_outside)
{
    HTREEITEM a = tree.InsertItem(L"parent");
    HTREEITEM a1 = tree.InsertItem(L"child", a);
    tree.Expand(a, TVE_EXPAND);
    SpinEvents(0);
    CRect text, row, parentText;
    ASSERT_TRUE(tree.GetItemRect(a1, &text, TRUE));
    ASSERT_TRUE(tree.GetItemRect(a1, &row, FALSE));
    ASSERT_TRUE(tree.GetItemRect(a, &parentText, TRUE));
    EXPECT_LT(row.left, text.left);
    const int y = (text.top + text.bottom) / 2;
    const struct
    {
        CPoint at;
        HTREEITEM item;
        UINT flags;
    } hits[] = {
        {CPoint(text.left + 4, y), a1, TVHT_ONITEMLABEL},
        {CPoint(text.right + 20, y), a1, TVHT_ONITEMRIGHT},
        {CPoint(1, y), a1, TVHT_ONITEMINDENT},
        // The parent's button sits just left of its label.
        {CPoint(parentText.left - 5, (parentText.top + parentText.bottom) / 2), a,
         TVHT_ONITEMBUTTON},
        {CPoint(10, row.bottom + 40), nullptr, TVHT_NOWHERE},
        {CPoint(10, -3), nullptr, TVHT_ABOVE},
        {CPoint(-1, 5), nullptr, TVHT_TOLEFT},
    };
    for (const auto& hit : hits)
    {
        SCOPED_TRACE(hit.flags);
        TVHITTESTINFO info{};
        info.pt = hit.at;
        EXPECT_EQ(tree.HitTest(&info), hit.item);
        EXPECT_EQ(info.flags, hit.flags);
    }
    // A collapsed child is not there to hit.
    tree.Expand(a, TVE_COLLAPSE);
    SpinEvents(0);
    UINT flags = 0;
    EXPECT_NE(tree.HitTest(CPoint(text.left + 4, y), &flags), a1);
}

TEST_F(TreeCtrlTest, expand_collapse_keeps_model_lazy_and_moves_selection_out)
{
    QAbstractItemModel* pModel = tree.GetTreeWidget()->model();
    QAbstractItemModelTester tester(pModel,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    HTREEITEM a = tree.InsertItem(L"a");
    HTREEITEM a1 = tree.InsertItem(L"a1", a);
    HTREEITEM a11 = tree.InsertItem(L"a11", a1);
    tree.Expand(a1, TVE_EXPAND); // expanded while its parent is collapsed
    QModelIndex ia = pModel->index(0, 0);
    EXPECT_TRUE(pModel->hasChildren(ia));
    EXPECT_EQ(pModel->rowCount(ia), 0); // nothing below a collapsed item reaches the view
    EXPECT_EQ(tree.GetItemState(a1, TVIS_EXPANDED), (UINT)TVIS_EXPANDED);

    EXPECT_TRUE(tree.Expand(a, TVE_EXPAND));
    EXPECT_EQ(pModel->rowCount(ia), 1);
    QModelIndex ia1 = pModel->index(0, 0, ia);
    EXPECT_EQ(pModel->rowCount(ia1), 1); // came into view expanded
    EXPECT_TRUE(tree.GetTreeWidget()->isExpanded(ia1));
    EXPECT_EQ(tree.GetNextVisibleItem(a), a1);
    EXPECT_EQ(tree.GetNextVisibleItem(a1), a11);
    EXPECT_EQ(tree.GetLastVisibleItem(), a11);
    EXPECT_EQ(tree.GetPrevVisibleItem(a11), a1);

    EXPECT_TRUE(tree.SelectItem(a11));
    host.notes.clear();
    EXPECT_TRUE(tree.Expand(a, TVE_TOGGLE));
    EXPECT_EQ(tree.GetItemState(a, TVIS_EXPANDED), 0u);
    EXPECT_EQ(tree.GetSelectedItem(), a);
    EXPECT_EQ(host.Last(TVN_SELCHANGED)->hNew, a);
    EXPECT_EQ(pModel->rowCount(pModel->index(0, 0)), 0);
    EXPECT_EQ(tree.GetNextVisibleItem(a), nullptr);
    EXPECT_FALSE(tree.Expand(a11, TVE_EXPAND)); // nothing to show

    // The user's expansion goes through the control too.
    tree.GetTreeWidget()->expand(pModel->index(0, 0));
    EXPECT_EQ(tree.GetItemState(a, TVIS_EXPANDED), (UINT)TVIS_EXPANDED);
    EXPECT_EQ(pModel->rowCount(pModel->index(0, 0)), 1);
    EXPECT_TRUE(tree.EnsureVisible(a11));

    // Items inserted and deleted under shown parents keep the model consistent.
    for (int i = 0; i < 20; ++i)
        tree.InsertItem(L"x", a1, i % 3 == 0 ? TVI_FIRST : TVI_LAST);
    HTREEITEM mid = tree.InsertItem(L"mid", a1, a11);
    EXPECT_EQ(pModel->rowCount(pModel->index(0, 0, pModel->index(0, 0))), 22);
    EXPECT_TRUE(tree.DeleteItem(mid));
    while (HTREEITEM h = tree.GetChildItem(a1))
        tree.DeleteItem(h);
    EXPECT_FALSE(tree.ItemHasChildren(a1));
    EXPECT_EQ(pModel->rowCount(pModel->index(0, 0, pModel->index(0, 0))), 0);
    EXPECT_TRUE(tree.SortChildren(TVI_ROOT));

    // Inserted expanded: its first child shows at once.
    HTREEITEM open = tree.InsertItem(TVIF_TEXT | TVIF_STATE, L"open", 0, 0, TVIS_EXPANDED,
                                     TVIS_EXPANDED, 0, TVI_ROOT, TVI_LAST);
    tree.InsertItem(L"inside", open);
    QModelIndex iopen = pModel->index(pModel->rowCount() - 1, 0);
    EXPECT_EQ(iopen.data().toString(), QString("open"));
    EXPECT_EQ(pModel->rowCount(iopen), 1);
    EXPECT_TRUE(tree.GetTreeWidget()->isExpanded(iopen));
}

TEST_F(TreeCtrlTest, children_made_when_asked_by_item_expanding)
{
    QAbstractItemModel* pModel = tree.GetTreeWidget()->model();
    QAbstractItemModelTester tester(pModel,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    // Items that say they have children, with none made: the parent makes
    // "x" under the first when asked, nothing under the second.
    auto insertLazy = [&](LPCWSTR text)
    {
        TVINSERTSTRUCT ins{};
        ins.hParent = TVI_ROOT;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT | TVIF_CHILDREN;
        ins.item.pszText = const_cast<LPWSTR>(text);
        ins.item.cChildren = 1;
        return tree.InsertItem(&ins);
    };
    HTREEITEM full = insertLazy(L"full");
    HTREEITEM empty = insertLazy(L"empty");
    host.onNote = [&](CHost&, const Note& n)
    {
        if (n.code == TVN_ITEMEXPANDING && n.action == TVE_EXPAND && n.hNew == full &&
            !tree.GetChildItem(full))
            tree.InsertItem(L"x", full);
    };
    EXPECT_TRUE(pModel->hasChildren(pModel->index(0, 0)));
    EXPECT_TRUE(pModel->hasChildren(pModel->index(1, 0)));

    // A veto leaves the item as it was.
    host.vetoExpanding = TRUE;
    EXPECT_FALSE(tree.Expand(full, TVE_EXPAND));
    EXPECT_EQ(host.Codes(), (std::vector<UINT>{TVN_ITEMEXPANDING}));
    EXPECT_EQ(tree.GetItemState(full, TVIS_EXPANDED), 0u);
    host.vetoExpanding = 0;

    // The user's click on the button asks too; the children show at once.
    tree.GetTreeWidget()->expand(pModel->index(0, 0));
    EXPECT_EQ(tree.GetItemState(full, TVIS_EXPANDED), (UINT)TVIS_EXPANDED);
    EXPECT_EQ(pModel->rowCount(pModel->index(0, 0)), 1);
    EXPECT_EQ(host.Last(TVN_ITEMEXPANDING)->lNew, 0);
    EXPECT_EQ(host.Last(TVN_ITEMEXPANDING)->action, (UINT)TVE_EXPAND);

    // Collapsing is asked as well; expanding an open item is not.
    host.notes.clear();
    EXPECT_TRUE(tree.Expand(full, TVE_EXPAND));
    EXPECT_TRUE(host.notes.empty());
    EXPECT_TRUE(tree.Expand(full, TVE_COLLAPSE));
    ASSERT_EQ(host.Codes(), (std::vector<UINT>{TVN_ITEMEXPANDING}));
    EXPECT_EQ(host.notes[0].action, (UINT)TVE_COLLAPSE);

    // Asked and still empty: no expansion, and the button goes.
    EXPECT_FALSE(tree.Expand(empty, TVE_EXPAND));
    EXPECT_FALSE(tree.ItemHasChildren(empty));
    EXPECT_FALSE(pModel->hasChildren(pModel->index(1, 0)));
    tree.GetTreeWidget()->expand(pModel->index(1, 0));
    EXPECT_FALSE(tree.GetTreeWidget()->isExpanded(pModel->index(1, 0)));
}

TEST(TreeItemStore, rows_follow_edits_and_texts_are_shared)
{
    CTreeItemStore store;
    using Id = CTreeItemStore::Id;
    const Id none = CTreeItemStore::kNone;
    std::vector<Id> ids;
    Id prev = none;
    for (int i = 0; i < 200; ++i)
    {
        prev = store.Insert(CTreeItemStore::kRoot, prev, i % 2 ? L"odd" : L"even", 0, 0, i, 0);
        ids.push_back(prev);
    }
    EXPECT_EQ(store.DistinctTexts(), 2u);
    EXPECT_EQ(store.RowCount(CTreeItemStore::kRoot), 200);
    EXPECT_EQ(store.RowOf(ids[150]), 150);
    // Removing first children over and over keeps rows right (and linear).
    for (int i = 0; i < 120; ++i)
        store.Remove(ids[(size_t)i]);
    EXPECT_EQ(store.RowCount(CTreeItemStore::kRoot), 80);
    EXPECT_EQ(store.RowOf(ids[150]), 30);
    EXPECT_EQ(store.ChildAt(CTreeItemStore::kRoot, 0), ids[120]);
    Id front = store.Insert(CTreeItemStore::kRoot, none, L"front", 0, 0, 0, 0);
    EXPECT_EQ(store.RowOf(front), 0);
    EXPECT_EQ(store.RowOf(ids[150]), 31);
    store.Remove(ids[199]);
    EXPECT_EQ(store.RowCount(CTreeItemStore::kRoot), 80);
    Id middle = store.Insert(CTreeItemStore::kRoot, ids[140], L"odd", 0, 0, 0, 0);
    EXPECT_EQ(store.RowOf(middle), 22);
    EXPECT_EQ(store.ChildAt(CTreeItemStore::kRoot, 80), ids[198]);
    EXPECT_EQ(store.ChildAt(CTreeItemStore::kRoot, 81), none);
    // A text used by no item is forgotten; its slot serves a new one.
    EXPECT_EQ(store.DistinctTexts(), 3u);
    store.Remove(front);
    EXPECT_EQ(store.DistinctTexts(), 2u);
    HTREEITEM h = store.Handle(ids[198]);
    store.Remove(ids[198]);
    EXPECT_EQ(store.FromHandle(h), none);
    EXPECT_EQ(store.FromHandle(TVI_ROOT), none);
    EXPECT_EQ(store.FromHandle(nullptr), none);
    store.Clear();
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_EQ(store.DistinctTexts(), 0u);
}

TEST(TreeTextPool, distinct_texts_survive_growth_and_release)
{
    CTreeTextPool pool;
    std::vector<std::uint32_t> ids;
    for (int i = 0; i < 5000; ++i)
        ids.push_back(pool.Intern(std::wstring(L"name") + std::to_wstring(i)));
    EXPECT_EQ(pool.Count(), 5000u);
    EXPECT_EQ(pool.Intern(L"name4321"), ids[4321]); // found again, one more reference
    EXPECT_EQ(pool.Intern(std::wstring_view(L"name4321x", 8)), ids[4321]);
    for (int i = 0; i < 5000; i += 2)
        pool.Release(ids[(size_t)i]);
    EXPECT_EQ(pool.Count(), 2500u);
    pool.Release(ids[4321]);
    pool.Release(ids[4321]);
    EXPECT_EQ(pool.Text(ids[4321]), L"name4321"); // still one reference
    for (int i = 0; i < 5000; ++i)
    {
        std::uint32_t id = pool.Intern(std::wstring(L"again") + std::to_wstring(i));
        EXPECT_EQ(pool.Text(id), std::wstring(L"again") + std::to_wstring(i));
    }
    EXPECT_EQ(pool.Text(ids[4999]), L"name4999");
    EXPECT_EQ(pool.Intern(L""), CTreeTextPool::kEmpty);
    EXPECT_EQ(pool.Intern((const wchar_t*)nullptr), CTreeTextPool::kEmpty);
    EXPECT_EQ(pool.Count(), 7500u);
}

namespace
{

// A view that is the tree; its right-button handler selects the item under the point.
class CMyTreeView : public CTreeView
{
public:
    std::vector<LPARAM> rightClicked; // the data of each item hit, -1 for none
    void OnRButtonDown(UINT, CPoint pt)
    {
        UINT flags = 0;
        HTREEITEM h = GetTreeCtrl().HitTest(pt, &flags);
        rightClicked.push_back(h ? (LPARAM)GetTreeCtrl().GetItemData(h) : -1);
        if (h)
            GetTreeCtrl().SelectItem(h);
        Default();
    }

protected:
    void PostNcDestroy() override {} // owned by the test
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMyTreeView, CTreeView)
ON_WM_RBUTTONDOWN()
END_MESSAGE_MAP()

} // namespace

TEST_F(TreeCtrlTest, the_view_is_the_control_and_hears_the_right_button_at_its_point)
{
    CMyTreeView view;
    ASSERT_TRUE(
        view.Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 300, 240), &host, IDC_TREE));
    CTreeCtrl& tree = view.GetTreeCtrl();
    EXPECT_EQ(tree.GetSafeHwnd(), view.GetSafeHwnd());
    EXPECT_EQ(CWnd::FromHandlePermanent(view.GetSafeHwnd()), &view);
    view.ModifyStyle(0, TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS);
    EXPECT_EQ(tree.GetStyle() & 0x2F,
              (DWORD)(TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS));
    HTREEITEM a = tree.InsertItem(TVIF_TEXT | TVIF_PARAM, L"a", 0, 0, 0, 0, 5, TVI_ROOT, TVI_LAST);
    HTREEITEM a1 = tree.InsertItem(TVIF_TEXT | TVIF_PARAM, L"a1", 0, 0, 0, 0, 6, a, TVI_LAST);
    tree.Expand(a, TVE_EXPAND);
    SpinEvents(0);

    // Right button: the view's handler hit-tests, selects and passes on.
    CRect r;
    ASSERT_TRUE(tree.GetItemRect(a1, &r, TRUE));
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        SendMouse(tree.GetTreeWidget()->viewport(), type,
                  QPoint(r.left + 3, (r.top + r.bottom) / 2), Qt::RightButton);
    EXPECT_EQ(view.rightClicked, std::vector<LPARAM>{6});
    EXPECT_EQ(tree.GetSelectedItem(), a1);
    EXPECT_NE(host.Last(TVN_SELCHANGED), nullptr);
    EXPECT_NE(host.Last(NM_RCLICK), nullptr);

    // The drag image is the label's picture.
    CImageList* pImage = tree.CreateDragImage(a1);
    ASSERT_NE(pImage, nullptr);
    EXPECT_EQ(pImage->GetImageCount(), 1);
    EXPECT_TRUE(pImage->BeginDrag(0, CPoint(-11, -11)));
    EXPECT_TRUE(CImageList::DragEnter(nullptr, CPoint(100, 100)));
    delete pImage;
    EXPECT_TRUE(CImageList::IsDragging());
    CImageList::EndDrag();
    EXPECT_FALSE(CImageList::IsDragging());
    view.DestroyWindow();
}

namespace
{

// Answers each item's second column with its label and "!".
class CColumnTree : public CTreeCtrl
{
public:
    int asked = 0;
    CString GetColumnText(HTREEITEM hItem) const override
    {
        ++const_cast<CColumnTree*>(this)->asked;
        return GetItemText(hItem) + L"!";
    }
};

} // namespace

TEST(TreeCtrlColumn, texts_are_asked_for_the_row_selects_whole_and_hits_land_on_its_item)
{
    CHost host;
    CColumnTree tree;
    ASSERT_TRUE(
        host.CreateEx(0, nullptr, L"Host", WS_OVERLAPPED, 0, 0, 320, 260, nullptr, nullptr));
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 240), &host, IDC_TREE));
    host.ShowWindow(SW_SHOW);
    HTREEITEM hA = tree.InsertItem(L"a");
    HTREEITEM hB = tree.InsertItem(L"b");
    QAbstractItemModel* pModel = tree.GetTreeWidget()->model();
    EXPECT_EQ(pModel->columnCount(), 1);
    ASSERT_TRUE(tree.ShowTextColumn(TRUE, L"Name", L"Value"));
    EXPECT_TRUE(tree.IsTextColumnShown());
    EXPECT_EQ(pModel->columnCount(), 2);
    EXPECT_EQ(pModel->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Value"));
    EXPECT_EQ(pModel->index(1, 1).data().toString(), QStringLiteral("b!"));
    EXPECT_GT(tree.asked, 0);
    // Selected, the item's value shows selected too; a click on the value hits the item.
    tree.SelectItem(hB);
    EXPECT_TRUE(tree.GetTreeWidget()->selectionModel()->isSelected(pModel->index(1, 1)));
    const QRect value = tree.GetTreeWidget()->visualRect(pModel->index(0, 1));
    UINT flags = 0;
    EXPECT_EQ(tree.HitTest(CPoint(value.center().x(), value.center().y()), &flags), hA);
    EXPECT_EQ(flags, static_cast<UINT>(TVHT_ONITEMRIGHT));
    ASSERT_TRUE(tree.ShowTextColumn(FALSE));
    EXPECT_EQ(pModel->columnCount(), 1);
    EXPECT_EQ(tree.GetSelectedItem(), hB);
    tree.DestroyWindow();
    host.DestroyWindow();
    SpinEvents(0);
}
