#include "velmar/framework/StatusBar.h"

#include "velmar/framework/CmdUI.h"
#include "velmar/framework/FrameWnd.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <qdrawutil.h>

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
ON_MESSAGE(WM_SETTEXT, &CStatusBar::OnSetText)
END_MESSAGE_MAP()

class CStatusBarWidget : public QWidget
{
public:
    explicit CStatusBarWidget(QWidget* pParent) : QWidget(pParent) {}

    QSize sizeHint() const override
    {
        // Text height, a pixel of border above and below it and a small margin.
        return QSize(200, fontMetrics().height() + 8);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        auto* pBar = DYNAMIC_DOWNCAST(CStatusBar, CWnd::FromHandlePermanent(CWnd::HandleOf(this)));
        if (!pBar)
            return;
        QPainter painter(this);
        std::vector<RECT> rects = pBar->LayoutPanes(width(), height());
        for (size_t i = 0; i < rects.size(); ++i)
        {
            const CStatusBar::Pane& pane = pBar->m_panes[i];
            QRect r(rects[i].left, rects[i].top, rects[i].right - rects[i].left,
                    rects[i].bottom - rects[i].top);
            if (r.width() <= 0)
                continue;
            if (!(pane.nStyle & SBPS_NOBORDERS))
                qDrawShadePanel(&painter, r, palette(), !(pane.nStyle & SBPS_POPOUT), 1);
            if (pane.nStyle & SBPS_DISABLED)
                continue;
            QRect text =
                r.adjusted(CStatusBar::kPaneBorder / 2, 1, -CStatusBar::kPaneBorder / 2, -1);
            QString s =
                fontMetrics().elidedText(AfxToQString(pane.strText), Qt::ElideRight, text.width());
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, s);
        }
    }
};

QWidget* CStatusBar::CreateBarWidget(QWidget* pParentWidget)
{
    return new CStatusBarWidget(pParentWidget);
}

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, 0, dwStyle, nID);
}

BOOL CStatusBar::CreateEx(CWnd* pParentWnd, DWORD, DWORD dwStyle, UINT nID)
{
    if (!CreateBar(dwStyle, pParentWnd, nID))
        return FALSE;
    if (CFrameWnd* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, pParentWnd))
        pFrame->RecalcLayout();
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    if (nIDCount < 0 || (nIDCount > 0 && !lpIDArray))
        return FALSE;
    QFontMetrics metrics =
        GetWidget() ? GetWidget()->fontMetrics() : QFontMetrics(QGuiApplication::font());
    QScreen* pScreen = QGuiApplication::primaryScreen();
    int cxQuarter = pScreen ? pScreen->geometry().width() / 4 : 200;
    BOOL bResult = TRUE;
    m_panes.assign((size_t)nIDCount, Pane());
    for (int i = 0; i < nIDCount; ++i)
    {
        Pane& pane = m_panes[(size_t)i];
        pane.nID = lpIDArray[i];
        if (pane.nID != ID_SEPARATOR)
        {
            if (!pane.strText.LoadString(pane.nID))
                bResult = FALSE; // the pane stays, empty, as a missing string leaves it
            pane.cxText = metrics.horizontalAdvance(AfxToQString(pane.strText));
        }
        else
        {
            pane.cxText = cxQuarter;
            if (i == 0)
                pane.nStyle |= SBPS_STRETCH | SBPS_NOBORDERS;
        }
    }
    Repaint();
    return bResult;
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[(size_t)nIndex].nID : 0;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (m_panes[(size_t)i].nID == nIDFind)
            return i;
    return -1;
}

std::vector<RECT> CStatusBar::LayoutPanes(int cxBar, int cyBar) const
{
    std::vector<RECT> rects(m_panes.size(), RECT{0, 0, 0, 0});
    int cxFixed = 0, nStretch = 0;
    for (const Pane& pane : m_panes)
    {
        if (pane.nStyle & SBPS_STRETCH)
            ++nStretch;
        else
            cxFixed += pane.cxText + kPaneBorder;
    }
    if (!m_panes.empty())
        cxFixed += kPaneGap * (int)(m_panes.size() - 1);
    // Stretching panes share what the others leave, never less than nothing.
    int cxSpare = std::max(0, cxBar - cxFixed);
    int x = 0;
    for (size_t i = 0; i < m_panes.size(); ++i)
    {
        const Pane& pane = m_panes[i];
        int cx = pane.cxText + kPaneBorder;
        if (pane.nStyle & SBPS_STRETCH)
        {
            cx = cxSpare / nStretch;
            cxSpare -= cx;
            --nStretch;
        }
        rects[i] = RECT{x, 2, x + cx, std::max(2, cyBar - 1)};
        x += cx + kPaneGap;
    }
    return rects;
}

void CStatusBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    if (!lpRect)
        return;
    *lpRect = RECT{0, 0, 0, 0};
    QWidget* pWidget = GetWidget();
    if (nIndex < 0 || nIndex >= GetCount() || !pWidget)
        return;
    *lpRect = LayoutPanes(pWidget->width(), pWidget->height())[(size_t)nIndex];
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const
{
    if (nIndex < 0 || nIndex >= GetCount())
    {
        nID = nStyle = 0;
        cxWidth = 0;
        return;
    }
    const Pane& pane = m_panes[(size_t)nIndex];
    nID = pane.nID;
    nStyle = pane.nStyle;
    cxWidth = pane.cxText;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return;
    Pane& pane = m_panes[(size_t)nIndex];
    pane.nID = nID;
    pane.nStyle = nStyle;
    pane.cxText = std::max(0, cxWidth);
    Repaint();
}

UINT CStatusBar::GetPaneStyle(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[(size_t)nIndex].nStyle : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle)
{
    if (nIndex < 0 || nIndex >= GetCount() || m_panes[(size_t)nIndex].nStyle == nStyle)
        return;
    m_panes[(size_t)nIndex].nStyle = nStyle;
    Repaint();
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[(size_t)nIndex].strText : CString();
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCWSTR lpszNewText, BOOL bUpdate)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return FALSE;
    CString text = lpszNewText ? lpszNewText : L"";
    Pane& pane = m_panes[(size_t)nIndex];
    if (pane.strText == text)
        return TRUE;
    pane.strText = text;
    if (bUpdate)
        Repaint();
    return TRUE;
}

void CStatusBar::Repaint()
{
    if (QWidget* pWidget = GetWidget())
        pWidget->update();
}

LRESULT CStatusBar::OnSetText(WPARAM, LPARAM lParam)
{
    int nIndex = CommandToIndex(ID_SEPARATOR);
    if (nIndex < 0)
        return FALSE;
    LPCWSTR text = reinterpret_cast<LPCWSTR>(lParam);
    SetPaneText(nIndex, text);
    // The window text is the message line, as GetWindowText reads it back.
    if (QWidget* pWidget = GetWidget())
        pWidget->setWindowTitle(AfxToQString(text ? text : L""));
    return TRUE;
}

CSize CStatusBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    return CControlBar::CalcFixedLayout(bStretch, bHorz);
}

// What an update handler sets on a pane: disabled panes show no text, a
// checked one is drawn raised, and the text replaces the pane's text.
class CStatusCmdUI : public CCmdUI
{
public:
    CStatusBar* m_pBar = nullptr;
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        UINT nStyle = m_pBar->GetPaneStyle((int)m_nIndex) & ~SBPS_DISABLED;
        m_pBar->SetPaneStyle((int)m_nIndex, bOn ? nStyle : nStyle | SBPS_DISABLED);
    }
    void SetCheck(int nCheck) override
    {
        UINT nStyle = m_pBar->GetPaneStyle((int)m_nIndex) & ~SBPS_POPOUT;
        m_pBar->SetPaneStyle((int)m_nIndex, nCheck ? nStyle | SBPS_POPOUT : nStyle);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCWSTR lpszText) override { m_pBar->SetPaneText((int)m_nIndex, lpszText); }
};

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL)
{
    CStatusCmdUI state;
    state.m_pBar = this;
    state.m_pOther = this;
    state.m_nIndexMax = (UINT)GetCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex)
    {
        state.m_nID = m_panes[state.m_nIndex].nID;
        if (state.m_nID == ID_SEPARATOR)
            continue;
        // The bar's own handlers first, then the frame's routing; a pane no handler
        // answers keeps its state.
        if (CWnd::OnCmdMsg(state.m_nID, (int)CN_UPDATE_COMMAND_UI, &state, nullptr))
            continue;
        state.DoUpdate(pTarget, FALSE);
    }
}
