#include "velmar/framework/ReBar.h"

#include "velmar/framework/FrameWnd.h"

#include <QChildEvent>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>
#include <qdrawutil.h>

#include <algorithm>

IMPLEMENT_DYNAMIC(CReBar, CControlBar)

BEGIN_MESSAGE_MAP(CReBar, CControlBar)
END_MESSAGE_MAP()

// Pixels around a band's child.
static const int kBandMargin = 2;

class CReBarWidget : public QWidget
{
public:
    explicit CReBarWidget(QWidget* pParent) : QWidget(pParent) {}

    CReBar* Bar() const
    {
        return DYNAMIC_DOWNCAST(CReBar, CWnd::FromHandlePermanent(CWnd::HandleOf(this)));
    }

    QSize sizeHint() const override
    {
        CReBar* pBar = Bar();
        int cx = parentWidget() ? parentWidget()->width() : width();
        return QSize(std::max(cx, 1), pBar ? pBar->LayoutBands(cx, false) : 0);
    }

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        // A band's bar shown or hidden changes the rows, and so the frame's layout.
        if (pWatched->parent() == this &&
            (pEvent->type() == QEvent::ShowToParent || pEvent->type() == QEvent::HideToParent ||
             pEvent->type() == QEvent::LayoutRequest))
            Relayout();
        return false;
    }

    void Relayout()
    {
        if (m_bInLayout)
            return;
        m_bInLayout = true;
        if (CReBar* pBar = Bar())
        {
            int cy = pBar->LayoutBands(width(), true);
            updateGeometry();
            if (cy != height())
                if (CFrameWnd* pFrame = pBar->GetDockingFrame())
                    pFrame->RecalcLayout();
        }
        update();
        m_bInLayout = false;
    }

protected:
    void resizeEvent(QResizeEvent*) override { Relayout(); }

    void childEvent(QChildEvent* pEvent) override
    {
        if (pEvent->child()->isWidgetType())
        {
            if (pEvent->added())
                pEvent->child()->installEventFilter(this);
            else if (pEvent->removed())
                pEvent->child()->removeEventFilter(this);
        }
        QWidget::childEvent(pEvent);
    }

    void paintEvent(QPaintEvent*) override
    {
        CReBar* pBar = Bar();
        if (!pBar)
            return;
        QPainter painter(this);
        bool bBorders = (pBar->GetReBarCtrlStyle() & RBS_BANDBORDERS) != 0;
        for (const CReBar::Band& band : pBar->m_bands)
        {
            if (band.rect.isEmpty())
                continue;
            if (!(band.dwStyle & RBBS_NOGRIPPER))
            {
                QStyleOption option;
                option.initFrom(this);
                option.rect =
                    QRect(band.rect.left() + 2, band.rect.top() + kBandMargin,
                          CReBar::kGripperWidth - 4, band.rect.height() - 2 * kBandMargin);
                option.state |= QStyle::State_Horizontal;
                style()->drawPrimitive(QStyle::PE_IndicatorToolBarHandle, &option, &painter, this);
            }
            if (!band.text.isEmpty())
            {
                int x = band.rect.left() + CReBar::kGripperWidth;
                painter.drawText(QRect(x, band.rect.top(),
                                       fontMetrics().horizontalAdvance(band.text) + 4,
                                       band.rect.height()),
                                 Qt::AlignLeft | Qt::AlignVCenter, band.text);
            }
            if (bBorders)
            {
                // Etched lines between bands and under each row.
                if (band.rect.left() > 0)
                    qDrawShadeLine(&painter, band.rect.left() - 1, band.rect.top(),
                                   band.rect.left() - 1, band.rect.bottom(), palette(), true, 1, 0);
                qDrawShadeLine(&painter, band.rect.left(), band.rect.bottom(), band.rect.right(),
                               band.rect.bottom(), palette(), true, 1, 0);
            }
        }
    }

private:
    bool m_bInLayout = false;
};

QWidget* CReBar::CreateBarWidget(QWidget* pParentWidget)
{
    return new CReBarWidget(pParentWidget);
}

BOOL CReBar::Create(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID)
{
    m_dwCtrlStyle = dwCtrlStyle;
    if (!CreateBar(dwStyle, pParentWnd, nID))
        return FALSE;
    if (CFrameWnd* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, pParentWnd))
        pFrame->RecalcLayout();
    return TRUE;
}

