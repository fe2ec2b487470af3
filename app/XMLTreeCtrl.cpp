#include "velmar/app/XMLTreeCtrl.h"

#include <algorithm>
#include <cwchar>
#include <functional>
#include <set>
#include <vector>

IMPLEMENT_DYNCREATE(CXMLTreeCtrl, CTreeCtrl)

namespace
{

bool SameName(const wchar_t* a, const wchar_t* b)
{
    return std::wcscmp(a, b) == 0;
}

} // namespace

HTREEITEM CXMLTreeCtrl::InsertTyped(LPCWSTR text, int kind, Node* node, HTREEITEM hParent,
                                    bool bHasChildren)
{
    TVINSERTSTRUCT insert{};
    insert.hParent = hParent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<LPWSTR>(text);
    insert.item.iImage = kind;
    insert.item.iSelectedImage = kind;
    insert.item.lParam = reinterpret_cast<LPARAM>(node);
    insert.item.cChildren = bHasChildren ? 1 : 0;
    return InsertItem(&insert);
}

void CXMLTreeCtrl::SetHasChildren(HTREEITEM hItem, bool bHasChildren)
{
    if (!hItem || hItem == TVI_ROOT || (ItemHasChildren(hItem) != FALSE) == bHasChildren)
        return;
    TVITEM item{};
    item.hItem = hItem;
    item.mask = TVIF_CHILDREN;
    item.cChildren = bHasChildren ? 1 : 0;
    SetItem(&item);
}

void CXMLTreeCtrl::InsertParams(HTREEITEM hGroup, Node* node)
{
    const uint32_t count = node->GetParamCount();
    for (uint32_t i = 0; i < count; ++i)
        if (!InsertTyped(node->GetParamName(i), ikParam, node, hGroup, false))
            return;
}

HTREEITEM CXMLTreeCtrl::InsertNode(Node* node, HTREEITEM hParent)
{
    if (!node)
        return nullptr;
    const wchar_t* name = node->GetName();
    const uint32_t nodeKind = node->GetKind();
    // The document type and a text run stand alone, as a remark does.
    if (nodeKind == nkDS::xnkDocType || nodeKind == nkDS::xnkText)
    {
        const bool docType = nodeKind == nkDS::xnkDocType;
        return InsertTyped(docType ? CString(L"DOCTYPE") : AfxTranslate(L"Text"),
                           docType ? ikDocType : ikText, node, hParent, false);
    }
    const bool unnamed = name[0] == L'\0';
    const int kind = unnamed ? ikRemark : nodeKind == nkDS::xnkHeader ? ikHeader : ikElement;
    // Every node but a remark has its groups, made when the item is opened.
    return InsertTyped(unnamed ? AfxTranslate(L"Remark") : CString(name), kind, node, hParent,
                       nodeKind != nkDS::xnkRemark);
}

bool CXMLTreeCtrl::IsBuilt(HTREEITEM hItem) const
{
    return !hItem || hItem == TVI_ROOT || GetChildItem(hItem) || !ItemHasChildren(hItem);
}

void CXMLTreeCtrl::Build(HTREEITEM hItem)
{
    if (IsBuilt(hItem))
        return;
    Node* node = GetItemNode(hItem);
    if (!node)
    {
        SetHasChildren(hItem, false);
        return;
    }
    switch (GetItemKind(hItem))
    {
    case ikHeader:
    case ikElement:
    case ikRemark:
    {
        if (node->GetKind() == nkDS::xnkRemark)
            break;
        if (!InsertTyped(AfxTranslate(L"Child Vars"), ikChildVars, node, hItem,
                         node->GetParamCount() > 0) ||
            node->GetKind() == nkDS::xnkHeader)
            break;
        if (InsertTyped(AfxTranslate(L"Child Nodes"), ikChildNodes, node, hItem,
                        node->GetChildCount() > 0))
            InsertTyped(AfxTranslate(L"Node Value"), ikNodeValue, node, hItem, false);
        break;
    }
    case ikChildVars:
        InsertParams(hItem, node);
        break;
    case ikChildNodes:
    {
        const uint32_t count = node->GetChildCount();
        for (uint32_t i = 0; i < count; ++i)
            if (Node* child = node->GetChild(i))
                if (!InsertNode(child, hItem))
                    break;
        break;
    }
    default:
        break;
    }
    // An item that turned out empty loses its button.
    if (!GetChildItem(hItem))
        SetHasChildren(hItem, false);
}

