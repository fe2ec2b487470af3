#pragma once
// CStatusBar: a row of panes along the bottom of a frame. Pane 0 is usually
// the frame's message line (idle text, command prompts); indicator panes show
// the text of their string resource while their update handler enables them.
#include "velmar/framework/AfxRes.h"
#include "velmar/framework/ControlBar.h"

#include <vector>

// Pane styles.
#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS 0x0100
#define SBPS_POPOUT 0x0200
#define SBPS_OWNERDRAW 0x1000
#define SBPS_DISABLED 0x04000000
#define SBPS_STRETCH 0x08000000

class CStatusBar : public CControlBar
{
    DECLARE_DYNAMIC(CStatusBar)
public:
    using CControlBar::Create;
    // Pixels a pane adds around its text width: its border and margins.
    static constexpr int kPaneBorder = 6;
    // Pixels between two panes.
    static constexpr int kPaneGap = 2;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = 0,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                  UINT nID = AFX_IDW_STATUS_BAR);

    // One pane per id; an indicator pane is as wide as its string, a separator
    // (ID_SEPARATOR) a quarter of the screen, and a separator first stretches.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    int GetCount() const { return (int)m_panes.size(); }
    UINT GetItemID(int nIndex) const;
    int CommandToIndex(UINT nIDFind) const; // -1 when no pane has the id
    void GetItemRect(int nIndex, LPRECT lpRect) const;

    // cxWidth is the width of the pane's text; the pane takes kPaneBorder more.
    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    UINT GetPaneStyle(int nIndex) const;
    void SetPaneStyle(int nIndex, UINT nStyle);
    CString GetPaneText(int nIndex) const;
    void GetPaneText(int nIndex, CString& rString) const { rString = GetPaneText(nIndex); }
    BOOL SetPaneText(int nIndex, LPCWSTR lpszNewText, BOOL bUpdate = TRUE);

    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;

    // WM_SETTEXT: the frame's message line goes to the first separator pane.
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);

    // Pane rectangles for a bar of the given width (also what it paints).
    std::vector<RECT> LayoutPanes(int cxBar, int cyBar) const;

protected:
    struct Pane
    {
        UINT nID = 0;
        UINT nStyle = 0;
        int cxText = 0;
        CString strText;
    };
    std::vector<Pane> m_panes;

    QWidget* CreateBarWidget(QWidget* pParentWidget) override;
    void Repaint();
    friend class CStatusBarWidget;

    DECLARE_MESSAGE_MAP()
};
