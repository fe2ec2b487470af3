#pragma once
// CDialogBar: a control bar made of the controls of a dialog template, as
// large as the template. Its controls' commands go to the frame, and their
// update handlers run at idle time (push buttons without a handler are
// disabled).
#include "velmar/framework/AfxRes.h"
#include "velmar/framework/ControlBar.h"
#include "velmar/framework/DialogItem.h"

class CDialogBar : public CControlBar
{
    DECLARE_DYNAMIC(CDialogBar)
public:
    using CControlBar::Create;

    BOOL Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID);
    CSize m_sizeDefault{0, 0}; // the template's size in pixels

    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreateBarWidget(QWidget* pParentWidget) override;

    DECLARE_MESSAGE_MAP()
};
