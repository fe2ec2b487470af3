#pragma once
// CToolBar: a row of command buttons with 16 by 16 images and separators,
// loaded from a tool bar resource. A click sends the button's command to the
// frame; the update handlers enable and check the buttons at idle time; with
// CBRS_TOOLTIPS a button shows the tool tip part of its command string
// ("prompt\ntip"), with CBRS_FLYBY the prompt part goes to the status bar
// while the mouse is over it.
#include "velmar/framework/AfxRes.h"
#include "velmar/framework/ControlBar.h"

#include <QImage>

#include <vector>

class QAction;
class QToolBar;

// Control styles.
#define TBSTYLE_TOOLTIPS 0x0100
#define TBSTYLE_WRAPABLE 0x0200
#define TBSTYLE_FLAT 0x0800
#define TBSTYLE_LIST 0x1000
#define TBSTYLE_TRANSPARENT 0x8000

// Button styles as GetButtonStyle reports them.
#define TBBS_BUTTON 0x0000L
#define TBBS_SEPARATOR 0x0001L
#define TBBS_CHECKBOX 0x0002L
#define TBBS_CHECKED 0x00010000L
#define TBBS_DISABLED 0x00040000L

class CToolBar : public CControlBar
{
    DECLARE_DYNAMIC(CToolBar)
public:
    using CControlBar::Create;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                UINT nID = AFX_IDW_TOOLBAR);
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                  CRect rcBorders = CRect(0, 0, 0, 0), UINT nID = AFX_IDW_TOOLBAR);

    // Buttons and images from tool bar resource nIDResource; FALSE when there is
    // no such resource or its image strip cannot be read.
    BOOL LoadToolBar(UINT nIDResource);
    // Buttons with the given commands (ID_SEPARATOR for separators), the images
    // of the current strip taken in order.
    BOOL SetButtons(const UINT* lpIDArray, int nIDCount);

    int GetCount() const { return (int)m_buttons.size(); }
    UINT GetItemID(int nIndex) const;       // ID_SEPARATOR for a separator
    int CommandToIndex(UINT nIDFind) const; // -1 when no button has the id
    void GetItemRect(int nIndex, LPRECT lpRect) const;
    UINT GetButtonStyle(int nIndex) const;
    DWORD GetToolBarCtrlStyle() const { return m_dwCtrlStyle; }
    void SetBarStyle(DWORD dwStyle) override;

    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;

    QToolBar* GetToolBarWidget() const;
    QAction* GetButtonAction(int nIndex) const; // null for separators

    // Called by the widget: a button was clicked, hovered, or the mouse left the bar.
    void OnButtonClicked(UINT nID);
    void OnButtonHovered(UINT nID);
    void OnMouseLeft();

protected:
    struct Button
    {
        UINT nID = 0;
        QAction* pAction = nullptr; // owned by the widget
    };
    std::vector<Button> m_buttons;
    DWORD m_dwCtrlStyle = 0;
    QSize m_sizeImage{16, 16};
    QImage m_strip; // the images of the buttons, left to right
    bool m_bTextOnly = false;
    UINT m_nIDFlyBy = 0;

    QWidget* CreateBarWidget(QWidget* pParentWidget) override;
    void ApplyButtonLook();
    void Relayout();

    DECLARE_MESSAGE_MAP()
};
