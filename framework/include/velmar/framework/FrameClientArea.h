#pragma once
// The client area of a frame window. Control bars take their edges in the
// order they were created; the client window (the MDI area, or the window with
// id AFX_IDW_PANE_FIRST: the view or the splitter holding the views) fills
// what is left.
#include "velmar/framework/AfxRes.h"
#include "velmar/framework/Wnd.h"

#include <QPointer>
#include <QWidget>

class CFrameClientArea : public QWidget
{
public:
    explicit CFrameClientArea(QWidget* pParent) : QWidget(pParent) {}

    // A widget that is not a framework window and fills the rest (the MDI area).
    void SetClientWidget(QWidget* pClient)
    {
        m_pClient = pClient;
        LayoutPanes();
    }
    QWidget* GetClientWidget() const { return m_pClient; }

    void LayoutPanes();

protected:
    void resizeEvent(QResizeEvent*) override { LayoutPanes(); }
    bool event(QEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void childEvent(QChildEvent* pEvent) override;

private:
    QPointer<QWidget> m_pClient;
    bool m_bInLayout = false;
};
