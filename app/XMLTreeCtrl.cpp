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

HTREEITEM CXMLTreeCtrl::InsertTyped(LPCWSTR text, int kind, Node* node, HTREEITEM hParent)
{
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, text, kind, kind, 0,
                      0, reinterpret_cast<LPARAM>(node), hParent, TVI_LAST);
}

void CXMLTreeCtrl::InsertParams(HTREEITEM hGroup, Node* node)
{
    const uint32_t count = node->GetParamCount();
    for (uint32_t i = 0; i < count; ++i)
        if (!InsertTyped(node->GetParamName(i), ikParam, node, hGroup))
            return;
}

HTREEITEM CXMLTreeCtrl::InsertNode(Node* node, HTREEITEM hParent)
{
    if (!node)
        return nullptr;
    // Documents nest as deep as they like: the subtree is walked with a stack
    // of its own. Items under different parents do not depend on each other's
    // order, so a node's "Node Value" may be made before its children's items.
    struct Pending
    {
        Node* node;
        uint32_t next;   // the next child to insert
        HTREEITEM hList; // the node's "Child Nodes" group
    };
    std::vector<Pending> pending;
    auto insertOne = [&](Node* pNode, HTREEITEM hUnder) -> HTREEITEM
    {
        const wchar_t* name = pNode->GetName();
        const uint32_t nodeKind = pNode->GetKind();
        const bool unnamed = name[0] == L'\0';
        // The document type and a text run stand alone, as a remark does.
        if (nodeKind == nkDS::xnkDocType || nodeKind == nkDS::xnkText)
        {
            const bool docType = nodeKind == nkDS::xnkDocType;
            return InsertTyped(docType ? CString(L"DOCTYPE") : AfxTranslate(L"Text"),
                               docType ? ikDocType : ikText, pNode, hUnder);
        }
        const int kind = unnamed ? ikRemark : nodeKind == nkDS::xnkHeader ? ikHeader : ikElement;
        HTREEITEM hItem =
            InsertTyped(unnamed ? AfxTranslate(L"Remark") : CString(name), kind, pNode, hUnder);
        if (!hItem)
            return nullptr;
        if (nodeKind == nkDS::xnkRemark)
            return hItem;
        HTREEITEM hVars = InsertTyped(AfxTranslate(L"Child Vars"), ikChildVars, pNode, hItem);
        if (!hVars)
            return nullptr;
        InsertParams(hVars, pNode);
        if (nodeKind == nkDS::xnkHeader)
            return hItem;
        HTREEITEM hNodes = InsertTyped(AfxTranslate(L"Child Nodes"), ikChildNodes, pNode, hItem);
        if (!hNodes)
            return nullptr;
        if (pNode->GetChildCount() > 0)
            pending.push_back({pNode, 0, hNodes});
        if (!InsertTyped(AfxTranslate(L"Node Value"), ikNodeValue, pNode, hItem))
            return nullptr;
        return hItem;
    };

    HTREEITEM hTop = insertOne(node, hParent);
    while (!pending.empty())
    {
        Pending& top = pending.back();
        if (top.next >= top.node->GetChildCount())
        {
            pending.pop_back();
            continue;
        }
        Node* child = top.node->GetChild(top.next++);
        const HTREEITEM hList = top.hList; // `top` moves when the stack grows
        if (child)
            insertOne(child, hList);
    }
    return hTop;
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
    DeleteChildren(hItem);
    if (!node)
        return;
    const uint32_t count = node->GetChildCount();
    for (uint32_t i = 0; i < count; ++i)
        if (Node* child = node->GetChild(i))
            InsertNode(child, hItem);
    if (!open.empty())
        walkOpen(hItem,
                 [&](HTREEITEM h)
                 {
                     if (GetChildItem(h) && open.count({GetItemNode(h), GetItemKind(h)}))
                         Expand(h, TVE_EXPAND);
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
    HTREEITEM hGroup = GetChildItem(hNodeItem);
    if (GetItemKind(hGroup) != ikChildVars)
        return FALSE;
    DeleteChildren(hGroup);
    InsertParams(hGroup, node);
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

HTREEITEM CXMLTreeCtrl::FindNodeItem(const Node* node) const
{
    if (!node || !node->GetParent())
        return nullptr;
    // The node's ancestors below the document's root, the top-level one last.
    std::vector<const Node*> chain;
    for (const Node* n = node; n->GetParent(); n = n->GetParent())
        chain.push_back(n);
    HTREEITEM hList = TVI_ROOT;
    for (size_t i = chain.size(); i-- > 0;)
    {
        HTREEITEM hFound = nullptr;
        for (HTREEITEM h = GetChildItem(hList); h && !hFound; h = GetNextSiblingItem(h))
            if (IsNodeItemKind(GetItemKind(h)) && GetItemNode(h) == chain[i])
                hFound = h;
        if (!hFound || i == 0)
            return hFound;
        hList = FindGroup(hFound, ikChildNodes);
        if (!hList)
            return nullptr;
    }
    return nullptr;
}

HTREEITEM CXMLTreeCtrl::FindChildListItem(const Node* node) const
{
    if (!node)
        return nullptr;
    if (!node->GetParent())
        return TVI_ROOT;
    return FindGroup(FindNodeItem(node), ikChildNodes);
}
