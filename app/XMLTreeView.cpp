#include "app/XMLTreeView.h"

#include "app/FrameHooks.h"
#include "app/VelmarDoc.h"

#include <cwctype>

IMPLEMENT_DYNCREATE(CXMLTreeView, CTreeView)

BEGIN_MESSAGE_MAP(CXMLTreeView, CTreeView)
    ON_NOTIFY_REFLECT(TVN_SELCHANGED, &CXMLTreeView::OnSelChanged)
    ON_NOTIFY_REFLECT(TVN_BEGINLABELEDIT, &CXMLTreeView::OnBeginLabelEdit)
    ON_NOTIFY_REFLECT(TVN_ENDLABELEDIT, &CXMLTreeView::OnEndLabelEdit)
    ON_NOTIFY_REFLECT(TVN_BEGINDRAG, &CXMLTreeView::OnBeginDrag)
    ON_WM_RBUTTONDOWN()
END_MESSAGE_MAP()

namespace {

// "xml" in any case is reserved for the declaration at the top of a file.
bool IsReservedTarget(LPCWSTR name)
{
    return std::towlower(name[0]) == L'x' && std::towlower(name[1]) == L'm' && std::towlower(name[2]) == L'l' &&
           name[3] == 0;
}

} // namespace

CXMLTreeView::CXMLTreeView() = default;

CXMLTreeView::~CXMLTreeView() = default;

CTreeCtrl* CXMLTreeView::NewTreeCtrl()
{
    return new CXMLTreeCtrl;
}

CVelmarDoc* CXMLTreeView::GetDocument() const
{
    return dynamic_cast<CVelmarDoc*>(m_pDocument);
}

BOOL CXMLTreeView::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                          CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    if (!CTreeView::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext))
        return FALSE;
    GetTreeCtrl().ModifyStyle(0, TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS);
    m_dropTarget.Register(this);
    return TRUE;
}

void CXMLTreeView::OnInitialUpdate()
{
    // A new window on a document builds only its own tree.
    if (CVelmarDoc* pDoc = GetDocument())
        GetXMLTreeCtrl().FillItem(TVI_ROOT, &pDoc->GetXmlFile());
    CTreeView::OnInitialUpdate();
}

void CXMLTreeView::OnUpdate(CView*, LPARAM, CObject*)
{
}

void CXMLTreeView::OnDraw(CDC*)
{
}

std::vector<CXMLTreeView*> CXMLTreeView::OtherTreeViews() const
{
    std::vector<CXMLTreeView*> views;
    if (m_pDocument)
        for (CView* pView : m_pDocument->GetViews())
            if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView); pTree && pTree != this)
                views.push_back(pTree);
    return views;
}

void CXMLTreeView::RefreshItem(HTREEITEM hItem)
{
    CVelmarDoc* pDoc = GetDocument();
    if (!pDoc)
        return;
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    const int kind = hItem == TVI_ROOT ? ikNone : tree.GetItemKind(hItem);
    CXMLTreeCtrl::Node* node = hItem == TVI_ROOT ? &pDoc->GetXmlFile() : tree.GetItemNode(hItem);
    tree.FillItem(hItem, node);
    for (CXMLTreeView* pOther : OtherTreeViews()) {
        CXMLTreeCtrl& other = pOther->GetXMLTreeCtrl();
        HTREEITEM hList = nullptr;
        if (hItem == TVI_ROOT || kind == ikChildNodes)
            hList = other.FindChildListItem(node);
        // Where the other tree has no such list (or this rebuild was not of
        // one), only a whole rebuild is sure to drop every stale item.
        if (hList)
            other.FillItem(hList, node);
        else
            other.FillItem(TVI_ROOT, &pDoc->GetXmlFile());
    }
}

void CXMLTreeView::BuildPath(CString& out) const
{
    out = GetXMLTreeCtrl().BuildPath();
}

void CXMLTreeView::ReleaseItems()
{
    GetXMLTreeCtrl().DeleteChildren(TVI_ROOT);
}

void CXMLTreeView::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    HTREEITEM hItem = reinterpret_cast<NMTREEVIEW*>(pNMHDR)->itemNew.hItem;
    if (CDocument* pDoc = GetDocument())
        pDoc->UpdateAllViews(this, reinterpret_cast<LPARAM>(hItem), nullptr);
    CString path;
    BuildPath(path);
    if (auto* pSink = dynamic_cast<IPathTextSink*>(AfxGetMainWnd()))
        pSink->SetPathText(path);
}

void CXMLTreeView::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    HTREEITEM hItem = reinterpret_cast<NMTVDISPINFO*>(pNMHDR)->item.hItem;
    const int kind = tree.GetItemKind(hItem);
    const bool allowed = (kind == ikHeader || kind == ikElement || kind == ikParam) && !tree.IsFirstRootItem(hItem);
    *pResult = allowed ? FALSE : TRUE;
}

void CXMLTreeView::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = FALSE;
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    const TVITEM& item = reinterpret_cast<NMTVDISPINFO*>(pNMHDR)->item;
    LPCWSTR text = item.pszText ? item.pszText : L"";
    CXMLTreeCtrl::Node* node = tree.GetItemNode(item.hItem);
    if (!node || !nkDS::IsValidXmlName(text))
        return;
    const int kind = tree.GetItemKind(item.hItem);
    int param = -1;
    switch (kind) {
    case ikHeader:
        // A second "xml" declaration would not read back.
        if (IsReservedTarget(text) || !node->SetName(text))
            return;
        break;
    case ikElement:
        if (!node->SetName(text))
            return;
        break;
    case ikParam:
        param = tree.GetIndexInParent(item.hItem);
        if (param < 0 || static_cast<uint32_t>(param) >= node->GetParamCount())
            return;
        node->m_paramNames.GetAtForWrite(static_cast<uint32_t>(param)).Assign(text);
        break;
    default:
        return;
    }
    *pResult = TRUE;
    // Other windows on the document show the new name too.
    for (CXMLTreeView* pOther : OtherTreeViews()) {
        CXMLTreeCtrl& other = pOther->GetXMLTreeCtrl();
        HTREEITEM hNode = other.FindNodeItem(node);
        if (param < 0) {
            if (hNode)
                other.SetItemText(hNode, text);
            continue;
        }
        HTREEITEM hGroup = other.FindGroup(hNode, ikChildVars);
        HTREEITEM hParam = hGroup ? other.GetChildItem(hGroup) : nullptr;
        for (int i = 0; hParam && i < param; ++i)
            hParam = other.GetNextSiblingItem(hParam);
        if (hParam)
            other.SetItemText(hParam, text);
    }
    if (CVelmarDoc* pDoc = GetDocument())
        pDoc->SetModifiedFlag(TRUE);
}

void CXMLTreeView::OnBeginDrag(NMHDR*, LRESULT* pResult)
{
    // Nodes are moved by the Move up and Move down commands; a drag would
    // promise a move that nothing carries out, so none is started.
    *pResult = 0;
}

void CXMLTreeView::OnRButtonDown(UINT nFlags, CPoint point)
{
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    if (HTREEITEM hItem = tree.HitTest(point))
        tree.SelectItem(hItem);
    CTreeView::OnRButtonDown(nFlags, point);
}
