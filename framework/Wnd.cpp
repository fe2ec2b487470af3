#include "velmar/framework/Wnd.h"

#include "velmar/framework/Translation.h"

#include "velmar/framework/CmdUI.h"
#include "velmar/framework/DropFiles.h"
#include "velmar/framework/FrameWnd.h"
#include "velmar/framework/WinApp.h"
#include "WndBridge.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

// Windows the framework created or attached, by handle.
static std::unordered_map<HWND, CWnd*>& PermanentMap()
{
    static std::unordered_map<HWND, CWnd*> map;
    return map;
}

// Wrappers made on demand for widgets that are not framework windows (a
// message box, say); they live until the widget goes or the next idle time.
static std::unordered_map<HWND, std::unique_ptr<CWnd>>& TemporaryMap()
{
    static std::unordered_map<HWND, std::unique_ptr<CWnd>> map;
    return map;
}

void AfxDeleteTemporaryWindows()
{
    auto& temp = TemporaryMap();
    for (auto& entry : temp)
        entry.second->Detach();
    temp.clear();
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_hWnd && !m_bTemporary)
    {
        QWidget* pWidget = GetWidget();
        DetachWidget();
        delete pWidget;
    }
}

QWidget* CWnd::GetWidget() const
{
    return reinterpret_cast<QWidget*>(m_hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    auto& map = PermanentMap();
    auto it = map.find(hWnd);
    return it == map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd))
        return p;
    auto& temp = TemporaryMap();
    auto it = temp.find(hWnd);
    if (it != temp.end())
        return it->second.get();
    // Only a live widget gets a wrapper.
    QWidget* pWidget = reinterpret_cast<QWidget*>(hWnd);
    if (!QApplication::allWidgets().contains(pWidget))
        return nullptr;
    auto pWnd = std::make_unique<CWnd>();
    pWnd->m_bTemporary = TRUE;
    pWnd->m_hWnd = hWnd;
    QObject::connect(pWidget, &QObject::destroyed,
                     [hWnd]()
                     {
                         auto& t = TemporaryMap();
                         auto found = t.find(hWnd);
                         if (found != t.end())
                         {
                             found->second->m_hWnd = nullptr;
                             t.erase(found);
                         }
                     });
    CWnd* p = pWnd.get();
    temp.emplace(hWnd, std::move(pWnd));
    return p;
}

void CWnd::AttachWidget(QWidget* pWidget)
{
    m_hWnd = HandleOf(pWidget);
    PermanentMap()[m_hWnd] = this;
    pWidget->installEventFilter(CWndEventBridge::Instance());
    HWND h = m_hWnd;
    // A widget that Qt deletes under us (its parent went) leaves the window object detached.
    m_destroyedConnection = QObject::connect(pWidget, &QObject::destroyed,
                                             [h]()
                                             {
                                                 if (CWnd* p = CWnd::FromHandlePermanent(h))
                                                 {
                                                     p->DetachWidget();
                                                     p->OnNcDestroy();
                                                 }
                                             });
}

void CWnd::DetachWidget()
{
    if (!m_hWnd)
        return;
    QObject::disconnect(m_destroyedConnection);
    if (QWidget* pWidget = GetWidget())
        pWidget->removeEventFilter(CWndEventBridge::Instance());
    PermanentMap().erase(m_hWnd);
    m_hWnd = nullptr;
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (m_hWnd || !hWndNew || FromHandlePermanent(hWndNew))
        return FALSE;
    AttachWidget(reinterpret_cast<QWidget*>(hWndNew));
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (m_bTemporary)
        m_hWnd = nullptr;
    else
        DetachWidget();
    return h;
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top,
                    pParentWnd ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>((UINT_PTR)nID), pContext);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&)
{
    return TRUE;
}

QWidget* CWnd::CreateWidget(const CREATESTRUCT&, QWidget* pParentWidget)
{
    return new QWidget(pParentWidget);
}

