#pragma once
// CDialog: a dialog box built from a dialog template. DoModal shows it as an
// application-modal window and returns how it ended (IDOK, IDCANCEL, or what
// EndDialog was given; -1 when it could not be made). OnInitDialog runs once
// the controls exist and before the box is shown; Enter is the default button
// (IDOK without one), Escape and the close box are IDCANCEL.
#include "velmar/framework/DialogItem.h"

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)
public:
    using CWnd::Create;

    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    UINT m_nIDHelp = 0;

    virtual INT_PTR DoModal();
    // A modeless dialog; it shows itself when its template has WS_VISIBLE.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog(); // TRUE: the first control that takes the focus gets it
    virtual void OnOK();
    virtual void OnCancel();

    void MapDialogRect(LPRECT lpRect) const; // dialog units to pixels, in place
    UINT GetTemplateID() const { return m_nIDTemplate; }

    void OnClose();
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;

protected:
    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;
    int m_nModalResult = -1;
    BOOL m_bInModal = FALSE;
    BOOL m_bEnded = FALSE;
    AFX_DIALOG_METRICS m_metrics;
    const AFX_DIALOG_RESOURCE* m_pTemplate = nullptr;

    BOOL CreateIndirect(const AFX_DIALOG_RESOURCE* pTemplate, CWnd* pParentWnd);
    friend class CDialogWidget;

    DECLARE_MESSAGE_MAP()
};
