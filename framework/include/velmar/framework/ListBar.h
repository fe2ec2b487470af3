#pragma once
// CListBar: a control bar holding a list of rows with text columns under a
// header, along an edge of its frame. Activating a row (double-click or
// Enter) selects it and sends the bar's activate command to the frame, as a
// menu item would; the handler asks the bar for the selected row.
#include "velmar/framework/ControlBar.h"

#include <vector>

class CListBar : public CControlBar
{
    DECLARE_DYNAMIC(CListBar)
public:
    // nHeight in pixels; the columns' headers are created with the bar.
    BOOL Create(CWnd* pParentWnd, UINT nID, UINT nActivateCmd, int nHeight,
                const std::vector<CString>& headers, DWORD dwStyle = CBRS_ALIGN_BOTTOM);

    // Appends a row of cells (missing cells are empty); its index.
    int AddRow(const std::vector<CString>& cells);
    void DeleteAllRows();
    int GetRowCount() const;
    CString GetCellText(int nRow, int nColumn) const;
    // The selected row, or -1.
    int GetCurSel() const;
    void SetCurSel(int nRow);
    // Selects the row and sends the activate command, as a double-click does.
    void ActivateRow(int nRow);

    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;

protected:
    QWidget* CreateBarWidget(QWidget* pParentWidget) override;

    UINT m_nActivateCmd = 0;
    int m_nHeight = 0;
    std::vector<CString> m_headers;

    DECLARE_MESSAGE_MAP()
};
