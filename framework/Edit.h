#pragma once
// CEdit: a single-line edit control over a QLineEdit (the tree control's label
// editor is one). Its window text is the edit's text.
#include "framework/Wnd.h"

class QLineEdit;

#define ES_LEFT 0x0000
#define ES_AUTOHSCROLL 0x0080

class CEdit : public CWnd
{
    DECLARE_DYNAMIC(CEdit)
public:
    CEdit() = default;

    QLineEdit* GetLineEdit() const;                        // null before creation or for another widget
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);   // (0, -1) selects all; (-1, ...) none
    void GetSel(int& nStartChar, int& nEndChar) const;
    void ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo = FALSE);
    void LimitText(int nChars = 0);                        // 0: no limit of ours
    UINT GetLimitText() const;

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Keeps a line edit's window title equal to its text, which is what
    // GetWindowText reads.
    static void TrackText(QLineEdit* pEdit);
};
