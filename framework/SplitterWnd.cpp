#include "velmar/framework/SplitterWnd.h"

#include "velmar/framework/FrameWnd.h"
#include "velmar/framework/View.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <climits>

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
END_MESSAGE_MAP()

// The splitter's widget: lays out the panes when resized and lets the user
// drag the bars between them.
class CSplitterWidget : public QWidget
{
public:
    explicit CSplitterWidget(QWidget* pParent) : QWidget(pParent) { setMouseTracking(true); }

    CSplitterWnd* Splitter() const
    {
        return DYNAMIC_DOWNCAST(CSplitterWnd, CWnd::FromHandlePermanent(CWnd::HandleOf(this)));
    }

protected:
    void resizeEvent(QResizeEvent*) override
    {
        if (CSplitterWnd* p = Splitter())
            p->RecalcLayout();
    }

    void mousePressEvent(QMouseEvent* pEvent) override
    {
        CSplitterWnd* p = Splitter();
        if (!p || pEvent->button() != Qt::LeftButton)
            return;
        QPoint pt = pEvent->position().toPoint();
        p->HitTestBar(pt.x(), pt.y(), m_nColBar, m_nRowBar);
    }

    void mouseMoveEvent(QMouseEvent* pEvent) override
    {
        CSplitterWnd* p = Splitter();
        if (!p)
            return;
        QPoint pt = pEvent->position().toPoint();
        if (m_nColBar >= 0 || m_nRowBar >= 0)
        {
            p->TrackTo(m_nColBar, m_nRowBar, pt.x(), pt.y());
            return;
        }
        int nCol = -1, nRow = -1;
        p->HitTestBar(pt.x(), pt.y(), nCol, nRow);
        if (nCol >= 0 && nRow >= 0)
            setCursor(Qt::SizeAllCursor);
        else if (nCol >= 0)
            setCursor(Qt::SplitHCursor);
        else if (nRow >= 0)
            setCursor(Qt::SplitVCursor);
        else
            unsetCursor();
    }

    void mouseReleaseEvent(QMouseEvent*) override { m_nColBar = m_nRowBar = -1; }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
    }

private:
    int m_nColBar = -1;
    int m_nRowBar = -1;
};

QWidget* CSplitterWnd::CreateWidget(const CREATESTRUCT&, QWidget* pParentWidget)
{
    return new CSplitterWidget(pParentWidget);
}

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID)
{
    if (!pParentWnd || m_hWnd || nRows < 1 || nCols < 1 || nRows > kMaxPanes || nCols > kMaxPanes)
        return FALSE;
    m_nRows = nRows;
    m_nCols = nCols;
    m_rowInfo.assign((size_t)nRows, RowColInfo());
    m_colInfo.assign((size_t)nCols, RowColInfo());
    if (!CWnd::Create(nullptr, nullptr, dwStyle | WS_CHILD, CRect(0, 0, 0, 0), pParentWnd, nID))
        return FALSE;
    if (auto* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, pParentWnd))
        pFrame->RecalcLayout();
    return TRUE;
}

BOOL CSplitterWnd::CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit,
                              CCreateContext* pContext)
{
    if (!m_hWnd || row < 0 || row >= m_nRows || col < 0 || col >= m_nCols || !pViewClass ||
        GetPane(row, col))
        return FALSE;
    m_colInfo[(size_t)col].nIdealSize = sizeInit.cx;
    m_rowInfo[(size_t)row].nIdealSize = sizeInit.cy;
    CObject* pObject = pViewClass->CreateObject();
    CWnd* pWnd = DYNAMIC_DOWNCAST(CWnd, pObject);
    if (!pWnd)
    {
        delete pObject;
        return FALSE;
    }
    // The view's own creation sets it up with the document of the context;
    // on failure it has already deleted itself.
    if (!pWnd->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 0, 0), this,
                      (UINT)IdFromRowCol(row, col), pContext))
        return FALSE;
    RecalcLayout();
    return TRUE;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const
{
    if (row < 0 || row >= m_nRows || col < 0 || col >= m_nCols)
        return nullptr;
    return GetDlgItem(IdFromRowCol(row, col));
}

