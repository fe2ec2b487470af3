#pragma once
// The client area of a frame window: the window with id AFX_IDW_PANE_FIRST
// (the view, or the splitter holding the views) fills it.
#include "framework/AfxRes.h"
#include "framework/Wnd.h"

#include <QWidget>

class CFrameClientArea : public QWidget
{
public:
    explicit CFrameClientArea(QWidget* pParent) : QWidget(pParent) {}

    void LayoutPanes()
    {
        for (QObject* o : children()) {
            if (!o->isWidgetType())
                continue;
            QWidget* w = static_cast<QWidget*>(o);
            CWnd* pWnd = CWnd::FromHandlePermanent(CWnd::HandleOf(w));
            if (pWnd && pWnd->GetDlgCtrlID() == AFX_IDW_PANE_FIRST)
                w->setGeometry(rect());
        }
    }

protected:
    void resizeEvent(QResizeEvent*) override { LayoutPanes(); }
};
