#pragma once
// CReBar: a bar holding other bars (a tool bar, a dialog bar) as bands side
// by side, each band with a gripper at its left; bands go on in the same row
// while they fit and the last band of a row takes the rest of it. A band whose
// bar is hidden takes no room.
#include "velmar/framework/AfxRes.h"
#include "velmar/framework/ControlBar.h"

#include <QPointer>
#include <QRect>
#include <QString>

#include <vector>

class CBitmap;

// Control styles.
#define RBS_TOOLTIPS 0x0100
#define RBS_VARHEIGHT 0x0200
#define RBS_BANDBORDERS 0x0400
#define RBS_FIXEDORDER 0x0800

// Band styles.
#define RBBS_BREAK 0x0001
#define RBBS_FIXEDSIZE 0x0002
#define RBBS_CHILDEDGE 0x0004
#define RBBS_HIDDEN 0x0008
#define RBBS_NOVERT 0x0010
#define RBBS_FIXEDBMP 0x0020
#define RBBS_VARIABLEHEIGHT 0x0040
#define RBBS_GRIPPERALWAYS 0x0080
#define RBBS_NOGRIPPER 0x0100

class CReBar : public CControlBar
{
    DECLARE_DYNAMIC(CReBar)
public:
    using CControlBar::Create;
    // Width of a band's gripper area.
    static constexpr int kGripperWidth = 10;

    BOOL Create(CWnd* pParentWnd, DWORD dwCtrlStyle = RBS_BANDBORDERS,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                CBRS_TOP,
                UINT nID = AFX_IDW_REBAR);

    // Moves pBar into a new band at the end. The band's background bitmap is
    // not drawn (the band keeps the bar's own background).
    BOOL AddBar(CWnd* pBar, LPCWSTR pszText = nullptr, CBitmap* pbmp = nullptr,
                DWORD dwStyle = RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP);

    int GetBandCount() const { return (int)m_bands.size(); }
    CWnd* GetBandChild(int nBand) const;
    DWORD GetBandStyle(int nBand) const;
    void GetBandRect(int nBand, LPRECT lpRect) const; // empty for a hidden band
    DWORD GetReBarCtrlStyle() const { return m_dwCtrlStyle; }

    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {} // the bands' bars update themselves
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;

    // Places the bands for the bar's width; the height the rows need.
    int LayoutBands(int cxBar, bool bApply);

protected:
    struct Band
    {
        QPointer<QWidget> pChild;
        DWORD dwStyle = 0;
        QString text;
        QRect rect; // the whole band, gripper included; empty when hidden
    };
    std::vector<Band> m_bands;
    DWORD m_dwCtrlStyle = 0;

    QWidget* CreateBarWidget(QWidget* pParentWidget) override;
    friend class CReBarWidget;

    DECLARE_MESSAGE_MAP()
};
