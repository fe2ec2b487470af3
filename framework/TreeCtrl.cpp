#include "velmar/framework/TreeCtrl.h"

#include "TreeItemModel.h"
#include "velmar/framework/TreeViewWidget.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <functional>
#include <vector>

IMPLEMENT_DYNCREATE(CTreeCtrl, CWnd)

BEGIN_MESSAGE_MAP(CTreeCtrl, CWnd)
END_MESSAGE_MAP()

using Store = CTreeItemStore;
static constexpr Store::Id kNone = Store::kNone;
static constexpr Store::Id kRoot = Store::kRoot;

namespace
{

// Guards the view's selection signals while the control itself moves them.
struct SyncScope
{
    explicit SyncScope(int& n) : m_n(n) { ++m_n; }
    ~SyncScope() { --m_n; }
    int& m_n;
};

// Label text handed to notification handlers: the item's text in a buffer of its own.
struct TextBuffer
{
    std::vector<wchar_t> chars;
    explicit TextBuffer(const std::wstring& s) : chars(s.begin(), s.end()) { chars.push_back(0); }
    LPWSTR Data() { return chars.data(); }
    int Size() const { return (int)chars.size(); }
};

} // namespace

CTreeCtrl::CTreeCtrl() : m_selected(kNone), m_dropHilite(kNone), m_editItem(kNone) {}

CTreeCtrl::~CTreeCtrl()
{
    QObject::disconnect(m_treeDestroyed);
    if (m_edit.GetSafeHwnd())
        m_edit.Detach();
    if (m_pTree)
    {
        m_pTree->SetControl(nullptr);
        if (m_pOwner && m_pOwner != this)
        {
            // Bound to a view: the view owns the widget.
            m_hWnd = nullptr;
        }
    }
}

BOOL CTreeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::Create(L"SysTreeView32", nullptr, dwStyle, rect, pParentWnd, nID, nullptr);
}

QWidget* CTreeCtrl::CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget)
{
    return CreateWidgetFor(this, cs, pParentWidget);
}

QWidget* CTreeCtrl::CreateWidgetFor(CWnd* pOwner, const CREATESTRUCT& cs, QWidget* pParentWidget)
{
    if (m_pTree)
        return nullptr;
    auto* pTree = new CTreeViewWidget(pParentWidget);
    auto* pModel = new CTreeItemModel(pTree);
    pTree->setModel(pModel);
    pTree->SetControl(this);
    m_pTree = pTree;
    m_pOwner = pOwner;
    if (pOwner != this)
    {
        // The view is the window; this object only reaches the same widget.
        m_hWnd = CWnd::HandleOf(pTree);
        m_bTemporary = TRUE;
        m_treeDestroyed = QObject::connect(pTree, &QObject::destroyed,
                                           [this]()
                                           {
                                               m_hWnd = nullptr;
                                               // The widget is half destroyed here: forget it
                                               // before anything could call one of its own members.
                                               m_pTree.clear();
                                               ResetEditState();
                                           });
    }
    pTree->SetStyleBits((DWORD)cs.style);

    // The widget forgets this object when it goes (SetControl(null)), so a
    // signal from a widget being torn down never reaches a destroyed control.
    QObject::connect(pTree->selectionModel(), &QItemSelectionModel::currentChanged, pTree,
                     [this, pTree](const QModelIndex& current, const QModelIndex&)
                     {
                         if (pTree->Control() == this && m_nSync == 0)
                             OnViewCurrentChanged(current.isValid() ? (Id)current.internalId()
                                                                    : kNone);
                     });
    QObject::connect(pTree, &QTreeView::expanded, pTree,
                     [this, pTree](const QModelIndex& index)
                     {
                         if (pTree->Control() == this && m_nSync == 0 && index.isValid())
                             OnViewExpanded((Id)index.internalId(), true);
                     });
    QObject::connect(pTree, &QTreeView::collapsed, pTree,
                     [this, pTree](const QModelIndex& index)
                     {
                         if (pTree->Control() == this && m_nSync == 0 && index.isValid())
                             OnViewExpanded((Id)index.internalId(), false);
                     });
    return pTree;
}

CTreeItemModel* CTreeCtrl::Model() const
{
    return m_pTree ? static_cast<CTreeItemModel*>(m_pTree->model()) : nullptr;
}

CTreeCtrl::Id CTreeCtrl::IdOf(HTREEITEM hItem) const
{
    CTreeItemModel* pModel = Model();
    return pModel ? pModel->Store().FromHandle(hItem) : kNone;
}

CTreeCtrl::Id CTreeCtrl::ParentIdOf(HTREEITEM hItem) const
{
    if (!hItem || hItem == TVI_ROOT)
        return Model() ? kRoot : kNone;
    return IdOf(hItem);
}

HTREEITEM CTreeCtrl::ItemHandle(Id id) const
{
    CTreeItemModel* pModel = Model();
    return pModel && id != kNone ? pModel->Store().Handle(id) : nullptr;
}

DWORD CTreeCtrl::OwnerStyle() const
{
    return Owner()->CWnd::GetStyle();
}

DWORD CTreeCtrl::GetStyle() const
{
    return OwnerStyle();
}

BOOL CTreeCtrl::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    BOOL changed = Owner()->CWnd::ModifyStyle(dwRemove, dwAdd, nFlags);
    ApplyStyle();
    return changed;
}

void CTreeCtrl::ApplyStyle()
{
    if (m_pTree)
        m_pTree->SetStyleBits(OwnerStyle());
}

// ---- Notifications ----

LRESULT CTreeCtrl::SendNotify(NMHDR& hdr, UINT code)
{
    CWnd* pOwner = Owner();
    hdr.hwndFrom = m_pTree ? CWnd::HandleOf(m_pTree) : nullptr;
    hdr.idFrom = (UINT_PTR)pOwner->GetDlgCtrlID();
    hdr.code = code;
    if (CWnd* pParent = pOwner->GetParent())
        return pParent->SendMessage(WM_NOTIFY, hdr.idFrom, (LPARAM)&hdr);
    // No parent window: the control's own class still sees its notifications.
    LRESULT result = 0;
    pOwner->OnChildNotify(WM_NOTIFY, hdr.idFrom, (LPARAM)&hdr, &result);
    return result;
}

LRESULT CTreeCtrl::NotifyCode(UINT code)
{
    NMHDR hdr{};
    return SendNotify(hdr, code);
}

