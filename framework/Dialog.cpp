#include "velmar/framework/Dialog.h"

#include "velmar/framework/Translation.h"

#include "velmar/framework/WinApp.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
ON_WM_CLOSE()
ON_MESSAGE(WM_INITDIALOG, &CDialog::HandleInitDialog)
END_MESSAGE_MAP()

// The dialog's widget: its keys and its ending go through the CDialog.
class CDialogWidget : public QDialog
{
public:
    explicit CDialogWidget(QWidget* pParent) : QDialog(pParent) {}

    CDialog* Dialog() const
    {
        return DYNAMIC_DOWNCAST(CDialog, CWnd::FromHandlePermanent(CWnd::HandleOf(this)));
    }

    void reject() override
    {
        // Escape: the cancel command, which may refuse to end the dialog.
        if (CDialog* p = Dialog())
            p->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        else
            QDialog::reject();
    }

protected:
    void keyPressEvent(QKeyEvent* pEvent) override
    {
        if ((pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) &&
            (pEvent->modifiers() & ~Qt::KeypadModifier) == 0)
        {
            // Enter presses the default button; without one it is IDOK.
            for (QPushButton* pButton : findChildren<QPushButton*>())
                if (pButton->isDefault() && pButton->isVisible() && pButton->isEnabled())
                {
                    pButton->click();
                    return;
                }
            if (CDialog* p = Dialog())
                p->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return;
        }
        QDialog::keyPressEvent(pEvent);
    }
};

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

QWidget* CDialog::CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget)
{
    // A dialog is a window of its own, owned by its parent's top-level window.
    QWidget* pOwner = pParentWidget ? pParentWidget->window() : nullptr;
    auto* pDialog = new CDialogWidget(pOwner);
    pDialog->setFont(m_metrics.font);
    if (cs.lpszName)
        pDialog->setWindowTitle(AfxToQString(cs.lpszName));
    if (m_pTemplate)
    {
        QRect r = m_metrics.ToPixels(0, 0, m_pTemplate->cx, m_pTemplate->cy);
        pDialog->setFixedSize(r.size());
    }
    return pDialog;
}

BOOL CDialog::CreateIndirect(const AFX_DIALOG_RESOURCE* pTemplate, CWnd* pParentWnd)
{
    if (!pTemplate || m_hWnd)
        return FALSE;
    m_pTemplate = pTemplate;
    m_metrics = AfxDialogMetrics(pTemplate);
    m_bEnded = FALSE;
    if (!pParentWnd)
        pParentWnd = AfxGetMainWnd();
    DWORD dwStyle = (pTemplate->dwStyle | WS_POPUP) & ~(WS_CHILD | WS_VISIBLE);
    if (!CreateEx(0, nullptr,
                  pTemplate->lpszCaption ? AfxTranslatePermanent(pTemplate->lpszCaption) : L"",
                  dwStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                  pParentWnd ? pParentWnd->m_hWnd : nullptr, nullptr))
        return FALSE;
    if (!AfxCreateDialogItems(this, pTemplate, m_metrics))
    {
        DestroyWindow();
        return FALSE;
    }
    // TRUE from OnInitDialog: the first control that takes the focus has it when the dialog opens.
    if (SendMessage(WM_INITDIALOG, 0, 0) && m_hWnd)
    {
        for (QObject* o : GetWidget()->children())
        {
            auto* w = o->isWidgetType() ? static_cast<QWidget*>(o) : nullptr;
            if (w && !w->isHidden() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
            {
                w->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
    return m_hWnd != nullptr;
}

INT_PTR CDialog::DoModal()
{
    const AFX_DIALOG_RESOURCE* pTemplate = AfxFindDialogResource(m_nIDTemplate);
    if (!pTemplate || m_hWnd)
        return -1;
    m_nModalResult = -1;
    if (!CreateIndirect(pTemplate, m_pParentWnd))
        return -1;
    QPointer<QWidget> pWidget = GetWidget();
    if (!m_bEnded)
    {
        auto* pDialog = static_cast<QDialog*>(pWidget.data());
        pDialog->setModal(true);
        m_bInModal = TRUE;
        CenterWindow(m_pParentWnd ? m_pParentWnd : AfxGetMainWnd());
        pDialog->exec();
        m_bInModal = FALSE;
    }
    if (m_hWnd)
        DestroyWindow();
    return m_nModalResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    const AFX_DIALOG_RESOURCE* pTemplate = AfxFindDialogResource(nIDTemplate);
    if (!CreateIndirect(pTemplate, pParentWnd))
        return FALSE;
    if ((pTemplate->dwStyle & WS_VISIBLE) && !m_bEnded)
        ShowWindow(SW_SHOWNORMAL);
    return TRUE;
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    m_bEnded = TRUE;
    auto* pDialog = qobject_cast<QDialog*>(GetWidget());
    if (!pDialog)
        return;
    if (m_bInModal)
        pDialog->done(nResult); // leaves exec, which hides the window
    else
        pDialog->hide();
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    return OnInitDialog();
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnClose()
{
    // The close box cancels, as Escape does.
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void CDialog::MapDialogRect(LPRECT lpRect) const
{
    if (!lpRect)
        return;
    AFX_DIALOG_METRICS metrics =
        m_hWnd ? m_metrics : AfxDialogMetrics(AfxFindDialogResource(m_nIDTemplate));
    QRect r = metrics.ToPixels(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                               lpRect->bottom - lpRect->top);
    QRect corner = metrics.ToPixels(lpRect->right, lpRect->bottom, 0, 0);
    *lpRect = RECT{r.left(), r.top(), corner.left(), corner.top()};
}
