#include "velmar/framework/TreeView.h"

#include "velmar/framework/TreeViewWidget.h"

IMPLEMENT_DYNCREATE(CTreeView, CView)

BEGIN_MESSAGE_MAP(CTreeView, CView)
END_MESSAGE_MAP()

CTreeView::CTreeView() = default;

CTreeView::~CTreeView() = default;

CTreeCtrl& CTreeView::GetTreeCtrl() const
{
    if (!m_pTreeCtrl)
        m_pTreeCtrl.reset(const_cast<CTreeView*>(this)->NewTreeCtrl());
    return *m_pTreeCtrl;
}

CTreeCtrl* CTreeView::NewTreeCtrl()
{
    return new CTreeCtrl;
}

void CTreeView::OnDraw(CDC*) {}

QWidget* CTreeView::CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget)
{
    return GetTreeCtrl().CreateWidgetFor(this, cs, pParentWidget);
}
