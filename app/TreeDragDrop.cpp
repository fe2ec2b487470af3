#include "velmar/app/TreeDragDrop.h"

#include "velmar/app/ItemKind.h"
#include "velmar/app/NodeCommandHistory.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLContentView.h"
#include "velmar/app/XMLTreeView.h"

#include <algorithm>

namespace
{

using Node = nkDS::CXmlNodeW;

// Marks a drag that began in one of the editor's trees.
const wchar_t kNodeFormat[] = L"application/x-velmar-node";

// The drag under way from one of this process's trees.
struct NodeDrag
{
    CXMLTreeView* view = nullptr;
    Node* node = nullptr; // the node, or the owner of the parameter
    int param = -1;       // the parameter's index, or -1 for a node
    CString text;         // its XML text
};
NodeDrag g_drag;

CXMLTreeView* ViewOf(CWnd* pWnd)
{
    return dynamic_cast<CXMLTreeView*>(pWnd);
}

bool IsWithin(const Node* node, const Node* top)
{
    for (; node; node = node->GetParent())
        if (node == top)
            return true;
    return false;
}

} // namespace

DROPEFFECT CTreeDropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState,
                                        CPoint point)
{
    CXMLTreeView* pView = ViewOf(pWnd);
    return pView && pDataObject ? pView->DragOver(*pDataObject, dwKeyState, point)
                                : DROPEFFECT_NONE;
}

DROPEFFECT CTreeDropTarget::OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState,
                                       CPoint point)
{
    return OnDragEnter(pWnd, pDataObject, dwKeyState, point);
}

BOOL CTreeDropTarget::OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect,
                             CPoint point)
{
    CXMLTreeView* pView = ViewOf(pWnd);
    return pView && pDataObject && pView->Drop(*pDataObject, dropEffect, point);
}

void CTreeDropTarget::OnDragLeave(CWnd* pWnd)
{
    if (CXMLTreeView* pView = ViewOf(pWnd))
        pView->DragLeave();
}

BOOL CXMLTreeView::PrepareDrag(HTREEITEM hItem, COleDataSource& data)
{
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    const int kind = tree.GetItemKind(hItem);
    Node* node = tree.GetItemNode(hItem);
    // The declaration stays where it is, the first node of the file.
    if (!node || (!IsNodeItemKind(kind) && kind != ikParam) || tree.IsFirstRootItem(hItem))
        return FALSE;
    g_drag = {this, node, kind == ikParam ? tree.GetIndexInParent(hItem) : -1, ItemXmlText(hItem)};
    if (g_drag.text.IsEmpty())
    {
        EndDrag();
        return FALSE;
    }
    data.CacheText(L"application/xml", g_drag.text);
    data.CacheText(L"text/plain", g_drag.text);
    data.CacheText(kNodeFormat, g_drag.param < 0 ? L"node" : L"parameter");
    return TRUE;
}

void CXMLTreeView::EndDrag()
{
    g_drag = {};
}

void CXMLTreeView::OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    COleDataSource data;
    if (!PrepareDrag(reinterpret_cast<NMTREEVIEW*>(pNMHDR)->itemNew.hItem, data))
        return;
    data.DoDragDrop(this, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    EndDrag();
    DragLeave();
}

bool CXMLTreeView::DropPlace(CPoint point, Place& place) const
{
    const CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    HTREEITEM hItem = tree.HitTest(point);
    Node* node = tree.GetItemNode(hItem);
    if (!node)
        return false;
    CRect rc;
    const bool lower = tree.GetItemRect(hItem, &rc, FALSE) && point.y >= (rc.top + rc.bottom) / 2;
    switch (tree.GetItemKind(hItem))
    {
    case ikChildNodes:
        place = {node, node->GetChildCount(), false};
        return true;
    case ikChildVars:
        place = {node, node->GetParamCount(), true};
        return true;
    case ikParam:
        place = {node, static_cast<uint32_t>(tree.GetIndexInParent(hItem) + (lower ? 1 : 0)), true};
        return true;
    case ikHeader:
    case ikElement:
    case ikRemark:
    case ikDocType:
    case ikText:
        if (!node->GetParent())
            return false;
        place = {node->GetParent(), node->GetParent()->IndexOfChild(node) + (lower ? 1 : 0), false};
        return true;
    default:
        return false;
    }
}

