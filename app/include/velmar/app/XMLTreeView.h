#pragma once
// CXMLTreeView: the left pane of a document window, the document's nodes as
// a tree. Selecting an item tells the document's other views (the content
// panes show its text) and the main frame (the path bar shows its path);
// element, header and parameter names are renamed in place. Nodes and
// parameters are added, deleted and moved through the selected item; every
// such edit rebuilds what it changed in each tree view of the document.
#include "velmar/app/TreeDragDrop.h"
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
    using Node = CXMLTreeCtrl::Node;

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
    BOOL DeleteSelected(LPCWSTR verb = L"Delete '%1'");
    // The selected node, remark or parameter as XML text (empty for a group).
    CString SelectedXmlText() const { return ItemXmlText(GetXMLTreeCtrl().GetSelectedItem()); }
    CString ItemXmlText(HTREEITEM hItem) const;
    static CString NodeXmlText(Node* node);
    // The selected item's text to the clipboard as application/xml and plain
    // text; Cut deletes it after, Duplicate inserts a copy after it.
    BOOL CopySelected();
    BOOL CutSelected();
    BOOL DuplicateSelected();
    // Inserts the nodes (or, on a "Child Vars" group or a parameter, the
    // parameters) that XML `text` holds: into a selected group, last, or
    // after a selected node or parameter. One step named after `verb`. FALSE
    // with the reason, and nothing changed, when the text does not read or
    // has no place there.
    BOOL PasteText(const CString& text, CString& reason, LPCWSTR verb = L"Paste '%1'");
    BOOL PasteFromClipboard(CString& reason);
    // Puts `nodes` (taken on success) into `parent` before `index` as one step.
    BOOL InsertNodes(Node* parent, uint32_t index, const std::vector<Node*>& nodes,
                     const CString& name, CString& reason);
    BOOL InsertParams(Node* owner, uint32_t index, const Node& params, const CString& name,
                      CString& reason);

    // The control's MoveItem, with the other tree views rebuilt to match.
    BOOL MoveItem(HTREEITEM hItem, BOOL bUp);

    // Rebuilds the children of hItem (TVI_ROOT: the whole tree) from its node,
    // here and in every other tree view of the document, so that no view keeps
    // items of nodes an edit took away.
    void RefreshItem(HTREEITEM hItem);
    // After an undo or redo changed `nodes` (their own state): their items
    // are rebuilt, and the selection kept where an equal item still exists.
    void ShowNodeChange(const std::vector<Node*>& nodes, Node* root);
    // Selects and shows the item of `node` (kind: a node item, one of its
    // groups, or its parameter `param`); `fallback`'s list when `node` is not
    // in the tree. Whether an item was selected.
    BOOL SelectNodeItem(Node* node, int kind, int param, Node* fallback);

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

    // Where pasted or dropped nodes go: into `parent`'s children before
    // `index`, or, for parameters, into its parameters before `index`.
    struct Place
    {
        Node* parent = nullptr;
        uint32_t index = 0;
        bool params = false;
    };
    // Whether nodes may go to `place` (never before the declaration, only
    // into elements); the reason when not.
    bool CanHoldNodes(const Place& place, CString& reason) const;
    // Inserts what XML `text` holds at `place` as one step named after `verb`.
    BOOL InsertText(const CString& text, const Place& place, LPCWSTR verb, CString& reason);

    // Drag and drop (TreeDragDrop.cpp). The data of a drag of hItem (a node
    // or a parameter); FALSE for an item that cannot be dragged. The drag is
    // this view's until EndDrag.
    BOOL PrepareDrag(HTREEITEM hItem, COleDataSource& data);
    static void EndDrag();
    // What a drop at `point` (client coordinates) would do, with the drop
    // position shown; DROPEFFECT_NONE where it is refused.
    DROPEFFECT DragOver(COleDataObject& data, DWORD dwKeyState, CPoint point);
    BOOL Drop(COleDataObject& data, DROPEFFECT effect, CPoint point);
    void DragLeave();

    void OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKeyDownNotify(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnSetFocus(CWnd* pOldWnd);

protected:
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

    // Moves `node` (or its parameter `param` when >= 0) to `place` as one step.
    BOOL MoveTo(Node* node, int param, const Place& place);
    // The place a drop at `point` goes to, from the item under it.
    bool DropPlace(CPoint point, Place& place) const;

    CTreeDropTarget m_dropTarget;
    int m_nMirroring = 0; // another view is rebuilding this one: no announcements

    DECLARE_MESSAGE_MAP()
};
