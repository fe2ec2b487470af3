#pragma once
// CXMLTreeView: the left pane of a document window, the document's nodes as
// a tree. Selecting an item tells the document's other views (the content
// panes show its text) and the main frame (the path bar shows its path);
// element, header and parameter names are renamed in place.
#include "app/OleDropTargetDispatcher.h"
#include "app/XMLTreeCtrl.h"
#include "framework/framework.h"

class CVelmarDoc;

class CXMLTreeView : public CTreeView
{
    DECLARE_DYNCREATE(CXMLTreeView)
public:
    CXMLTreeView();
    ~CXMLTreeView() override;

    CXMLTreeCtrl& GetXMLTreeCtrl() const { return static_cast<CXMLTreeCtrl&>(GetTreeCtrl()); }
    CVelmarDoc* GetDocument() const;

    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID, CCreateContext* pContext = nullptr) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;   // the tree is never rebuilt by broadcasts
    void OnDraw(CDC* pDC) override;

    // Rebuilds the children of hItem (TVI_ROOT: the whole tree) from its node,
    // here and in every other tree view of the document, so that no view keeps
    // items of nodes an edit took away.
    void RefreshItem(HTREEITEM hItem);
    // The path of the selected item for the path bar.
    void BuildPath(CString& out) const;
    // Drops every item; the document does this before its nodes go.
    void ReleaseItems();
    COleDropTargetDispatcher& GetDropTarget() { return m_dropTarget; }

    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRButtonDown(UINT nFlags, CPoint point);

protected:
    CTreeCtrl* NewTreeCtrl() override;
    // The other tree views of this view's document.
    std::vector<CXMLTreeView*> OtherTreeViews() const;

    COleDropTargetDispatcher m_dropTarget;

    DECLARE_MESSAGE_MAP()
};