DROPEFFECT CXMLTreeView::DragOver(COleDataObject& data, DWORD dwKeyState, CPoint point)
{
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    tree.SelectDropTarget(nullptr);
    if (!data.GetFileNames().empty())
        return DROPEFFECT_COPY;
    Place place;
    CString text, reason;
    if (!DropPlace(point, place) || !AfxGetDataText(data, L"text/plain", text))
        return DROPEFFECT_NONE;
    const bool ours = AfxGetDataText(data, kNodeFormat, text) && g_drag.view;
    if (ours)
    {
        // A parameter among parameters, a node among nodes, never into itself.
        if ((g_drag.param >= 0) != place.params)
            return DROPEFFECT_NONE;
        if (!place.params && (IsWithin(place.parent, g_drag.node) || !CanHoldNodes(place, reason)))
            return DROPEFFECT_NONE;
    }
    else if (!place.params && !CanHoldNodes(place, reason))
    {
        return DROPEFFECT_NONE;
    }
    // The item the drop goes before, after or into is highlighted.
    tree.SelectDropTarget(tree.HitTest(point));
    const bool sameDocument = ours && g_drag.view->GetDocument() == GetDocument();
    return sameDocument && !(dwKeyState & MK_CONTROL) ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
}

void CXMLTreeView::DragLeave()
{
    GetXMLTreeCtrl().SelectDropTarget(nullptr);
}

BOOL CXMLTreeView::Drop(COleDataObject& data, DROPEFFECT effect, CPoint point)
{
    DragLeave();
    const std::vector<CString> files = data.GetFileNames();
    if (!files.empty())
    {
        // As on the main window: each file opens as a document.
        for (const CString& file : files)
            AfxGetApp()->OpenDocumentFile(file);
        return TRUE;
    }
    Place place;
    CString text, reason;
    if (!DropPlace(point, place) || !AfxGetDataText(data, L"text/plain", text))
        return FALSE;
    CString mark;
    const bool ours = AfxGetDataText(data, kNodeFormat, mark) && g_drag.view;
    BOOL done = FALSE;
    if (ours && effect == DROPEFFECT_MOVE && g_drag.view->GetDocument() == GetDocument())
        done = MoveTo(g_drag.node, g_drag.param, place);
    else
        done = InsertText(text, place, L"Drop '%1'", reason);
    if (!done && !reason.IsEmpty())
        MessageBox(reason, nullptr, MB_OK | MB_ICONWARNING);
    return done;
}

BOOL CXMLTreeView::MoveTo(Node* node, int param, const Place& place)
{
    CVelmarDoc* pDoc = GetDocument();
    if (!pDoc || !node || !place.parent || (param >= 0) != place.params)
        return FALSE;
    Node* from = param >= 0 ? node : node->GetParent();
    if (!from)
        return FALSE;
    const uint32_t index = param >= 0 ? static_cast<uint32_t>(param) : from->IndexOfChild(node);
    uint32_t to = place.index;
    // Its own place, before or after itself, is no move.
    if (from == place.parent && (to == index || to == index + 1))
        return FALSE;
    if (from == place.parent && to > index)
        --to;
    CString reason;
    const bool takesText =
        param < 0 && place.parent != &pDoc->GetXmlFile() && place.parent->GetChildCount() == 0;
    if (param < 0 && (IsWithin(place.parent, node) || !CanHoldNodes(place, reason) ||
                      (takesText && !ConfirmTextLoss(*place.parent))))
        return FALSE;
    const CString name = param >= 0 ? CNodeEdit::StepName(L"Move '%1'", node->GetParamName(index))
                                    : CNodeEdit::StepName(L"Move '%1'", node);
    EmptyContentPanes(
        [&](const CXMLContentView& pane)
        {
            return (param >= 0 && pane.GetEditedKind() == ikParam &&
                    (pane.GetEditedNode() == from || pane.GetEditedNode() == place.parent)) ||
                   (param < 0 && pane.GetEditedNode() == place.parent &&
                    pane.GetEditedKind() == ikNodeValue);
        });
    const BOOL moved = pDoc->RunEdit(
        name, {from, place.parent},
        [&]
        {
            if (param >= 0)
            {
                const auto pname = node->ParamNames().GetAt(index);
                const auto pvalue = node->ParamValues().GetAt(index);
                from->RemoveParam(index);
                to = std::min(to, place.parent->GetParamCount());
                place.parent->ParamNames().InsertAt(to, &pname, 1);
                place.parent->ParamValues().InsertAt(to, &pvalue, 1);
                return true;
            }
            from->DetachChild(index);
            if (takesText)
            {
                place.parent->SetValue(nullptr);
                place.parent->SetCData(false);
            }
            return place.parent->InsertChild(std::min(to, place.parent->GetChildCount()), node);
        },
        param >= 0 ? nullptr : node);
    if (moved)
        SelectNodeItem(param >= 0 ? place.parent : node, param >= 0 ? ikParam : ikElement,
                       static_cast<int>(to), place.parent);
    return moved;
}
