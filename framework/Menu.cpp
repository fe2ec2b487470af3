#include "velmar/framework/Menu.h"

#include "velmar/framework/CmdUI.h"
#include "velmar/framework/FrameWnd.h"
#include "velmar/framework/Wnd.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

#include <memory>
#include <unordered_map>
#include <vector>

// Wrappers handed out by GetSubMenu and FromHandle: one per pop-up or built
// menu, dropped when the Qt menu goes (pop-ups) or on DestroyMenu (whole menus).
class CMenuTemporaries
{
public:
    static CMenu* ForPopup(HMENU hMenu, QMenu* pPopup)
    {
        auto& map = Popups();
        auto it = map.find(pPopup);
        if (it != map.end())
            return it->second.get();
        auto pMenu = std::make_unique<CMenu>();
        pMenu->m_hMenu = hMenu;
        pMenu->m_pPopup = pPopup;
        QObject::connect(pPopup, &QObject::destroyed, [pPopup]() { Popups().erase(pPopup); });
        return map.emplace(pPopup, std::move(pMenu)).first->second.get();
    }

    static CMenu* ForMenu(HMENU hMenu)
    {
        auto& map = Menus();
        auto it = map.find(hMenu);
        if (it != map.end())
            return it->second.get();
        auto pMenu = std::make_unique<CMenu>();
        pMenu->m_hMenu = hMenu;
        return map.emplace(hMenu, std::move(pMenu)).first->second.get();
    }

    static void Forget(HMENU hMenu) { Menus().erase(hMenu); }

private:
    static std::unordered_map<QMenu*, std::unique_ptr<CMenu>>& Popups()
    {
        static std::unordered_map<QMenu*, std::unique_ptr<CMenu>> map;
        return map;
    }
    static std::unordered_map<HMENU, std::unique_ptr<CMenu>>& Menus()
    {
        static std::unordered_map<HMENU, std::unique_ptr<CMenu>> map;
        return map;
    }
};

namespace
{

// The action of an item by command (searched depth first) or by position.
QAction* FindItem(HMENU hMenu, QMenu* pPopup, UINT nID, UINT nFlags)
{
    if (nFlags & MF_BYPOSITION)
    {
        if (pPopup)
        {
            const QList<QAction*> actions = pPopup->actions();
            return nID < (UINT)actions.size() ? actions[(int)nID] : nullptr;
        }
        return hMenu && nID < hMenu->popups.size() ? hMenu->popups[nID]->menuAction() : nullptr;
    }
    std::vector<QMenu*> stack;
    if (pPopup)
        stack.push_back(pPopup);
    else if (hMenu)
        stack.assign(hMenu->popups.rbegin(), hMenu->popups.rend());
    while (!stack.empty())
    {
        QMenu* pMenu = stack.back();
        stack.pop_back();
        const QList<QAction*> actions = pMenu->actions();
        for (auto it = actions.rbegin(); it != actions.rend(); ++it)
            if ((*it)->menu())
                stack.push_back((*it)->menu());
        for (QAction* a : actions)
            if (!a->menu() && !a->isSeparator() && AfxGetActionID(a) == nID)
                return a;
    }
    return nullptr;
}

UINT StateOf(const QAction* a)
{
    UINT state = 0;
    if (a->isSeparator())
        state |= MF_SEPARATOR;
    if (a->menu())
        state |= MF_POPUP;
    if (!a->isEnabled())
        state |= MF_GRAYED;
    if (a->isCheckable() && a->isChecked())
        state |= MF_CHECKED;
    return state;
}

// This pop-up and every pop-up inside it.
std::vector<QMenu*> PopupTree(QMenu* pRoot)
{
    std::vector<QMenu*> result;
    std::vector<QMenu*> stack{pRoot};
    while (!stack.empty())
    {
        QMenu* pMenu = stack.back();
        stack.pop_back();
        result.push_back(pMenu);
        for (QAction* a : pMenu->actions())
            if (a->menu())
                stack.push_back(a->menu());
    }
    return result;
}

// WM_INITMENUPOPUP as the owner sees it: a frame runs its update pass (which may
// disable items nobody handles); any other window asks its own routing and
// leaves unanswered items as they are.
void InitPopup(HWND hOwner, QMenu* pPopup)
{
    CWnd* pOwner = CWnd::FromHandlePermanent(hOwner);
    if (!pOwner)
        return;
    if (auto* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, pOwner))
    {
        pFrame->OnInitMenuPopup(pPopup);
        return;
    }
    std::vector<QPointer<QAction>> actions;
    for (QAction* a : pPopup->actions())
        actions.emplace_back(a);
    CCmdUI state;
    state.m_pMenu = pPopup;
    state.m_nIndexMax = (UINT)actions.size();
    for (size_t i = 0; i < actions.size(); ++i)
    {
        QAction* a = actions[i];
        if (!a || a->isSeparator() || a->menu() || AfxGetActionID(a) == 0)
            continue;
        state.m_nIndex = (UINT)i;
        state.m_nID = AfxGetActionID(a);
        state.m_pAction = a;
        state.DoUpdate(pOwner, FALSE);
    }
}

} // namespace

