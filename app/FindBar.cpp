#include "velmar/app/FindBar.h"

#include "velmar/app/ChildFrame.h"
#include "velmar/app/Resource.h"
#include "velmar/app/XMLTreeView.h"

IMPLEMENT_DYNAMIC(CFindBar, CDialogBar)

BEGIN_MESSAGE_MAP(CFindBar, CDialogBar)
ON_COMMAND(IDCANCEL, &CFindBar::OnCancel)
END_MESSAGE_MAP()

namespace
{

bool IsChecked(const CWnd& bar, int nID)
{
    CWnd* pItem = bar.GetDlgItem(nID);
    return pItem && pItem->SendMessage(BM_GETCHECK) == BST_CHECKED;
}

void Check(const CWnd& bar, int nID, bool bOn)
{
    if (CWnd* pItem = bar.GetDlgItem(nID))
        pItem->SendMessage(BM_SETCHECK, bOn ? BST_CHECKED : BST_UNCHECKED);
}

} // namespace

BOOL CFindBar::Create(CWnd* pParentWnd)
{
    // Hidden until asked for; below the document windows, above the status bar.
    if (!CDialogBar::Create(pParentWnd, IDD_FINDBAR, CBRS_ALIGN_BOTTOM, AFX_IDW_CONTROLBAR_LAST))
        return FALSE;
    SetOptions(NodeFindOptions());
    ShowWindow(SW_HIDE);
    return TRUE;
}

BOOL CFindBar::IsOpen() const
{
    return GetSafeHwnd() && (GetStyle() & WS_VISIBLE) != 0;
}

void CFindBar::Open(bool bReplace)
{
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->ShowControlBar(this, TRUE, FALSE);
    if (CWnd* pField = GetDlgItem(bReplace ? IDC_REPLACE_WITH : IDC_FIND_WHAT))
    {
        pField->SetFocus();
        pField->SendMessage(EM_SETSEL, 0, -1);
    }
}

void CFindBar::Close()
{
    CFrameWnd* pFrame = GetDockingFrame();
    if (pFrame)
        pFrame->ShowControlBar(this, FALSE, FALSE);
    // Back to the selected item of the document.
    auto* pActive = dynamic_cast<CChildFrame*>(pFrame ? pFrame->GetActiveFrame() : nullptr);
    if (CView* pView = pActive ? static_cast<CView*>(pActive->GetTreeView()) : nullptr)
        pView->SetFocus();
}

void CFindBar::OnCancel()
{
    Close();
}

NodeFindOptions CFindBar::GetOptions() const
{
    NodeFindOptions options;
    GetDlgItemText(IDC_FIND_WHAT, options.what);
    options.matchCase = IsChecked(*this, IDC_FIND_MATCH_CASE);
    options.wholeWord = IsChecked(*this, IDC_FIND_WHOLE_WORD);
    options.regex = IsChecked(*this, IDC_FIND_REGEX);
    options.inNames = IsChecked(*this, IDC_FIND_IN_NAMES);
    options.inValues = IsChecked(*this, IDC_FIND_IN_VALUES);
    options.xpath = IsChecked(*this, IDC_FIND_XPATH);
    return options;
}

void CFindBar::SetOptions(const NodeFindOptions& options)
{
    SetDlgItemText(IDC_FIND_WHAT, options.what);
    Check(*this, IDC_FIND_MATCH_CASE, options.matchCase);
    Check(*this, IDC_FIND_WHOLE_WORD, options.wholeWord);
    Check(*this, IDC_FIND_REGEX, options.regex);
    Check(*this, IDC_FIND_IN_NAMES, options.inNames);
    Check(*this, IDC_FIND_IN_VALUES, options.inValues);
    Check(*this, IDC_FIND_XPATH, options.xpath);
}

CString CFindBar::GetReplaceText() const
{
    CString text;
    GetDlgItemText(IDC_REPLACE_WITH, text);
    return text;
}

void CFindBar::SetReplaceText(LPCWSTR text)
{
    SetDlgItemText(IDC_REPLACE_WITH, text);
}
