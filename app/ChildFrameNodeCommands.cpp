// The XML menu's node editing commands of a document window and the rules
// that enable them. Everything is decided by the kind of the selected tree
// item; with the content pane active every one of them is disabled.
#include "velmar/app/ChildFrame.h"

#include "velmar/app/ItemKind.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLTreeView.h"

namespace
{

// The selected item and its kind (ikNone for no selection) of a tree view.
struct Selection
{
    HTREEITEM hItem = nullptr;
    int kind = ikNone;
};

Selection SelectionOf(const CXMLTreeView& view)
{
    const CXMLTreeCtrl& tree = view.GetXMLTreeCtrl();
    Selection s;
    s.hItem = tree.GetSelectedItem();
    s.kind = tree.GetItemKind(s.hItem);
    return s;
}

// Moving hItem past its neighbour in that direction keeps every list's
// order valid and the first top-level item in its place.
bool CanMove(const CXMLTreeCtrl& tree, HTREEITEM hItem, int kind, bool bUp)
{
    if (!hItem || kind == ikChildNodes || kind == ikNodeValue || kind == ikChildVars)
        return false;
    HTREEITEM hOther = bUp ? tree.GetPrevSiblingItem(hItem) : tree.GetNextSiblingItem(hItem);
    return hOther && !tree.IsFirstRootItem(hOther) && !tree.IsFirstRootItem(hItem);
}

// A new node of the given kind, name and value; null when there is no memory.
nkDS::CXmlNodeW* NewNode(uint32_t kind, LPCWSTR name, LPCWSTR value)
{
    nkDS::CXmlNodeW* node = nkDS::CreateXmlNodeW();
    if (!node)
        return nullptr;
    node->SetKind(kind);
    if (name)
        node->SetName(name);
    if (value)
        node->SetValue(value);
    return node;
}

CXMLTreeView* ActiveTreeView(const CChildFrame& frame)
{
    return dynamic_cast<CXMLTreeView*>(frame.GetActiveView());
}

// Adds a new node through the tree of pane (0, 0); the node is given back
// when the tree refuses it.
bool AddNewNode(CChildFrame& frame, uint32_t kind, LPCWSTR name, LPCWSTR value)
{
    CXMLTreeView* pView = frame.GetTreeView();
    if (!pView)
        return false;
    nkDS::CXmlNodeW* node = NewNode(kind, name, value);
    if (!node)
        return false;
    if (pView->AddNode(node))
        return true;
    nkDS::DestroyXmlNode(node);
    return false;
}

void MoveSelected(CChildFrame& frame, BOOL bUp)
{
    CXMLTreeView* pView = ActiveTreeView(frame);
    if (!pView)
        return;
    if (pView->MoveItem(pView->GetXMLTreeCtrl().GetSelectedItem(), bUp))
        if (CVelmarDoc* pDoc = pView->GetDocument())
            pDoc->SetModifiedFlag(TRUE);
}

} // namespace

void CChildFrame::OnXmlAddHeader()
{
    if (AddNewNode(*this, nkDS::xnkHeader, L"xml-stylesheet", nullptr))
        UpdateTitle();
}

void CChildFrame::OnXmlAddDataNode()
{
    AddNewNode(*this, nkDS::xnkData, L"NewNode", nullptr);
}

void CChildFrame::OnXmlAddRemark()
{
    // No name: that is what makes the tree show it as a remark.
    AddNewNode(*this, nkDS::xnkRemark, nullptr, L"Remark string.");
}

void CChildFrame::OnXmlAddParam()
{
    if (CXMLTreeView* pView = GetTreeView())
        pView->AddParam(L"NewParam", L"");
}

void CChildFrame::OnXmlRename()
{
    if (CXMLTreeView* pView = ActiveTreeView(*this))
    {
        CXMLTreeCtrl& tree = pView->GetXMLTreeCtrl();
        if (HTREEITEM hItem = tree.GetSelectedItem())
            tree.EditLabel(hItem);
    }
}

void CChildFrame::OnXmlDelete()
{
    CXMLTreeView* pView = GetTreeView();
    if (!pView || pView->GetXMLTreeCtrl().GetEditControl())
        return;
    // In Chinese "确认删除节点？" / "确认".
    if (MessageBox(L"Delete the selected node?", L"Confirm",
                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
        pView->DeleteSelected();
}

void CChildFrame::OnXmlMoveUp()
{
    MoveSelected(*this, TRUE);
}

void CChildFrame::OnXmlMoveDown()
{
    MoveSelected(*this, FALSE);
}

void CChildFrame::OnUpdateXmlAddNode(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
    if (const CXMLTreeView* pView = ActiveTreeView(*this))
    {
        const int kind = SelectionOf(*pView).kind;
        pCmdUI->Enable(kind != ikNodeValue && kind != ikChildVars && kind != ikParam);
    }
}

void CChildFrame::OnUpdateXmlAddParam(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
    if (const CXMLTreeView* pView = ActiveTreeView(*this))
    {
        const int kind = SelectionOf(*pView).kind;
        pCmdUI->Enable(kind == ikChildVars || kind == ikParam);
    }
}

void CChildFrame::OnUpdateXmlDelete(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
    if (const CXMLTreeView* pView = ActiveTreeView(*this))
        pCmdUI->Enable(SelectionOf(*pView).kind != ikNodeValue);
}

void CChildFrame::OnUpdateXmlRename(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
    if (const CXMLTreeView* pView = ActiveTreeView(*this))
    {
        const Selection s = SelectionOf(*pView);
        // With nothing selected in an empty tree, "no item" is the first item.
        const bool first = s.hItem == pView->GetXMLTreeCtrl().GetRootItem();
        pCmdUI->Enable(s.kind != ikChildNodes && s.kind != ikNodeValue && s.kind != ikChildVars &&
                       s.kind != ikRemark && s.kind != ikDocType && s.kind != ikText && !first);
    }
}

void CChildFrame::OnUpdateXmlMoveUp(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
    if (const CXMLTreeView* pView = ActiveTreeView(*this))
    {
        const Selection s = SelectionOf(*pView);
        pCmdUI->Enable(CanMove(pView->GetXMLTreeCtrl(), s.hItem, s.kind, true));
    }
}

void CChildFrame::OnUpdateXmlMoveDown(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
    if (const CXMLTreeView* pView = ActiveTreeView(*this))
    {
        const Selection s = SelectionOf(*pView);
        pCmdUI->Enable(CanMove(pView->GetXMLTreeCtrl(), s.hItem, s.kind, false));
    }
}