CMenu::~CMenu()
{
    DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU hMenu)
{
    return hMenu ? CMenuTemporaries::ForMenu(hMenu) : nullptr;
}

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    if (m_hMenu)
        return FALSE;
    m_hMenu = AfxLoadMenu(nIDResource);
    m_bOwns = m_hMenu != nullptr;
    return m_bOwns;
}

BOOL CMenu::CreatePopupMenu()
{
    if (m_hMenu)
        return FALSE;
    m_hMenu = new HMENU__;
    m_pPopup = new QMenu;
    m_hMenu->popups.push_back(m_pPopup);
    m_bOwns = TRUE;
    return TRUE;
}

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu)
        return FALSE;
    HMENU hMenu = m_hMenu;
    BOOL bOwned = m_bOwns;
    m_hMenu = nullptr;
    m_pPopup = nullptr;
    m_bOwns = FALSE;
    if (bOwned)
    {
        CMenuTemporaries::Forget(hMenu);
        AfxDestroyMenu(hMenu); // the pop-ups go, and their wrappers with them
    }
    return TRUE;
}

BOOL CMenu::Attach(HMENU hMenu)
{
    if (m_hMenu || !hMenu)
        return FALSE;
    m_hMenu = hMenu;
    m_pPopup = nullptr;
    m_bOwns = TRUE;
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU hMenu = m_hMenu;
    m_hMenu = nullptr;
    m_pPopup = nullptr;
    m_bOwns = FALSE;
    return hMenu;
}

int CMenu::GetMenuItemCount() const
{
    if (m_pPopup)
        return (int)m_pPopup->actions().size();
    return m_hMenu ? (int)m_hMenu->popups.size() : -1;
}

UINT CMenu::GetMenuItemID(int nPos) const
{
    if (nPos < 0)
        return (UINT)-1;
    QAction* a = FindItem(m_hMenu, m_pPopup, (UINT)nPos, MF_BYPOSITION);
    if (!a || a->menu())
        return (UINT)-1;
    return a->isSeparator() ? 0 : AfxGetActionID(a);
}

