#include "velmar/framework/View.h"

#include "velmar/framework/Document.h"
#include "velmar/framework/CmdUI.h"
#include "velmar/framework/FrameWnd.h"
#include "velmar/framework/SplitterWnd.h"

#include <QPainter>
#include <QWidget>

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_MESSAGE(WM_INITIALUPDATE, &CView::OnInitialUpdateMessage)
ON_COMMAND_EX(ID_NEXT_PANE, &CView::OnNextPaneCmd)
ON_COMMAND_EX(ID_PREV_PANE, &CView::OnNextPaneCmd)
ON_UPDATE_COMMAND_UI(ID_NEXT_PANE, &CView::OnUpdateNextPaneMenu)
ON_UPDATE_COMMAND_UI(ID_PREV_PANE, &CView::OnUpdateNextPaneMenu)
END_MESSAGE_MAP()

// The widget of a plain view: paints through the view's OnDraw.
class CViewWidget : public QWidget
{
public:
    explicit CViewWidget(QWidget* pParent) : QWidget(pParent) { setFocusPolicy(Qt::StrongFocus); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        CView* pView = DYNAMIC_DOWNCAST(CView, CWnd::FromHandlePermanent(CWnd::HandleOf(this)));
        if (!pView)
            return;
        QPainter painter(this);
        CDC dc(&painter);
        pView->OnDraw(&dc);
    }
};

CView::~CView()
{
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

void CView::PostNcDestroy()
{
    delete this;
}

QWidget* CView::CreateWidget(const CREATESTRUCT&, QWidget* pParentWidget)
{
    return new CViewWidget(pParentWidget);
}

int CView::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    auto* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    if (pContext && pContext->m_pCurrentDoc)
        pContext->m_pCurrentDoc->AddView(this);
    return 0;
}

void CView::OnDestroy()
{
    CFrameWnd* pFrame = GetParentFrame();
    if (pFrame && pFrame->GetActiveView() == this)
        pFrame->SetActiveView(nullptr, FALSE);
    CWnd::OnDestroy();
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM)
{
    OnInitialUpdate();
    return 0;
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, CObject*)
{
    Invalidate(TRUE);
}

void CView::OnActivateView(BOOL bActivate, CView* pActivateView, CView*)
{
    if (bActivate && pActivateView == this)
    {
        QWidget* pWidget = GetWidget();
        if (pWidget && !pWidget->hasFocus() && pWidget->isVisible())
            SetFocus();
    }
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CView::OnNextPaneCmd(UINT nID)
{
    CSplitterWnd* pSplitter = AfxGetParentSplitter(this);
    if (!pSplitter || !pSplitter->CanActivateNext(nID == ID_PREV_PANE))
        return FALSE;
    pSplitter->ActivateNext(nID == ID_PREV_PANE);
    return TRUE;
}

void CView::OnUpdateNextPaneMenu(CCmdUI* pCmdUI)
{
    CSplitterWnd* pSplitter = AfxGetParentSplitter(this);
    pCmdUI->Enable(pSplitter && pSplitter->CanActivateNext(pCmdUI->m_nID == ID_PREV_PANE));
}
