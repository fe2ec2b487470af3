#include "velmar/app/ChildFrame.h"
#include "velmar/app/FindBar.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLTreeView.h"

namespace
{

CFindBar* FindBarOf()
{
    auto* pHost = dynamic_cast<IFindHost*>(AfxGetMainWnd());
    return pHost ? pHost->GetFindBar() : nullptr;
}

CString WithNumber(LPCWSTR text, int n)
{
    CString number;
    number.Format(L"%d", n);
    CString out = AfxTranslate(text);
    out.Replace(L"%1", number);
    return out;
}

} // namespace

void CChildFrame::OnXmlFind()
{
    if (CFindBar* pBar = FindBarOf())
        pBar->Open(false);
}

void CChildFrame::OnXmlReplace()
{
    if (CFindBar* pBar = FindBarOf())
        pBar->Open(true);
}

void CChildFrame::OnXmlFindNext()
{
    FindText(true);
}

void CChildFrame::OnXmlFindPrev()
{
    FindText(false);
}

bool CChildFrame::CompileFind(CNodeTextMatcher& matcher, bool bValuesOnly)
{
    CFindBar* pBar = FindBarOf();
    CXMLTreeView* pTree = GetTreeView();
    CVelmarDoc* pDoc = pTree ? pTree->GetDocument() : nullptr;
    if (!pBar || !pDoc)
        return false;
    NodeFindOptions options = pBar->GetOptions();
    if (options.what.IsEmpty())
    {
        // F3 with nothing to find asks what to find.
        pBar->Open(false);
        return false;
    }
    if (bValuesOnly && options.xpath)
    {
        MessageBox(AfxTranslate(L"Replacing needs a text to find, not an XPath expression."),
                   nullptr, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    if (bValuesOnly)
    {
        options.inNames = false;
        options.inValues = true;
    }
    CString error;
    if (!matcher.Compile(options, error, &pDoc->GetXmlFile()))
    {
        MessageBox(error, nullptr, MB_OK | MB_ICONWARNING);
        return false;
    }
    return true;
}

NodeTextRef CChildFrame::SearchStart() const
{
    CXMLTreeView* pTree = GetTreeView();
    if (!pTree)
        return {};
    const NodeTextRef selected = pTree->SelectedText();
    if (m_lastHit.node && m_lastHit.node == selected.node &&
        pTree->ItemOfText(m_lastHit) == pTree->GetXMLTreeCtrl().GetSelectedItem())
        return m_lastHit;
    return selected;
}

BOOL CChildFrame::FindText(bool bForward, bool bValuesOnly)
{
    CXMLTreeView* pTree = GetTreeView();
    CVelmarDoc* pDoc = pTree ? pTree->GetDocument() : nullptr;
    CNodeTextMatcher matcher;
    if (!pDoc || !CompileFind(matcher, bValuesOnly))
        return FALSE;
    // Between slices the windows paint and the progress shows; the search
    // ends early should the tree have been rebuilt or the window gone meanwhile.
    CXMLTreeCtrl& tree = pTree->GetXMLTreeCtrl();
    const HWND hWnd = m_hWnd;
    const HTREEITEM hRoot = tree.GetRootItem();
    const unsigned nRebuilds = tree.GetRebuildCount();
    CFrameWnd* pTop = GetTopLevelFrame();
    const auto pump = [&](int percent)
    {
        if (pTop)
            pTop->SetMessageText(WithNumber(L"Searching... %1%", percent));
        AfxPumpWaitingMessages(kSliceMilliseconds);
        return CWnd::FromHandlePermanent(hWnd) == this && tree.GetRootItem() == hRoot &&
               tree.GetRebuildCount() == nRebuilds;
    };
    NodeTextRef hit;
    const NodeFindResult result =
        FindNodeText(pDoc->GetXmlFile(), SearchStart(), bForward, matcher, hit, pump);
    if (result == NodeFindResult::stopped)
        return FALSE;
    if (pTop)
        pTop->SetMessageText(AFX_IDS_IDLEMESSAGE);
    if (result == NodeFindResult::notFound)
    {
        CString text = AfxTranslate(L"Cannot find \"%1\".");
        text.Replace(L"%1", matcher.Options().what);
        MessageBox(text, nullptr, MB_OK | MB_ICONINFORMATION);
        return FALSE;
    }
    m_lastHit = hit;
    pTree->SelectText(hit);
    CString status;
    if (result == NodeFindResult::wrapped)
        status = bForward ? AfxTranslate(L"Passed the end of the document: found from the start.")
                          : AfxTranslate(L"Passed the start of the document: found from the end.");
    if (matcher.Options().xpath)
    {
        if (!status.IsEmpty())
            status += L" ";
        status += WithNumber(L"%1 matches of the XPath expression.",
                             static_cast<int>(matcher.XPathMatchCount()));
    }
    if (pTop && !status.IsEmpty())
        pTop->SetMessageText(status);
    return TRUE;
}

void CChildFrame::OnXmlReplaceOne()
{
    CXMLTreeView* pTree = GetTreeView();
    CVelmarDoc* pDoc = pTree ? pTree->GetDocument() : nullptr;
    CFindBar* pBar = FindBarOf();
    CNodeTextMatcher matcher;
    if (!pDoc || !pBar || !CompileFind(matcher, true))
        return;
    // The selected value is replaced when it holds a match; then on to the next one.
    const NodeTextRef current = SearchStart();
    if (current.node && matcher.Matches(current))
    {
        const CString text = matcher.Replace(current.Text(), pBar->GetReplaceText(), nullptr);
        const BOOL stored = pDoc->RunEdit(
            CNodeEdit::StepName(L"Replace in '%1'", current.node), {current.node},
            [&]() { return StoreValue(current, text); }, current.node);
        if (!stored)
        {
            MessageBox(
                AfxTranslate(L"The value cannot hold the replaced text; it stays as it was."),
                nullptr, MB_OK | MB_ICONWARNING);
            return;
        }
        // The content panes show the new text.
        pDoc->UpdateAllViews(pTree, reinterpret_cast<LPARAM>(pTree->ItemOfText(current)), nullptr);
    }
    FindText(true, true);
}

void CChildFrame::OnXmlReplaceAll()
{
    CXMLTreeView* pTree = GetTreeView();
    CVelmarDoc* pDoc = pTree ? pTree->GetDocument() : nullptr;
    CFindBar* pBar = FindBarOf();
    CNodeTextMatcher matcher;
    if (!pDoc || !pBar || !CompileFind(matcher, true))
        return;
    int skipped = 0;
    const int replaced = pDoc->ReplaceAllValues(matcher, pBar->GetReplaceText(), &skipped);
    if (replaced > 0)
        pDoc->UpdateAllViews(
            pTree, reinterpret_cast<LPARAM>(pTree->GetXMLTreeCtrl().GetSelectedItem()), nullptr);
    CString report = WithNumber(L"Replaced %1 matches.", replaced);
    if (skipped > 0)
        report += L" " + WithNumber(L"%1 values cannot hold their replaced text and stay as "
                                    L"they were.",
                                    skipped);
    MessageBox(report, nullptr, MB_OK | MB_ICONINFORMATION);
}

void CChildFrame::OnPathEntered()
{
    CXMLTreeView* pTree = GetTreeView();
    auto* pHost = dynamic_cast<IFindHost*>(AfxGetMainWnd());
    if (!pTree || !pHost)
        return;
    const CString path = pHost->GetTypedPath();
    if (pTree->SelectPath(path))
    {
        pTree->SetFocus();
        return;
    }
    CString text = AfxTranslate(L"There is no node at \"%1\".");
    text.Replace(L"%1", path);
    MessageBox(text, nullptr, MB_OK | MB_ICONINFORMATION);
}
