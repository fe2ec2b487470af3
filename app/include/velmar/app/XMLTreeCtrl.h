#pragma once
// CXMLTreeCtrl: the operations that build and walk the items of a tree
// control showing a document's nodes. Every item carries a node of the
// document (never owned) and an ItemKind kept as its image index. Items are
// made as they are needed: a node item, a "Child Vars" and a "Child Nodes"
// group get their children when first opened or looked into (the view makes
// them on TVN_ITEMEXPANDING); until then such an item is "not built" and only
// its button says whether it has any.
#include "velmar/app/ItemKind.h"
#include "velmar/framework/framework.h"
#include "velmar/xml/nkDS.h"

class CXMLTreeCtrl : public CTreeCtrl
{
    DECLARE_DYNCREATE(CXMLTreeCtrl)
public:
    using Node = nkDS::CXmlNodeW;

    // Appends the item of `node` under hParent, not built: its groups come
    // when it is opened. The new item, or null when it could not be made.
    HTREEITEM InsertNode(Node* node, HTREEITEM hParent);
    // Whether the children of hItem are made (or it has none to make).
    bool IsBuilt(HTREEITEM hItem) const;
    // Makes the children of hItem from its node, when they were not made yet.
    void Build(HTREEITEM hItem);
    // Replaces the children of hItem (TVI_ROOT too) by one node item per child
    // of `node`; a group that shows no items stays so, with its button updated.
    void FillItem(HTREEITEM hItem, Node* node);
    // Rebuilds the "Child Vars" group of the node item that hItem belongs to
    // (nothing to do while the groups are not built).
    BOOL FillParams(HTREEITEM hItem);
    // Exchanges the node (or parameter) of hItem with that of its previous
    // (bUp) or next sibling and rebuilds their list; the selection is cleared.
    // Refused for group items, at the ends of a list and next to the first
    // top-level item, which stays in place.
    BOOL MoveItem(HTREEITEM hItem, BOOL bUp);
    // Removes every child item of hItem; the selection is cleared first.
    void DeleteChildren(HTREEITEM hItem);
    // Goes up with every removal of items by the calls above, so that a
    // long-running walk can tell that the items it started from changed.
    unsigned GetRebuildCount() const { return m_nRebuilds; }

    int GetItemKind(HTREEITEM hItem) const;   // ItemKind; ikNone for no item
    Node* GetItemNode(HTREEITEM hItem) const; // the item's node, or null
    int GetIndexInParent(HTREEITEM hItem) const;
    BOOL IsFirstRootItem(HTREEITEM hItem) const;

    // The path of the selected item: the element names from the top down,
    // each followed by "/", with "=n" on the (n+1)-th of equally named siblings.
    CString BuildPath() const;

    // The value column: a parameter's value, an element's text, a remark's
    // first line (a declaration: its parameters), on one line.
    CString GetColumnText(HTREEITEM hItem) const override;

    // The item that stands for `node`, among the items made so far (null when
    // there is none). *pUnbuilt tells that the walk stopped at an item not
    // built yet: the node's item is made from the nodes when it is needed.
    HTREEITEM FindNodeItem(const Node* node, bool* pUnbuilt = nullptr) const;
    // The item of `node`, making the items on the way to it first (null when
    // this tree shows no such node).
    HTREEITEM MakeNodeItem(const Node* node);
    // The item of `node` (kind a node kind or ikNone), of its group `kind` or
    // of its parameter `param`, made on demand; the nearest of these that
    // exists, null without the node's item.
    HTREEITEM MakeItem(const Node* node, int kind, int param);
    // The item whose children are the items of `node`'s children: TVI_ROOT
    // for the document's root, else the "Child Nodes" group of its item.
    HTREEITEM FindChildListItem(const Node* node, bool* pUnbuilt = nullptr) const;
    // The group of kind `kind` directly below the node item hItem, or null.
    HTREEITEM FindGroup(HTREEITEM hItem, int kind) const;

private:
    HTREEITEM InsertTyped(LPCWSTR text, int kind, Node* node, HTREEITEM hParent, bool bHasChildren);
    void InsertParams(HTREEITEM hGroup, Node* node);
    void SetHasChildren(HTREEITEM hItem, bool bHasChildren);
    HTREEITEM WalkToNode(const Node* node, bool bBuild, bool* pUnbuilt);

    unsigned m_nRebuilds = 0;
};
