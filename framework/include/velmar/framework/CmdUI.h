#pragma once
// CCmdUI: what a command-update handler sets on the user-interface item of a
// command (a menu item, a bar button, a window), and the update pass itself.
#include "velmar/framework/AfxString.h"

class CCmdTarget;
class CWnd;
class QAction;
class QMenu;

class CCmdUI
{
public:
    UINT m_nID = 0;                // command being updated
    UINT m_nIndex = 0;             // position of the item in its menu or bar
    UINT m_nIndexMax = 0;          // number of items in that menu or bar
    QMenu* m_pMenu = nullptr;      // the menu holding the item, or null
    QAction* m_pAction = nullptr;  // the menu item, or null
    CWnd* m_pOther = nullptr;      // a window standing for the command, or null
    BOOL m_bEnableChanged = FALSE; // an update handler called Enable
    BOOL m_bContinueRouting = FALSE;

    CCmdUI() = default;
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1); // 0 clear, 1 checked, 2 indeterminate (shown checked)
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCWSTR lpszText);
    void ContinueRouting() { m_bContinueRouting = TRUE; } // let the next target answer too

    // Asks pTarget's routing for an update handler; with bDisableIfNoHndler an
    // item that no handler updated is enabled exactly when some target handles
    // the command. TRUE if an update handler answered.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
};

// An update pass that only records the answer: used before a command runs, so a
// command whose update handler disables it is not carried out.
class CTestCmdUI : public CCmdUI
{
public:
    BOOL m_bEnabled = TRUE;
    void Enable(BOOL bOn) override
    {
        m_bEnabled = bOn;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int) override {}
    void SetRadio(BOOL) override {}
    void SetText(LPCWSTR) override {}
};
