#pragma once
// CControlBar: the base of the bars a frame holds (tool bar, status bar, ...).
// A bar updates its items from the command-update handlers when the
// application goes idle, and the frame's View menu shows and hides it by id.
#include "framework/Wnd.h"

class CFrameWnd;

class CControlBar : public CWnd
{
    DECLARE_DYNAMIC(CControlBar)
public:
    // Runs the update handlers of the bar's items with pTarget as the start of routing.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;
    BOOL IsVisible() const { return IsWindowVisible(); }

    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);

protected:
    DECLARE_MESSAGE_MAP()
};