CMenu* CMenu::GetSubMenu(int nPos) const
{
    if (nPos < 0)
        return nullptr;
    QAction* a = FindItem(m_hMenu, m_pPopup, (UINT)nPos, MF_BYPOSITION);
    return a && a->menu() ? CMenuTemporaries::ForPopup(m_hMenu, a->menu()) : nullptr;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    QAction* a = FindItem(m_hMenu, m_pPopup, nIDItem, nFlags);
    if (!a || a->isSeparator())
    {
        rString.Empty();
        return 0;
    }
    QString text = a->menu() ? a->menu()->title() : a->text();
    // The key text shown beside the item was "\t..." in the resource.
    if (!a->shortcut().isEmpty() && !a->menu())
        text += QLatin1Char('\t') + a->shortcut().toString(QKeySequence::NativeText);
    rString = AfxFromQString(text);
    return rString.GetLength();
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const
{
    QAction* a = FindItem(m_hMenu, m_pPopup, nID, nFlags);
    return a ? StateOf(a) : (UINT)-1;
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable)
{
    QAction* a = FindItem(m_hMenu, m_pPopup, nIDEnableItem, nEnable);
    if (!a)
        return (UINT)-1;
    UINT previous = a->isEnabled() ? MF_ENABLED : MF_GRAYED;
    a->setEnabled(!(nEnable & (MF_GRAYED | MF_DISABLED)));
    return previous;
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck)
{
    QAction* a = FindItem(m_hMenu, m_pPopup, nIDCheckItem, nCheck);
    if (!a)
        return (UINT)-1;
    UINT previous = (a->isCheckable() && a->isChecked()) ? MF_CHECKED : MF_UNCHECKED;
    a->setCheckable(true);
    a->setChecked((nCheck & MF_CHECKED) != 0);
    return previous;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCWSTR lpszNewItem)
{
    if (!m_pPopup || (nFlags & MF_POPUP))
        return FALSE;
    if (nFlags & MF_SEPARATOR)
    {
        m_pPopup->addSeparator();
        return TRUE;
    }
    QAction* a =
        AfxInsertMenuItem(m_pPopup, nullptr, (UINT)nIDNewItem, lpszNewItem ? lpszNewItem : L"");
    if (nFlags & (MF_GRAYED | MF_DISABLED))
        a->setEnabled(false);
    if (nFlags & MF_CHECKED)
    {
        a->setCheckable(true);
        a->setChecked(true);
    }
    return TRUE;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT)
{
    if (!m_pPopup || !pWnd || !pWnd->GetSafeHwnd())
        return FALSE;
    QPointer<QMenu> pPopup = m_pPopup;
    HWND hOwner = pWnd->GetSafeHwnd();
    HMENU hMenu = m_hMenu;
    // While tracked, the built menu's own wiring stays quiet: the choice is taken
    // here, so that it can be returned instead of sent.
    HWND hSavedOwner = hMenu ? hMenu->hWndOwner : nullptr;
    if (hMenu)
        hMenu->hWndOwner = nullptr;

    QPointer<QAction> chosen;
    std::vector<QMetaObject::Connection> connections;
    for (QMenu* pMenu : PopupTree(pPopup))
    {
        if (!(nFlags & TPM_NONOTIFY))
        {
            connections.push_back(QObject::connect(pMenu, &QMenu::aboutToShow, pMenu,
                                                   [hOwner, pMenu]()
                                                   { InitPopup(hOwner, pMenu); }));
            connections.push_back(QObject::connect(
                pMenu, &QMenu::hovered, pMenu,
                [hOwner](QAction* a)
                {
                    if (auto* pFrame =
                            DYNAMIC_DOWNCAST(CFrameWnd, CWnd::FromHandlePermanent(hOwner)))
                        pFrame->OnMenuSelect(AfxGetActionID(a));
                }));
        }
        connections.push_back(QObject::connect(pMenu, &QMenu::triggered, pMenu,
                                               [&chosen](QAction* a)
                                               {
                                                   if (!chosen)
                                                       chosen = a;
                                               }));
    }

    // Alignment against the point, by the size the menu will have.
    QSize size = pPopup->sizeHint();
    QPoint pos(x, y);
    if (nFlags & TPM_RIGHTALIGN)
        pos.rx() -= size.width();
    else if (nFlags & TPM_CENTERALIGN)
        pos.rx() -= size.width() / 2;
    if (nFlags & TPM_BOTTOMALIGN)
        pos.ry() -= size.height();
    else if (nFlags & TPM_VCENTERALIGN)
        pos.ry() -= size.height() / 2;
    QAction* pResult = pPopup->exec(pos);
    if (!chosen && pResult)
        chosen = pResult;

    for (const QMetaObject::Connection& c : connections)
        QObject::disconnect(c);
    if (hMenu && pPopup)
        hMenu->hWndOwner = hSavedOwner;

    UINT nID = chosen ? AfxGetActionID(chosen) : 0;
    if (nFlags & TPM_RETURNCMD)
        return (BOOL)nID;
    if (nID != 0)
        if (CWnd* pOwner = CWnd::FromHandlePermanent(hOwner))
            pOwner->PostMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0);
    return TRUE;
}