QWidget* CWnd::GetChildParentWidget() const
{
    return GetWidget();
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                    LPVOID lpParam)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCT cs = {lpParam, nullptr, nIDorHMenu,    hWndParent,     nHeight,       nWidth,
                       y,       x,       (LONG)dwStyle, lpszWindowName, lpszClassName, dwExStyle};
    if (!PreCreateWindow(cs))
    {
        PostNcDestroy();
        return FALSE;
    }
    QWidget* pParentWidget = nullptr;
    if (cs.hwndParent)
    {
        CWnd* pParent = FromHandlePermanent(cs.hwndParent);
        pParentWidget =
            pParent ? pParent->GetChildParentWidget() : reinterpret_cast<QWidget*>(cs.hwndParent);
    }
    m_dwStyle = (DWORD)cs.style;
    m_dwExStyle = cs.dwExStyle;
    if (m_dwStyle & WS_CHILD)
        m_nID = (UINT)(UINT_PTR)cs.hMenu;
    QWidget* pWidget = CreateWidget(cs, pParentWidget);
    if (!pWidget)
    {
        PostNcDestroy();
        return FALSE;
    }
    AttachWidget(pWidget);
    if (cs.lpszName)
        pWidget->setWindowTitle(AfxToQString(cs.lpszName));
    if (cs.cx > 0 && cs.cy > 0 && cs.cx != CW_USEDEFAULT && cs.cy != CW_USEDEFAULT)
        pWidget->resize(cs.cx, cs.cy);
    if (cs.x != CW_USEDEFAULT && cs.y != CW_USEDEFAULT && (cs.x != 0 || cs.y != 0))
        pWidget->move(cs.x, cs.y);
    if (m_dwStyle & WS_DISABLED)
        pWidget->setEnabled(false);
    if (m_dwExStyle & WS_EX_ACCEPTFILES)
        pWidget->setAcceptDrops(true);
    if ((int)SendMessage(WM_CREATE, 0, (LPARAM)&cs) == -1)
    {
        DestroyWindow();
        return FALSE;
    }
    if (!m_hWnd) // destroyed during creation
        return FALSE;
    if (m_dwStyle & WS_VISIBLE)
        pWidget->show();
    else if (m_dwStyle & WS_CHILD)
        pWidget->hide();
    return TRUE;
}

// This window and every framework window below it, parents before children.
static std::vector<CWnd*> WindowsTopDown(CWnd* pRoot)
{
    std::vector<CWnd*> result{pRoot};
    std::vector<QWidget*> stack{pRoot->GetWidget()};
    while (!stack.empty())
    {
        QWidget* w = stack.back();
        stack.pop_back();
        const QObjectList& children = w->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
        {
            if (!(*it)->isWidgetType())
                continue;
            QWidget* child = static_cast<QWidget*>(*it);
            if (CWnd* p = CWnd::FromHandlePermanent(CWnd::HandleOf(child)))
                result.push_back(p);
            stack.push_back(child);
        }
    }
    return result;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd || m_bTemporary)
        return FALSE;
    QPointer<QWidget> pWidget = GetWidget();
    std::vector<CWnd*> windows = WindowsTopDown(this);
    for (CWnd* p : windows)
        p->m_bDestroying = TRUE;
    for (CWnd* p : windows)
        if (p->m_hWnd)
            p->SendMessage(WM_DESTROY);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        (*it)->DetachWidget();
    if (pWidget)
    {
        pWidget->hide();
        if (auto* pSub = qobject_cast<QMdiSubWindow*>(pWidget.data()))
            if (QMdiArea* pArea = pSub->mdiArea())
                pArea->removeSubWindow(pSub);
        // Deferred: this may run inside one of the widget's own event handlers.
        pWidget->deleteLater();
    }
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        (*it)->OnNcDestroy();
    return TRUE;
}