LRESULT CTreeCtrl::NotifyKeyDown(WORD vk)
{
    NMTVKEYDOWN key{};
    key.wVKey = vk;
    return SendNotify(key.hdr, TVN_KEYDOWN);
}

void CTreeCtrl::FillNotifyItem(TVITEM& item, Id id) const
{
    item = TVITEM{};
    CTreeItemModel* pModel = Model();
    if (!pModel || id == kNone || !pModel->Store().IsItem(id))
        return;
    const Store::Item& it = pModel->Store().At(id);
    item.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = ItemHandle(id);
    item.state = it.state & Store::kPublicState;
    item.stateMask = Store::kPublicState;
    item.lParam = it.data;
    item.iImage = it.image;
    item.iSelectedImage = it.selImage;
}

// ---- Insertion and deletion ----

HTREEITEM CTreeCtrl::InsertItem(LPTVINSERTSTRUCT lpis)
{
    CTreeItemModel* pModel = Model();
    if (!lpis || !pModel)
        return nullptr;
    Store& store = pModel->Store();
    Id parent = ParentIdOf(lpis->hParent);
    if (parent == kNone)
        return nullptr;
    const TVITEM& item = lpis->item;
    const wchar_t* text = nullptr;
    if ((item.mask & TVIF_TEXT) && item.pszText != LPSTR_TEXTCALLBACK)
        text = item.pszText;

    Id prev;
    HTREEITEM after = lpis->hInsertAfter;
    if (after == TVI_FIRST)
    {
        prev = kNone;
    }
    else if (after == TVI_LAST || after == nullptr || after == TVI_ROOT)
    {
        prev = store.At(parent).last;
    }
    else if (after == TVI_SORT)
    {
        prev = store.SortedPrev(parent, text ? std::wstring_view(text) : std::wstring_view());
    }
    else
    {
        prev = store.FromHandle(after);
        if (prev == kNone || store.At(prev).parent != parent)
            return nullptr;
    }

    int image = (item.mask & TVIF_IMAGE) ? item.iImage : 0;
    int selImage = (item.mask & TVIF_SELECTEDIMAGE) ? item.iSelectedImage : 0;
    LPARAM data = (item.mask & TVIF_PARAM) ? item.lParam : 0;
    UINT state = (item.mask & TVIF_STATE) ? (item.state & item.stateMask) : 0;

    bool shown = pModel->IsRevealed(parent);
    bool hadChildren = store.At(parent).first != kNone;
    Id id;
    {
        SyncScope sync(m_nSync);
        if (shown)
        {
            int row = prev == kNone ? 0 : store.RowOf(prev) + 1;
            pModel->BeginInsert(parent, row, row);
        }
        id = store.Insert(parent, prev, text, image, selImage, data, state);
        if (shown)
            pModel->EndInsert();
    }
    if (id == kNone)
        return nullptr;
    if (item.mask & TVIF_CHILDREN)
    {
        store.At(id).state |= Store::kChildrenSet;
        if (item.cChildren != 0)
            store.At(id).state |= Store::kChildrenOn;
    }
    if (!hadChildren)
    {
        // A parent marked expanded before it had children opens with its first one.
        if (parent != kRoot && !shown && (store.At(parent).state & TVIS_EXPANDED) &&
            pModel->IsRevealed(store.At(parent).parent))
            Reveal(parent);
        else
            NoteChildrenChanged(parent, false);
    }
    return store.Handle(id);
}

HTREEITEM CTreeCtrl::InsertItem(UINT nMask, LPCWSTR lpszItem, int nImage, int nSelectedImage,
                                UINT nState, UINT nStateMask, LPARAM lParam, HTREEITEM hParent,
                                HTREEITEM hInsertAfter)
{
    TVINSERTSTRUCT tvis{};
    tvis.hParent = hParent;
    tvis.hInsertAfter = hInsertAfter;
    tvis.item.mask = nMask;
    tvis.item.pszText = const_cast<LPWSTR>(lpszItem);
    tvis.item.iImage = nImage;
    tvis.item.iSelectedImage = nSelectedImage;
    tvis.item.state = nState;
    tvis.item.stateMask = nStateMask;
    tvis.item.lParam = lParam;
    return InsertItem(&tvis);
}

HTREEITEM CTreeCtrl::InsertItem(LPCWSTR lpszItem, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    return InsertItem(TVIF_TEXT, lpszItem, 0, 0, 0, 0, 0, hParent, hInsertAfter);
}

HTREEITEM CTreeCtrl::InsertItem(LPCWSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent,
                                HTREEITEM hInsertAfter)
{
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, lpszItem, nImage, nSelectedImage,
                      0, 0, 0, hParent, hInsertAfter);
}

// A collapsed item whose first child came or last child went shows or hides
// its button; the view only learns that from a new layout.
void CTreeCtrl::NoteChildrenChanged(Id parent, bool)
{
    CTreeItemModel* pModel = Model();
    if (!pModel || parent == kRoot || !m_pTree)
        return;
    if (pModel->IsRevealed(pModel->Store().At(parent).parent) && !pModel->IsRevealed(parent))
        m_pTree->RelayoutLater();
}

BOOL CTreeCtrl::DeleteItem(HTREEITEM hItem)
{
    if (!hItem || hItem == TVI_ROOT)
        return DeleteAllItems();
    CTreeItemModel* pModel = Model();
    Id id = IdOf(hItem);
    if (id == kNone)
        return FALSE;
    Store& store = pModel->Store();
    if (m_editItem != kNone && (m_editItem == id || store.IsAncestor(id, m_editItem)))
    {
        EndEdit(true, false);
        id = IdOf(hItem); // the handler may have deleted it already
        if (id == kNone)
            return FALSE;
    }

    // Where the selection goes when it is in what goes: next sibling, else parent, else previous
    // sibling.
    Id oldSel = m_selected;
    bool selectionGoes = oldSel != kNone && (oldSel == id || store.IsAncestor(id, oldSel));
    Id newSel = kNone;
    TVITEM itemOld{};
    if (selectionGoes)
    {
        const Store::Item& it = store.At(id);
        newSel = it.next != kNone ? it.next : (it.parent != kRoot ? it.parent : it.prev);
        FillNotifyItem(itemOld, oldSel);
        itemOld.state &= ~(UINT)TVIS_SELECTED;
    }
    if (m_dropHilite != kNone && (m_dropHilite == id || store.IsAncestor(id, m_dropHilite)))
        m_dropHilite = kNone;

    Id parent = store.At(id).parent;
    bool shown = pModel->IsRevealed(parent);
    {
        SyncScope sync(m_nSync);
        if (selectionGoes)
            m_selected = kNone;
        if (shown)
        {
            int row = store.RowOf(id);
            pModel->BeginRemove(parent, row, row);
        }
        store.Remove(id);
        if (shown)
            pModel->EndRemove();
    }
    if (store.At(parent).first == kNone)
        NoteChildrenChanged(parent, true);
    if (selectionGoes)
    {
        if (newSel != kNone)
            store.At(newSel).state |= TVIS_SELECTED;
        m_selected = newSel;
        SyncViewSelection();
        NMTREEVIEW nm{};
        nm.action = TVC_UNKNOWN;
        nm.itemOld = itemOld;
        FillNotifyItem(nm.itemNew, newSel);
        SendNotify(nm.hdr, TVN_SELCHANGED);
    }
    else
    {
        SyncViewSelection();
    }
    return TRUE;
}

