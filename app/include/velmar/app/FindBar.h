#pragma once
// CFindBar: the main window's find bar, below the document windows: what to
// find and its options, the replacement, and the buttons of the find and
// replace commands (which the active document window carries out). Escape
// in it closes it and gives the focus back to the document.
#include "velmar/app/NodeSearch.h"
#include "velmar/framework/framework.h"

class CFindBar : public CDialogBar
{
    DECLARE_DYNAMIC(CFindBar)
public:
    BOOL Create(CWnd* pParentWnd);

    // Shows the bar with the focus in the find field (the replace field for
    // bReplace), its text selected.
    void Open(bool bReplace);
    // Hides the bar; the active view of the active document window gets the focus.
    void Close();
    BOOL IsOpen() const;

    NodeFindOptions GetOptions() const;
    void SetOptions(const NodeFindOptions& options);
    CString GetReplaceText() const;
    void SetReplaceText(LPCWSTR text);

    void OnCancel();

protected:
    DECLARE_MESSAGE_MAP()
};
