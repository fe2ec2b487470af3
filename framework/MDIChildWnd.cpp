#include "velmar/framework/MDIChildWnd.h"

#include "velmar/framework/DocTemplate.h"
#include "velmar/framework/Document.h"
#include "velmar/framework/FrameClientArea.h"
#include "velmar/framework/MDIFrameWnd.h"
#include "velmar/framework/MenuResource.h"
#include "velmar/framework/View.h"
#include "velmar/framework/WinApp.h"

#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>

#include <algorithm>

IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

// Property of the MDI area: whether the last document window to close was maximized.
static const char kLastMaximized[] = "velmarLastChildMaximized";

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
ON_WM_MDIACTIVATE()
ON_WM_DESTROY()
ON_MESSAGE(WM_SETTEXT, &CMDIChildWnd::OnSetText)
END_MESSAGE_MAP()

QWidget* CMDIChildWnd::CreateWidget(const CREATESTRUCT& cs, QWidget*)
{
    auto* pFrame = DYNAMIC_DOWNCAST(CMDIFrameWnd, CWnd::FromHandlePermanent(cs.hwndParent));
    QMdiArea* pArea = pFrame ? pFrame->GetMDIArea() : nullptr;
    if (!pArea)
        return nullptr;
    auto* pSub = new QMdiSubWindow;
    pSub->setAttribute(Qt::WA_DeleteOnClose, false);
    auto* pClient = new CFrameClientArea(pSub);
    pSub->setWidget(pClient);
    m_pClientArea = pClient;
    m_pBarHost = pClient;
    pArea->addSubWindow(pSub);
    if (cs.cx > 0 && cs.cy > 0 && cs.cx != CW_USEDEFAULT)
        pSub->resize(cs.cx, cs.cy);
    else
    {
        // The whole client area, as far as it is known yet.
        const QSize area = pArea->viewport()->size();
        pSub->resize(std::max(area.width(), 400), std::max(area.height(), 300));
        pSub->move(0, 0);
    }
    pSub->hide(); // shown by ActivateFrame once the views are ready
    return pSub;
}