BOOL CReBar::AddBar(CWnd* pBar, LPCWSTR pszText, CBitmap*, DWORD dwStyle)
{
    auto* pWidget = static_cast<CReBarWidget*>(GetWidget());
    QWidget* pChild = pBar ? pBar->GetWidget() : nullptr;
    if (!pWidget || !pChild || pChild == pWidget)
        return FALSE;
    for (const Band& band : m_bands)
        if (band.pChild == pChild)
            return FALSE;
    bool bHidden = pChild->isHidden();
    Band band;
    band.pChild = pChild;
    band.dwStyle = dwStyle;
    band.text = pszText ? AfxToQString(pszText) : QString();
    m_bands.push_back(band);
    CWnd* pOldParent = pBar->GetParent();
    pChild->setParent(pWidget);
    if (!bHidden && !(dwStyle & RBBS_HIDDEN))
        pChild->show();
    else
        pChild->hide();
    pWidget->Relayout();
    if (auto* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, pOldParent))
        pFrame->RecalcLayout();
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->RecalcLayout();
    return TRUE;
}

CWnd* CReBar::GetBandChild(int nBand) const
{
    if (nBand < 0 || nBand >= GetBandCount() || !m_bands[(size_t)nBand].pChild)
        return nullptr;
    return FromHandlePermanent(HandleOf(m_bands[(size_t)nBand].pChild));
}

DWORD CReBar::GetBandStyle(int nBand) const
{
    return nBand >= 0 && nBand < GetBandCount() ? m_bands[(size_t)nBand].dwStyle : 0;
}

void CReBar::GetBandRect(int nBand, LPRECT lpRect) const
{
    if (!lpRect)
        return;
    *lpRect = RECT{0, 0, 0, 0};
    if (nBand < 0 || nBand >= GetBandCount())
        return;
    const QRect& r = m_bands[(size_t)nBand].rect;
    if (!r.isEmpty())
        *lpRect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

int CReBar::LayoutBands(int cxBar, bool bApply)
{
    QFontMetrics metrics = GetWidget() ? GetWidget()->fontMetrics() : QFontMetrics(QFont());
    struct Placed
    {
        size_t index;
        int x, cxMin, cyChild;
    };
    std::vector<std::vector<Placed>> rows(1);
    int x = 0;
    for (size_t i = 0; i < m_bands.size(); ++i)
    {
        Band& band = m_bands[i];
        if (bApply)
            band.rect = QRect();
        QWidget* pChild = band.pChild;
        if (!pChild || pChild->isHidden() || (band.dwStyle & RBBS_HIDDEN))
            continue;
        int cxHead = (band.dwStyle & RBBS_NOGRIPPER) ? kBandMargin : kGripperWidth;
        if (!band.text.isEmpty())
            cxHead += metrics.horizontalAdvance(band.text) + 4;
        QSize hint = pChild->sizeHint().expandedTo(pChild->minimumSizeHint());
        if (CControlBar* pBar =
                DYNAMIC_DOWNCAST(CControlBar, FromHandlePermanent(HandleOf(pChild))))
        {
            CSize size = pBar->CalcFixedLayout(FALSE, TRUE);
            hint = QSize(size.cx, size.cy);
        }
        int cxMin = cxHead + hint.width() + kBandMargin;
        if (!rows.back().empty() && ((band.dwStyle & RBBS_BREAK) || x + cxMin > cxBar))
        {
            rows.emplace_back();
            x = 0;
        }
        rows.back().push_back(Placed{i, x, cxMin, hint.height()});
        x += cxMin;
    }
    int y = 0;
    for (const auto& row : rows)
    {
        if (row.empty())
            continue;
        int cyRow = 0;
        for (const Placed& p : row)
            cyRow = std::max(cyRow, p.cyChild + 2 * kBandMargin);
        for (size_t k = 0; k < row.size(); ++k)
        {
            const Placed& p = row[k];
            // The last band of a row takes what is left of it.
            int cx = k + 1 == row.size() ? std::max(p.cxMin, cxBar - p.x) : p.cxMin;
            Band& band = m_bands[p.index];
            if (!bApply)
                continue;
            band.rect = QRect(p.x, y, cx, cyRow);
            if (band.pChild)
            {
                int cxHead = (band.dwStyle & RBBS_NOGRIPPER) ? kBandMargin : kGripperWidth;
                if (!band.text.isEmpty())
                    cxHead += metrics.horizontalAdvance(band.text) + 4;
                band.pChild->setGeometry(p.x + cxHead, y + kBandMargin,
                                         std::max(0, cx - cxHead - kBandMargin),
                                         cyRow - 2 * kBandMargin);
            }
        }
        y += cyRow;
    }
    return y;
}

CSize CReBar::CalcFixedLayout(BOOL, BOOL)
{
    QWidget* pWidget = GetWidget();
    int cx = pWidget && pWidget->parentWidget() ? pWidget->parentWidget()->width() : 0;
    return CSize(cx, LayoutBands(cx, false));
}