BOOL CSplitterWnd::IsChildPane(CWnd* pWnd, int* pRow, int* pCol) const
{
    if (!pWnd || pWnd->GetParent() != this)
        return FALSE;
    int nID = pWnd->GetDlgCtrlID() - AFX_IDW_PANE_FIRST;
    int row = nID / 16, col = nID % 16;
    if (nID < 0 || row >= m_nRows || col >= m_nCols)
        return FALSE;
    if (pRow)
        *pRow = row;
    if (pCol)
        *pCol = col;
    return TRUE;
}

void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const
{
    cxCur = cxMin = 0;
    if (col >= 0 && col < m_nCols)
    {
        cxCur = m_colInfo[(size_t)col].nCurSize;
        cxMin = m_colInfo[(size_t)col].nMinSize;
    }
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin)
{
    if (col < 0 || col >= m_nCols)
        return;
    m_colInfo[(size_t)col].nIdealSize = std::max(0, cxIdeal);
    m_colInfo[(size_t)col].nMinSize = std::max(0, cxMin);
}

void CSplitterWnd::GetRowInfo(int row, int& cyCur, int& cyMin) const
{
    cyCur = cyMin = 0;
    if (row >= 0 && row < m_nRows)
    {
        cyCur = m_rowInfo[(size_t)row].nCurSize;
        cyMin = m_rowInfo[(size_t)row].nMinSize;
    }
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin)
{
    if (row < 0 || row >= m_nRows)
        return;
    m_rowInfo[(size_t)row].nIdealSize = std::max(0, cyIdeal);
    m_rowInfo[(size_t)row].nMinSize = std::max(0, cyMin);
}

void CSplitterWnd::LayoutRowCol(std::vector<RowColInfo>& info, int nSize)
{
    nSize = std::max(0, nSize);
    const size_t n = info.size();
    for (size_t i = 0; i + 1 < n; ++i)
    {
        if (info[i].nIdealSize < info[i].nMinSize)
            info[i].nIdealSize = 0; // too small to see
        info[i].nCurSize = info[i].nIdealSize;
    }
    if (n > 0)
        info[n - 1].nCurSize = INT_MAX; // the last one takes the rest
    for (size_t i = 0; i < n; ++i)
    {
        if (nSize == 0)
        {
            info[i].nCurSize = 0;
            continue;
        }
        if (i != 0 && nSize < info[i].nMinSize)
        {
            // No room for this one at its minimum: the one before takes the space.
            info[i].nCurSize = 0;
            info[i - 1].nCurSize += nSize + kSplitterGap;
            nSize = 0;
        }
        else if (info[i].nCurSize == 0)
        {
            // collapsed
        }
        else if (nSize < info[i].nCurSize)
        {
            info[i].nCurSize = nSize;
            nSize = 0;
        }
        else
        {
            nSize -= info[i].nCurSize;
        }
        if (i + 1 != n)
        {
            if (nSize > kSplitterGap)
            {
                nSize -= kSplitterGap;
            }
            else
            {
                info[i].nCurSize += nSize;
                nSize = 0;
            }
        }
    }
}

void CSplitterWnd::RecalcLayout()
{
    QWidget* pWidget = GetWidget();
    if (!pWidget || m_nRows == 0 || m_nCols == 0)
        return;
    LayoutRowCol(m_colInfo, pWidget->width());
    LayoutRowCol(m_rowInfo, pWidget->height());
    int y = 0;
    for (int row = 0; row < m_nRows; ++row)
    {
        int x = 0;
        int cy = m_rowInfo[(size_t)row].nCurSize;
        for (int col = 0; col < m_nCols; ++col)
        {
            int cx = m_colInfo[(size_t)col].nCurSize;
            if (CWnd* pPane = GetPane(row, col))
                if (QWidget* w = pPane->GetWidget())
                    w->setGeometry(x, y, cx, cy);
            x += cx + kSplitterGap;
        }
        y += cy + kSplitterGap;
    }
}

