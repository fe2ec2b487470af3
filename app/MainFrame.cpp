#include "velmar/app/MainFrame.h"

#include "velmar/app/HelpPages.h"
#include "velmar/app/Resource.h"
#include "velmar/app/ValueColumn.h"
#include "velmar/app/VelmarDoc.h"

IMPLEMENT_DYNCREATE(CMainFrame, CMDIFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
ON_WM_CREATE()
ON_WM_CONTEXTMENU()
ON_COMMAND(ID_VIEW_PATHBAR, &CMainFrame::OnViewPathbar)
ON_UPDATE_COMMAND_UI(ID_VIEW_PATHBAR, &CMainFrame::OnUpdateViewPathbar)
// Every way of asking for help leads to the help's index.
ON_COMMAND(ID_HELP_FINDER, &CMainFrame::OnHelpIndex)
ON_COMMAND(ID_HELP, &CMainFrame::OnHelpIndex)
ON_COMMAND(ID_CONTEXT_HELP, &CMainFrame::OnHelpIndex)
ON_COMMAND(ID_DEFAULT_HELP, &CMainFrame::OnHelpIndex)
ON_COMMAND(ID_VIEW_VALUES, &CMainFrame::OnViewValues)
ON_UPDATE_COMMAND_UI(ID_VIEW_VALUES, &CMainFrame::OnUpdateViewValues)
ON_COMMAND(ID_VIEW_STRICT, &CMainFrame::OnViewStrict)
ON_UPDATE_COMMAND_UI(ID_VIEW_STRICT, &CMainFrame::OnUpdateViewStrict)
ON_COMMAND(ID_XML_GO_TO_PATH, &CMainFrame::OnGoToPath)
ON_COMMAND(ID_XML_FIND_CLOSE, &CMainFrame::OnFindClose)
ON_UPDATE_COMMAND_UI(ID_VIEW_VALIDATION, &CMainFrame::OnUpdateControlBarMenu)
ON_COMMAND_EX(ID_VIEW_VALIDATION, &CMainFrame::OnBarCheck)
END_MESSAGE_MAP()

namespace
{

const UINT kIndicators[] = {
    ID_SEPARATOR, // the message line
    ID_INDICATOR_LOADTIME, ID_INDICATOR_MODE, ID_INDICATOR_CAPS,
    ID_INDICATOR_NUM,      ID_INDICATOR_SCRL,
};

} // namespace

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CMDIFrameWnd::PreCreateWindow(cs))
        return FALSE;
    cs.cx = static_cast<int>(GetSystemMetrics(SM_CXSCREEN) * kScreenShare);
    cs.cy = static_cast<int>(GetSystemMetrics(SM_CYSCREEN) * kScreenShare);
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CMDIFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    if (!m_wndPathBar.Create(this, IDD_PATHBAR, CBRS_ALIGN_TOP, AFX_IDW_DIALOGBAR))
        return -1;
    if (!m_wndReBar.Create(this) || !m_wndReBar.AddBar(&m_wndToolBar) ||
        !m_wndReBar.AddBar(&m_wndPathBar))
        return -1;
    if (!m_wndStatusBar.Create(this) ||
        !m_wndStatusBar.SetIndicators(kIndicators, AFX_COUNTOF(kIndicators)))
        return -1;
    if (!m_wndFindBar.Create(this) || !m_wndValidationBar.Create(this))
        return -1;
    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY);
    CenterWindow();
    m_wndStatusBar.SetPaneInfo(1, ID_INDICATOR_LOADTIME, SBPS_NOBORDERS, kLoadTimePaneWidth);
    m_wndStatusBar.SetPaneInfo(2, ID_INDICATOR_MODE, SBPS_NORMAL, kModePaneWidth);
    ShowLoadTime(0);
    ShowDocumentMode(nullptr);
    return 0;
}

void CMainFrame::ShowLoadTime(DWORD dwMilliseconds)
{
    if (!m_wndStatusBar.GetSafeHwnd())
        return;
    // "Loaded in %0.4f s." of the seconds, written out digit by digit: the
    // C library would take the decimal point from the user's locale, and the
    // fourth decimal of whole milliseconds is always 0.
    CString seconds;
    seconds.Format(L"%u.%03u0", static_cast<unsigned>(dwMilliseconds / 1000),
                   static_cast<unsigned>(dwMilliseconds % 1000));
    CString text = AfxTranslate(L"Loaded in %1 s.");
    text.Replace(L"%1", seconds);
    m_wndStatusBar.SetPaneText(1, text, TRUE);
}

void CMainFrame::ShowDocumentMode(const CVelmarDoc* pDoc)
{
    if (!m_wndStatusBar.GetSafeHwnd())
        return;
    const CString text = !pDoc ? CString() : AfxTranslate(pDoc->IsXml10() ? L"XML 1.0" : L"Strict");
    m_wndStatusBar.SetPaneText(2, text, TRUE);
}

void CMainFrame::OnViewStrict()
{
    // Documents already open keep the mode they were opened in.
    CVelmarDoc::SetStrictDialect(!CVelmarDoc::IsStrictDialectSet());
}

void CMainFrame::OnUpdateViewStrict(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(CVelmarDoc::IsStrictDialectSet());
}

void CMainFrame::SetPathText(LPCWSTR path)
{
    if (!m_wndPathBar.GetSafeHwnd() || !m_wndPathBar.GetDlgItem(IDC_PATH))
        return;
    m_wndPathBar.SetDlgItemText(IDC_PATH, path ? path : L"");
}

BOOL CMainFrame::IsPathBarShown() const
{
    // The bar's own flag: it counts as shown also while the frame is not yet on screen.
    return m_wndPathBar.GetSafeHwnd() && (m_wndPathBar.GetStyle() & WS_VISIBLE) != 0;
}

void CMainFrame::OnViewPathbar()
{
    ShowControlBar(&m_wndPathBar, !IsPathBarShown(), FALSE);
}

void CMainFrame::OnUpdateViewPathbar(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(IsPathBarShown());
}

void CMainFrame::OnHelpIndex()
{
    ShowHelpIndex(this);
}

CString CMainFrame::GetTypedPath()
{
    CString path;
    if (m_wndPathBar.GetSafeHwnd())
        m_wndPathBar.GetDlgItemText(IDC_PATH, path);
    return path;
}

void CMainFrame::OnViewValues()
{
    ShowValueColumn(!IsValueColumnShown());
}

void CMainFrame::OnUpdateViewValues(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(IsValueColumnShown());
}

void CMainFrame::OnFindClose()
{
    m_wndFindBar.Close();
}

void CMainFrame::OnGoToPath()
{
    if (!IsPathBarShown())
        ShowControlBar(&m_wndPathBar, TRUE, FALSE);
    if (CWnd* pField = m_wndPathBar.GetDlgItem(IDC_PATH))
    {
        pField->SetFocus();
        pField->SendMessage(EM_SETSEL, 0, -1);
    }
}

void CMainFrame::OnContextMenu(CWnd*, CPoint)
{
    // Neither the bars nor the empty client area have a menu of their own.
}
