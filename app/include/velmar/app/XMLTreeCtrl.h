#pragma once
// CXMLTreeCtrl: the operations that build and walk the items of a tree
// control showing a document's nodes. Every item carries a node of the
// document (never owned) and an ItemKind kept as its image index. The class
// adds no data to CTreeCtrl: a view's control is made as one of these.
#include "velmar/app/ItemKind.h"
#include "velmar/framework/framework.h"
#include "velmar/xml/nkDS.h"

class CXMLTreeCtrl : public CTreeCtrl
{
    DECLARE_DYNCREATE(CXMLTreeCtrl)
public:
    using Node = nkDS::CXmlNodeW;

    // Appends the item of `node` under hParent, with its groups and, below
    // them, the items of its parameters and of its whole subtree. The new
    // node item, or null when its own items could not all be made.
    HTREEITEM InsertNode(Node* node, HTREEITEM hParent);
    // Replaces the children of hItem (TVI_ROOT too) by one node item per child of `node`.
    void FillItem(HTREEITEM hItem, Node* node);
    // Rebuilds the "Child Vars" group of the node item that hItem belongs to.
    BOOL FillParams(HTREEITEM hItem);
    // Exchanges the node (or parameter) of hItem with that of its previous
    // (bUp) or next sibling and rebuilds their list; the selection is cleared.
    // Refused for group items, at the ends of a list and next to the first
    // top-level item, which stays in place.
    BOOL MoveItem(HTREEITEM hItem, BOOL bUp);
    // Removes every child item of hItem; the selection is cleared first.
    void DeleteChildren(HTREEITEM hItem);

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

    // The item that stands for `node` (null when this tree shows none).
    HTREEITEM FindNodeItem(const Node* node) const;
    // The item whose children are the items of `node`'s children: TVI_ROOT
    // for the document's root, else the "Child Nodes" group of its item.
    HTREEITEM FindChildListItem(const Node* node) const;
    // The group of kind `kind` directly below the node item hItem, or null.
    HTREEITEM FindGroup(HTREEITEM hItem, int kind) const;

private:
    HTREEITEM InsertTyped(LPCWSTR text, int kind, Node* node, HTREEITEM hParent);
    void InsertParams(HTREEITEM hGroup, Node* node);
};
