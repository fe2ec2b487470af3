#include "velmar/framework/TreeViewWidget.h"

#include "velmar/framework/ImageList.h"
#include "velmar/framework/TreeCtrl.h"
#include "TreeItemModel.h"
#include "WndBridge.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStyleHints>
#include <QTimer>

#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002

static constexpr CTreeViewWidget::Id kNoItem = CTreeItemStore::kNone;

CTreeViewWidget::CTreeViewWidget(QWidget* pParent)
    : QTreeView(pParent), m_slowClickItem(kNoItem), m_dragItem(kNoItem)
{
    setHeaderHidden(true);
    setUniformRowHeights(true); // the view never measures rows it does not show
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setAnimated(false);
    setAutoScroll(false);
    setFocusPolicy(Qt::StrongFocus);
    m_pSlowClick = new QTimer(this);
    m_pSlowClick->setSingleShot(true);
    connect(m_pSlowClick, &QTimer::timeout, this,
            [this]()
            {
                Id id = m_slowClickItem;
                m_slowClickItem = kNoItem;
                if (m_pCtrl && id != kNoItem)
                    m_pCtrl->OnSlowClick(id);
            });
}

CTreeViewWidget::~CTreeViewWidget() = default;

void CTreeViewWidget::SetStyleBits(unsigned long dwStyle)
{
    m_dwStyle = dwStyle;
    setRootIsDecorated((dwStyle & TVS_LINESATROOT) != 0);
    setItemsExpandable(true);
    setExpandsOnDoubleClick(true);
    // Without TVS_SHOWSELALWAYS the selection is not shown while the control has no focus.
    QPalette pal = palette();
    QPalette app = QApplication::palette(this);
    if (dwStyle & TVS_SHOWSELALWAYS)
    {
        pal.setColor(QPalette::Inactive, QPalette::Highlight,
                     app.color(QPalette::Inactive, QPalette::Highlight));
        pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     app.color(QPalette::Inactive, QPalette::HighlightedText));
    }
    else
    {
        pal.setColor(QPalette::Inactive, QPalette::Highlight,
                     app.color(QPalette::Inactive, QPalette::Base));
        pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     app.color(QPalette::Inactive, QPalette::Text));
    }
    setPalette(pal);
    viewport()->update();
}

void CTreeViewWidget::CancelSlowClick()
{
    m_pSlowClick->stop();
    m_slowClickItem = kNoItem;
}

// Offers a mouse message to the window that is this control, as the event
// bridge does for a window's own widget (these events arrive at the viewport).
// True when a handler took it and did not ask for the default processing.
bool CTreeViewWidget::SendToOwner(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    CWnd* pOwner = m_pCtrl ? CWnd::FromHandlePermanent(CWnd::HandleOf(this)) : nullptr;
    if (!pOwner || !pOwner->FindMessageEntry(message))
        return false;
    AFX_CURRENT_MSG saved = AfxCurrentMsg();
    AfxCurrentMsg() = {message, (WPARAM)wParam, (LPARAM)lParam, true, false};
    pOwner->WindowProc(message, (WPARAM)wParam, (LPARAM)lParam);
    bool pass = AfxCurrentMsg().bPassToQt;
    AfxCurrentMsg() = saved;
    return !pass;
}

CTreeViewWidget::Id CTreeViewWidget::ItemAt(const QPoint& pt) const
{
    QModelIndex index = indexAt(pt).siblingAtColumn(0);
    if (!index.isValid())
        return kNoItem;
    // The indentation left of an item is not the item.
    if (pt.x() < visualRect(index).left())
        return kNoItem;
    return (Id)index.internalId();
}

bool CTreeViewWidget::OnLabel(const QPoint& pt) const
{
    if (!m_pCtrl)
        return false;
    UINT flags = 0;
    m_pCtrl->HitTest(CPoint(pt.x(), pt.y()), &flags);
    return (flags & TVHT_ONITEMLABEL) != 0;
}

void CTreeViewWidget::mousePressEvent(QMouseEvent* e)
{
    CancelSlowClick();
    if (!m_pCtrl)
    {
        QTreeView::mousePressEvent(e);
        return;
    }
    QPointer<CTreeViewWidget> self(this);
    QPoint p = e->position().toPoint();
    LPARAM lp = MAKELPARAM(p.x(), p.y());
    if (e->button() == Qt::RightButton)
    {
        m_bRightDefault = false;
        if (SendToOwner(WM_RBUTTONDOWN, MK_RBUTTON, lp) || !self)
            return;
        // The tree's own right click takes the focus but leaves the selection alone.
        m_bRightDefault = true;
        setFocus(Qt::MouseFocusReason);
        e->accept();
        return;
    }
    if (e->button() != Qt::LeftButton)
    {
        QTreeView::mousePressEvent(e);
        return;
    }
    m_bFocusedAtPress = hasFocus();
    if (SendToOwner(WM_LBUTTONDOWN, MK_LBUTTON, lp) || !self || !m_pCtrl)
        return;
    Id id = ItemAt(p);
    bool wasSelected = id != kNoItem && m_pCtrl->ItemHandle(id) == m_pCtrl->GetSelectedItem();
    bool onLabel = OnLabel(p);
    m_dragItem = id;
    m_pressPos = p;
    m_nInput = TVC_BYMOUSE;
    QTreeView::mousePressEvent(e);
    if (self)
        m_nInput = TVC_UNKNOWN;
    if (!self || !m_pCtrl)
        return;
    // A click beside the items leaves the selection as it was.
    m_pCtrl->SyncViewSelection();
    if (wasSelected && onLabel && m_bFocusedAtPress && (m_dwStyle & TVS_EDITLABELS))
        m_slowClickItem = id;
}

