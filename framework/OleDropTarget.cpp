#include "velmar/framework/OleDropTarget.h"

#include "velmar/framework/Wnd.h"

#include <QAbstractScrollArea>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <QWidget>

IMPLEMENT_DYNAMIC(COleDropTarget, CCmdTarget)

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT cfFormat) const
{
    if (!m_pData)
        return FALSE;
    switch (cfFormat)
    {
    case CF_TEXT:
    case CF_UNICODETEXT:
        return m_pData->hasText();
    case CF_HDROP:
        return !GetFileNames().empty();
    default:
        return FALSE;
    }
}

BOOL COleDataObject::GetText(CString& rText) const
{
    if (!m_pData || !m_pData->hasText())
        return FALSE;
    rText = AfxFromQString(m_pData->text());
    return TRUE;
}

std::vector<CString> COleDataObject::GetFileNames() const
{
    std::vector<CString> names;
    if (!m_pData || !m_pData->hasUrls())
        return names;
    for (const QUrl& url : m_pData->urls())
        if (url.isLocalFile())
            names.push_back(AfxFromQString(url.toLocalFile()));
    return names;
}

// Watches the registered window (and the viewport of a scrolling one, where
// Qt delivers its drags) for drag events.
class COleDropTarget::CFilter : public QObject
{
public:
    explicit CFilter(COleDropTarget* pTarget) : m_pTarget(pTarget) {}
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        switch (pEvent->type())
        {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::DragLeave:
        case QEvent::Drop:
            return m_pTarget->HandleDragEvent(pWatched, pEvent);
        default:
            return false;
        }
    }
    std::vector<QPointer<QWidget>> m_watched;

private:
    COleDropTarget* m_pTarget;
};

COleDropTarget::COleDropTarget() = default;

COleDropTarget::~COleDropTarget()
{
    Revoke();
}

BOOL COleDropTarget::Register(CWnd* pWnd)
{
    QWidget* pWidget = pWnd ? pWnd->GetWidget() : nullptr;
    if (!pWidget || m_pFilter)
        return FALSE;
    m_pFilter = new CFilter(this);
    m_hWnd = pWnd->m_hWnd;
    std::vector<QWidget*> targets{pWidget};
    if (auto* pArea = qobject_cast<QAbstractScrollArea*>(pWidget))
        targets.push_back(pArea->viewport());
    for (QWidget* w : targets)
    {
        w->setAcceptDrops(true);
        w->installEventFilter(m_pFilter);
        m_pFilter->m_watched.emplace_back(w);
    }
    return TRUE;
}

void COleDropTarget::Revoke()
{
    if (!m_pFilter)
        return;
    for (const QPointer<QWidget>& w : m_pFilter->m_watched)
        if (w)
        {
            w->removeEventFilter(m_pFilter);
            w->setAcceptDrops(false);
        }
    delete m_pFilter;
    m_pFilter = nullptr;
    m_hWnd = nullptr;
}

CWnd* COleDropTarget::GetRegisteredWindow() const
{
    return CWnd::FromHandlePermanent(m_hWnd);
}

static DWORD KeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    DWORD state = 0;
    if (buttons & Qt::LeftButton)
        state |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        state |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        state |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        state |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        state |= MK_CONTROL;
    if (modifiers & Qt::AltModifier)
        state |= MK_ALT;
    return state;
}

static Qt::DropAction ActionOf(DROPEFFECT effect)
{
    if (effect & DROPEFFECT_MOVE)
        return Qt::MoveAction;
    if (effect & DROPEFFECT_COPY)
        return Qt::CopyAction;
    if (effect & DROPEFFECT_LINK)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

static DROPEFFECT EffectsOf(Qt::DropActions actions)
{
    DROPEFFECT effects = DROPEFFECT_NONE;
    if (actions & Qt::CopyAction)
        effects |= DROPEFFECT_COPY;
    if (actions & Qt::MoveAction)
        effects |= DROPEFFECT_MOVE;
    if (actions & Qt::LinkAction)
        effects |= DROPEFFECT_LINK;
    return effects;
}

// Accepts the drag with the effect's action, or refuses it (the no-drop cursor).
static void Answer(QDropEvent* e, DROPEFFECT effect)
{
    Qt::DropAction action =
        ActionOf(effect & (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
    if (action != Qt::IgnoreAction && (e->possibleActions() & action))
    {
        e->setDropAction(action);
        e->accept();
    }
    else
    {
        e->setDropAction(Qt::IgnoreAction);
        e->ignore();
    }
}

bool COleDropTarget::HandleDragEvent(QObject* pWatched, QEvent* pEvent)
{
    const QEvent::Type nType = pEvent->type();
    CWnd* pWnd = GetRegisteredWindow();
    if (!pWnd)
        return false;
    QWidget* pWidget = pWnd->GetWidget();
    // Points are in the window's client area: for a scrolling window the
    // viewport, below any header, as a control's hit test takes them.
    if (auto* pArea = qobject_cast<QAbstractScrollArea*>(pWidget))
        pWidget = pArea->viewport();
    auto* pFrom = qobject_cast<QWidget*>(pWatched);
    // A point on the window, from wherever the event arrived.
    auto toWindow = [&](QPointF pos)
    {
        QPoint p = pos.toPoint();
        if (pFrom && pWidget && pFrom != pWidget)
            p = pFrom->mapTo(pWidget, p);
        return CPoint(p.x(), p.y());
    };
    switch (nType)
    {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    {
        auto* e = static_cast<QDragMoveEvent*>(pEvent);
        COleDataObject data(e->mimeData());
        DWORD state = KeyState(e->buttons(), e->modifiers());
        CPoint point = toWindow(e->position());
        if (nType == QEvent::DragEnter)
        {
            m_lastEffect = OnDragEnter(pWnd, &data, state, point);
            Answer(e, m_lastEffect);
            // The registered window is the drag's target whatever it answers, as
            // in OLE: it hears of every move after, and a refused drag does not
            // fall through to a window beneath that would take it (Qt offers an
            // ignored enter to the parents).
            e->accept();
            return true;
        }
        m_lastEffect = OnDragOver(pWnd, &data, state, point);
        Answer(e, m_lastEffect);
        return true;
    }
    case QEvent::DragLeave:
        OnDragLeave(pWnd);
        m_lastEffect = DROPEFFECT_NONE;
        return true;
    case QEvent::Drop:
    {
        auto* e = static_cast<QDropEvent*>(pEvent);
        COleDataObject data(e->mimeData());
        CPoint point = toWindow(e->position());
        DROPEFFECT effect = m_lastEffect;
        m_lastEffect = DROPEFFECT_NONE;
        if (effect == DROPEFFECT_NONE)
        {
            // A drop where the target said no drop ends the drag as leaving it.
            OnDragLeave(pWnd);
            Answer(e, DROPEFFECT_NONE);
            return true;
        }
        DROPEFFECT result = OnDropEx(pWnd, &data, effect, EffectsOf(e->possibleActions()), point);
        if (result == (DROPEFFECT)-1)
            result = OnDrop(pWnd, &data, effect, point) ? effect : DROPEFFECT_NONE;
        Answer(e, result);
        return true;
    }
    default:
        return false;
    }
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

BOOL COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, CPoint)
{
    return FALSE;
}

DROPEFFECT COleDropTarget::OnDropEx(CWnd*, COleDataObject*, DROPEFFECT, DROPEFFECT, CPoint)
{
    return (DROPEFFECT)-1;
}

void COleDropTarget::OnDragLeave(CWnd*) {}
