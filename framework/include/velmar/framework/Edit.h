#pragma once
// CEdit: an edit control. A multi-line control is a QPlainTextEdit, a
// single-line one a QLineEdit (a tree label editor is one); the same object
// also wraps either kind made elsewhere. A multi-line control tells its parent of the user's
// changes with EN_CHANGE, never of text the program sets.
#include "velmar/framework/Wnd.h"

class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QWidget;

// Window styles of scrolling windows.
#define WS_HSCROLL 0x00100000
#define WS_VSCROLL 0x00200000

// Edit control styles.
#define ES_LEFT 0x0000
#define ES_CENTER 0x0001
#define ES_RIGHT 0x0002
#define ES_MULTILINE 0x0004
#define ES_UPPERCASE 0x0008
#define ES_LOWERCASE 0x0010
#define ES_PASSWORD 0x0020
#define ES_AUTOVSCROLL 0x0040
#define ES_AUTOHSCROLL 0x0080
#define ES_NOHIDESEL 0x0100
#define ES_OEMCONVERT 0x0400
#define ES_READONLY 0x0800
#define ES_WANTRETURN 0x1000
#define ES_NUMBER 0x2000

// Edit control notifications (the high word of WM_COMMAND's wParam).
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400
#define EN_MAXTEXT 0x0501

// Edit control messages and the clipboard messages an edit control answers.
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_GETMODIFY 0x00B8
#define EM_SETMODIFY 0x00B9
#define EM_GETLINECOUNT 0x00BA
#define EM_REPLACESEL 0x00C2
#define EM_CANUNDO 0x00C6
#define EM_UNDO 0x00C7
#define EM_EMPTYUNDOBUFFER 0x00CD
#define EM_SETREADONLY 0x00CF
#define WM_CUT 0x0300
#define WM_COPY 0x0301
#define WM_PASTE 0x0302
#define WM_CLEAR 0x0303
#define WM_UNDO 0x0304

class CEdit : public CWnd
{
    DECLARE_DYNAMIC(CEdit)
public:
    CEdit() = default;

    // Selection, as indexes into the window text (GetWindowText); nEnd -1 means the end.
    void GetSel(int& nStartChar, int& nEndChar) const;
    DWORD GetSel() const; // MAKELONG(start, end)
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void ReplaceSel(LPCWSTR lpszNewText,
                    BOOL bCanUndo = FALSE); // a change of the user's: EN_CHANGE follows
    CString GetSelText() const;

    // Clipboard and undo; the changing ones do nothing on a read-only or disabled control.
    void Cut();
    void Copy();
    void Paste();
    void Clear();
    BOOL Undo();
    BOOL CanUndo() const;
    void EmptyUndoBuffer();
    BOOL CanPaste() const; // the clipboard holds text

    BOOL SetReadOnly(BOOL bReadOnly = TRUE);
    BOOL IsReadOnly() const;
    BOOL GetModify() const;
    void SetModify(BOOL bModified = TRUE);
    int GetLineCount() const;
    void LimitText(int nChars = 0); // single-line controls; 0: no limit of ours
    UINT GetLimitText() const;
    QLineEdit* GetLineEdit() const; // the single-line control, or null

    // The control's own context menu (Undo, Cut, Copy, Paste, Delete, Select All),
    // each item enabled by the control's state; the caller owns it.
    QMenu* CreateContextMenu(QWidget* pParent = nullptr);

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The Qt control behind an edit window, or null when it is neither kind.
    static QPlainTextEdit* PlainTextOf(HWND hWnd);
    static QLineEdit* LineEditOf(HWND hWnd);
    // The messages every edit window answers the same way, whatever its class;
    // FALSE when the message is not one of them.
    static BOOL EditWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                               LRESULT* pResult);
    // Applies the ES_ bits to an edit window's Qt control.
    static void ApplyEditStyle(HWND hWnd, DWORD dwStyle);
    // Builds the multi-line control of an edit window or edit view.
    static QPlainTextEdit* CreatePlainTextControl(DWORD dwStyle, QWidget* pParentWidget);

    // Style of the window itself, also when this object only shares it (GetEditCtrl).
    DWORD GetStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);

    // Keeps a line edit's window title equal to its text, for code that reads the title.
    static void TrackText(QLineEdit* pEdit);

protected:
    // Shares the window of another object (an edit view) without owning it.
    void AttachAlias(HWND hWnd);
    friend class CEditView;
};