BOOL CMDIChildWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                          const RECT& rect, CMDIFrameWnd* pParentWnd, CCreateContext* pContext)
{
    if (!pParentWnd)
        pParentWnd = DYNAMIC_DOWNCAST(CMDIFrameWnd, AfxGetMainWnd());
    if (!pParentWnd)
        return FALSE;
    m_strTitle = lpszWindowName;
    bool bDefault = CRect(rect) == rectDefault;
    int cx = bDefault ? CW_USEDEFAULT : rect.right - rect.left,
        cy = bDefault ? CW_USEDEFAULT : rect.bottom - rect.top;
    // Created hidden: WS_VISIBLE would show an empty window before its views exist.
    return CreateEx(0, lpszClassName, lpszWindowName, (dwStyle | WS_CHILD) & ~WS_VISIBLE,
                    CW_USEDEFAULT, CW_USEDEFAULT, cx, cy, pParentWnd->m_hWnd, nullptr, pContext);
}

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                             CCreateContext* pContext)
{
    CString strFull;
    if (strFull.LoadString(nIDResource))
        AfxExtractSubString(m_strTitle, strFull, 0);
    if (pContext)
        if (auto* pTemplate = DYNAMIC_DOWNCAST(CMultiDocTemplate, pContext->m_pNewDocTemplate))
        {
            m_hMenuShared = pTemplate->m_hMenuShared;
            m_hAccelShared = pTemplate->m_hAccelTable;
        }
    CString title = m_strTitle;
    if (!Create(nullptr, title, dwDefaultStyle, rectDefault,
                DYNAMIC_DOWNCAST(CMDIFrameWnd, pParentWnd), pContext))
        return FALSE;
    if (const AFX_ICON_RESOURCE* pIcon = AfxFindIconResource(nIDResource))
    {
        QPixmap pixmap;
        if (pixmap.loadFromData(pIcon->pData, (uint)pIcon->nSize))
            GetWidget()->setWindowIcon(QIcon(pixmap));
    }
    if (m_hAccelShared)
        InstallAccelerators(m_hAccelShared);
    return TRUE;
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const
{
    return DYNAMIC_DOWNCAST(CMDIFrameWnd, GetParent());
}

void CMDIChildWnd::MDIActivate()
{
    if (CMDIFrameWnd* pFrame = GetMDIFrame())
        pFrame->MDIActivate(this);
}

void CMDIChildWnd::MDIMaximize()
{
    if (CMDIFrameWnd* pFrame = GetMDIFrame())
        pFrame->MDIMaximize(this);
}

void CMDIChildWnd::MDIRestore()
{
    if (CMDIFrameWnd* pFrame = GetMDIFrame())
        pFrame->MDIRestore(this);
}

void CMDIChildWnd::ActivateFrame(int nCmdShow)
{
    CMDIFrameWnd* pFrame = GetMDIFrame();
    if (nCmdShow == -1)
    {
        // A new window opens maximized when the active one is.
        BOOL bMaximized = FALSE;
        CMDIChildWnd* pActive = pFrame ? pFrame->MDIGetActive(&bMaximized) : nullptr;
        // With no other window, the way the last one was left decides.
        if (!pActive || pActive == this)
            bMaximized = pFrame && pFrame->GetMDIArea() &&
                         pFrame->GetMDIArea()->property(kLastMaximized).toBool();
        if (!IsWindowVisible())
            nCmdShow = bMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
        else if (IsIconic())
            nCmdShow = SW_RESTORE;
    }
    if (QWidget* pWidget = GetWidget())
    {
        switch (nCmdShow)
        {
        case -1:
            break;
        case SW_HIDE:
            pWidget->hide();
            break;
        case SW_SHOWMAXIMIZED:
            pWidget->showMaximized();
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
            pWidget->showMinimized();
            break;
        case SW_RESTORE:
        case SW_SHOWNORMAL:
            pWidget->showNormal();
            break;
        default:
            pWidget->show();
            break;
        }
    }
    if (pFrame && nCmdShow != SW_HIDE)
        pFrame->MDIActivate(this);
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    CMDIFrameWnd* pFrame = GetMDIFrame();
    if ((GetStyle() & FWS_ADDTOTITLE) != 0)
    {
        CDocument* pDoc = GetActiveDocument();
        CString text;
        if (bAddToTitle && pDoc)
        {
            text = pDoc->GetTitle();
            if (m_nWindow > 0)
            {
                CString num;
                num.Format(L":%d", m_nWindow);
                text += num;
            }
        }
        else
        {
            text = m_strTitle;
        }
        if (GetWindowText() != text)
            SetWindowText(text);
    }
    if (pFrame)
        pFrame->OnUpdateFrameTitle(bAddToTitle);
}

LRESULT CMDIChildWnd::OnSetText(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DefWindowProc(WM_SETTEXT, wParam, lParam);
    // A maximized window's caption is part of the main caption.
    CMDIFrameWnd* pFrame = GetMDIFrame();
    if (pFrame && pFrame->MDIGetActive() == this && IsZoomed())
        pFrame->OnUpdateFrameTitle(TRUE);
    return result;
}

void CMDIChildWnd::OnUpdateFrameMenu(BOOL bActivate, CWnd* pActivateWnd, HMENU hMenuAlt)
{
    CMDIFrameWnd* pFrame = GetMDIFrame();
    if (!pFrame)
        return;
    if (!hMenuAlt)
        hMenuAlt = m_hMenuShared;
    if (bActivate && hMenuAlt)
        pFrame->SetMenu(hMenuAlt);
    else if (!bActivate && !pActivateWnd)
        pFrame->OnUpdateFrameMenu(nullptr); // the last document window: back to the main menu
}

void CMDIChildWnd::OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd*)
{
    CView* pActiveView = GetActiveView();
    if (!bActivate && pActiveView)
        pActiveView->OnActivateView(FALSE, pActiveView, pActiveView);
    OnUpdateFrameTitle(bActivate || pActivateWnd != nullptr);
    if (bActivate && pActiveView)
        pActiveView->OnActivateView(TRUE, pActiveView, pActiveView);
    OnUpdateFrameMenu(bActivate, pActivateWnd, nullptr);
}

void CMDIChildWnd::OnDestroy()
{
    CMDIFrameWnd* pFrame = GetMDIFrame();
    if (QMdiArea* pArea = pFrame ? pFrame->GetMDIArea() : nullptr; pArea && GetWidget())
        pArea->setProperty(kLastMaximized, GetWidget()->isMaximized());
    if (pFrame)
        pFrame->OnChildDestroying(this);
    CFrameWnd::OnDestroy();
}

CWnd* CMDIChildWnd::GetMessageBar()
{
    CMDIFrameWnd* pFrame = GetMDIFrame();
    return pFrame ? pFrame->GetMessageBar() : nullptr;
}