void CWnd::OnNcDestroy()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd == this)
    {
        pApp->m_pMainWnd = nullptr;
        pApp->PostQuitIfRunning();
    }
    PostNcDestroy();
}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd)
        return 0;
    AFX_CURRENT_MSG saved = AfxCurrentMsg();
    AfxCurrentMsg() = {message, wParam, lParam, false, false};
    LRESULT result = WindowProc(message, wParam, lParam);
    AfxCurrentMsg() = saved;
    return result;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd)
        return FALSE;
    QPointer<QWidget> pWidget = GetWidget();
    HWND h = m_hWnd;
    QTimer::singleShot(0, QCoreApplication::instance(),
                       [pWidget, h, message, wParam, lParam]()
                       {
                           if (!pWidget)
                               return;
                           if (CWnd* p = CWnd::FromHandlePermanent(h))
                               p->SendMessage(message, wParam, lParam);
                       });
    return TRUE;
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep)
{
    if (!m_hWnd)
        return;
    std::vector<QPointer<QWidget>> targets;
    if (bDeep)
    {
        for (CWnd* p : WindowsTopDown(this))
            if (p != this)
                targets.emplace_back(p->GetWidget());
    }
    else
    {
        for (QObject* o : GetWidget()->children())
            if (o->isWidgetType())
                targets.emplace_back(static_cast<QWidget*>(o));
    }
    for (const QPointer<QWidget>& w : targets)
        if (w)
            if (CWnd* p = FromHandlePermanent(HandleOf(w)))
                p->SendMessage(message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT lResult = 0;
    if (message == WM_COMMAND)
    {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        lResult = 1;
    }
    else if (message == WM_NOTIFY)
    {
        NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
        if (!pNMHDR || !OnNotify(wParam, lParam, &lResult))
            return FALSE;
    }
    else
    {
        const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message);
        if (!e)
            return FALSE;
        switch (e->nSig)
        {
        case AfxSig_l_wl:
            lResult = (this->*AfxMsgFnBack<LRESULT, WPARAM, LPARAM>(e->pfn))(wParam, lParam);
            break;
        case AfxSig_i_cs:
            lResult = (this->*AfxMsgFnBack<int, LPCREATESTRUCT>(e->pfn))(
                reinterpret_cast<LPCREATESTRUCT>(lParam));
            break;
        case AfxSig_v_v:
            (this->*AfxMsgFnBack<void>(e->pfn))();
            break;
        case AfxSig_v_bu:
            (this->*AfxMsgFnBack<void, BOOL, UINT>(e->pfn))((BOOL)wParam, (UINT)lParam);
            break;
        case AfxSig_v_wp:
            (this->*AfxMsgFnBack<void, CWnd*, CPoint>(e->pfn))(FromHandle((HWND)wParam),
                                                               CPoint(lParam));
            break;
        case AfxSig_v_up:
            (this->*AfxMsgFnBack<void, UINT, CPoint>(e->pfn))((UINT)wParam, CPoint(lParam));
            break;
        case AfxSig_v_bww:
        {
            // WM_MDIACTIVATE: wParam the child losing activation, lParam the one gaining it.
            HWND hDeactivate = (HWND)wParam, hActivate = (HWND)lParam;
            (this->*AfxMsgFnBack<void, BOOL, CWnd*, CWnd*>(e->pfn))(
                hActivate == m_hWnd, FromHandle(hActivate), FromHandle(hDeactivate));
            break;
        }
        case AfxSig_v_hdrop:
            (this->*AfxMsgFnBack<void, HDROP>(e->pfn))((HDROP)wParam);
            break;
        case AfxSig_v_uii:
            (this->*AfxMsgFnBack<void, UINT, int, int>(e->pfn))((UINT)wParam, LOWORD(lParam),
                                                                HIWORD(lParam));
            break;
        case AfxSig_v_w:
            (this->*AfxMsgFnBack<void, CWnd*>(e->pfn))(FromHandle((HWND)wParam));
            break;
        default:
            return FALSE;
        }
    }
    if (pResult)
        *pResult = lResult;
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    QWidget* pWidget = GetWidget();
    switch (message)
    {
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    case WM_SETTEXT:
        if (pWidget)
            pWidget->setWindowTitle(AfxToQString(reinterpret_cast<LPCWSTR>(lParam)));
        return TRUE;
    case WM_GETTEXTLENGTH:
        return pWidget ? (LRESULT)AfxFromQString(pWidget->windowTitle()).GetLength() : 0;
    case WM_GETTEXT:
    {
        // wParam: room in the buffer at lParam, terminator included; the result is the length
        // copied.
        auto* pBuffer = reinterpret_cast<wchar_t*>(lParam);
        if (!pBuffer || wParam == 0)
            return 0;
        CString text = pWidget ? AfxFromQString(pWidget->windowTitle()) : CString();
        int n = std::min<int>(text.GetLength(), (int)wParam - 1);
        wmemcpy(pBuffer, (LPCWSTR)text, (size_t)n);
        pBuffer[n] = L'\0';
        return n;
    }
    case WM_DROPFILES:
        return 0;
    default:
        return 0;
    }
}

