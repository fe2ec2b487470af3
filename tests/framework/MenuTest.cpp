// CMenu over the framework's menu resources, pop-ups tracked at a point and
// closed by the script, and WM_CONTEXTMENU passing from a window to its parents.
#include "velmar/framework/framework.h"
#include "support/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QWidget>

#include <string>
#include <vector>

using namespace testsupport;

namespace
{

#define IDR_MENUTEST 9100
#define ID_MT_ADD 33100
#define ID_MT_RENAME 33101
#define ID_MT_DELETE 33102
#define ID_MT_NOHANDLER 33103
#define ID_MT_NESTED 33104

const AFX_MENU_ITEM s_items[] = {
    {MF_POPUP, 0, L"&File"},
    {0, ID_FILE_NEW, L"&New"},
    {MF_END, 0, nullptr},
    {MF_POPUP, 0, L"&XML"},
    {MF_POPUP, 0, L"&Add"},
    {0, ID_MT_NESTED, L"&Data node"},
    {MF_END, 0, nullptr},
    {0, ID_MT_RENAME, L"&Rename\tF2"},
    {MF_SEPARATOR, 0, nullptr},
    {0, ID_MT_DELETE, L"D&elete"},
    {MF_GRAYED, ID_MT_NOHANDLER, L"&Nothing"},
    {MF_END, 0, nullptr},
};
const AFX_MENU_RESOURCE s_menus[] = {{IDR_MENUTEST, s_items, AFX_COUNTOF(s_items)}};
const AFX_RESOURCE_TABLE s_table = {nullptr, 0, s_menus, 1, nullptr, 0, nullptr, 0, nullptr, 0};

struct Registered
{
    Registered() { AfxRegisterResources(&s_table); }
    ~Registered() { AfxUnregisterResources(&s_table); }
};

std::vector<std::string> g_log;

// An owner with handlers for some of the commands; Delete is disabled by its update handler.
class CMenuOwner : public CWnd
{
    DECLARE_DYNCREATE(CMenuOwner)
public:
    void OnRename() { g_log.push_back("rename"); }
    void OnDelete() { g_log.push_back("delete"); }
    void OnNested() { g_log.push_back("nested"); }
    void OnUpdateDelete(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    void OnUpdateRename(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CMenuOwner, CWnd)
BEGIN_MESSAGE_MAP(CMenuOwner, CWnd)
ON_COMMAND(ID_MT_RENAME, &CMenuOwner::OnRename)
ON_COMMAND(ID_MT_DELETE, &CMenuOwner::OnDelete)
ON_COMMAND(ID_MT_NESTED, &CMenuOwner::OnNested)
ON_UPDATE_COMMAND_UI(ID_MT_DELETE, &CMenuOwner::OnUpdateDelete)
ON_UPDATE_COMMAND_UI(ID_MT_RENAME, &CMenuOwner::OnUpdateRename)
END_MESSAGE_MAP()

// Context menus: the handler records which window the message names.
class CContextParent : public CWnd
{
    DECLARE_DYNCREATE(CContextParent)
public:
    std::vector<HWND> m_named;
    std::vector<CPoint> m_points;
    BOOL m_bPass = FALSE; // hand the message on as the default processing does
    void OnContextMenu(CWnd* pWnd, CPoint point)
    {
        m_named.push_back(pWnd ? pWnd->GetSafeHwnd() : nullptr);
        m_points.push_back(point);
        if (m_bPass)
            Default();
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CContextParent, CWnd)
BEGIN_MESSAGE_MAP(CContextParent, CWnd)
ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

QAction* ActionByText(QMenu* pMenu, const QString& text)
{
    for (QAction* a : pMenu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

} // namespace

TEST(Menu, load_navigate_and_change_item_states)
{
    Registered registered;
    CMenu menu;
    EXPECT_FALSE(menu.LoadMenu(IDR_MENUTEST + 1));
    ASSERT_TRUE(menu.LoadMenu(IDR_MENUTEST));
    EXPECT_FALSE(menu.LoadMenu(IDR_MENUTEST)); // one at a time
    EXPECT_EQ(menu.GetMenuItemCount(), 2);
    EXPECT_EQ(menu.GetSubMenu(2), nullptr);
    CMenu* pXml = menu.GetSubMenu(1);
    ASSERT_NE(pXml, nullptr);
    EXPECT_EQ(menu.GetSubMenu(1), pXml); // the same wrapper each time
    EXPECT_EQ(pXml->GetMenuItemCount(), 5);
    EXPECT_EQ(pXml->GetMenuItemID(0), (UINT)-1); // the Add pop-up
    EXPECT_EQ(pXml->GetMenuItemID(1), (UINT)ID_MT_RENAME);
    EXPECT_EQ(pXml->GetMenuItemID(2), 0u); // separator
    EXPECT_EQ(pXml->GetMenuItemID(9), (UINT)-1);
    CMenu* pAdd = pXml->GetSubMenu(0);
    ASSERT_NE(pAdd, nullptr);
    EXPECT_EQ(pAdd->GetMenuItemID(0), (UINT)ID_MT_NESTED);

    CString text;
    EXPECT_EQ(pXml->GetMenuString(ID_MT_DELETE, text, MF_BYCOMMAND), 7);
    EXPECT_EQ(text, CString(L"D&elete"));
    EXPECT_EQ(pXml->GetMenuState(ID_MT_NOHANDLER, MF_BYCOMMAND), (UINT)MF_GRAYED);
    EXPECT_EQ(pXml->GetMenuState(2, MF_BYPOSITION), (UINT)MF_SEPARATOR);

    // By command reaches into nested pop-ups, also from the whole menu.
    EXPECT_EQ(menu.EnableMenuItem(ID_MT_NESTED, MF_BYCOMMAND | MF_GRAYED), (UINT)MF_ENABLED);
    EXPECT_EQ(pAdd->GetMenuState(ID_MT_NESTED, MF_BYCOMMAND), (UINT)MF_GRAYED);
    EXPECT_EQ(menu.EnableMenuItem(ID_MT_NESTED, MF_BYCOMMAND | MF_ENABLED), (UINT)MF_GRAYED);
    EXPECT_EQ(pXml->CheckMenuItem(1, MF_BYPOSITION | MF_CHECKED), (UINT)MF_UNCHECKED);
    EXPECT_EQ(pXml->GetMenuState(ID_MT_RENAME, MF_BYCOMMAND), (UINT)MF_CHECKED);
    EXPECT_EQ(pXml->CheckMenuItem(ID_MT_RENAME, MF_UNCHECKED), (UINT)MF_CHECKED);
    EXPECT_EQ(pXml->EnableMenuItem(4242, MF_GRAYED), (UINT)-1);

    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    EXPECT_TRUE(popup.AppendMenu(MF_STRING, ID_MT_RENAME, L"Rename"));
    EXPECT_TRUE(popup.AppendMenu(MF_SEPARATOR));
    EXPECT_TRUE(popup.AppendMenu(MF_GRAYED, ID_MT_DELETE, L"Delete"));
    EXPECT_EQ(popup.GetMenuItemCount(), 3);
    EXPECT_EQ(popup.GetMenuState(ID_MT_DELETE, MF_BYCOMMAND), (UINT)MF_GRAYED);
    EXPECT_TRUE(menu.DestroyMenu());
    EXPECT_FALSE(menu.DestroyMenu());
    EXPECT_EQ(menu.GetMenuItemCount(), -1);
}

TEST(Menu, tracked_popup_updates_items_and_returns_or_posts_the_choice)
{
    Registered registered;
    g_log.clear();
    CMenuOwner owner;
    ASSERT_TRUE(
        owner.CreateEx(0, nullptr, L"owner", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr));
    owner.ShowWindow(SW_SHOW);
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_MENUTEST));
    CMenu* pXml = menu.GetSubMenu(1);
    ASSERT_NE(pXml, nullptr);

    // TPM_RETURNCMD: the owner's update handlers ran, the choice comes back, nothing is sent.
    UINT nCmd = 0;
    const PopupItems seen = WatchPopup(
        [&] { nCmd = (UINT)pXml->TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, 10, 10, &owner); },
        [](QMenu* pPopup)
        {
            ActionByText(pPopup, "&Rename\tF2")->trigger();
            pPopup->close();
        });
    EXPECT_EQ(nCmd, (UINT)ID_MT_RENAME);
    EXPECT_EQ(seen.texts, QStringList({"&Add", "&Rename\tF2", "D&elete", "&Nothing"}));
    EXPECT_EQ(seen.enabled, QList<bool>({true, true, false, false}));
    EXPECT_EQ(seen.checked, QList<bool>({false, true, false, false}));
    SpinEvents(10);
    EXPECT_TRUE(g_log.empty());

    // Without it: WM_COMMAND is posted to the owner, also for an item of a nested pop-up.
    BOOL tracked = FALSE;
    WatchPopup([&] { tracked = pXml->TrackPopupMenu(TPM_LEFTALIGN, 10, 10, &owner); },
               [](QMenu* pPopup)
               {
                   ActionByText(pPopup, "&Add")->menu()->actions().front()->trigger();
                   pPopup->close();
               });
    EXPECT_TRUE(tracked);
    EXPECT_TRUE(g_log.empty()); // posted, not sent
    SpinEvents(10);
    EXPECT_EQ(g_log, (std::vector<std::string>{"nested"}));

    // Dismissed: nothing chosen, nothing sent.
    WatchPopup([&] { nCmd = (UINT)pXml->TrackPopupMenu(TPM_RETURNCMD, 10, 10, &owner); });
    EXPECT_EQ(nCmd, 0u);
    EXPECT_FALSE(pXml->TrackPopupMenu(TPM_LEFTALIGN, 10, 10, nullptr)); // no owner
    EXPECT_FALSE(menu.TrackPopupMenu(TPM_LEFTALIGN, 10, 10, &owner));   // a whole menu is no pop-up
    owner.DestroyWindow();
}

TEST(Menu, context_menu_message_names_the_window_under_the_cursor_and_climbs)
{
    CContextParent top;
    ASSERT_TRUE(top.CreateEx(0, nullptr, L"top", WS_OVERLAPPED, 0, 0, 300, 200, nullptr, nullptr));
    CContextParent middle;
    ASSERT_TRUE(
        middle.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 160), &top, 1));
    CWnd leaf; // no handler: the message goes on to its parent
    ASSERT_TRUE(
        leaf.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(5, 5, 105, 55), &middle, 2));
    top.ShowWindow(SW_SHOW);

    const QPoint global = RightClick(leaf.GetWidget(), QPoint(3, 4));
    ASSERT_EQ(middle.m_named.size(), 1u);
    EXPECT_EQ(middle.m_named[0], leaf.GetSafeHwnd());
    EXPECT_EQ(middle.m_points[0], CPoint(global.x(), global.y()));
    EXPECT_TRUE(top.m_named.empty()); // handled, so it stops there

    // Passed on by the handler: the parent hears of it, still naming the leaf.
    middle.m_bPass = TRUE;
    RightClick(leaf.GetWidget(), QPoint(3, 4));
    ASSERT_EQ(top.m_named.size(), 1u);
    EXPECT_EQ(top.m_named[0], leaf.GetSafeHwnd());

    // A click on the middle window itself names that window.
    RightClick(middle.GetWidget(), QPoint(3, 4));
    ASSERT_EQ(top.m_named.size(), 2u);
    EXPECT_EQ(top.m_named[1], middle.GetSafeHwnd());

    // From the keyboard there is no point: -1, -1.
    RightClick(leaf.GetWidget(), QPoint(0, 0), QContextMenuEvent::Keyboard);
    ASSERT_EQ(middle.m_points.size(), 4u);
    EXPECT_EQ(middle.m_points[3], CPoint(-1, -1));
    top.DestroyWindow();
}