BOOL CTreeCtrl::DeleteAllItems()
{
    CTreeItemModel* pModel = Model();
    if (!pModel)
        return FALSE;
    if (m_editItem != kNone)
        EndEdit(true, false);
    Store& store = pModel->Store();
    Id oldSel = m_selected;
    TVITEM itemOld{};
    if (oldSel != kNone)
    {
        FillNotifyItem(itemOld, oldSel);
        itemOld.state &= ~(UINT)TVIS_SELECTED;
    }
    {
        SyncScope sync(m_nSync);
        m_selected = kNone;
        m_dropHilite = kNone;
        pModel->BeginReset();
        store.Clear();
        pModel->EndReset();
    }
    if (oldSel != kNone)
    {
        NMTREEVIEW nm{};
        nm.action = TVC_UNKNOWN;
        nm.itemOld = itemOld;
        SendNotify(nm.hdr, TVN_SELCHANGED);
    }
    return TRUE;
}

// ---- Navigation ----

HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM hItem) const
{
    Id p = ParentIdOf(hItem);
    return p == kNone ? nullptr : ItemHandle(Model()->Store().At(p).first);
}

HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM hItem) const
{
    Id id = IdOf(hItem);
    return id == kNone ? nullptr : ItemHandle(Model()->Store().At(id).next);
}

HTREEITEM CTreeCtrl::GetPrevSiblingItem(HTREEITEM hItem) const
{
    Id id = IdOf(hItem);
    return id == kNone ? nullptr : ItemHandle(Model()->Store().At(id).prev);
}

HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM hItem) const
{
    Id id = IdOf(hItem);
    if (id == kNone)
        return nullptr;
    Id p = Model()->Store().At(id).parent;
    return p == kRoot ? nullptr : ItemHandle(p);
}

HTREEITEM CTreeCtrl::GetRootItem() const
{
    return GetChildItem(TVI_ROOT);
}

HTREEITEM CTreeCtrl::GetSelectedItem() const
{
    return ItemHandle(m_selected);
}

HTREEITEM CTreeCtrl::GetDropHilightItem() const
{
    return ItemHandle(m_dropHilite);
}

bool CTreeCtrl::IsShown(Id id) const
{
    const Store& store = Model()->Store();
    for (Id p = store.At(id).parent; p != kRoot && p != kNone; p = store.At(p).parent)
        if (!(store.At(p).state & TVIS_EXPANDED))
            return false;
    return true;
}

HTREEITEM CTreeCtrl::GetFirstVisibleItem() const
{
    if (!m_pTree)
        return nullptr;
    QModelIndex index = m_pTree->indexAt(QPoint(1, 1));
    if (!index.isValid())
        return GetRootItem();
    return ItemHandle((Id)index.internalId());
}

HTREEITEM CTreeCtrl::GetNextVisibleItem(HTREEITEM hItem) const
{
    Id id = IdOf(hItem);
    if (id == kNone || !IsShown(id))
        return nullptr;
    const Store& store = Model()->Store();
    const Store::Item& it = store.At(id);
    if ((it.state & TVIS_EXPANDED) && it.first != kNone)
        return ItemHandle(it.first);
    for (Id cur = id; cur != kRoot; cur = store.At(cur).parent)
        if (store.At(cur).next != kNone)
            return ItemHandle(store.At(cur).next);
    return nullptr;
}

HTREEITEM CTreeCtrl::GetPrevVisibleItem(HTREEITEM hItem) const
{
    Id id = IdOf(hItem);
    if (id == kNone || !IsShown(id))
        return nullptr;
    const Store& store = Model()->Store();
    Id prev = store.At(id).prev;
    if (prev == kNone)
    {
        Id p = store.At(id).parent;
        return p == kRoot ? nullptr : ItemHandle(p);
    }
    while ((store.At(prev).state & TVIS_EXPANDED) && store.At(prev).last != kNone)
        prev = store.At(prev).last;
    return ItemHandle(prev);
}

HTREEITEM CTreeCtrl::GetLastVisibleItem() const
{
    CTreeItemModel* pModel = Model();
    if (!pModel)
        return nullptr;
    const Store& store = pModel->Store();
    Id cur = store.At(kRoot).last;
    if (cur == kNone)
        return nullptr;
    while ((store.At(cur).state & TVIS_EXPANDED) && store.At(cur).last != kNone)
        cur = store.At(cur).last;
    return ItemHandle(cur);
}

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM hItem, UINT nCode) const
{
    switch (nCode)
    {
    case TVGN_ROOT:
        return GetRootItem();
    case TVGN_NEXT:
        return GetNextSiblingItem(hItem);
    case TVGN_PREVIOUS:
        return GetPrevSiblingItem(hItem);
    case TVGN_PARENT:
        return GetParentItem(hItem);
    case TVGN_CHILD:
        return GetChildItem(hItem);
    case TVGN_FIRSTVISIBLE:
        return GetFirstVisibleItem();
    case TVGN_NEXTVISIBLE:
        return GetNextVisibleItem(hItem);
    case TVGN_PREVIOUSVISIBLE:
        return GetPrevVisibleItem(hItem);
    case TVGN_DROPHILITE:
        return GetDropHilightItem();
    case TVGN_CARET:
        return GetSelectedItem();
    case TVGN_LASTVISIBLE:
        return GetLastVisibleItem();
    default:
        return nullptr;
    }
}