void CXMLTreeCtrl::DeleteChildren(HTREEITEM hItem)
{
    if (!hItem)
        return;
    HTREEITEM hChild = GetChildItem(hItem);
    SelectItem(nullptr);
    while (hChild)
    {
        HTREEITEM hNext = GetNextSiblingItem(hChild);
        SetItemData(hChild, 0);
        if (hNext)
            SetItemData(hNext, 0);
        DeleteItem(hChild);
        hChild = hNext;
    }
    ++m_nRebuilds;
    SetHasChildren(hItem, false);
}

void CXMLTreeCtrl::FillItem(HTREEITEM hItem, Node* node)
{
    // The open items below hItem open again once rebuilt: the rebuild is the
    // program's business, what the user opened is the user's.
    std::set<std::pair<const Node*, int>> open;
    auto walkOpen = [this](HTREEITEM hTop, const std::function<void(HTREEITEM)>& visit)
    {
        std::vector<HTREEITEM> stack;
        for (HTREEITEM h = GetChildItem(hTop); h; h = GetNextSiblingItem(h))
            stack.push_back(h);
        while (!stack.empty())
        {
            HTREEITEM h = stack.back();
            stack.pop_back();
            visit(h);
            if (GetItemState(h, TVIS_EXPANDED) & TVIS_EXPANDED)
                for (HTREEITEM c = GetChildItem(h); c; c = GetNextSiblingItem(c))
                    stack.push_back(c);
        }
    };
    walkOpen(hItem,
             [&](HTREEITEM h)
             {
                 if (GetItemState(h, TVIS_EXPANDED) & TVIS_EXPANDED)
                     open.emplace(GetItemNode(h), GetItemKind(h));
             });
    // Only a list that shows items is made again; one never opened, or empty, is
    // made from the nodes as they are when it is opened.
    const bool built = hItem == TVI_ROOT || GetChildItem(hItem);
    DeleteChildren(hItem);
    if (!node)
        return;
    if (!built)
    {
        SetHasChildren(hItem, node->GetChildCount() > 0);
        return;
    }
    const uint32_t count = node->GetChildCount();
    for (uint32_t i = 0; i < count; ++i)
        if (Node* child = node->GetChild(i))
            InsertNode(child, hItem);
    SetHasChildren(hItem, GetChildItem(hItem) != nullptr);
    if (!open.empty())
        walkOpen(hItem,
                 [&](HTREEITEM h)
                 {
                     if (ItemHasChildren(h) && open.count({GetItemNode(h), GetItemKind(h)}))
                     {
                         Build(h);
                         Expand(h, TVE_EXPAND);
                     }
                 });
}

BOOL CXMLTreeCtrl::FillParams(HTREEITEM hItem)
{
    // A data node without a name reads "Remark" but has its groups; its
    // parameters are its own, not those of the element above it.
    auto ownsParams = [this](HTREEITEM h)
    {
        const int kind = GetItemKind(h);
        return kind == ikHeader || kind == ikElement ||
               (kind == ikRemark && GetItemKind(GetChildItem(h)) == ikChildVars);
    };
    HTREEITEM hNodeItem = hItem;
    while (hNodeItem && !ownsParams(hNodeItem))
        hNodeItem = GetParentItem(hNodeItem);
    if (!hNodeItem)
        return FALSE;
    Node* node = GetItemNode(hNodeItem);
    if (!node)
        return FALSE;
    // Groups not made yet are made from the node when they are.
    if (!IsBuilt(hNodeItem))
        return TRUE;
    HTREEITEM hGroup = GetChildItem(hNodeItem);
    if (GetItemKind(hGroup) != ikChildVars)
        return FALSE;
    const bool built = GetChildItem(hGroup) != nullptr;
    DeleteChildren(hGroup);
    if (built)
        InsertParams(hGroup, node);
    SetHasChildren(hGroup, built ? GetChildItem(hGroup) != nullptr : node->GetParamCount() > 0);
    return TRUE;
}

