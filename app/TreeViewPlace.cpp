// Where the user is in a tree view after its items were rebuilt: which item
// is selected and shown.
#include "velmar/app/ItemKind.h"
#include "velmar/app/XMLTreeView.h"

void CXMLTreeView::ShowNodeChange(const std::vector<Node*>& nodes, Node* root)
{
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    const HTREEITEM hWas = tree.GetSelectedItem();
    Node* selected = tree.GetItemNode(hWas);
    const int kind = tree.GetItemKind(hWas);
    const int param = kind == ikParam ? tree.GetIndexInParent(hWas) : -1;
    ++m_nMirroring;
    for (Node* node : nodes)
    {
        if (node == root)
        {
            tree.FillItem(TVI_ROOT, root);
            continue;
        }
        HTREEITEM hItem = tree.FindNodeItem(node);
        if (!hItem)
            continue;
        if (*node->GetName())
            tree.SetItemText(hItem, node->GetName());
        if (tree.FindGroup(hItem, ikChildVars))
            tree.FillParams(hItem);
        if (HTREEITEM hList = tree.FindGroup(hItem, ikChildNodes))
            tree.FillItem(hList, node);
    }
    HTREEITEM hNow = selected ? tree.MakeItem(selected, kind, param) : nullptr;
    if (hNow)
        tree.SelectItem(hNow);
    --m_nMirroring;
    if (hWas && hNow != hWas)
        AnnounceSelection(hNow);
}

BOOL CXMLTreeView::SelectNodeItem(Node* node, int kind, int param, Node* fallback)
{
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    HTREEITEM hItem = node ? tree.MakeItem(node, kind, param) : nullptr;
    if (!hItem && fallback)
        hItem =
            fallback->GetParent() ? tree.MakeItem(fallback, ikChildNodes, -1) : tree.GetRootItem();
    if (!hItem)
        return FALSE;
    tree.EnsureVisible(hItem);
    if (tree.GetSelectedItem() == hItem)
    {
        // The panes hear of it again: what the item shows may have changed.
        AnnounceSelection(hItem);
        return TRUE;
    }
    return tree.SelectItem(hItem);
}