LRESULT CWnd::Default()
{
    AFX_CURRENT_MSG& current = AfxCurrentMsg();
    if (current.bFromQt)
    {
        // The widget itself carries out the default once the handler returns.
        current.bPassToQt = true;
        return 0;
    }
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    HWND hWndCtrl = (HWND)lParam;
    int nCode = HIWORD(wParam);
    if (!hWndCtrl)
    {
        // A menu item or accelerator: a command its update handler disables is not carried out.
        if (nCode == 0 || nCode == 1)
        {
            CTestCmdUI state;
            state.m_nID = nID;
            OnCmdMsg(nID, (int)CN_UPDATE_COMMAND_UI, &state, nullptr);
            if (!state.m_bEnabled)
                return TRUE;
        }
        nCode = CN_COMMAND;
    }
    else
    {
        // A control's notification goes to the control first.
        CWnd* pChild = FromHandlePermanent(hWndCtrl);
        if (pChild && pChild->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr))
            return TRUE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    CWnd* pChild = FromHandlePermanent(pNMHDR->hwndFrom);
    if (pChild && pChild->OnChildNotify(WM_NOTIFY, 0, lParam, pResult))
        return TRUE;
    AFX_NOTIFY notify = {pResult, pNMHDR};
    return OnCmdMsg((UINT)pNMHDR->idFrom, MAKELONG(pNMHDR->code, WM_NOTIFY), &notify, nullptr);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND)
    {
        // Handled by an ON_CONTROL_REFLECT entry; the _EX form may pass it on to the parent.
        return OnCmdMsg(0, MAKELONG(HIWORD(wParam), WM_REFLECT_BASE + WM_COMMAND), nullptr,
                        nullptr);
    }
    if (message == WM_NOTIFY)
    {
        NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
        LRESULT dummy = 0;
        AFX_NOTIFY notify = {pResult ? pResult : &dummy, pNMHDR};
        return OnCmdMsg(0, MAKELONG(pNMHDR->code, WM_REFLECT_BASE + WM_NOTIFY), &notify, nullptr);
    }
    return FALSE;
}

void CWnd::SetWindowText(LPCWSTR lpszString)
{
    SendMessage(WM_SETTEXT, 0, (LPARAM)(lpszString ? lpszString : L""));
}

CString CWnd::GetWindowText() const
{
    // Through the messages, so a window whose text is not its title (an edit control) answers
    // itself.
    CWnd* pThis = const_cast<CWnd*>(this);
    LRESULT nLength = pThis->SendMessage(WM_GETTEXTLENGTH);
    if (nLength <= 0)
        return CString();
    std::wstring buffer((size_t)nLength + 1, L'\0');
    LRESULT nCopied = pThis->SendMessage(WM_GETTEXT, (WPARAM)buffer.size(), (LPARAM)buffer.data());
    buffer.resize((size_t)std::clamp<LRESULT>(nCopied, 0, nLength));
    return CString(buffer);
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    QWidget* pWidget = GetWidget();
    if (!pWidget)
        return FALSE;
    BOOL bWasVisible = pWidget->isVisible();
    switch (nCmdShow)
    {
    case SW_HIDE:
        pWidget->hide();
        break;
    case SW_SHOWMAXIMIZED:
        pWidget->showMaximized();
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
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
    if (nCmdShow != SW_HIDE && nCmdShow != SW_SHOWNOACTIVATE && nCmdShow != SW_SHOWNA &&
        nCmdShow != SW_SHOWMINNOACTIVE && pWidget->isWindow())
        pWidget->activateWindow();
    return bWasVisible;
}

BOOL CWnd::IsWindowVisible() const
{
    QWidget* pWidget = GetWidget();
    return pWidget && pWidget->isVisible();
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    QWidget* pWidget = GetWidget();
    if (!pWidget)
        return FALSE;
    BOOL bWasDisabled = !pWidget->isEnabled();
    pWidget->setEnabled(bEnable != FALSE);
    return bWasDisabled;
}

BOOL CWnd::IsWindowEnabled() const
{
    QWidget* pWidget = GetWidget();
    return pWidget && pWidget->isEnabled();
}

BOOL CWnd::IsIconic() const
{
    QWidget* pWidget = GetWidget();
    return pWidget && pWidget->isMinimized();
}

BOOL CWnd::IsZoomed() const
{
    QWidget* pWidget = GetWidget();
    return pWidget && pWidget->isMaximized();
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL)
{
    if (QWidget* pWidget = GetWidget())
        pWidget->setGeometry(x, y, nWidth, nHeight);
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint)
{
    if (lpRect)
        MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                   lpRect->bottom - lpRect->top, bRepaint);
}

void CWnd::GetWindowRect(LPRECT lpRect) const
{
    QWidget* pWidget = GetWidget();
    if (!lpRect)
        return;
    if (!pWidget)
    {
        *lpRect = RECT{0, 0, 0, 0};
        return;
    }
    QRect frame = pWidget->isWindow() ? pWidget->frameGeometry() : pWidget->geometry();
    QPoint topLeft = pWidget->isWindow() ? frame.topLeft() : pWidget->mapToGlobal(QPoint(0, 0));
    *lpRect =
        RECT{topLeft.x(), topLeft.y(), topLeft.x() + frame.width(), topLeft.y() + frame.height()};
}

