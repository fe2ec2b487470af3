#include "velmar/framework/CmdUI.h"

#include "velmar/framework/CmdTarget.h"
#include "velmar/framework/Wnd.h"

#include <QAction>
#include <QMenu>

void CCmdUI::Enable(BOOL bOn)
{
    if (m_pAction)
        m_pAction->setEnabled(bOn != FALSE);
    else if (m_pOther)
        m_pOther->EnableWindow(bOn);
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck)
{
    if (m_pAction)
    {
        if (nCheck != 0)
            m_pAction->setCheckable(true);
        m_pAction->setChecked(nCheck != 0);
    }
}

void CCmdUI::SetRadio(BOOL bOn)
{
    SetCheck(bOn ? 1 : 0);
}

void CCmdUI::SetText(LPCWSTR lpszText)
{
    if (m_pAction)
        m_pAction->setText(AfxToQString(lpszText));
    else if (m_pOther)
        m_pOther->SetWindowText(lpszText);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    if (!pTarget || m_nID == 0)
        return TRUE;
    m_bEnableChanged = FALSE;
    BOOL bResult = pTarget->OnCmdMsg(m_nID, (int)CN_UPDATE_COMMAND_UI, this, nullptr);
    if (bDisableIfNoHndler && !m_bEnableChanged)
    {
        AFX_CMDHANDLERINFO info = {nullptr, nullptr};
        BOOL bHandler = pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info);
        Enable(bHandler);
    }
    return bResult;
}
