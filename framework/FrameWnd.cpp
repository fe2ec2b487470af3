#include "velmar/framework/FrameWnd.h"

#include "velmar/framework/FrameClientArea.h"
#include "velmar/framework/KeyLockState.h"

#include "velmar/framework/CmdUI.h"
#include "velmar/framework/ControlBar.h"
#include "velmar/framework/Document.h"
#include "velmar/framework/DropFiles.h"
#include "velmar/framework/MenuResource.h"
#include "velmar/framework/View.h"
#include "velmar/framework/WinApp.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <vector>

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
ON_WM_CLOSE()
ON_WM_DROPFILES()
ON_MESSAGE(WM_SETMESSAGESTRING, &CFrameWnd::OnSetMessageString)
ON_MESSAGE(WM_IDLEUPDATECMDUI, &CFrameWnd::OnIdleUpdateCmdUI)
ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateControlBarMenu)
ON_COMMAND_EX(ID_VIEW_STATUS_BAR, &CFrameWnd::OnBarCheck)
ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, &CFrameWnd::OnUpdateControlBarMenu)
ON_COMMAND_EX(ID_VIEW_TOOLBAR, &CFrameWnd::OnBarCheck)
ON_UPDATE_COMMAND_UI(ID_VIEW_REBAR, &CFrameWnd::OnUpdateControlBarMenu)
ON_COMMAND_EX(ID_VIEW_REBAR, &CFrameWnd::OnBarCheck)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, &CFrameWnd::OnUpdateKeyIndicator)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, &CFrameWnd::OnUpdateKeyIndicator)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, &CFrameWnd::OnUpdateKeyIndicator)
END_MESSAGE_MAP()

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd()
{
    if (m_hMenuShown == m_hMenuDefault)
        m_hMenuShown = nullptr;
    AfxDestroyMenu(m_hMenuDefault);
}

void CFrameWnd::PostNcDestroy()
{
    delete this;
}

QWidget* CFrameWnd::CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget)
{
    auto* pMain = new QMainWindow((cs.style & WS_CHILD) ? pParentWidget : nullptr);
    auto* pClient = new CFrameClientArea(pMain);
    pMain->setCentralWidget(pClient);
    m_pClientArea = pClient;
    m_pBarHost = pClient;
    if (cs.cx == CW_USEDEFAULT || cs.cy == CW_USEDEFAULT || cs.cx <= 0 || cs.cy <= 0)
    {
        if (QScreen* pScreen = QGuiApplication::primaryScreen())
        {
            QRect area = pScreen->availableGeometry();
            pMain->resize(area.width() * 3 / 4, area.height() * 3 / 4);
        }
    }
    return pMain;
}

QWidget* CFrameWnd::GetChildParentWidget() const
{
    return m_pClientArea ? m_pClientArea : GetWidget();
}

BOOL CFrameWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                       const RECT& rect, CWnd* pParentWnd, UINT nIDMenu, DWORD dwExStyle,
                       CCreateContext* pContext)
{
    if (nIDMenu && !m_hMenuDefault)
        m_hMenuDefault = AfxLoadMenu(nIDMenu);
    m_strTitle = lpszWindowName;
    bool bDefault = CRect(rect) == rectDefault;
    int x = bDefault ? CW_USEDEFAULT : rect.left, y = bDefault ? CW_USEDEFAULT : rect.top;
    int cx = bDefault ? CW_USEDEFAULT : rect.right - rect.left,
        cy = bDefault ? CW_USEDEFAULT : rect.bottom - rect.top;
    if (!CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, cx, cy,
                  pParentWnd ? pParentWnd->m_hWnd : nullptr, nullptr, pContext))
        return FALSE;
    if (m_hMenuDefault && !m_hMenuShown)
        SetMenu(m_hMenuDefault);
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                          CCreateContext* pContext)
{
    CString strFull;
    if (strFull.LoadString(nIDResource))
        AfxExtractSubString(m_strTitle, strFull, 0);
    CString title = m_strTitle;
    if (!Create(nullptr, title, dwDefaultStyle, rectDefault, pParentWnd, nIDResource, 0, pContext))
        return FALSE;
    if (const AFX_ICON_RESOURCE* pIcon = AfxFindIconResource(nIDResource))
    {
        QPixmap pixmap;
        if (pixmap.loadFromData(pIcon->pData, (uint)pIcon->nSize))
            GetWidget()->setWindowIcon(QIcon(pixmap));
    }
    LoadAccelTable(nIDResource);
    if (!pContext)
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs)
{
    return OnCreateHelper(lpcs, static_cast<CCreateContext*>(lpcs->lpCreateParams)) ? 0 : -1;
}