void CWnd::GetClientRect(LPRECT lpRect) const
{
    QWidget* pWidget = GetWidget();
    if (!lpRect)
        return;
    *lpRect = pWidget ? RECT{0, 0, pWidget->width(), pWidget->height()} : RECT{0, 0, 0, 0};
}

void CWnd::UpdateWindow()
{
    if (QWidget* pWidget = GetWidget())
        pWidget->repaint();
}

void CWnd::Invalidate(BOOL)
{
    if (QWidget* pWidget = GetWidget())
        pWidget->update();
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    QWidget* pWidget = GetWidget();
    if (!pWidget)
        return;
    QRect area;
    QWidget* pOwner = pAlternateOwner ? pAlternateOwner->GetWidget() : pWidget->parentWidget();
    if (pOwner && pWidget->isWindow())
        area = QRect(pOwner->mapToGlobal(QPoint(0, 0)), pOwner->size());
    else if (pOwner)
        area = pOwner->rect();
    else if (QScreen* pScreen = pWidget->screen())
        area = pScreen->availableGeometry();
    if (area.isEmpty())
        return;
    QSize size = pWidget->isWindow() ? pWidget->frameGeometry().size() : pWidget->size();
    pWidget->move(area.x() + (area.width() - size.width()) / 2,
                  area.y() + (area.height() - size.height()) / 2);
}

DWORD CWnd::GetStyle() const
{
    DWORD style = m_dwStyle & ~(WS_VISIBLE | WS_DISABLED | WS_MAXIMIZE | WS_MINIMIZE);
    if (QWidget* pWidget = GetWidget())
    {
        if (!pWidget->isHidden()) // the window's own flag, as WS_VISIBLE is
            style |= WS_VISIBLE;
        if (!pWidget->isEnabled())
            style |= WS_DISABLED;
        if (pWidget->isMaximized())
            style |= WS_MAXIMIZE;
        if (pWidget->isMinimized())
            style |= WS_MINIMIZE;
    }
    return style;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT)
{
    DWORD old = m_dwStyle;
    m_dwStyle = (m_dwStyle & ~dwRemove) | dwAdd;
    if ((dwRemove | dwAdd) & WS_VISIBLE)
        ShowWindow((m_dwStyle & WS_VISIBLE) ? SW_SHOWNOACTIVATE : SW_HIDE);
    if ((dwRemove | dwAdd) & WS_DISABLED)
        EnableWindow(!(m_dwStyle & WS_DISABLED));
    if (old != m_dwStyle)
    {
        STYLESTRUCT change = {old, m_dwStyle};
        SendMessage(WM_STYLECHANGED, (WPARAM)GWL_STYLE, (LPARAM)&change);
    }
    return old != m_dwStyle;
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT)
{
    DWORD old = m_dwExStyle;
    m_dwExStyle = (m_dwExStyle & ~dwRemove) | dwAdd;
    if (QWidget* pWidget = GetWidget())
        pWidget->setAcceptDrops((m_dwExStyle & WS_EX_ACCEPTFILES) != 0);
    return old != m_dwExStyle;
}

void CWnd::DragAcceptFiles(BOOL bAccept)
{
    if (bAccept)
        ModifyStyleEx(0, WS_EX_ACCEPTFILES);
    else
        ModifyStyleEx(WS_EX_ACCEPTFILES, 0);
}

CWnd* CWnd::GetParent() const
{
    QWidget* pWidget = GetWidget();
    // The nearest framework window above (a frame's client area is part of the frame).
    for (QWidget* p = pWidget ? pWidget->parentWidget() : nullptr; p; p = p->parentWidget())
        if (CWnd* pWnd = FromHandlePermanent(HandleOf(p)))
            return pWnd;
    return nullptr;
}

CWnd* CWnd::GetTopLevelParent() const
{
    const CWnd* p = this;
    while (CWnd* pParent = p->GetParent())
        p = pParent;
    return const_cast<CWnd*>(p);
}

