#pragma once
// CSplitterWnd: a static splitter, a grid of panes (usually views) separated
// by bars the user can drag. Columns and rows have an ideal and a minimum
// size; every one but the last gets its ideal size and the last takes the
// rest; one smaller than its minimum is collapsed. F6 and Shift+F6 (the next
// and previous pane commands) move the frame's active view from pane to pane.
#include "velmar/framework/AfxRes.h"
#include "velmar/framework/Wnd.h"

#include <vector>

class CView;

class CSplitterWnd : public CWnd
{
    DECLARE_DYNAMIC(CSplitterWnd)
public:
    using CWnd::Create;
    static constexpr int kMaxPanes = 16;   // rows and columns each
    static constexpr int kSplitterGap = 6; // pixels of the bar between two panes

    CSplitterWnd() = default;

    BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                      UINT nID = AFX_IDW_PANE_FIRST);
    // The pane at (row, col) becomes a new window of pViewClass with pane id
    // IdFromRowCol; sizeInit gives the ideal width of its column and height of its row.
    virtual BOOL CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit,
                            CCreateContext* pContext);

    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    CWnd* GetPane(int row, int col) const;
    int IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }
    BOOL IsChildPane(CWnd* pWnd, int* pRow, int* pCol) const;

    void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
    void SetColumnInfo(int col, int cxIdeal, int cxMin); // takes effect at RecalcLayout
    void GetRowInfo(int row, int& cyCur, int& cyMin) const;
    void SetRowInfo(int row, int cyIdeal, int cyMin);
    virtual void RecalcLayout();

    // The pane holding the frame's active view (or the focus), or null.
    virtual CWnd* GetActivePane(int* pRow = nullptr, int* pCol = nullptr);
    virtual void SetActivePane(int row, int col, CWnd* pWnd = nullptr);
    virtual BOOL CanActivateNext(BOOL bPrev = FALSE);
    virtual void ActivateNext(BOOL bPrev = FALSE);

    // Dragging a bar: the column left of x (row above y) gets the new size.
    void TrackTo(int nColBar, int nRowBar, int x, int y);
    // The bar under a point: the column (or row) before it, -1 for none.
    void HitTestBar(int x, int y, int& nColBar, int& nRowBar) const;

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;

protected:
    struct RowColInfo
    {
        int nMinSize = 0;
        int nIdealSize = 0;
        int nCurSize = 0;
    };
    int m_nRows = 0;
    int m_nCols = 0;
    std::vector<RowColInfo> m_rowInfo;
    std::vector<RowColInfo> m_colInfo;

    static void LayoutRowCol(std::vector<RowColInfo>& info, int nSize);

    DECLARE_MESSAGE_MAP()
};

// The splitter a window is a pane of, or null.
CSplitterWnd* AfxGetParentSplitter(const CWnd* pWnd);
