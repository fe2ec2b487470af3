#pragma once
// CXMLTreeView: the left pane of a document window, the document's nodes as
// a tree. Selecting an item tells the document's other views (the content
// panes show its text) and the main frame (the path bar shows its path);
// element, header and parameter names are renamed in place. Nodes and
// parameters are added, deleted and moved through the selected item; every
// such edit rebuilds what it changed in each tree view of the document.
#include "velmar/app/NodeSearch.h"
#include "velmar/app/OleDropTargetDispatcher.h"
#include "velmar/app/XMLTreeCtrl.h"
#include "velmar/framework/framework.h"

#include <functional>
#include <vector>

class CVelmarDoc;
class CXMLContentView;

class CXMLTreeView : public CTreeView
{
    DECLARE_DYNCREATE(CXMLTreeView)
public:
    CXMLTreeView();
    ~CXMLTreeView() override;

    CXMLTreeCtrl& GetXMLTreeCtrl() const { return static_cast<CXMLTreeCtrl&>(GetTreeCtrl()); }
    CVelmarDoc* GetDocument() const;

    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint,
                  CObject* pHint) override; // the tree is never rebuilt by broadcasts
    void OnDraw(CDC* pDC) override;

    // Appends `node` to the list the selected item belongs to (into a selected
    // "Child Nodes" group, next to a selected node item, at the top level for
    // a top-level item) and selects that list's group, or the first top-level
    // item. The document owns the node only when this returns TRUE.
    BOOL AddNode(nkDS::CXmlNodeW* node);
    // Appends a parameter to the node of a selected "Child Vars" group or
    // parameter; the group is then expanded and selected. FALSE, with nothing
    // changed, for another selection or a refused name or value.
    BOOL AddParam(LPCWSTR name, LPCWSTR value);
    // Deletes what the selected item stands for: a node with its subtree, a
    // parameter, or every child or parameter of a group's node (the group
    // stays). Nothing is selected afterwards.
    BOOL DeleteSelected();
    // The control's MoveItem, with the other tree views rebuilt to match.
    BOOL MoveItem(HTREEITEM hItem, BOOL bUp);

    // Rebuilds the children of hItem (TVI_ROOT: the whole tree) from its node,
    // here and in every other tree view of the document, so that no view keeps
    // items of nodes an edit took away.
    void RefreshItem(HTREEITEM hItem);
    // The path of the selected item for the path bar.
    void BuildPath(CString& out) const;
    // The text the selected item stands for: a node's name (a group: the
    // place of its texts), a parameter's name, a node's value. No node when
    // nothing is selected.
    NodeTextRef SelectedText() const;
    // The item that shows `ref`'s text, or null.
    HTREEITEM ItemOfText(const NodeTextRef& ref) const;
    // Selects the item of `ref`'s text, expanded to and scrolled into view.
    BOOL SelectText(const NodeTextRef& ref);
    // Selects the node of a path in the path bar's form ("catalog/book=2/title");
    // FALSE, with the selection as it was, when no node is there.
    BOOL SelectPath(LPCWSTR path);

    // Shows or hides the value column as the setting says.
    void ApplyValueColumn();
    // Drops every item; the document does this before its nodes go.
    void ReleaseItems();
    COleDropTargetDispatcher& GetDropTarget() { return m_dropTarget; }

    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnSetFocus(CWnd* pOldWnd);

protected:
    using Node = CXMLTreeCtrl::Node;

    // Whether the user lets `parent` lose its text to a first child (true
    // when it has none to lose).
    bool ConfirmTextLoss(const Node& parent);

    CTreeCtrl* NewTreeCtrl() override;
    // The other tree views of this view's document.
    std::vector<CXMLTreeView*> OtherTreeViews() const;
    // Runs `rebuild` on the control of every other tree view. Their selection
    // is kept where its item survives; where it went with the rebuilt items,
    // that view tells the document's panes that nothing is selected.
    void RebuildOtherTrees(const std::function<void(CXMLTreeCtrl&)>& rebuild);
    // The other trees after the children (or the parameters) of `node` changed.
    void MirrorChildList(Node* node);
    void MirrorParams(Node* node);
    // Empties the content panes of the document that edit a text for which
    // `goes` holds, before that text goes or moves.
    void EmptyContentPanes(const std::function<bool(const CXMLContentView&)>& goes);
    // What a selection change tells the document's views and the path bar.
    void AnnounceSelection(HTREEITEM hItem);

    COleDropTargetDispatcher m_dropTarget;
    int m_nMirroring = 0; // another view is rebuilding this one: no announcements

    DECLARE_MESSAGE_MAP()
};