CFrameWnd* CWnd::GetParentFrame() const
{
    for (CWnd* p = GetParent(); p; p = p->GetParent())
        if (p->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
            return static_cast<CFrameWnd*>(p);
    return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const
{
    CFrameWnd* pFrame = IsKindOf(RUNTIME_CLASS(CFrameWnd))
                            ? static_cast<CFrameWnd*>(const_cast<CWnd*>(this))
                            : GetParentFrame();
    while (pFrame)
    {
        CFrameWnd* pParent = pFrame->GetParentFrame();
        if (!pParent)
            break;
        pFrame = pParent;
    }
    return pFrame;
}

BOOL CWnd::IsChild(const CWnd* pWnd) const
{
    QWidget* pMine = GetWidget();
    QWidget* pOther = pWnd ? pWnd->GetWidget() : nullptr;
    return pMine && pOther && pMine != pOther && pMine->isAncestorOf(pOther);
}

int CWnd::SetDlgCtrlID(int nID)
{
    int old = (int)m_nID;
    m_nID = (UINT)nID;
    return old;
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    for (CWnd* p : WindowsTopDown(const_cast<CWnd*>(this)))
        if (p != this && p->GetParent() == this && p->m_nID == (UINT)nID)
            return p;
    return nullptr;
}

CWnd* CWnd::GetDescendantWindow(int nID, BOOL) const
{
    for (CWnd* p : WindowsTopDown(const_cast<CWnd*>(this)))
        if (p != this && p->m_nID == (UINT)nID)
        {
            // A child with its parent's id comes first (the first pane of a splitter
            // that has the frame's first-pane id itself).
            while (CWnd* pInner = p->GetDlgItem(nID))
                p = pInner;
            return p;
        }
    return nullptr;
}

void CWnd::SetDlgItemText(int nID, LPCWSTR lpszString)
{
    if (CWnd* pItem = GetDlgItem(nID))
        pItem->SetWindowText(lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    CWnd* pItem = GetDlgItem(nID);
    rString = pItem ? pItem->GetWindowText() : CString();
    return rString.GetLength();
}

CWnd* CWnd::SetFocus()
{
    CWnd* pOld = GetFocus();
    if (QWidget* pWidget = GetWidget())
        pWidget->setFocus(Qt::OtherFocusReason);
    return pOld;
}

CWnd* CWnd::GetFocus()
{
    QWidget* pWidget = QApplication::focusWidget();
    return pWidget ? FromHandle(HandleOf(pWidget)) : nullptr;
}

CWnd* CWnd::GetActiveWindow()
{
    return FromHandle(::GetActiveWindow());
}

CWnd* CWnd::SetActiveWindow()
{
    CWnd* pOld = GetActiveWindow();
    if (QWidget* pWidget = GetWidget())
        pWidget->activateWindow();
    return pOld;
}

int CWnd::MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType)
{
    CString caption = lpszCaption;
    if (!lpszCaption)
    {
        CWinApp* pApp = AfxGetApp();
        caption = pApp ? CString(pApp->m_pszAppName) : CString();
    }
    return MessageBoxW(m_hWnd, AfxTranslate(lpszText), AfxTranslate(caption), nType);
}

int CWnd::OnCreate(LPCREATESTRUCT)
{
    return (int)Default();
}

void CWnd::OnDestroy()
{
    Default();
}

void CWnd::OnClose()
{
    Default();
}

void CWnd::OnShowWindow(BOOL, UINT)
{
    Default();
}

void CWnd::OnContextMenu(CWnd*, CPoint)
{
    Default();
}

void CWnd::OnRButtonDown(UINT, CPoint)
{
    Default();
}

void CWnd::OnLButtonDown(UINT, CPoint)
{
    Default();
}

void CWnd::OnMDIActivate(BOOL, CWnd*, CWnd*)
{
    Default();
}

void CWnd::OnDropFiles(HDROP)
{
    Default();
}

void CWnd::OnSize(UINT, int, int)
{
    Default();
}

void CWnd::OnSetFocus(CWnd*)
{
    Default();
}

void CWnd::OnKillFocus(CWnd*)
{
    Default();
}

HWND GetActiveWindow()
{
    QWidget* pWidget = QApplication::activeWindow();
    return pWidget ? CWnd::HandleOf(pWidget) : nullptr;
}

int GetSystemMetrics(int nIndex)
{
    QScreen* pScreen = QGuiApplication::primaryScreen();
    if (!pScreen)
        return 0;
    switch (nIndex)
    {
    case SM_CXSCREEN:
        return pScreen->geometry().width();
    case SM_CYSCREEN:
        return pScreen->geometry().height();
    default:
        return 0;
    }
}
