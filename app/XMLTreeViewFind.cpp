#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLTreeView.h"

#include <string>

NodeTextRef CXMLTreeView::SelectedText() const
{
    const CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    HTREEITEM hItem = tree.GetSelectedItem();
    Node* node = tree.GetItemNode(hItem);
    if (!node)
        return {};
    switch (tree.GetItemKind(hItem))
    {
    case ikParam:
    {
        const int index = tree.GetIndexInParent(hItem);
        return {node, index >= 0 ? 2 * static_cast<uint32_t>(index) + 1 : 0};
    }
    case ikChildNodes:
        // The children come after the node's parameters.
        return {node, NodeTextRef::ValueSlot(*node) - 1};
    case ikNodeValue:
        return {node, NodeTextRef::ValueSlot(*node)};
    default:
        return {node, 0};
    }
}

HTREEITEM CXMLTreeView::ItemOfText(const NodeTextRef& ref) const
{
    const CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    HTREEITEM hNode = tree.FindNodeItem(ref.node);
    if (!hNode || ref.slot == 0)
        return hNode;
    if (ref.IsParam())
    {
        HTREEITEM hGroup = tree.FindGroup(hNode, ikChildVars);
        HTREEITEM hParam = hGroup ? tree.GetChildItem(hGroup) : nullptr;
        for (uint32_t i = 0; hParam && i < ref.Param(); ++i)
            hParam = tree.GetNextSiblingItem(hParam);
        return hParam;
    }
    // A remark is its own value.
    HTREEITEM hValue = tree.FindGroup(hNode, ikNodeValue);
    return hValue ? hValue : hNode;
}

BOOL CXMLTreeView::SelectText(const NodeTextRef& ref)
{
    // A hit deep in a part nobody opened yet gets its items made on the way down.
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    HTREEITEM hItem = ref.slot == 0 ? tree.MakeNodeItem(ref.node)
                      : ref.IsParam()
                          ? tree.MakeItem(ref.node, ikParam, static_cast<int>(ref.Param()))
                          : tree.MakeItem(ref.node, ikNodeValue, -1);
    if (!hItem || !tree.SelectItem(hItem))
        return FALSE;
    tree.EnsureVisible(hItem);
    return TRUE;
}

BOOL CXMLTreeView::SelectPath(LPCWSTR path)
{
    CVelmarDoc* pDoc = GetDocument();
    std::wstring text(path ? path : L"");
    // Blanks around a pasted path are not part of it.
    const size_t first = text.find_first_not_of(L" \t");
    if (!pDoc || first == std::wstring::npos)
        return FALSE;
    text = text.substr(first, text.find_last_not_of(L" \t") + 1 - first);
    const Orvex::CDataLocator locator(text.c_str());
    Node* node = pDoc->GetXmlFile().FindNode(&locator);
    return node && SelectText({node, 0});
}
