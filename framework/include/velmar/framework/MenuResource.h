#pragma once
// Menus and accelerator tables built from resources: a menu resource becomes
// Qt pop-up menus whose items send WM_COMMAND with their id to the window that
// currently owns the menu; an accelerator table becomes Qt shortcuts.
#include "velmar/framework/Resources.h"

#include <QKeySequence>

#include <vector>

class QAction;
class QMenu;
class QWidget;

struct HMENU__
{
    UINT nID = 0;               // the resource it was built from
    std::vector<QMenu*> popups; // the top-level pop-ups, in order (owned)
    HWND hWndOwner = nullptr;   // the window that gets the commands and update queries
    ~HMENU__();
};

struct HACCEL__
{
    const AFX_ACCEL_RESOURCE* pResource = nullptr;
};

HMENU AfxLoadMenu(UINT nID); // null when there is no such resource
void AfxDestroyMenu(HMENU hMenu);
HACCEL AfxLoadAccelerators(UINT nID); // null when there is no such resource (kept for the process)

// The command id of a menu item; 0 for separators, pop-ups and foreign actions.
UINT AfxGetActionID(const QAction* pAction);
// A new item with a command id in a built menu, inserted before pBefore (null: at the end).
QAction* AfxInsertMenuItem(QMenu* pMenu, QAction* pBefore, UINT nID, LPCWSTR lpszText);
// The built menu a pop-up belongs to, or null.
HMENU AfxGetMenuOfPopup(const QMenu* pMenu);
// The Qt key sequence of an accelerator; empty for keys it cannot express.
QKeySequence AfxAccelKeySequence(const AFX_ACCEL& accel);
