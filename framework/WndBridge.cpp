#include "WndBridge.h"

#include "velmar/framework/DropFiles.h"
#include "velmar/framework/FrameWnd.h"
#include "velmar/framework/View.h"
#include "velmar/framework/Wnd.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QUrl>
#include <QWidget>

AFX_CURRENT_MSG& AfxCurrentMsg()
{
    static AFX_CURRENT_MSG current;
    return current;
}

CWndEventBridge* CWndEventBridge::Instance()
{
    static CWndEventBridge* pBridge = new CWndEventBridge; // lives as long as the process
    return pBridge;
}

// True when the event is consumed, false when the widget should process it.
bool AfxDispatchFromQt(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!pWnd->FindMessageEntry(message))
        return false;
    AFX_CURRENT_MSG saved = AfxCurrentMsg();
    AfxCurrentMsg() = {message, wParam, lParam, true, false};
    pWnd->WindowProc(message, wParam, lParam);
    bool pass = AfxCurrentMsg().bPassToQt;
    AfxCurrentMsg() = saved;
    return !pass;
}

static std::vector<std::wstring> LocalFiles(const QMimeData* pData)
{
    std::vector<std::wstring> files;
    if (!pData || !pData->hasUrls())
        return files;
    for (const QUrl& url : pData->urls())
        if (url.isLocalFile())
            files.push_back(url.toLocalFile().toStdWString());
    return files;
}

// A drag of local files over pWidget to pTarget, a window that takes dropped
// files: accepted, and on the drop the files go to pTarget. False when the
// drag carries no local files.
static bool DeliverFileDrag(CWnd* pTarget, QWidget* pWidget, QEvent* pEvent)
{
    auto* e = static_cast<QDropEvent*>(pEvent);
    HDROP__ drop;
    drop.files = LocalFiles(e->mimeData());
    if (drop.files.empty())
        return false;
    e->setDropAction(Qt::CopyAction);
    e->accept();
    if (pEvent->type() != QEvent::Drop)
        return true;
    QPoint p = e->position().toPoint();
    if (QWidget* pTargetWidget = pTarget->GetWidget(); pTargetWidget && pTargetWidget != pWidget)
        p = pTargetWidget->mapFromGlobal(pWidget->mapToGlobal(p));
    drop.pt = {p.x(), p.y()};
    pTarget->SendMessage(WM_DROPFILES, (WPARAM)&drop, 0);
    return true;
}

bool AfxPassFileDrag(CWnd* pWnd, QEvent* pEvent)
{
    const QEvent::Type type = pEvent->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* e = static_cast<QDropEvent*>(pEvent);
    if (LocalFiles(e->mimeData()).empty())
        return false;
    CWnd* pTarget = pWnd ? pWnd->GetParent() : nullptr;
    while (pTarget && !(pTarget->GetExStyle() & WS_EX_ACCEPTFILES))
        pTarget = pTarget->GetParent();
    QWidget* pWidget = pWnd->GetWidget();
    if (!pTarget || !pWidget || !DeliverFileDrag(pTarget, pWidget, pEvent))
        e->ignore();
    return true;
}

bool CWndEventBridge::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (!pWatched->isWidgetType())
        return false;
    QWidget* pWidget = static_cast<QWidget*>(pWatched);
    CWnd* pWnd = CWnd::FromHandlePermanent(CWnd::HandleOf(pWidget));
    if (!pWnd)
        return false;
    switch (pEvent->type())
    {
    case QEvent::Close:
        // Closing goes through WM_CLOSE; the frame decides (it may ask to save).
        pEvent->ignore();
        pWnd->SendMessage(WM_CLOSE);
        return true;
    case QEvent::ContextMenu:
    {
        auto* e = static_cast<QContextMenuEvent*>(pEvent);
        // Qt hands an ignored context-menu event on to the parent as a new event;
        // the message keeps naming the window under the cursor, as it does when a
        // child's default processing passes it to its parent.
        static QPointer<QWidget> s_origin;
        static QPoint s_originPos;
        HWND hOrigin = pWnd->m_hWnd;
        QWidget* pOrigin = s_origin.data();
        if (pOrigin && pOrigin != pWidget && pWidget->isAncestorOf(pOrigin) &&
            s_originPos == e->globalPos() &&
            pOrigin->rect().contains(pOrigin->mapFromGlobal(e->globalPos())))
            hOrigin = CWnd::HandleOf(pOrigin);
        else
        {
            s_origin = pWidget;
            s_originPos = e->globalPos();
        }
        // From the keyboard the message carries no point: both coordinates are -1.
        LPARAM lParam = e->reason() == QContextMenuEvent::Keyboard
                            ? (LPARAM)(DWORD)0xFFFFFFFF
                            : MAKELPARAM(e->globalPos().x(), e->globalPos().y());
        return AfxDispatchFromQt(pWnd, WM_CONTEXTMENU, (WPARAM)hOrigin, lParam);
    }
    case QEvent::MouseButtonPress:
    {
        auto* e = static_cast<QMouseEvent*>(pEvent);
        QPoint p = e->position().toPoint();
        if (e->button() == Qt::RightButton)
            return AfxDispatchFromQt(pWnd, WM_RBUTTONDOWN, 0x0002, MAKELPARAM(p.x(), p.y()));
        if (e->button() == Qt::LeftButton)
            return AfxDispatchFromQt(pWnd, WM_LBUTTONDOWN, 0x0001, MAKELPARAM(p.x(), p.y()));
        return false;
    }
    case QEvent::Show:
    case QEvent::Hide:
        if (!pEvent->spontaneous())
            AfxDispatchFromQt(pWnd, WM_SHOWWINDOW, pEvent->type() == QEvent::Show ? TRUE : FALSE,
                              0);
        return false;
    case QEvent::Resize:
    {
        auto* e = static_cast<QResizeEvent*>(pEvent);
        AfxDispatchFromQt(pWnd, WM_SIZE, 0, MAKELPARAM(e->size().width(), e->size().height()));
        return false;
    }
    case QEvent::FocusIn:
        if (CView* pView = DYNAMIC_DOWNCAST(CView, pWnd))
            if (CFrameWnd* pFrame = pView->GetParentFrame())
                pFrame->SetActiveView(pView, FALSE);
        AfxDispatchFromQt(pWnd, WM_SETFOCUS, 0, 0);
        return false;
    case QEvent::FocusOut:
        AfxDispatchFromQt(pWnd, WM_KILLFOCUS, 0, 0);
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        if (!(pWnd->GetExStyle() & WS_EX_ACCEPTFILES))
            return false;
        return DeliverFileDrag(pWnd, pWidget, pEvent);
    default:
        return false;
    }
}
