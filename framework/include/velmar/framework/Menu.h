#pragma once
// CMenu: a menu loaded from a menu resource (or made empty), its pop-ups, the
// state of its items, and a pop-up tracked at a screen point. A CMenu stands
// either for a whole menu (the menu-bar level of a resource) or for one pop-up.
#include "velmar/framework/AfxString.h"
#include "velmar/framework/MenuResource.h"
#include "velmar/framework/Object.h"

class CWnd;
class QMenu;

// How an item is named, and the states an item takes (with MF_GRAYED, MF_DISABLED,
// MF_CHECKED, MF_POPUP and MF_SEPARATOR of the resources).
#define MF_BYCOMMAND 0x0000
#define MF_BYPOSITION 0x0400
#define MF_ENABLED 0x0000
#define MF_UNCHECKED 0x0000

// TrackPopupMenu flags.
#define TPM_LEFTBUTTON 0x0000
#define TPM_RIGHTBUTTON 0x0002
#define TPM_LEFTALIGN 0x0000
#define TPM_CENTERALIGN 0x0004
#define TPM_RIGHTALIGN 0x0008
#define TPM_TOPALIGN 0x0000
#define TPM_VCENTERALIGN 0x0010
#define TPM_BOTTOMALIGN 0x0020
#define TPM_NONOTIFY 0x0080
#define TPM_RETURNCMD 0x0100

class CMenu : public CObject
{
public:
    HMENU m_hMenu = nullptr; // the built menu this one belongs to

    CMenu() = default;
    ~CMenu() override; // destroys a menu it loaded or created
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }
    QMenu* GetPopup() const
    {
        return m_pPopup;
    } // the pop-up this stands for; null for a whole menu

    // A temporary object for a whole built menu (a frame's menu bar), kept until the menu goes.
    static CMenu* FromHandle(HMENU hMenu);

    BOOL LoadMenu(UINT nIDResource); // FALSE when there is no such resource or one is held
    BOOL CreatePopupMenu();          // an empty pop-up to fill with AppendMenu
    BOOL DestroyMenu();
    BOOL Attach(HMENU hMenu); // takes ownership of a whole menu
    HMENU Detach();

    int GetMenuItemCount() const;       // -1 for no menu
    UINT GetMenuItemID(int nPos) const; // 0 for a separator, (UINT)-1 for a pop-up or no item
    CMenu* GetSubMenu(int nPos) const;  // the pop-up at a position, or null; owned by the menu
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const; // length, 0 if none
    UINT GetMenuState(UINT nID, UINT nFlags) const;        // MF_ bits, (UINT)-1 if none
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable); // the previous state or (UINT)-1
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);    // the previous state or (UINT)-1
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr);

    // Shows this pop-up at a screen point until the user chooses or dismisses it.
    // The owner's update handlers set the items first (unless TPM_NONOTIFY). With
    // TPM_RETURNCMD the chosen command is returned (0 for none) and nothing is
    // sent; otherwise WM_COMMAND is posted to the owner and the result is TRUE.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);

private:
    QMenu* m_pPopup = nullptr;
    BOOL m_bOwns = FALSE;
    friend class CMenuTemporaries;
};