// ---- Selection ----

void CTreeCtrl::SyncViewSelection()
{
    CTreeItemModel* pModel = Model();
    if (!pModel || !m_pTree)
        return;
    SyncScope sync(m_nSync);
    QItemSelectionModel* pSel = m_pTree->selectionModel();
    QModelIndex index = m_selected != kNone ? pModel->IndexOf(m_selected) : QModelIndex();
    if (index.isValid())
    {
        if (pSel->currentIndex() != index || !pSel->isSelected(index))
            // The whole row: a second column shows selected beside the label.
            pSel->setCurrentIndex(index,
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    else if (pSel->currentIndex().isValid() || pSel->hasSelection())
    {
        pSel->clear();
    }
}

bool CTreeCtrl::ChangeSelection(Id id, UINT action, bool bAskFirst)
{
    CTreeItemModel* pModel = Model();
    if (!pModel)
        return false;
    Store& store = pModel->Store();
    if (id == m_selected)
    {
        SyncViewSelection();
        return true;
    }
    Id old = m_selected;
    if (bAskFirst)
    {
        NMTREEVIEW nm{};
        nm.action = action;
        FillNotifyItem(nm.itemOld, old);
        FillNotifyItem(nm.itemNew, id);
        HTREEITEM hNew = ItemHandle(id);
        if (SendNotify(nm.hdr, TVN_SELCHANGING))
        {
            SyncViewSelection();
            return false;
        }
        // The handler may have changed the tree.
        if (id != kNone && IdOf(hNew) != id)
            return false;
        old = m_selected;
        if (id == old)
        {
            SyncViewSelection();
            return true;
        }
    }
    NMTREEVIEW nm{};
    nm.action = action;
    FillNotifyItem(nm.itemOld, old);
    nm.itemOld.state &= ~(UINT)TVIS_SELECTED;
    if (old != kNone)
        store.At(old).state &= ~(UINT)TVIS_SELECTED;
    m_selected = id;
    if (id != kNone)
    {
        store.At(id).state |= TVIS_SELECTED;
        ExpandParents(id);
    }
    SyncViewSelection();
    if (id != kNone)
        ScrollTo(id);
    if (old != kNone)
        pModel->ItemChanged(old);
    FillNotifyItem(nm.itemNew, id);
    SendNotify(nm.hdr, TVN_SELCHANGED);
    return true;
}

void CTreeCtrl::OnViewCurrentChanged(Id id)
{
    UINT action = m_pTree ? m_pTree->InputAction() : TVC_UNKNOWN;
    if (m_editItem != kNone)
        EndEdit(false, false);
    ChangeSelection(id, action, true);
}

BOOL CTreeCtrl::Select(HTREEITEM hItem, UINT nCode)
{
    switch (nCode)
    {
    case TVGN_CARET:
        return SelectItem(hItem);
    case TVGN_DROPHILITE:
        return SelectDropTarget(hItem);
    case TVGN_FIRSTVISIBLE:
        return SelectSetFirstVisible(hItem);
    default:
        return FALSE;
    }
}

BOOL CTreeCtrl::SelectItem(HTREEITEM hItem)
{
    if (!Model())
        return FALSE;
    Id id = kNone;
    if (hItem)
    {
        id = IdOf(hItem);
        if (id == kNone)
            return FALSE;
    }
    return ChangeSelection(id, TVC_UNKNOWN, true) ? TRUE : FALSE;
}

BOOL CTreeCtrl::SelectDropTarget(HTREEITEM hItem)
{
    CTreeItemModel* pModel = Model();
    if (!pModel)
        return FALSE;
    Id id = hItem ? IdOf(hItem) : kNone;
    if (hItem && id == kNone)
        return FALSE;
    Store& store = pModel->Store();
    Id old = m_dropHilite;
    if (old != kNone)
    {
        store.At(old).state &= ~(UINT)TVIS_DROPHILITED;
        pModel->ItemChanged(old);
    }
    m_dropHilite = id;
    if (id != kNone)
    {
        store.At(id).state |= TVIS_DROPHILITED;
        pModel->ItemChanged(id);
    }
    return TRUE;
}

BOOL CTreeCtrl::SelectSetFirstVisible(HTREEITEM hItem)
{
    Id id = IdOf(hItem);
    if (id == kNone || !m_pTree)
        return FALSE;
    ExpandParents(id);
    QModelIndex index = Model()->IndexOf(id);
    if (!index.isValid())
        return FALSE;
    m_pTree->scrollTo(index, QAbstractItemView::PositionAtTop);
    return TRUE;
}

// ---- Expansion ----

void CTreeCtrl::Reveal(Id id)
{
    CTreeItemModel* pModel = Model();
    Store& store = pModel->Store();
    if (pModel->IsRevealed(id) || !pModel->IsRevealed(store.At(id).parent))
        return;
    // Everything below that is expanded on an open path comes into view with it.
    std::vector<Id> opened{id};
    int rows = store.RowCount(id);
    {
        SyncScope sync(m_nSync);
        if (rows > 0)
            pModel->BeginInsert(id, 0, rows - 1);
        store.At(id).state |= Store::kRevealed;
        for (size_t i = 0; i < opened.size(); ++i)
            for (Id c = store.At(opened[i]).first; c != kNone; c = store.At(c).next)
                if ((store.At(c).state & TVIS_EXPANDED) && store.At(c).first != kNone)
                {
                    store.At(c).state |= Store::kRevealed;
                    opened.push_back(c);
                }
        if (rows > 0)
            pModel->EndInsert();
        for (Id o : opened)
            m_pTree->setExpanded(pModel->IndexOf(o), true);
    }
}

void CTreeCtrl::Unreveal(Id id)
{
    CTreeItemModel* pModel = Model();
    Store& store = pModel->Store();
    if (!pModel->IsRevealed(id))
        return;
    SyncScope sync(m_nSync);
    QModelIndex index = pModel->IndexOf(id);
    if (index.isValid())
        m_pTree->setExpanded(index, false);
    int rows = store.RowCount(id);
    if (rows > 0)
        pModel->BeginRemove(id, 0, rows - 1);
    std::vector<Id> closing{id};
    for (size_t i = 0; i < closing.size(); ++i)
    {
        Id cur = closing[i];
        store.At(cur).state &= ~Store::kRevealed;
        for (Id c = store.At(cur).first; c != kNone; c = store.At(c).next)
            if (store.At(c).state & Store::kRevealed)
                closing.push_back(c);
        if (cur != id)
            store.DropRowTable(cur);
    }
    if (rows > 0)
        pModel->EndRemove();
}

void CTreeCtrl::ExpandParents(Id id)
{
    Store& store = Model()->Store();
    std::vector<Id> chain;
    for (Id p = store.At(id).parent; p != kRoot && p != kNone; p = store.At(p).parent)
        if (!(store.At(p).state & TVIS_EXPANDED))
            chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        ExpandId(*it, TVE_EXPAND);
}

bool CTreeCtrl::ExpandId(Id id, UINT code)
{
    CTreeItemModel* pModel = Model();
    Store& store = pModel->Store();
    Store::Item& it = store.At(id);
    UINT action = code & 0x3;
    bool expanded = (it.state & TVIS_EXPANDED) != 0;
    if (action == TVE_TOGGLE)
        action = expanded ? TVE_COLLAPSE : TVE_EXPAND;
    if (action == TVE_EXPAND)
    {
        // An item that says it has children may make them only now, when asked.
        if (!expanded && (it.first != kNone || store.HasChildren(id)) &&
            NotifyExpanding(id, TVE_EXPAND))
            return false;
        if (!store.IsItem(id))
            return false;
        Store::Item& item = store.At(id); // the handler may have grown the store
        if (item.first == kNone)
        {
            // Asked and still empty: the button goes, as nothing is there to open.
            if ((item.state & Store::kChildrenOn) && m_pTree)
                m_pTree->RelayoutLater();
            item.state &= ~Store::kChildrenOn;
            return false; // nothing to show
        }
        item.state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
        Reveal(id);
        return true;
    }
    if (action != TVE_COLLAPSE)
        return false;
    if (it.first == kNone && !expanded)
        return false;
    if (expanded && NotifyExpanding(id, TVE_COLLAPSE))
        return false;
    if (!store.IsItem(id))
        return false;
    // A selection inside goes to the item being collapsed.
    if (m_selected != kNone && store.IsAncestor(id, m_selected))
        ChangeSelection(id, TVC_UNKNOWN, false);
    if (m_editItem != kNone && store.IsAncestor(id, m_editItem))
        EndEdit(false, false);
    if (!store.IsItem(id))
        return false;
    store.At(id).state &= ~(UINT)TVIS_EXPANDED;
    Unreveal(id);
    SyncViewSelection();
    if (code & TVE_COLLAPSERESET)
    {
        store.At(id).state &= ~(UINT)TVIS_EXPANDEDONCE;
        HTREEITEM h = ItemHandle(id);
        while (HTREEITEM hChild = GetChildItem(h))
            if (!DeleteItem(hChild))
                break;
    }
    return true;
}

bool CTreeCtrl::NotifyExpanding(Id id, UINT action)
{
    NMTREEVIEW nm{};
    nm.action = action;
    FillNotifyItem(nm.itemNew, id);
    return SendNotify(nm.hdr, TVN_ITEMEXPANDING) != 0;
}

BOOL CTreeCtrl::Expand(HTREEITEM hItem, UINT nCode)
{
    Id id = IdOf(hItem);
    if (id == kNone)
        return FALSE;
    return ExpandId(id, nCode) ? TRUE : FALSE;
}

void CTreeCtrl::OnViewExpanded(Id id, bool bExpanded)
{
    CTreeItemModel* pModel = Model();
    if (!pModel || !pModel->Store().IsItem(id))
        return;
    bool isExpanded = (pModel->Store().At(id).state & TVIS_EXPANDED) != 0;
    if (isExpanded == bExpanded && pModel->IsRevealed(id) == bExpanded)
        return;
    if (!ExpandId(id, bExpanded ? TVE_EXPAND : TVE_COLLAPSE))
    {
        SyncScope sync(m_nSync);
        m_pTree->setExpanded(pModel->IndexOf(id), false);
    }
}

void CTreeCtrl::ScrollTo(Id id)
{
    if (!m_pTree)
        return;
    QModelIndex index = Model()->IndexOf(id);
    if (index.isValid())
        m_pTree->scrollTo(index, QAbstractItemView::EnsureVisible);
}

BOOL CTreeCtrl::EnsureVisible(HTREEITEM hItem)
{
    Id id = IdOf(hItem);
    if (id == kNone)
        return FALSE;
    ExpandParents(id);
    ScrollTo(id);
    return TRUE;
}

BOOL CTreeCtrl::SortChildren(HTREEITEM hItem)
{
    CTreeItemModel* pModel = Model();
    Id parent = ParentIdOf(hItem);
    if (parent == kNone)
        return FALSE;
    Store& store = pModel->Store();
    std::vector<Id> children;
    for (Id c = store.At(parent).first; c != kNone; c = store.At(c).next)
        children.push_back(c);
    if (children.size() < 2)
        return TRUE;
    std::vector<Id> sorted = children;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&store](Id a, Id b)
                     {
                         return QString::fromStdWString(store.Text(a))
                                    .compare(QString::fromStdWString(store.Text(b)),
                                             Qt::CaseInsensitive) < 0;
                     });
    if (sorted == children)
        return TRUE;
    auto relink = [&]()
    {
        Id prev = kNone;
        for (Id c : sorted)
        {
            Store::Item& it = store.At(c);
            it.prev = prev;
            it.next = kNone;
            if (prev == kNone)
                store.At(parent).first = c;
            else
                store.At(prev).next = c;
            prev = c;
        }
        store.At(parent).last = prev;
        store.DropRowTable(parent);
    };
    SyncScope sync(m_nSync);
    if (pModel->IsRevealed(parent))
        pModel->ChangeLayout(relink);
    else
        relink();
    return TRUE;
}

