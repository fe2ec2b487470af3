#pragma once
// CTreeCtrl: the tree-view common control over a QTreeView. Items live in the
// control's own compact store (CTreeItemStore); the view draws only what is
// visible. Operations, styles and notifications follow the Win32 tree view:
// notifications go as WM_NOTIFY to the parent window, which reflects them to
// the control's own class first.
#include "velmar/framework/Edit.h"
#include "velmar/framework/ImageList.h"
#include "velmar/framework/TreeTypes.h"
#include "velmar/framework/Wnd.h"

#include <QPointer>

#include <string>

class CTreeItemModel;
class CTreeViewWidget;
class QTimer;

class CTreeCtrl : public CWnd
{
    DECLARE_DYNCREATE(CTreeCtrl)
public:
    CTreeCtrl();
    ~CTreeCtrl() override;

    using CWnd::Create;
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // Styles: the TVS_ bits take effect at once.
    DWORD GetStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);

    // Insertion. hParent null or TVI_ROOT: top level; hInsertAfter TVI_FIRST, TVI_LAST
    // (also null), TVI_SORT or a child of hParent. Null when refused.
    HTREEITEM InsertItem(LPTVINSERTSTRUCT lpInsertStruct);
    HTREEITEM InsertItem(UINT nMask, LPCWSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                         UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter);
    HTREEITEM InsertItem(LPCWSTR lpszItem, HTREEITEM hParent = TVI_ROOT,
                         HTREEITEM hInsertAfter = TVI_LAST);
    HTREEITEM InsertItem(LPCWSTR lpszItem, int nImage, int nSelectedImage,
                         HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST);
    BOOL DeleteItem(HTREEITEM hItem); // with everything below it; TVI_ROOT deletes all
    BOOL DeleteAllItems();

    // Navigation; null where there is no such item.
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const;
    HTREEITEM GetChildItem(HTREEITEM hItem) const; // TVI_ROOT or null: the first top-level item
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const;
    HTREEITEM GetPrevSiblingItem(HTREEITEM hItem) const;
    HTREEITEM GetParentItem(HTREEITEM hItem) const; // null for a top-level item
    HTREEITEM GetRootItem() const;                  // the first top-level item
    HTREEITEM GetFirstVisibleItem() const;          // the top item in the window
    HTREEITEM GetNextVisibleItem(HTREEITEM hItem) const;
    HTREEITEM GetPrevVisibleItem(HTREEITEM hItem) const;
    HTREEITEM GetLastVisibleItem() const; // the last item reachable through expanded items
    HTREEITEM GetSelectedItem() const;
    HTREEITEM GetDropHilightItem() const;

    // Selection. SelectItem(null) clears it; selecting expands the collapsed
    // parents and scrolls the item into view.
    BOOL Select(HTREEITEM hItem, UINT nCode);
    BOOL SelectItem(HTREEITEM hItem);
    BOOL SelectDropTarget(HTREEITEM hItem);
    BOOL SelectSetFirstVisible(HTREEITEM hItem);

    // nCode: TVE_EXPAND, TVE_COLLAPSE, TVE_TOGGLE (| TVE_COLLAPSERESET). A change
    // is asked of the parent first with TVN_ITEMEXPANDING (a nonzero result
    // refuses it), where an item whose cChildren says it has children can
    // make them; one that is still empty then loses its button.
    BOOL Expand(HTREEITEM hItem, UINT nCode);
    BOOL EnsureVisible(HTREEITEM hItem); // expands its parents and scrolls to it
    BOOL SortChildren(HTREEITEM hItem);  // by text, ignoring case

    // Item attributes.
    CString GetItemText(HTREEITEM hItem) const;
    BOOL SetItemText(HTREEITEM hItem, LPCWSTR lpszItem);
    BOOL GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const;
    BOOL SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage);
    DWORD_PTR GetItemData(HTREEITEM hItem) const; // 0 for no item
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData);
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const;
    BOOL SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask);
    BOOL GetItem(TVITEM* pItem) const; // pszText is filled up to cchTextMax (with the terminator)
    BOOL SetItem(TVITEM* pItem);
    BOOL SetItem(HTREEITEM hItem, UINT nMask, LPCWSTR lpszItem, int nImage, int nSelectedImage,
                 UINT nState, UINT nStateMask, LPARAM lParam);
    BOOL ItemHasChildren(HTREEITEM hItem) const;
    UINT GetCount() const;
    UINT GetVisibleCount() const; // whole items that fit in the window
    BOOL GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const; // client coordinates
    UINT GetIndent() const;
    void SetIndent(UINT nIndent);
    CImageList* SetImageList(CImageList* pImageList, int nImageListType); // the previous list
    CImageList* GetImageList(int nImageListType) const;

    // Points are in client coordinates (those of WM_ mouse messages of the control).
    HTREEITEM HitTest(CPoint pt, UINT* pFlags = nullptr) const;
    HTREEITEM HitTest(TVHITTESTINFO* pHitTestInfo) const;

    // Label editing: TVN_BEGINLABELEDIT (result TRUE cancels) with the edit
    // control already made; TVN_ENDLABELEDIT with the new text, or null text
    // when cancelled (result TRUE keeps the new text, FALSE reverts).
    CEdit* EditLabel(HTREEITEM hItem);
    CEdit* GetEditControl() const; // the edit while a label is edited, else null
    BOOL EndEditLabelNow(BOOL fCancelWithoutSave);

    // A second column beside the labels. Its texts are asked of GetColumnText
    // when a row is painted, so the control keeps nothing per item for it;
    // while it is shown, a header names both columns.
    BOOL ShowTextColumn(BOOL bShow, LPCWSTR lpszLabelTitle = nullptr,
                        LPCWSTR lpszColumnTitle = nullptr);
    BOOL IsTextColumnShown() const;
    // Paints the shown rows again, so that the second column shows the texts as they are now.
    void RedrawTextColumn();
    // The second column's text of hItem; empty unless a derived control says otherwise.
    virtual CString GetColumnText(HTREEITEM hItem) const;

    CImageList*
    CreateDragImage(HTREEITEM hItem); // the item's image and label; the caller deletes it

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;

    // For a view that is this control (CTreeView): builds the tree's widget for
    // the view's window and routes notifications and styles through pOwner.
    QWidget* CreateWidgetFor(CWnd* pOwner, const CREATESTRUCT& cs, QWidget* pParentWidget);

    CTreeViewWidget* GetTreeWidget() const { return m_pTree; } // null before creation

