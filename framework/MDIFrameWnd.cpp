#include "velmar/framework/MDIFrameWnd.h"

#include "velmar/framework/CmdUI.h"
#include "velmar/framework/DocTemplate.h"
#include "velmar/framework/Document.h"
#include "velmar/framework/FrameClientArea.h"
#include "velmar/framework/MDIChildWnd.h"
#include "velmar/framework/MenuResource.h"
#include "velmar/framework/WinApp.h"

#include <QAction>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStyle>

#include <algorithm>

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
ON_COMMAND(ID_WINDOW_NEW, &CMDIFrameWnd::OnWindowNew)
ON_COMMAND_EX(ID_WINDOW_ARRANGE, &CMDIFrameWnd::OnMDIWindowCmd)
ON_COMMAND_EX(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnMDIWindowCmd)
ON_COMMAND_EX(ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnMDIWindowCmd)
ON_COMMAND_EX(ID_WINDOW_TILE_VERT, &CMDIFrameWnd::OnMDIWindowCmd)
ON_UPDATE_COMMAND_UI(ID_WINDOW_NEW, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
ON_UPDATE_COMMAND_UI(ID_WINDOW_ARRANGE, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
ON_UPDATE_COMMAND_UI(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_VERT, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
ON_COMMAND_EX_RANGE(AFX_IDM_FIRST_MDICHILD, AFX_IDM_FIRST_MDICHILD + 0xFE,
                    &CMDIFrameWnd::OnActivateWindowFromList)
END_MESSAGE_MAP()

// How many open windows the Window menu lists.
static const int kMaxWindowList = 9;

BOOL CMDIFrameWnd::OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext*)
{
    return CreateClient(lpcs);
}

BOOL CMDIFrameWnd::CreateClient(LPCREATESTRUCT)
{
    auto* pHost = dynamic_cast<CFrameClientArea*>(m_pBarHost);
    if (!pHost || m_pMdiArea)
        return FALSE;
    // The MDI area fills the part of the client area that the control bars leave.
    m_pMdiArea = new QMdiArea(pHost);
    m_pMdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    pHost->SetClientWidget(m_pMdiArea);
    m_pClientArea = m_pMdiArea;
    m_hWndMDIClient = HandleOf(m_pMdiArea);
    HWND hWnd = m_hWnd;
    QObject::connect(m_pMdiArea, &QMdiArea::subWindowActivated, m_pMdiArea,
                     [hWnd](QMdiSubWindow* pSub)
                     {
                         if (auto* pFrame =
                                 DYNAMIC_DOWNCAST(CMDIFrameWnd, CWnd::FromHandlePermanent(hWnd)))
                             pFrame->OnSubWindowActivated(pSub);
                     });
    return TRUE;
}

std::vector<CMDIChildWnd*> CMDIFrameWnd::GetMDIChildren() const
{
    std::vector<CMDIChildWnd*> children;
    if (!m_pMdiArea)
        return children;
    for (QMdiSubWindow* pSub : m_pMdiArea->subWindowList(QMdiArea::CreationOrder))
        if (auto* pChild =
                DYNAMIC_DOWNCAST(CMDIChildWnd, CWnd::FromHandlePermanent(HandleOf(pSub))))
            children.push_back(pChild);
    return children;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* pbMaximized) const
{
    if (pbMaximized)
        *pbMaximized = m_pActiveChild && m_pActiveChild->IsZoomed();
    return m_pActiveChild;
}

void CMDIFrameWnd::SwitchActiveChild(CMDIChildWnd* pNew)
{
    CMDIChildWnd* pOld = m_pActiveChild;
    if (pOld == pNew)
        return;
    m_pActiveChild = pNew;
    HWND hOld = pOld ? pOld->m_hWnd : nullptr;
    HWND hNew = pNew ? pNew->m_hWnd : nullptr;
    // The window losing activation hears of it first, then the one gaining it.
    if (pOld && pOld->m_hWnd)
        pOld->SendMessage(WM_MDIACTIVATE, (WPARAM)hOld, (LPARAM)hNew);
    if (pNew && m_pActiveChild == pNew)
        pNew->SendMessage(WM_MDIACTIVATE, (WPARAM)hOld, (LPARAM)hNew);
    if (!m_pActiveChild)
        OnUpdateFrameMenu(nullptr);
    OnUpdateFrameTitle(TRUE);
}

void CMDIFrameWnd::OnSubWindowActivated(QMdiSubWindow* pSub)
{
    // Null means only that the application lost the focus; the active document stays.
    if (!pSub || m_bInActivation)
        return;
    auto* pChild = DYNAMIC_DOWNCAST(CMDIChildWnd, CWnd::FromHandlePermanent(HandleOf(pSub)));
    if (!pChild)
        return;
    m_bInActivation = TRUE;
    SwitchActiveChild(pChild);
    m_bInActivation = FALSE;
}

void CMDIFrameWnd::MDIActivate(CWnd* pWndActivate)
{
    auto* pChild = DYNAMIC_DOWNCAST(CMDIChildWnd, pWndActivate);
    if (!pChild || !m_pMdiArea)
        return;
    m_bInActivation = TRUE;
    if (auto* pSub = qobject_cast<QMdiSubWindow*>(pChild->GetWidget()))
        m_pMdiArea->setActiveSubWindow(pSub);
    SwitchActiveChild(pChild);
    m_bInActivation = FALSE;
}

void CMDIFrameWnd::OnChildDestroying(CMDIChildWnd* pChild)
{
    if (pChild != m_pActiveChild)
        return;
    if (m_bDestroying)
    { // the whole frame goes: no window takes over
        m_pActiveChild = nullptr;
        return;
    }
    // The next window in activation history takes over, as Windows does.
    CMDIChildWnd* pNext = nullptr;
    if (m_pMdiArea)
    {
        const auto list = m_pMdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
        for (auto it = list.rbegin(); it != list.rend() && !pNext; ++it)
        {
            auto* p = DYNAMIC_DOWNCAST(CMDIChildWnd, CWnd::FromHandlePermanent(HandleOf(*it)));
            if (p && p != pChild)
                pNext = p;
        }
    }
    m_bInActivation = TRUE;
    if (pNext)
        if (auto* pSub = qobject_cast<QMdiSubWindow*>(pNext->GetWidget()))
            m_pMdiArea->setActiveSubWindow(pSub);
    SwitchActiveChild(pNext);
    m_bInActivation = FALSE;
}

void CMDIFrameWnd::MDICascade()
{
    if (!m_pMdiArea)
        return;
    // Each window one title bar below and to the right of the one before,
    // all of the same size and all inside the client area; when there are
    // more than the area has room for, the steps start again at the corner.
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* pSub : m_pMdiArea->subWindowList(QMdiArea::StackingOrder))
        if (pSub->isVisible() && !pSub->isMinimized())
            windows.push_back(pSub);
    if (windows.empty())
        return;
    const QSize area = m_pMdiArea->viewport()->size();
    const int step = std::max(windows.front()->style()->pixelMetric(QStyle::PM_TitleBarHeight), 8);
    const QSize least(std::min(area.width(), 300), std::min(area.height(), 200));
    const int fits = 1 + std::max(0, std::min((area.width() - least.width()) / step,
                                              (area.height() - least.height()) / step));
    const int steps = std::min(static_cast<int>(windows.size()), fits) - 1;
    const QSize size(area.width() - steps * step, area.height() - steps * step);
    for (size_t i = 0; i < windows.size(); ++i)
    {
        const int offset = static_cast<int>(i % static_cast<size_t>(steps + 1)) * step;
        windows[i]->showNormal();
        windows[i]->setGeometry(offset, offset, size.width(), size.height());
        windows[i]->raise();
    }
    if (QMdiSubWindow* pActive = m_pMdiArea->activeSubWindow())
        pActive->raise();
}

void CMDIFrameWnd::MDITile(int)
{
    if (m_pMdiArea)
        m_pMdiArea->tileSubWindows();
}

void CMDIFrameWnd::MDIIconArrange()
{
    if (!m_pMdiArea)
        return;
    // Minimized windows in a row along the bottom edge, wrapping upwards.
    int x = 0, y = -1;
    int areaWidth = m_pMdiArea->viewport()->width(), areaHeight = m_pMdiArea->viewport()->height();
    for (QMdiSubWindow* pSub : m_pMdiArea->subWindowList(QMdiArea::CreationOrder))
    {
        if (!pSub->isMinimized())
            continue;
        QSize size = pSub->size();
        if (y < 0)
            y = areaHeight - size.height();
        if (x > 0 && x + size.width() > areaWidth)
        {
            x = 0;
            y -= size.height();
        }
        pSub->move(x, y);
        x += size.width();
    }
}

void CMDIFrameWnd::MDIMaximize(CWnd* pWnd)
{
    if (pWnd && pWnd->GetWidget())
        pWnd->GetWidget()->showMaximized();
    OnUpdateFrameTitle(TRUE);
}

void CMDIFrameWnd::MDIRestore(CWnd* pWnd)
{
    if (pWnd && pWnd->GetWidget())
        pWnd->GetWidget()->showNormal();
    OnUpdateFrameTitle(TRUE);
}

void CMDIFrameWnd::MDINext()
{
    if (m_pMdiArea)
        m_pMdiArea->activateNextSubWindow();
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame()
{
    CMDIChildWnd* pActive = MDIGetActive();
    return pActive ? static_cast<CFrameWnd*>(pActive) : this;
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    // The active document window (its view, document, template, then itself) comes first.
    if (CMDIChildWnd* pActive = MDIGetActive())
        if (pActive->OnCmdMsgViewAndSelf(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CMDIFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if ((GetStyle() & FWS_ADDTOTITLE) == 0)
        return;
    BOOL bMaximized = FALSE;
    CMDIChildWnd* pChild = MDIGetActive(&bMaximized);
    CDocument* pDoc = pChild ? pChild->GetActiveDocument() : nullptr;
    if (bAddToTitle && pDoc && bMaximized)
    {
        // A maximized document window shares the main caption, as Windows shows it.
        CString text = m_strTitle + L" - [" + pChild->GetWindowText() + L"]";
        if (GetWindowText() != text)
            SetWindowText(text);
    }
    else if (bAddToTitle && pDoc)
    {
        UpdateFrameTitleForDocument(pDoc->GetTitle());
    }
    else
    {
        UpdateFrameTitleForDocument(nullptr);
    }
}

void CMDIFrameWnd::OnInitMenuPopup(QMenu* pPopupMenu)
{
    bool bWindowMenu = false;
    for (QAction* a : pPopupMenu->actions())
    {
        UINT nID = AfxGetActionID(a);
        if (nID >= AFX_IDM_WINDOW_FIRST && nID <= AFX_IDM_WINDOW_LAST &&
            !a->property("afxDynamic").toBool())
            bWindowMenu = true;
    }
    if (bWindowMenu)
    {
        // The list of open windows follows the Window menu's own items.
        for (QAction* a : pPopupMenu->actions())
            if (a->property("afxWindowList").toBool())
                delete a;
        std::vector<CMDIChildWnd*> children = GetMDIChildren();
        if (!children.empty())
        {
            QAction* pSep = pPopupMenu->addSeparator();
            pSep->setProperty("afxWindowList", true);
            int n = 0;
            for (CMDIChildWnd* pChild : children)
            {
                if (n == kMaxWindowList)
                    break;
                CString caption = pChild->GetWindowText();
                caption.Replace(L"&", L"&&");
                CString text;
                text.Format(L"&%d %ls", n + 1, caption.GetString());
                QAction* pAction =
                    AfxInsertMenuItem(pPopupMenu, nullptr, AFX_IDM_FIRST_MDICHILD + (UINT)n, text);
                pAction->setProperty("afxWindowList", true);
                pAction->setProperty("afxDynamic", true);
                pAction->setCheckable(true);
                pAction->setChecked(pChild == m_pActiveChild);
                ++n;
            }
        }
    }
    CFrameWnd::OnInitMenuPopup(pPopupMenu);
}

void CMDIFrameWnd::OnWindowNew()
{
    CMDIChildWnd* pActiveChild = MDIGetActive();
    CDocument* pDocument = pActiveChild ? pActiveChild->GetActiveDocument() : nullptr;
    CDocTemplate* pTemplate = pDocument ? pDocument->GetDocTemplate() : nullptr;
    CFrameWnd* pFrame = pTemplate ? pTemplate->CreateNewFrame(pDocument, pActiveChild) : nullptr;
    if (!pFrame)
    {
        AfxMessageBox(AFX_IDP_COMMAND_FAILURE);
        return;
    }
    pTemplate->InitialUpdateFrame(pFrame, pDocument);
}

BOOL CMDIFrameWnd::OnMDIWindowCmd(UINT nID)
{
    switch (nID)
    {
    case ID_WINDOW_ARRANGE:
        MDIIconArrange();
        return TRUE;
    case ID_WINDOW_CASCADE:
        MDICascade();
        return TRUE;
    case ID_WINDOW_TILE_HORZ:
        MDITile(MDITILE_HORIZONTAL);
        return TRUE;
    case ID_WINDOW_TILE_VERT:
        MDITile(MDITILE_VERTICAL);
        return TRUE;
    default:
        return FALSE;
    }
}

void CMDIFrameWnd::OnUpdateMDIWindowCmd(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(MDIGetActive() != nullptr);
}

BOOL CMDIFrameWnd::OnActivateWindowFromList(UINT nID)
{
    std::vector<CMDIChildWnd*> children = GetMDIChildren();
    size_t index = nID - AFX_IDM_FIRST_MDICHILD;
    if (index >= children.size())
        return FALSE;
    CMDIChildWnd* pChild = children[index];
    if (pChild->IsIconic())
        MDIRestore(pChild);
    MDIActivate(pChild);
    return TRUE;
}
