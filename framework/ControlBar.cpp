#include "velmar/framework/ControlBar.h"

#include "velmar/framework/FrameWnd.h"

#include <QWidget>

#include <algorithm>

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
ON_MESSAGE(WM_IDLEUPDATECMDUI, &CControlBar::OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    if (!IsWindowVisible())
        return 0;
    if (CFrameWnd* pTarget = GetDockingFrame())
        OnUpdateCmdUI(pTarget, (BOOL)wParam);
    return 0;
}

CFrameWnd* CControlBar::GetDockingFrame() const
{
    return GetParentFrame();
}

CSize CControlBar::CalcFixedLayout(BOOL, BOOL)
{
    QWidget* pWidget = GetWidget();
    if (!pWidget)
        return CSize(0, 0);
    QSize hint = pWidget->sizeHint().expandedTo(pWidget->minimumSizeHint());
    // A bar whose widget states no size keeps the size it was given.
    if (!hint.isValid())
        hint = pWidget->size();
    return CSize(std::max(0, hint.width()), std::max(0, hint.height()));
}

BOOL CControlBar::CreateBar(DWORD dwStyle, CWnd* pParentWnd, UINT nID, const RECT& rect)
{
    m_dwBarStyle = dwStyle & CBRS_ALL;
    return CWnd::Create(nullptr, nullptr, (dwStyle & ~CBRS_ALL) | WS_CHILD, rect, pParentWnd, nID);
}

QWidget* CControlBar::CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget)
{
    if (auto* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, FromHandlePermanent(cs.hwndParent)))
        if (QWidget* pHost = pFrame->GetBarHost())
            pParentWidget = pHost;
    return CreateBarWidget(pParentWidget);
}

QWidget* CControlBar::CreateBarWidget(QWidget* pParentWidget)
{
    return new QWidget(pParentWidget);
}