BOOL CFrameWnd::OnCreateHelper(LPCREATESTRUCT lpcs, CCreateContext* pContext)
{
    if (CWnd::OnCreate(lpcs) == -1)
        return FALSE;
    if (!OnCreateClient(lpcs, pContext))
        return FALSE;
    // Posted: the status bar is made by the derived OnCreate after this returns.
    PostMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
    RecalcLayout();
    return TRUE;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (pContext && pContext->m_pNewViewClass)
        return CreateView(pContext, AFX_IDW_PANE_FIRST) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID)
{
    if (!pContext || !pContext->m_pNewViewClass)
        return nullptr;
    CObject* pObject = pContext->m_pNewViewClass->CreateObject();
    CWnd* pView = DYNAMIC_DOWNCAST(CWnd, pObject);
    if (!pView)
    {
        delete pObject;
        return nullptr;
    }
    // On failure Create has already let the view delete itself.
    if (!pView->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 0, 0), this, nID,
                       pContext))
        return nullptr;
    RecalcLayout();
    return pView;
}

CView* CFrameWnd::GetActiveView() const
{
    return m_pViewActive;
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify)
{
    CView* pViewOld = m_pViewActive;
    if (pViewNew == pViewOld)
        return;
    m_pViewActive = nullptr;
    if (bNotify && pViewOld)
        pViewOld->OnActivateView(FALSE, pViewNew, pViewOld);
    m_pViewActive = pViewNew;
    if (bNotify && pViewNew)
        pViewNew->OnActivateView(TRUE, pViewNew, pViewOld);
}

CDocument* CFrameWnd::GetActiveDocument()
{
    CView* pView = GetActiveView();
    return pView ? pView->GetDocument() : nullptr;
}

CFrameWnd* CFrameWnd::GetActiveFrame()
{
    return this;
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible)
{
    CView* pView = nullptr;
    if (!GetActiveView())
    {
        pView = DYNAMIC_DOWNCAST(CView, GetDescendantWindow(AFX_IDW_PANE_FIRST, TRUE));
        if (pView)
            SetActiveView(pView, FALSE);
    }
    if (bMakeVisible)
    {
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
        ActivateFrame();
        if (pView)
            pView->OnActivateView(TRUE, pView, pView);
    }
    if (pDoc)
        pDoc->UpdateFrameCounts();
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    if (nCmdShow == -1)
    {
        if (!IsWindowVisible())
            nCmdShow = SW_SHOWNORMAL;
        else if (IsIconic())
            nCmdShow = SW_RESTORE;
    }
    if (nCmdShow != -1)
        ShowWindow(nCmdShow);
    if (QWidget* pWidget = GetWidget())
        pWidget->raise();
}

void CFrameWnd::RecalcLayout(BOOL)
{
    m_nIdleFlags &= ~idleLayout;
    if (auto* pArea = dynamic_cast<CFrameClientArea*>(m_pBarHost))
        pArea->LayoutPanes();
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL)
{
    if (!pBar)
        return;
    pBar->ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT nID)
{
    return DYNAMIC_DOWNCAST(CControlBar, GetDescendantWindow((int)nID, TRUE));
}

BOOL CFrameWnd::OnBarCheck(UINT nID)
{
    CControlBar* pBar = GetControlBar(nID);
    if (!pBar)
        return FALSE;
    ShowControlBar(pBar, (pBar->GetStyle() & WS_VISIBLE) == 0, FALSE);
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    if (CControlBar* pBar = GetControlBar(pCmdUI->m_nID))
    {
        pCmdUI->SetCheck((pBar->GetStyle() & WS_VISIBLE) != 0);
        return;
    }
    pCmdUI->ContinueRouting();
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI)
{
    int nVirtKey = pCmdUI->m_nID == ID_INDICATOR_CAPS   ? VK_CAPITAL
                   : pCmdUI->m_nID == ID_INDICATOR_NUM  ? VK_NUMLOCK
                   : pCmdUI->m_nID == ID_INDICATOR_SCRL ? VK_SCROLL
                                                        : 0;
    pCmdUI->Enable(nVirtKey && AfxGetKeyLockState(nVirtKey) > 0);
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if ((GetStyle() & FWS_ADDTOTITLE) == 0)
        return;
    CDocument* pDoc = GetActiveDocument();
    if (bAddToTitle && pDoc)
        UpdateFrameTitleForDocument(pDoc->GetTitle());
    else
        UpdateFrameTitleForDocument(nullptr);
}

