#pragma once
// CEditView: a view that is a multi-line edit control. It carries out the edit
// commands (Undo, Cut, Copy, Paste, Clear, Select All, Find, Replace, Repeat)
// with their update rules, the modeless Find and Replace dialogs, and printing
// of its text. Its own change handling marks the document modified; a derived
// view may replace it with an EN_CHANGE reflection of its own.
#include "velmar/framework/Edit.h"
#include "velmar/framework/View.h"

class CFindReplaceDialog;
class QPlainTextEdit;
class QPrinter;

class CEditView : public CView
{
    DECLARE_DYNCREATE(CEditView)
public:
    // The styles every edit view starts with, as the system's edit view has them.
    static const DWORD dwStyleDefault = AFX_WS_DEFAULT_VIEW | WS_HSCROLL | WS_VSCROLL |
                                        ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_MULTILINE |
                                        ES_NOHIDESEL;

    CEditView();
    ~CEditView() override;

    CEdit& GetEditCtrl() const; // the edit control, which is this very window
    QPlainTextEdit* GetTextControl() const;

    int GetBufferLength() const;     // length of the window text
    CString GetSelectedText() const; // the selection up to its first line break
    LPCWSTR LockBuffer() const;      // the text, valid until UnlockBuffer or the next change
    void UnlockBuffer() const {}

    // A text too long for the edit control to lay out at typing speed, shown
    // read-only in a pane over the control that lays out only the rows on
    // screen. The pane reads lpszText in place: it must stay valid and
    // unchanged until HideLongText or the next ShowLongText. A bar above it says lpszNotice; its
    // button lpszAction (none when null) sends the command nActionID to this view. The control
    // itself is empty and read-only meanwhile, so nothing the user does reaches it.
    void ShowLongText(LPCWSTR lpszText, size_t nLength, LPCWSTR lpszNotice, LPCWSTR lpszAction,
                      UINT nActionID);
    // Back to the edit control, with its own read-only state; the long text is let go.
    void HideLongText();
    BOOL IsShowingLongText() const;
    QWidget* GetLongTextPane() const; // the pane while it shows, else null

    // Searching. Positions are those of the window text. bWrap continues from the
    // other end once the search reaches the end (or the start, searching up).
    BOOL FindText(LPCWSTR lpszFind, BOOL bNext = TRUE, BOOL bCase = TRUE, BOOL bWord = FALSE,
                  BOOL bWrap = TRUE);
    // Replaces every occurrence in the whole text as one undoable change; the count replaced.
    int ReplaceAllText(LPCWSTR lpszFind, LPCWSTR lpszReplace, BOOL bCase = TRUE,
                       BOOL bWord = FALSE);

    // What the Find and Replace dialogs ask for.
    virtual void OnFindNext(LPCWSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord);
    virtual void OnReplaceSel(LPCWSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord,
                              LPCWSTR lpszReplace);
    virtual void OnReplaceAll(LPCWSTR lpszFind, LPCWSTR lpszReplace, BOOL bCase, BOOL bWord);
    virtual void OnTextNotFound(LPCWSTR lpszFind); // beeps

    // The open Find or Replace dialog of the process, or null; there is at most one.
    static CFindReplaceDialog* GetFindReplaceDialog();
    // The search the dialogs and Repeat share: last text, replacement and options.
    static CString GetLastFindString();

    // Printing: the printer is set up here (the print dialog; for direct printing
    // the default printer); FALSE cancels. Tests and programs may choose their own.
    virtual BOOL OnPreparePrinting(QPrinter* pPrinter, BOOL bDirect);
    BOOL PrintText(QPrinter* pPrinter); // prints the whole text, paginated

    void OnDraw(CDC* pDC) override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Command and update handlers.
    void OnEditUndo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditClear();
    void OnEditSelectAll();
    void OnEditFind();
    void OnEditReplace();
    void OnEditRepeat();
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    void OnUpdateEditUndo(CCmdUI* pCmdUI);
    void OnUpdateNeedSel(CCmdUI* pCmdUI);      // Copy
    void OnUpdateNeedSelEdit(CCmdUI* pCmdUI);  // Cut, Clear
    void OnUpdateNeedClip(CCmdUI* pCmdUI);     // Paste
    void OnUpdateNeedText(CCmdUI* pCmdUI);     // Select All, Find
    void OnUpdateNeedTextEdit(CCmdUI* pCmdUI); // Replace
    void OnUpdateNeedFind(CCmdUI* pCmdUI);     // Repeat
    BOOL OnEditChange();
    LRESULT OnFindReplaceCmd(WPARAM wParam, LPARAM lParam);
    void OnDestroy();

protected:
    void OnEditFindReplace(BOOL bFindOnly);
    BOOL IsEditable() const; // enabled and not read-only: the changing commands apply
    BOOL SameAsSelected(LPCWSTR lpszFind, BOOL bCase, BOOL bWord) const;

    mutable CEdit m_edit;        // shares this window
    mutable CString m_strLocked; // what LockBuffer handed out

    DECLARE_MESSAGE_MAP()
};
