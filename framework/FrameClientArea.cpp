#include "velmar/framework/FrameClientArea.h"

#include "velmar/framework/ControlBar.h"

#include <QChildEvent>
#include <QEvent>

#include <algorithm>
#include <vector>

void CFrameClientArea::LayoutPanes()
{
    if (m_bInLayout)
        return;
    m_bInLayout = true;
    QRect rest = rect();
    std::vector<QWidget*> panes;
    for (QObject* o : children())
    {
        if (!o->isWidgetType())
            continue;
        QWidget* w = static_cast<QWidget*>(o);
        CWnd* pWnd = CWnd::FromHandlePermanent(CWnd::HandleOf(w));
        if (auto* pBar = DYNAMIC_DOWNCAST(CControlBar, pWnd))
        {
            if (w->isHidden())
                continue;
            DWORD align = pBar->GetBarStyle() & CBRS_ALIGN_ANY;
            bool bVert = (align & CBRS_ORIENT_VERT) && !(align & CBRS_ORIENT_HORZ);
            CSize size = pBar->CalcFixedLayout(FALSE, !bVert);
            if (align & CBRS_ALIGN_BOTTOM && !(align & CBRS_ALIGN_TOP))
            {
                int h = std::min<int>(size.cy, rest.height());
                w->setGeometry(rest.left(), rest.bottom() + 1 - h, rest.width(), h);
                rest.setBottom(rest.bottom() - h);
            }
            else if (bVert && (align & CBRS_ALIGN_RIGHT))
            {
                int cx = std::min<int>(size.cx, rest.width());
                w->setGeometry(rest.right() + 1 - cx, rest.top(), cx, rest.height());
                rest.setRight(rest.right() - cx);
            }
            else if (bVert)
            {
                int cx = std::min<int>(size.cx, rest.width());
                w->setGeometry(rest.left(), rest.top(), cx, rest.height());
                rest.setLeft(rest.left() + cx);
            }
            else
            { // top, and bars that name no edge
                int h = std::min<int>(size.cy, rest.height());
                w->setGeometry(rest.left(), rest.top(), rest.width(), h);
                rest.setTop(rest.top() + h);
            }
        }
        else if (w == m_pClient || (pWnd && pWnd->GetDlgCtrlID() == AFX_IDW_PANE_FIRST))
        {
            panes.push_back(w);
        }
    }
    for (QWidget* w : panes)
        w->setGeometry(rest.width() > 0 && rest.height() > 0 ? rest
                                                             : QRect(rest.topLeft(), QSize(0, 0)));
    m_bInLayout = false;
}

bool CFrameClientArea::event(QEvent* pEvent)
{
    if (pEvent->type() == QEvent::LayoutRequest)
        LayoutPanes();
    return QWidget::event(pEvent);
}

bool CFrameClientArea::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // A bar shown or hidden by any means gives its edge back or takes it.
    if (pWatched->parent() == this &&
        (pEvent->type() == QEvent::ShowToParent || pEvent->type() == QEvent::HideToParent))
        LayoutPanes();
    return false;
}

void CFrameClientArea::childEvent(QChildEvent* pEvent)
{
    if (pEvent->child()->isWidgetType())
    {
        if (pEvent->added())
            pEvent->child()->installEventFilter(this);
        else if (pEvent->removed())
            pEvent->child()->removeEventFilter(this);
    }
    QWidget::childEvent(pEvent);
}