void CFrameWnd::UpdateFrameTitleForDocument(LPCWSTR lpszDocName)
{
    CString text;
    CString docPart;
    if (lpszDocName)
    {
        docPart = lpszDocName;
        if (m_nWindow > 0)
        {
            CString num;
            num.Format(L":%d", m_nWindow);
            docPart += num;
        }
    }
    if (GetStyle() & FWS_PREFIXTITLE)
    {
        if (lpszDocName)
            text = docPart + L" - ";
        text += m_strTitle;
    }
    else
    {
        text = m_strTitle;
        if (lpszDocName)
            text += CString(L" - ") + docPart;
    }
    if (GetWindowText() != text)
        SetWindowText(text);
}

void CFrameWnd::GetMessageString(UINT nID, CString& rMessage) const
{
    rMessage.Empty();
    CString full;
    if (nID && full.LoadString(nID))
        AfxExtractSubString(rMessage, full, 0);
}

void CFrameWnd::SetMessageText(LPCWSTR lpszText)
{
    SendMessage(WM_SETMESSAGESTRING, 0, (LPARAM)(lpszText ? lpszText : L""));
}

void CFrameWnd::SetMessageText(UINT nID)
{
    SendMessage(WM_SETMESSAGESTRING, (WPARAM)nID, 0);
}

CWnd* CFrameWnd::GetMessageBar()
{
    if (CWnd* pBar = GetDescendantWindow(AFX_IDW_STATUS_BAR, TRUE))
        return pBar;
    CFrameWnd* pTop = GetTopLevelFrame();
    return pTop && pTop != this ? pTop->GetMessageBar() : nullptr;
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam)
{
    UINT nIDLast = m_nIDLastMessage;
    if (CWnd* pBar = GetMessageBar())
    {
        CString message;
        if (lParam)
            message = reinterpret_cast<LPCWSTR>(lParam);
        else if (wParam)
            GetMessageString((UINT)wParam, message);
        pBar->SetWindowText(message);
    }
    m_nIDLastMessage = (UINT)wParam;
    return nIDLast;
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM)
{
    UINT flags = m_nIdleFlags;
    m_nIdleFlags = 0;
    if (flags & idleMenu)
        OnUpdateFrameMenu(nullptr);
    if (flags & idleTitle)
        OnUpdateFrameTitle(TRUE);
    if (flags & idleLayout)
        RecalcLayout();
    return 0;
}

void CFrameWnd::SetMenu(HMENU hMenu)
{
    auto* pMain = qobject_cast<QMainWindow*>(GetWidget());
    if (!pMain)
        return;
    QMenuBar* pBar = pMain->menuBar();
    if (m_hMenuShown == hMenu && hMenu && hMenu->hWndOwner == m_hWnd)
        return;
    pBar->clear();
    m_hMenuShown = hMenu;
    if (!hMenu)
        return;
    hMenu->hWndOwner = m_hWnd;
    for (QMenu* pPopup : hMenu->popups)
        pBar->addMenu(pPopup);
}

void CFrameWnd::OnUpdateFrameMenu(HMENU hMenuAlt)
{
    SetMenu(hMenuAlt ? hMenuAlt : m_hMenuDefault);
}

BOOL CFrameWnd::LoadAccelTable(UINT nIDResource)
{
    HACCEL hAccel = AfxLoadAccelerators(nIDResource);
    if (!hAccel)
        return FALSE;
    m_hAccelTable = hAccel;
    InstallAccelerators(hAccel);
    return TRUE;
}

