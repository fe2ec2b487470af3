#pragma once
// CControlBar: the base of the bars a frame holds (tool bar, status bar,
// rebar, dialog bar). A bar sits along an edge of its frame's client area in
// creation order, the frame's views take what is left; it updates its items
// from the command-update handlers when the application goes idle, and the
// frame's View menu shows and hides it by id.
#include "velmar/framework/AfxRes.h"
#include "velmar/framework/Wnd.h"

class CFrameWnd;

// Bar styles, kept by the bar apart from its window style.
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_FLOAT_MULTI 0x0040L
#define CBRS_BORDER_3D 0x0080L
#define CBRS_HIDE_INPLACE 0x0008L
#define CBRS_SIZE_DYNAMIC 0x0004L
#define CBRS_SIZE_FIXED 0x0002L
#define CBRS_FLOATING 0x0001L
#define CBRS_GRIPPER 0x00400000L
#define CBRS_ORIENT_HORZ (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_ALL 0x0040FFFFL
#define CBRS_NOALIGN 0x00000000L
#define CBRS_LEFT (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_RIGHT (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)

class CControlBar : public CWnd
{
    DECLARE_DYNAMIC(CControlBar)
public:
    using CWnd::Create;

    // Runs the update handlers of the bar's items with pTarget as the start of routing.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;
    BOOL IsVisible() const { return IsWindowVisible(); }

    DWORD GetBarStyle() const { return m_dwBarStyle; }
    virtual void SetBarStyle(DWORD dwStyle) { m_dwBarStyle = dwStyle & CBRS_ALL; }
    // The size the bar needs: its height when horizontal, its width when vertical.
    virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
    // The frame whose commands the bar sends and whose update handlers it asks.
    CFrameWnd* GetDockingFrame() const;

    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);

    // A bar placed on a frame lives in the frame's bar area, beside its views.
    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;

protected:
    DWORD m_dwBarStyle = 0;

    // Creates the bar's window: the CBRS_ bits of dwStyle become the bar style.
    BOOL CreateBar(DWORD dwStyle, CWnd* pParentWnd, UINT nID, const RECT& rect = RECT{0, 0, 0, 0});
    // The widget of a bar of this class; a plain widget by default.
    virtual QWidget* CreateBarWidget(QWidget* pParentWidget);

    DECLARE_MESSAGE_MAP()
};
