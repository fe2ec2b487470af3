#include "velmar/framework/DialogBar.h"

#include "velmar/framework/CmdUI.h"
#include "velmar/framework/FrameWnd.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

IMPLEMENT_DYNAMIC(CDialogBar, CControlBar)

BEGIN_MESSAGE_MAP(CDialogBar, CControlBar)
END_MESSAGE_MAP()

class CDialogBarWidget : public QWidget
{
public:
    explicit CDialogBarWidget(QWidget* pParent) : QWidget(pParent) {}
    QSize m_size;
    QSize sizeHint() const override { return m_size; }
    QSize minimumSizeHint() const override { return m_size; }

    // Enter in one of the bar's fields presses its default button (IDOK
    // without one) and Escape is IDCANCEL, as the dialog manager does.
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() != QEvent::KeyPress && pEvent->type() != QEvent::ShortcutOverride)
            return QWidget::eventFilter(pWatched, pEvent);
        const int key = static_cast<QKeyEvent*>(pEvent)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (!enter && key != Qt::Key_Escape)
            return QWidget::eventFilter(pWatched, pEvent);
        if (pEvent->type() == QEvent::ShortcutOverride)
        {
            // The keys are the field's, not the window's shortcuts'.
            pEvent->accept();
            return false;
        }
        auto* pBar = DYNAMIC_DOWNCAST(CDialogBar, CWnd::FromHandlePermanent(CWnd::HandleOf(this)));
        if (!pBar)
            return false;
        UINT nID = enter ? IDOK : IDCANCEL;
        if (enter)
            for (QObject* o : children())
                if (auto* pItem = o->isWidgetType()
                                      ? DYNAMIC_DOWNCAST(CDialogItem,
                                                         CWnd::FromHandlePermanent(CWnd::HandleOf(
                                                             static_cast<QWidget*>(o))))
                                      : nullptr;
                    pItem && pItem->IsDefaultButton())
                {
                    if (!static_cast<QWidget*>(o)->isEnabled())
                        return true;
                    nID = (UINT)pItem->GetDlgCtrlID();
                }
        pBar->SendMessage(WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), 0);
        return true;
    }
};

QWidget* CDialogBar::CreateBarWidget(QWidget* pParentWidget)
{
    return new CDialogBarWidget(pParentWidget);
}

BOOL CDialogBar::Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID)
{
    const AFX_DIALOG_RESOURCE* pTemplate = AfxFindDialogResource(nIDTemplate);
    if (!pTemplate || m_hWnd)
        return FALSE;
    AFX_DIALOG_METRICS metrics = AfxDialogMetrics(pTemplate);
    // Visible unless the bar style hides it, as a bar made from a template is.
    if (!CreateBar(nStyle | WS_VISIBLE, pParentWnd, nID))
        return FALSE;
    auto* pWidget = static_cast<CDialogBarWidget*>(GetWidget());
    pWidget->setFont(metrics.font);
    QRect r = metrics.ToPixels(0, 0, pTemplate->cx, pTemplate->cy);
    pWidget->m_size = r.size();
    m_sizeDefault = CSize(r.width(), r.height());
    pWidget->resize(r.size());
    if (!AfxCreateDialogItems(this, pTemplate, metrics))
    {
        DestroyWindow();
        return FALSE;
    }
    for (QLineEdit* pField : pWidget->findChildren<QLineEdit*>())
        pField->installEventFilter(pWidget);
    SendMessage(WM_INITDIALOG, 0, 0);
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->RecalcLayout();
    return TRUE;
}

CSize CDialogBar::CalcFixedLayout(BOOL, BOOL)
{
    return m_sizeDefault;
}

BOOL CDialogBar::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CControlBar::OnCommand(wParam, lParam))
        return TRUE;
    // What the bar does not handle is the frame's, as from any of its bars.
    CFrameWnd* pFrame = GetDockingFrame();
    return pFrame && pFrame->OnCmdMsg(LOWORD(wParam), HIWORD(wParam), nullptr, nullptr);
}

void CDialogBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    QWidget* pWidget = GetWidget();
    if (!pWidget)
        return;
    CCmdUI state;
    for (QObject* o : pWidget->children())
    {
        if (!o->isWidgetType())
            continue;
        auto* pItem =
            DYNAMIC_DOWNCAST(CDialogItem, FromHandlePermanent(HandleOf(static_cast<QWidget*>(o))));
        if (!pItem || pItem->GetDlgCtrlID() <= 0 || pItem->GetDlgCtrlID() > 0xFFFF)
            continue;
        state.m_nID = (UINT)pItem->GetDlgCtrlID();
        state.m_pOther = pItem;
        // Only push buttons are disabled for want of a handler; fields stay usable.
        state.DoUpdate(pTarget, bDisableIfNoHndler && pItem->GetKind() == CDialogItem::kPushButton);
    }
}