void CTreeViewWidget::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() & Qt::LeftButton)
    {
        // The tree does not select by dragging; a long enough move begins a drag.
        QPoint p = e->position().toPoint();
        if (m_dragItem != kNoItem && m_pCtrl &&
            (p - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
        {
            Id id = m_dragItem;
            m_dragItem = kNoItem;
            CancelSlowClick();
            if (!(m_dwStyle & TVS_DISABLEDRAGDROP))
                m_pCtrl->OnBeginDrag(id, m_pressPos);
        }
        return;
    }
    QTreeView::mouseMoveEvent(e);
}

void CTreeViewWidget::mouseReleaseEvent(QMouseEvent* e)
{
    if (!m_pCtrl)
    {
        QTreeView::mouseReleaseEvent(e);
        return;
    }
    QPointer<CTreeViewWidget> self(this);
    if (e->button() == Qt::RightButton)
    {
        if (m_bRightDefault)
        {
            m_bRightDefault = false;
            m_pCtrl->NotifyCode(NM_RCLICK);
        }
        return;
    }
    if (e->button() != Qt::LeftButton)
    {
        QTreeView::mouseReleaseEvent(e);
        return;
    }
    m_dragItem = kNoItem;
    // An image-list drag that nothing ended would stay on the screen.
    if (CImageList::IsDragging())
        CImageList::EndDrag();
    Id armed = m_slowClickItem;
    m_nInput = TVC_BYMOUSE;
    QTreeView::mouseReleaseEvent(e);
    if (self)
        m_nInput = TVC_UNKNOWN;
    if (!self || !m_pCtrl)
        return;
    m_pCtrl->SyncViewSelection();
    if (armed != kNoItem && ItemAt(e->position().toPoint()) == armed)
    {
        m_slowClickItem = armed;
        m_pSlowClick->start(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    }
    else
    {
        m_slowClickItem = kNoItem;
    }
    m_pCtrl->NotifyCode(NM_CLICK);
}

void CTreeViewWidget::mouseDoubleClickEvent(QMouseEvent* e)
{
    CancelSlowClick();
    if (!m_pCtrl || e->button() != Qt::LeftButton)
    {
        QTreeView::mouseDoubleClickEvent(e);
        return;
    }
    QPointer<CTreeViewWidget> self(this);
    if (m_pCtrl->NotifyCode(NM_DBLCLK) || !self)
        return;
    // Double-clicking an item toggles it.
    Id id = ItemAt(e->position().toPoint());
    if (id != kNoItem && m_pCtrl)
        m_pCtrl->Expand(m_pCtrl->ItemHandle(id), TVE_TOGGLE);
}

void CTreeViewWidget::keyPressEvent(QKeyEvent* e)
{
    CancelSlowClick();
    // '*' would expand every item below the current one, which on a large tree
    // means every item of the document.
    if (e->key() == Qt::Key_Asterisk)
    {
        e->accept();
        return;
    }
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && m_pCtrl)
    {
        m_pCtrl->NotifyCode(NM_RETURN);
        e->accept();
        return;
    }
    // Delete means nothing to the tree itself; its owner hears of it, as of
    // every key in a native tree, to delete the selected item.
    if (e->key() == Qt::Key_Delete && e->modifiers() == Qt::NoModifier && m_pCtrl)
    {
        m_pCtrl->NotifyKeyDown(VK_DELETE);
        e->accept();
        return;
    }
    QPointer<CTreeViewWidget> self(this);
    m_nInput = TVC_BYKEYBOARD;
    QTreeView::keyPressEvent(e);
    if (self)
        m_nInput = TVC_UNKNOWN;
}

void CTreeViewWidget::focusInEvent(QFocusEvent* e)
{
    QTreeView::focusInEvent(e);
    viewport()->update();
}

void CTreeViewWidget::focusOutEvent(QFocusEvent* e)
{
    CancelSlowClick();
    QTreeView::focusOutEvent(e);
    viewport()->update();
}

void CTreeViewWidget::drawBranches(QPainter* painter, const QRect& rect,
                                   const QModelIndex& index) const
{
    if (m_dwStyle & TVS_HASBUTTONS)
        QTreeView::drawBranches(painter, rect, index);
}

void CTreeViewWidget::scrollContentsBy(int dx, int dy)
{
    // Scrolling ends a label edit, keeping what was typed.
    if (m_pEditor && m_pCtrl)
        m_pCtrl->OnEditFocusLost();
    QTreeView::scrollContentsBy(dx, dy);
}

bool CTreeViewWidget::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pEditor && m_pCtrl)
    {
        if (pEvent->type() == QEvent::KeyPress)
        {
            auto* k = static_cast<QKeyEvent*>(pEvent);
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
            {
                m_pCtrl->OnEditKey(true);
                return true;
            }
            if (k->key() == Qt::Key_Escape)
            {
                m_pCtrl->OnEditKey(false);
                return true;
            }
        }
        else if (pEvent->type() == QEvent::ShortcutOverride)
        {
            // Enter and Escape belong to the editor, not to the window's shortcuts.
            auto* k = static_cast<QKeyEvent*>(pEvent);
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter ||
                k->key() == Qt::Key_Escape)
            {
                pEvent->accept();
                return true;
            }
        }
        else if (pEvent->type() == QEvent::FocusOut)
        {
            auto* f = static_cast<QFocusEvent*>(pEvent);
            if (f->reason() != Qt::PopupFocusReason)
                m_pCtrl->OnEditFocusLost();
        }
    }
    return QTreeView::eventFilter(pWatched, pEvent);
}