protected:
    using Id = std::uint32_t;
    friend class CTreeViewWidget;

    // Events of the widget.
    void OnViewCurrentChanged(Id id);
    void OnViewExpanded(Id id, bool bExpanded);
    void OnEditKey(bool bCommit);
    void OnEditFocusLost();
    void OnSlowClick(Id id);
    void OnBeginDrag(Id id, QPoint pt);
    LRESULT NotifyCode(UINT code);  // a bare NMHDR notification (NM_CLICK and the like)
    LRESULT NotifyKeyDown(WORD vk); // TVN_KEYDOWN for a key the tree itself does not use

private:
    CTreeItemModel* Model() const;
    Id IdOf(HTREEITEM hItem) const;       // kNone unless a live item
    Id ParentIdOf(HTREEITEM hItem) const; // TVI_ROOT and null give the root
    HTREEITEM ItemHandle(Id id) const;
    CWnd* Owner() const { return m_pOwner ? m_pOwner : const_cast<CTreeCtrl*>(this); }
    DWORD OwnerStyle() const;
    void ApplyStyle();

    LRESULT SendNotify(NMHDR& hdr, UINT code);
    void FillNotifyItem(TVITEM& item, Id id) const;
    bool ChangeSelection(Id id, UINT action, bool bAskFirst);
    void SyncViewSelection();
    bool ExpandId(Id id, UINT code);
    bool NotifyExpanding(Id id, UINT action); // TVN_ITEMEXPANDING; true when the handler refuses
    void Reveal(Id id);
    void Unreveal(Id id);
    void ExpandParents(Id id);
    void ScrollTo(Id id);
    bool IsShown(Id id) const; // every parent expanded
    void NoteChildrenChanged(Id parent, bool bHadChildren);
    void EndEdit(bool bCancel, bool bRestoreFocus);
    bool ItemBounds(Id id, QRect& row, QRect& label) const;
    void ResetEditState();

    QPointer<CTreeViewWidget> m_pTree;
    CWnd* m_pOwner = nullptr; // the window that is this control (this, or the view)
    Id m_selected;
    Id m_dropHilite;
    int m_nSync = 0; // the view's selection signals are our own echo
    CImageList* m_pImages = nullptr;
    CImageList* m_pStateImages = nullptr;

    // Label editing.
    CEdit m_edit;
    Id m_editItem;
    bool m_bEnding = false;
    QMetaObject::Connection m_treeDestroyed;

    DECLARE_MESSAGE_MAP()
};