BOOL CXMLTreeCtrl::MoveItem(HTREEITEM hItem, BOOL bUp)
{
    const int kind = GetItemKind(hItem);
    if (kind == ikNone || kind == ikChildNodes || kind == ikNodeValue || kind == ikChildVars)
        return FALSE;
    HTREEITEM hContainer = GetParentItem(hItem);
    if (!hContainer)
        hContainer = TVI_ROOT;
    HTREEITEM hOther = bUp ? GetPrevSiblingItem(hItem) : GetNextSiblingItem(hItem);
    if (!hOther || IsFirstRootItem(hItem) || IsFirstRootItem(hOther))
        return FALSE;
    Node* node = GetItemNode(hItem);
    Node* otherNode = GetItemNode(hOther);
    if (!node || !otherNode)
        return FALSE;
    const uint32_t index = static_cast<uint32_t>(GetIndexInParent(hItem));
    const uint32_t otherIndex = static_cast<uint32_t>(GetIndexInParent(hOther));
    // The items stand for list positions; a list that no longer matches them
    // is left alone rather than shuffled at the wrong places.
    if (kind == ikParam)
    {
        if (GetItemKind(hOther) != ikParam || otherNode != node ||
            std::max(index, otherIndex) >= node->GetParamCount())
            return FALSE;
        node->ParamNames().Swap(index, otherIndex);
        node->ParamValues().Swap(index, otherIndex);
        FillParams(hContainer);
        return TRUE;
    }
    Node* parent = node->GetParent();
    if (!parent || std::max(index, otherIndex) >= parent->GetChildCount() ||
        parent->GetChild(index) != node || parent->GetChild(otherIndex) != otherNode)
        return FALSE;
    parent->SwapChildren(index, otherIndex);
    FillItem(hContainer, parent);
    return TRUE;
}

int CXMLTreeCtrl::GetItemKind(HTREEITEM hItem) const
{
    int nImage = 0, nSelected = 0;
    if (!hItem || !GetItemImage(hItem, nImage, nSelected))
        return ikNone;
    return nImage;
}

CXMLTreeCtrl::Node* CXMLTreeCtrl::GetItemNode(HTREEITEM hItem) const
{
    return hItem ? reinterpret_cast<Node*>(GetItemData(hItem)) : nullptr;
}

int CXMLTreeCtrl::GetIndexInParent(HTREEITEM hItem) const
{
    HTREEITEM hParent = GetParentItem(hItem);
    int index = 0;
    for (HTREEITEM h = hParent ? GetChildItem(hParent) : GetRootItem(); h && h != hItem;
         h = GetNextSiblingItem(h))
        ++index;
    return index;
}

BOOL CXMLTreeCtrl::IsFirstRootItem(HTREEITEM hItem) const
{
    return hItem && hItem == GetRootItem();
}

CString CXMLTreeCtrl::BuildPath() const
{
    std::vector<CString> segments; // from the selection up
    for (HTREEITEM hItem = GetSelectedItem(); hItem; hItem = GetParentItem(hItem))
    {
        Node* node = GetItemNode(hItem);
        if (!node)
            break;
        if (GetItemKind(hItem) != ikElement)
            continue;
        int same = 0;
        for (HTREEITEM h = GetPrevSiblingItem(hItem); h; h = GetPrevSiblingItem(h))
            if (Node* sibling = GetItemNode(h))
                if (SameName(sibling->GetName(), node->GetName()))
                    ++same;
        CString segment = node->GetName();
        if (same > 0)
        {
            CString number;
            number.Format(L"=%d", same);
            segment += number;
        }
        segments.push_back(segment);
    }
    CString path;
    for (auto it = segments.rbegin(); it != segments.rend(); ++it)
        path += *it + L"/";
    return path;
}