void CSplitterWnd::HitTestBar(int x, int y, int& nColBar, int& nRowBar) const
{
    nColBar = nRowBar = -1;
    int pos = 0;
    for (int col = 0; col + 1 < m_nCols; ++col)
    {
        pos += m_colInfo[(size_t)col].nCurSize;
        if (x >= pos && x < pos + kSplitterGap)
            nColBar = col;
        pos += kSplitterGap;
    }
    pos = 0;
    for (int row = 0; row + 1 < m_nRows; ++row)
    {
        pos += m_rowInfo[(size_t)row].nCurSize;
        if (y >= pos && y < pos + kSplitterGap)
            nRowBar = row;
        pos += kSplitterGap;
    }
}

void CSplitterWnd::TrackTo(int nColBar, int nRowBar, int x, int y)
{
    if (nColBar >= 0 && nColBar + 1 < m_nCols)
    {
        int left = 0;
        for (int col = 0; col < nColBar; ++col)
            left += m_colInfo[(size_t)col].nCurSize + kSplitterGap;
        m_colInfo[(size_t)nColBar].nIdealSize = std::max(0, x - left);
    }
    if (nRowBar >= 0 && nRowBar + 1 < m_nRows)
    {
        int top = 0;
        for (int row = 0; row < nRowBar; ++row)
            top += m_rowInfo[(size_t)row].nCurSize + kSplitterGap;
        m_rowInfo[(size_t)nRowBar].nIdealSize = std::max(0, y - top);
    }
    RecalcLayout();
}

CWnd* CSplitterWnd::GetActivePane(int* pRow, int* pCol)
{
    CWnd* pView = nullptr;
    if (CFrameWnd* pFrame = GetParentFrame())
        pView = pFrame->GetActiveView();
    if (!IsChildPane(pView, pRow, pCol))
    {
        // No active view of ours: the pane that has the focus, if one has.
        pView = nullptr;
        for (CWnd* pFocus = GetFocus(); pFocus && !pView; pFocus = pFocus->GetParent())
            if (IsChildPane(pFocus, pRow, pCol))
                pView = pFocus;
    }
    return pView;
}

void CSplitterWnd::SetActivePane(int row, int col, CWnd* pWnd)
{
    CWnd* pPane = pWnd ? pWnd : GetPane(row, col);
    if (!pPane)
        return;
    CFrameWnd* pFrame = GetParentFrame();
    if (auto* pView = DYNAMIC_DOWNCAST(CView, pPane); pView && pFrame)
    {
        pFrame->SetActiveView(pView);
        // The view takes the focus even when it was the active one already.
        if (pView->GetWidget() && pView->GetWidget()->isVisible())
            pView->SetFocus();
    }
    else
    {
        pPane->SetFocus();
    }
}

BOOL CSplitterWnd::CanActivateNext(BOOL)
{
    return m_nRows * m_nCols > 1;
}

void CSplitterWnd::ActivateNext(BOOL bPrev)
{
    int row = 0, col = 0;
    if (!GetActivePane(&row, &col))
    {
        SetActivePane(0, 0);
        return;
    }
    // Row by row, wrapping round; panes that do not exist are passed over.
    for (int n = 0; n < m_nRows * m_nCols; ++n)
    {
        if (bPrev)
        {
            if (--col < 0)
            {
                col = m_nCols - 1;
                if (--row < 0)
                    row = m_nRows - 1;
            }
        }
        else
        {
            if (++col >= m_nCols)
            {
                col = 0;
                if (++row >= m_nRows)
                    row = 0;
            }
        }
        if (GetPane(row, col))
        {
            SetActivePane(row, col);
            return;
        }
    }
}

CSplitterWnd* AfxGetParentSplitter(const CWnd* pWnd)
{
    CWnd* pParent = pWnd ? pWnd->GetParent() : nullptr;
    return DYNAMIC_DOWNCAST(CSplitterWnd, pParent);
}