// ---- Attributes ----

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const
{
    Id id = IdOf(hItem);
    return id == kNone ? CString() : CString(Model()->Store().Text(id));
}

BOOL CTreeCtrl::SetItemText(HTREEITEM hItem, LPCWSTR lpszItem)
{
    Id id = IdOf(hItem);
    if (id == kNone)
        return FALSE;
    Model()->Store().SetText(id, lpszItem && lpszItem != LPSTR_TEXTCALLBACK ? lpszItem : L"");
    Model()->ItemChanged(id);
    return TRUE;
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const
{
    Id id = IdOf(hItem);
    if (id == kNone)
        return FALSE;
    nImage = Model()->Store().At(id).image;
    nSelectedImage = Model()->Store().At(id).selImage;
    return TRUE;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage)
{
    Id id = IdOf(hItem);
    if (id == kNone)
        return FALSE;
    Model()->Store().At(id).image = nImage;
    Model()->Store().At(id).selImage = nSelectedImage;
    Model()->ItemChanged(id);
    return TRUE;
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const
{
    Id id = IdOf(hItem);
    return id == kNone ? 0 : (DWORD_PTR)Model()->Store().At(id).data;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR dwData)
{
    Id id = IdOf(hItem);
    if (id == kNone)
        return FALSE;
    Model()->Store().At(id).data = (LPARAM)dwData;
    return TRUE;
}

UINT CTreeCtrl::GetItemState(HTREEITEM hItem, UINT nStateMask) const
{
    Id id = IdOf(hItem);
    return id == kNone ? 0 : (Model()->Store().At(id).state & Store::kPublicState & nStateMask);
}

BOOL CTreeCtrl::SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask)
{
    Id id = IdOf(hItem);
    if (id == kNone)
        return FALSE;
    nStateMask &= Store::kPublicState;
    // Selection, drop highlight and expansion go through their own operations.
    if (nStateMask & TVIS_SELECTED)
    {
        if (nState & TVIS_SELECTED)
            ChangeSelection(id, TVC_UNKNOWN, true);
        else if (m_selected == id)
            ChangeSelection(kNone, TVC_UNKNOWN, true);
        if (IdOf(hItem) != id)
            return FALSE;
    }
    if (nStateMask & TVIS_DROPHILITED)
    {
        if (nState & TVIS_DROPHILITED)
            SelectDropTarget(hItem);
        else if (m_dropHilite == id)
            SelectDropTarget(nullptr);
    }
    if (nStateMask & TVIS_EXPANDED)
    {
        ExpandId(id, (nState & TVIS_EXPANDED) ? TVE_EXPAND : TVE_COLLAPSE);
        if (IdOf(hItem) != id)
            return FALSE;
    }
    UINT plain = nStateMask & ~(UINT)(TVIS_SELECTED | TVIS_DROPHILITED | TVIS_EXPANDED);
    Store::Item& it = Model()->Store().At(id);
    it.state = (it.state & ~plain) | (nState & plain);
    Model()->ItemChanged(id);
    return TRUE;
}

BOOL CTreeCtrl::GetItem(TVITEM* pItem) const
{
    if (!pItem)
        return FALSE;
    Id id = IdOf(pItem->hItem);
    if (id == kNone)
        return FALSE;
    const Store& store = Model()->Store();
    const Store::Item& it = store.At(id);
    if (pItem->mask & TVIF_TEXT)
    {
        if (pItem->pszText && pItem->cchTextMax > 0)
        {
            const std::wstring& text = store.Text(id);
            size_t n = text.size() < (size_t)pItem->cchTextMax - 1 ? text.size()
                                                                   : (size_t)pItem->cchTextMax - 1;
            std::wmemcpy(pItem->pszText, text.data(), n);
            pItem->pszText[n] = 0;
        }
    }
    if (pItem->mask & TVIF_IMAGE)
        pItem->iImage = it.image;
    if (pItem->mask & TVIF_SELECTEDIMAGE)
        pItem->iSelectedImage = it.selImage;
    if (pItem->mask & TVIF_PARAM)
        pItem->lParam = it.data;
    if (pItem->mask & TVIF_STATE)
        pItem->state = it.state & Store::kPublicState & pItem->stateMask;
    if (pItem->mask & TVIF_CHILDREN)
        pItem->cChildren = store.HasChildren(id) ? 1 : 0;
    return TRUE;
}

BOOL CTreeCtrl::SetItem(TVITEM* pItem)
{
    if (!pItem)
        return FALSE;
    HTREEITEM h = pItem->hItem;
    Id id = IdOf(h);
    if (id == kNone)
        return FALSE;
    Store& store = Model()->Store();
    if (pItem->mask & TVIF_TEXT)
        store.SetText(id, pItem->pszText && pItem->pszText != LPSTR_TEXTCALLBACK ? pItem->pszText
                                                                                 : L"");
    if (pItem->mask & TVIF_IMAGE)
        store.At(id).image = pItem->iImage;
    if (pItem->mask & TVIF_SELECTEDIMAGE)
        store.At(id).selImage = pItem->iSelectedImage;
    if (pItem->mask & TVIF_PARAM)
        store.At(id).data = pItem->lParam;
    if (pItem->mask & TVIF_CHILDREN)
    {
        store.At(id).state |= Store::kChildrenSet;
        if (pItem->cChildren != 0)
            store.At(id).state |= Store::kChildrenOn;
        else
            store.At(id).state &= ~Store::kChildrenOn;
        if (m_pTree)
            m_pTree->RelayoutLater();
    }
    Model()->ItemChanged(id);
    if (pItem->mask & TVIF_STATE)
        return SetItemState(h, pItem->state, pItem->stateMask);
    return TRUE;
}

BOOL CTreeCtrl::SetItem(HTREEITEM hItem, UINT nMask, LPCWSTR lpszItem, int nImage,
                        int nSelectedImage, UINT nState, UINT nStateMask, LPARAM lParam)
{
    TVITEM item{};
    item.hItem = hItem;
    item.mask = nMask;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    item.iImage = nImage;
    item.iSelectedImage = nSelectedImage;
    item.state = nState;
    item.stateMask = nStateMask;
    item.lParam = lParam;
    return SetItem(&item);
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM hItem) const
{
    Id id = IdOf(hItem);
    return id != kNone && Model()->Store().HasChildren(id);
}

UINT CTreeCtrl::GetCount() const
{
    CTreeItemModel* pModel = Model();
    return pModel ? (UINT)pModel->Store().Count() : 0;
}

UINT CTreeCtrl::GetVisibleCount() const
{
    if (!m_pTree)
        return 0;
    int rowHeight = m_pTree->fontMetrics().height();
    QModelIndex first = m_pTree->indexAt(QPoint(1, 1));
    if (first.isValid())
        rowHeight = m_pTree->visualRect(first).height();
    return rowHeight > 0 ? (UINT)(m_pTree->viewport()->height() / rowHeight) : 0;
}

UINT CTreeCtrl::GetIndent() const
{
    return m_pTree ? (UINT)m_pTree->indentation() : 0;
}

void CTreeCtrl::SetIndent(UINT nIndent)
{
    if (m_pTree)
        m_pTree->setIndentation((int)nIndent);
}

CImageList* CTreeCtrl::SetImageList(CImageList* pImageList, int nImageListType)
{
    CImageList* old;
    if (nImageListType == TVSIL_STATE)
    {
        old = m_pStateImages;
        m_pStateImages = pImageList;
        return old;
    }
    old = m_pImages;
    m_pImages = pImageList;
    if (CTreeItemModel* pModel = Model())
    {
        pModel->SetImageList(pImageList);
        if (m_pTree)
        {
            CSize size = pImageList ? pImageList->GetImageSize() : CSize(0, 0);
            m_pTree->setIconSize(QSize(size.cx, size.cy));
            m_pTree->viewport()->update();
        }
    }
    return old;
}

CImageList* CTreeCtrl::GetImageList(int nImageListType) const
{
    return nImageListType == TVSIL_STATE ? m_pStateImages : m_pImages;
}

// The row of an item in the window and its label's part, in viewport coordinates.
bool CTreeCtrl::ItemBounds(Id id, QRect& row, QRect& label) const
{
    if (!m_pTree)
        return false;
    QModelIndex index = Model()->IndexOf(id);
    if (!index.isValid())
        return false;
    QRect cell = m_pTree->visualRect(index);
    if (!cell.isValid())
        return false;
    row = QRect(0, cell.top(), m_pTree->viewport()->width(), cell.height());
    int left = cell.left();
    if (m_pImages && !m_pImages->GetPixmap(Model()->Store().At(id).image).isNull())
        left += m_pImages->GetImageSize().cx + 4;
    QFontMetrics fm(m_pTree->font());
    if (Model()->Store().At(id).state & TVIS_BOLD)
    {
        QFont bold = m_pTree->font();
        bold.setBold(true);
        fm = QFontMetrics(bold);
    }
    int width = fm.horizontalAdvance(QString::fromStdWString(Model()->Store().Text(id))) + 8;
    label = QRect(left, cell.top(), width, cell.height());
    return true;
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const
{
    Id id = IdOf(hItem);
    QRect row, label;
    if (id == kNone || !lpRect || !ItemBounds(id, row, label))
        return FALSE;
    QRect r = bTextOnly ? label : row;
    *lpRect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return TRUE;
}

HTREEITEM CTreeCtrl::HitTest(CPoint pt, UINT* pFlags) const
{
    TVHITTESTINFO info{};
    info.pt = pt;
    HTREEITEM h = HitTest(&info);
    if (pFlags)
        *pFlags = info.flags;
    return h;
}

HTREEITEM CTreeCtrl::HitTest(TVHITTESTINFO* pInfo) const
{
    if (!pInfo)
        return nullptr;
    pInfo->flags = 0;
    pInfo->hItem = nullptr;
    if (!m_pTree)
        return nullptr;
    QWidget* pViewport = m_pTree->viewport();
    int x = pInfo->pt.x, y = pInfo->pt.y;
    if (y < 0)
        pInfo->flags |= TVHT_ABOVE;
    else if (y >= pViewport->height())
        pInfo->flags |= TVHT_BELOW;
    if (x < 0)
        pInfo->flags |= TVHT_TOLEFT;
    else if (x >= pViewport->width())
        pInfo->flags |= TVHT_TORIGHT;
    if (pInfo->flags)
        return nullptr;
    // A point in the second column is on the item's row, right of its label.
    QModelIndex index = m_pTree->indexAt(QPoint(x, y)).siblingAtColumn(0);
    if (!index.isValid())
    {
        pInfo->flags = TVHT_NOWHERE;
        return nullptr;
    }
    Id id = (Id)index.internalId();
    QRect row, label;
    if (!ItemBounds(id, row, label))
    {
        pInfo->flags = TVHT_NOWHERE;
        return nullptr;
    }
    QRect cell = m_pTree->visualRect(index);
    if (x < cell.left())
    {
        bool button = (m_pTree->StyleBits() & TVS_HASBUTTONS) && Model()->Store().HasChildren(id) &&
                      x >= cell.left() - m_pTree->indentation();
        pInfo->flags = button ? TVHT_ONITEMBUTTON : TVHT_ONITEMINDENT;
    }
    else if (x < label.left())
    {
        pInfo->flags = TVHT_ONITEMICON;
    }
    else if (x < label.right() + 1)
    {
        pInfo->flags = TVHT_ONITEMLABEL;
    }
    else
    {
        pInfo->flags = TVHT_ONITEMRIGHT;
    }
    pInfo->hItem = ItemHandle(id);
    return pInfo->hItem;
}

// ---- Label editing ----

CEdit* CTreeCtrl::GetEditControl() const
{
    return m_editItem != kNone && m_edit.GetSafeHwnd() ? const_cast<CEdit*>(&m_edit) : nullptr;
}

CEdit* CTreeCtrl::EditLabel(HTREEITEM hItem)
{
    Id id = IdOf(hItem);
    if (id == kNone || !m_pTree)
        return nullptr;
    if (m_editItem != kNone)
    {
        EndEdit(false, false);
        id = IdOf(hItem);
        if (id == kNone)
            return nullptr;
    }
    m_pTree->CancelSlowClick();
    m_pTree->setFocus(Qt::OtherFocusReason);
    EnsureVisible(hItem);
    QRect row, label;
    if (!ItemBounds(id, row, label))
        return nullptr;

    // The edit exists before the begin notification, so its handler can adjust it.
    auto* pEditor = new QLineEdit(m_pTree->viewport());
    CEdit::TrackText(pEditor);
    pEditor->setFrame(true);
    pEditor->setText(QString::fromStdWString(Model()->Store().Text(id)));
    int width = std::max(label.width() + 24, 80);
    width = std::min(width, std::max(m_pTree->viewport()->width() - label.left(), 40));
    pEditor->setGeometry(label.left() - 2, label.top() - 1, width,
                         std::max(label.height() + 2, pEditor->sizeHint().height()));
    m_edit.Attach(CWnd::HandleOf(pEditor));
    m_editItem = id;

    NMTVDISPINFO di{};
    FillNotifyItem(di.item, id);
    TextBuffer text(Model()->Store().Text(id));
    di.item.mask |= TVIF_TEXT;
    di.item.pszText = text.Data();
    di.item.cchTextMax = text.Size();
    LRESULT cancel = SendNotify(di.hdr, TVN_BEGINLABELEDIT);
    if (cancel || m_editItem != id || IdOf(hItem) != id || !m_pTree)
    {
        if (m_editItem == id)
            ResetEditState();
        if (m_edit.GetSafeHwnd() == CWnd::HandleOf(pEditor))
            m_edit.Detach();
        pEditor->deleteLater();
        return nullptr;
    }
    m_pTree->SetLabelEditor(pEditor);
    pEditor->installEventFilter(m_pTree);
    pEditor->selectAll();
    pEditor->show();
    pEditor->setFocus(Qt::OtherFocusReason);
    return &m_edit;
}

void CTreeCtrl::ResetEditState()
{
    m_editItem = kNone;
    if (m_pTree)
        m_pTree->SetLabelEditor(nullptr);
}

void CTreeCtrl::EndEdit(bool bCancel, bool bRestoreFocus)
{
    if (m_editItem == kNone || m_bEnding || !m_pTree)
        return;
    QLineEdit* pEditor = m_pTree->LabelEditor();
    if (!pEditor)
        return;
    m_bEnding = true;
    Id id = m_editItem;
    HTREEITEM hItem = ItemHandle(id);
    std::wstring newText = pEditor->text().toStdWString();
    TextBuffer buffer(newText);

    NMTVDISPINFO di{};
    FillNotifyItem(di.item, id);
    di.item.mask |= TVIF_TEXT;
    di.item.pszText = bCancel ? nullptr : buffer.Data();
    di.item.cchTextMax = bCancel ? 0 : buffer.Size();
    QPointer<CTreeViewWidget> pTree = m_pTree;
    LRESULT accept = SendNotify(di.hdr, TVN_ENDLABELEDIT);
    if (!pTree)
        return;
    if (!bCancel && accept && IdOf(hItem) == id)
        SetItemText(hItem, newText.c_str());

    bool hadFocus = pEditor->hasFocus();
    pEditor->removeEventFilter(m_pTree);
    if (m_edit.GetSafeHwnd())
        m_edit.Detach();
    ResetEditState();
    pEditor->hide();
    pEditor->deleteLater();
    if (bRestoreFocus || hadFocus)
        m_pTree->setFocus(Qt::OtherFocusReason);
    m_bEnding = false;
}

BOOL CTreeCtrl::EndEditLabelNow(BOOL fCancelWithoutSave)
{
    if (m_editItem == kNone)
        return FALSE;
    EndEdit(fCancelWithoutSave != FALSE, true);
    return TRUE;
}

void CTreeCtrl::OnEditKey(bool bCommit)
{
    EndEdit(!bCommit, true);
}

void CTreeCtrl::OnEditFocusLost()
{
    EndEdit(false, false);
}

void CTreeCtrl::OnSlowClick(Id id)
{
    CTreeItemModel* pModel = Model();
    if (!pModel || !pModel->Store().IsItem(id) || id != m_selected ||
        !(OwnerStyle() & TVS_EDITLABELS))
        return;
    if (!m_pTree->hasFocus())
        return;
    EditLabel(ItemHandle(id));
}

// ---- Dragging ----

void CTreeCtrl::OnBeginDrag(Id id, QPoint pt)
{
    if (!Model() || !Model()->Store().IsItem(id))
        return;
    NMTREEVIEW nm{};
    nm.action = 0;
    FillNotifyItem(nm.itemNew, id);
    nm.ptDrag = POINT{pt.x(), pt.y()};
    SendNotify(nm.hdr, TVN_BEGINDRAG);
}

// ---- The second column ----

BOOL CTreeCtrl::ShowTextColumn(BOOL bShow, LPCWSTR lpszLabelTitle, LPCWSTR lpszColumnTitle)
{
    CTreeItemModel* pModel = Model();
    if (!pModel || !m_pTree)
        return FALSE;
    std::function<QString(Id)> text;
    if (bShow)
        text = [this](Id id)
        { return m_pTree ? AfxToQString(GetColumnText(ItemHandle(id))) : QString(); };
    const bool bWasShown = pModel->HasTextColumn();
    pModel->SetTextColumn(std::move(text), AfxToQString(lpszLabelTitle),
                          AfxToQString(lpszColumnTitle));
    m_pTree->setHeaderHidden(!bShow);
    if (bShow && !bWasShown)
    {
        // The labels keep about the room they had; the texts take the rest.
        constexpr int kLabelWidth = 200;
        m_pTree->header()->setStretchLastSection(true);
        m_pTree->header()->resizeSection(0,
                                         std::max(kLabelWidth, m_pTree->viewport()->width() / 2));
    }
    m_pTree->viewport()->update();
    return TRUE;
}

BOOL CTreeCtrl::IsTextColumnShown() const
{
    CTreeItemModel* pModel = Model();
    return pModel && pModel->HasTextColumn();
}

void CTreeCtrl::RedrawTextColumn()
{
    if (m_pTree && IsTextColumnShown())
        m_pTree->viewport()->update();
}

CString CTreeCtrl::GetColumnText(HTREEITEM) const
{
    return CString();
}

CImageList* CTreeCtrl::CreateDragImage(HTREEITEM hItem)
{
    Id id = IdOf(hItem);
    if (id == kNone || !m_pTree)
        return nullptr;
    const Store::Item& it = Model()->Store().At(id);
    QString text = QString::fromStdWString(Model()->Store().Text(id));
    QFont font = m_pTree->font();
    if (it.state & TVIS_BOLD)
        font.setBold(true);
    QFontMetrics fm(font);
    QPixmap icon = m_pImages ? m_pImages->GetPixmap(it.image) : QPixmap();
    int iconWidth = icon.isNull() ? 0 : icon.width() + 2;
    int width = iconWidth + fm.horizontalAdvance(text) + 6;
    int height = std::max(fm.height() + 2, icon.isNull() ? 0 : icon.height());
    QPixmap image(width, height);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        if (!icon.isNull())
            painter.drawPixmap(0, (height - icon.height()) / 2, icon);
        painter.setFont(font);
        painter.setPen(m_pTree->palette().color(QPalette::Text));
        painter.drawText(QRect(iconWidth + 3, 0, width - iconWidth - 3, height),
                         Qt::AlignVCenter | Qt::AlignLeft, text);
    }
    auto* pList = new CImageList;
    pList->Create(width, height, ILC_COLOR32 | ILC_MASK, 1, 0);
    pList->Add(image);
    return pList;
}