HTREEITEM CXMLTreeCtrl::FindGroup(HTREEITEM hItem, int kind) const
{
    for (HTREEITEM h = hItem ? GetChildItem(hItem) : nullptr; h; h = GetNextSiblingItem(h))
        if (GetItemKind(h) == kind)
            return h;
    return nullptr;
}

HTREEITEM CXMLTreeCtrl::WalkToNode(const Node* node, bool bBuild, bool* pUnbuilt)
{
    if (pUnbuilt)
        *pUnbuilt = false;
    if (!node || !node->GetParent())
        return nullptr;
    // The node's ancestors below the document's root, the top-level one last.
    std::vector<const Node*> chain;
    for (const Node* n = node; n->GetParent(); n = n->GetParent())
        chain.push_back(n);
    // Stops where the items end: on an item whose children were never made
    // (when not making them) the node is simply not shown yet.
    const auto reach = [&](HTREEITEM h)
    {
        if (IsBuilt(h))
            return true;
        if (bBuild)
        {
            Build(h);
            return true;
        }
        if (pUnbuilt)
            *pUnbuilt = true;
        return false;
    };
    HTREEITEM hList = TVI_ROOT;
    for (size_t i = chain.size(); i-- > 0;)
    {
        if (!reach(hList))
            return nullptr;
        HTREEITEM hFound = nullptr;
        for (HTREEITEM h = GetChildItem(hList); h && !hFound; h = GetNextSiblingItem(h))
            if (IsNodeItemKind(GetItemKind(h)) && GetItemNode(h) == chain[i])
                hFound = h;
        if (!hFound || i == 0)
            return hFound;
        if (!reach(hFound))
            return nullptr;
        hList = FindGroup(hFound, ikChildNodes);
        if (!hList)
            return nullptr;
    }
    return nullptr;
}

HTREEITEM CXMLTreeCtrl::FindNodeItem(const Node* node, bool* pUnbuilt) const
{
    // Without making items the walk changes nothing.
    return const_cast<CXMLTreeCtrl*>(this)->WalkToNode(node, false, pUnbuilt);
}

HTREEITEM CXMLTreeCtrl::MakeNodeItem(const Node* node)
{
    return WalkToNode(node, true, nullptr);
}

HTREEITEM CXMLTreeCtrl::MakeItem(const Node* node, int kind, int param)
{
    HTREEITEM hNode = MakeNodeItem(node);
    if (!hNode || kind == ikNone || IsNodeItemKind(kind))
        return hNode;
    Build(hNode);
    HTREEITEM hGroup = FindGroup(hNode, kind == ikParam ? ikChildVars : kind);
    if (!hGroup || kind != ikParam)
        return hGroup ? hGroup : hNode;
    Build(hGroup);
    HTREEITEM hParam = GetChildItem(hGroup);
    for (int i = 0; hParam && i < param; ++i)
        hParam = GetNextSiblingItem(hParam);
    return hParam ? hParam : hGroup;
}

HTREEITEM CXMLTreeCtrl::FindChildListItem(const Node* node, bool* pUnbuilt) const
{
    if (pUnbuilt)
        *pUnbuilt = false;
    if (!node)
        return nullptr;
    if (!node->GetParent())
        return TVI_ROOT;
    HTREEITEM hNode = FindNodeItem(node, pUnbuilt);
    if (hNode && !IsBuilt(hNode))
    {
        if (pUnbuilt)
            *pUnbuilt = true;
        return nullptr;
    }
    return FindGroup(hNode, ikChildNodes);
}