void CFrameWnd::InstallAccelerators(HACCEL hAccel)
{
    QWidget* pWidget = GetWidget();
    if (!pWidget || !hAccel)
        return;
    for (QShortcut* pOld : pWidget->findChildren<QShortcut*>(QString(), Qt::FindDirectChildrenOnly))
        delete pOld;
    const AFX_ACCEL_RESOURCE* pRes = hAccel->pResource;
    for (int i = 0; i < pRes->nAccels; ++i)
    {
        QKeySequence seq = AfxAccelKeySequence(pRes->pAccels[i]);
        if (seq.isEmpty())
            continue;
        auto* pShortcut = new QShortcut(seq, pWidget);
        pShortcut->setContext(pWidget->isWindow() ? Qt::WindowShortcut
                                                  : Qt::WidgetWithChildrenShortcut);
        UINT nID = pRes->pAccels[i].cmd;
        HWND hWnd = m_hWnd;
        // Commands go to the top-level frame, which routes them to the active document window.
        QObject::connect(pShortcut, &QShortcut::activated, pShortcut,
                         [hWnd, nID]()
                         {
                             CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
                             CFrameWnd* pTop = pWnd ? pWnd->GetTopLevelFrame() : nullptr;
                             if (pTop)
                                 pTop->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 1), 0);
                         });
    }
}

void CFrameWnd::OnInitMenuPopup(QMenu* pPopupMenu)
{
    std::vector<QPointer<QAction>> actions;
    for (QAction* a : pPopupMenu->actions())
        actions.emplace_back(a);
    CCmdUI state;
    state.m_pMenu = pPopupMenu;
    state.m_nIndexMax = (UINT)actions.size();
    for (size_t i = 0; i < actions.size(); ++i)
    {
        QAction* pAction = actions[i];
        if (!pAction || pAction->isSeparator() || pAction->menu())
            continue;
        UINT nID = AfxGetActionID(pAction);
        if (nID == 0 || pAction->property("afxDynamic").toBool())
            continue;
        state.m_nIndex = (UINT)i;
        state.m_nID = nID;
        state.m_pAction = pAction;
        // Commands of the system range are never disabled for want of a handler.
        state.DoUpdate(this, m_bAutoMenuEnable && nID < 0xF000);
    }
}

void CFrameWnd::OnMenuSelect(UINT nItemID)
{
    UINT nIDTracking = nItemID;
    if (nItemID >= AFX_IDM_FIRST_MDICHILD)
        nIDTracking = AFX_IDS_MDICHILD;
    if (nIDTracking != m_nIDLastMessage)
        SetMessageText(nIDTracking);
}

void CFrameWnd::OnMenuClosed()
{
    // Deferred: a sub-menu closing while its parent stays open changes nothing.
    HWND hWnd = m_hWnd;
    QTimer::singleShot(0, QCoreApplication::instance(),
                       [hWnd]()
                       {
                           if (QApplication::activePopupWidget())
                               return;
                           if (CFrameWnd* pFrame =
                                   DYNAMIC_DOWNCAST(CFrameWnd, CWnd::FromHandlePermanent(hWnd)))
                               pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
                       });
}

BOOL CFrameWnd::OnCmdMsgViewAndSelf(UINT nID, int nCode, void* pExtra,
                                    AFX_CMDHANDLERINFO* pHandlerInfo)
{
    CView* pView = GetActiveView();
    if (pView && pView->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (OnCmdMsgViewAndSelf(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CFrameWnd::OnClose()
{
    CDocument* pDocument = GetActiveDocument();
    if (pDocument && !pDocument->CanCloseFrame(this))
        return;
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd == this)
    {
        // Closing the main window closes the application: every document is asked first.
        if (!pDocument && !pApp->SaveAllModified())
            return;
        pApp->CloseAllDocuments(FALSE);
        if (pApp->m_pMainWnd != this)
            return;
    }
    if (pDocument && pDocument->m_bAutoDelete)
    {
        // The last frame on a document closes the document, which destroys the frame.
        BOOL bOtherFrame = FALSE;
        for (CView* pView : pDocument->GetViews())
            if (pView->GetParentFrame() != this)
            {
                bOtherFrame = TRUE;
                break;
            }
        if (!bOtherFrame)
        {
            pDocument->OnCloseDocument();
            return;
        }
        pDocument->PreCloseFrame(this);
    }
    DestroyWindow();
}

void CFrameWnd::OnDropFiles(HDROP hDropInfo)
{
    SetActiveWindow();
    UINT nFiles = DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0);
    CWinApp* pApp = AfxGetApp();
    for (UINT i = 0; i < nFiles && pApp; ++i)
    {
        std::wstring name(DragQueryFileW(hDropInfo, i, nullptr, 0) + 1, L'\0');
        UINT n = DragQueryFileW(hDropInfo, i, name.data(), (UINT)name.size());
        name.resize(n);
        pApp->OpenDocumentFile(name.c_str());
    }
    DragFinish(hDropInfo);
}
