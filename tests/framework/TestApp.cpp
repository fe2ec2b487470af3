#include "TestApp.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include <string>

namespace testsupport
{

namespace
{

const AFX_STRING_RESOURCE kStrings[] = {
    {IDR_MAINFRAME, L"TestApp"},
    {IDR_XMLTYPE, L"\nXML\nXML\nXML Files (*.xml)\n.xml\nXML.Document\nXML.Document"},
    {ID_TOOL_RUN, L"Run the thing\nRun"},
    {IDC_INFO, L"Parsed by the I/O library."},
};

// Without a document: File and View. With one: the recent files, the test
// commands (one nested a level deeper) and the Window menu.
const AFX_MENU_ITEM kMainMenu[] = {
    {MF_POPUP, 0, L"&File"},
    {0, ID_FILE_NEW, L"&New\tCtrl+N"},
    {0, ID_FILE_OPEN, L"&Open...\tCtrl+O"},
    {MF_GRAYED, ID_FILE_MRU_FILE1, L"Recent files"},
    {MF_END, 0, nullptr},
    {MF_POPUP, 0, L"&View"},
    {0, ID_VIEW_STATUS_BAR, L"&Statusbar"},
    {MF_END, 0, nullptr},
};

const AFX_MENU_ITEM kDocumentMenu[] = {
    {MF_POPUP, 0, L"&File"},
    {MF_GRAYED, ID_FILE_MRU_FILE1, L"Recent files"},
    {MF_END, 0, nullptr},
    {MF_POPUP, 0, L"&Test"},
    {0, ID_TEST_ROUTE, L"&Route"},
    {0, ID_TEST_NOHANDLER, L"&No handler"},
    {0, ID_TEST_APPONLY, L"&Application only"},
    {0, ID_TEST_UPDATE, L"&Update"},
    {MF_POPUP, 0, L"&More"},
    {0, ID_TEST_NOHANDLER, L"Nested"},
    {MF_END, 0, nullptr},
    {MF_END, 0, nullptr},
    {MF_POPUP, 0, L"&Window"},
    {0, ID_WINDOW_NEW, L"&New window"},
    {0, ID_WINDOW_CASCADE, L"&Cascade"},
    {MF_END, 0, nullptr},
};

const AFX_MENU_RESOURCE kMenus[] = {
    {IDR_MAINFRAME, kMainMenu, AFX_COUNTOF(kMainMenu)},
    {IDR_XMLTYPE, kDocumentMenu, AFX_COUNTOF(kDocumentMenu)},
};

const AFX_ACCEL kAccels[] = {
    {FVIRTKEY, VK_F6, ID_NEXT_PANE},
    {FVIRTKEY | FSHIFT, VK_F6, ID_PREV_PANE},
};

const AFX_ACCEL_RESOURCE kAccelTables[] = {{IDR_MAINFRAME, kAccels, AFX_COUNTOF(kAccels)}};

const AFX_DIALOG_ITEM kAboutItems[] = {
    {L"STATIC", L"#300", -1, SS_ICON, 0, 11, 12, 20, 20},
    {L"STATIC", L"Bars &Version 1.0", -1, SS_LEFT, 0, 40, 10, 84, 8},
    {L"BUTTON", L"OK", IDOK, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 140, 65, 48, 13},
    {L"BUTTON", L"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 0, 140, 45, 48, 13},
    {L"EDIT", nullptr, IDC_INFO, ES_MULTILINE | ES_READONLY | WS_BORDER, 0, 38, 23, 100, 30},
    {L"STATIC", L"", IDC_BUILD, SS_LEFT, 0, 38, 56, 93, 8},
};

const AFX_DIALOG_RESOURCE kDialogs[] = {
    {IDD_ABOUTBOX, L"About Bars", DS_MODALFRAME | WS_CAPTION | WS_SYSMENU, 0, 0, 199, 83,
     L"MS Shell Dlg", 9, kAboutItems, AFX_COUNTOF(kAboutItems)},
};

const UINT kToolButtons[] = {ID_FILE_NEW, ID_TOOL_RUN, ID_SEPARATOR, ID_TEST_NOHANDLER};

// An XPM image `width` by `height` in the colours `palette` names, each pixel
// the character `pixel` gives for it.
std::string Xpm(int width, int height, const std::string& palette, char (*pixel)(int x, int y))
{
    std::string s = "/* XPM */\nstatic const char* image[] = {\n\"" + std::to_string(width) + " " +
                    std::to_string(height) + palette;
    for (int y = 0; y < height; ++y)
    {
        s += "\"";
        for (int x = 0; x < width; ++x)
            s += pixel(x, y);
        s += y + 1 == height ? "\"};\n" : "\",\n";
    }
    return s;
}

// Three 16 by 16 images side by side: black, red and white squares on the
// button-face gray, which becomes transparent.
const std::string kStrip = Xpm(48, 16,
                               " 4 1\",\n\". c #C0C0C0\",\n\"k c #000000\",\n\"r c #FF0000\",\n"
                               "\"w c #FFFFFF\",\n",
                               [](int x, int y)
                               {
                                   const bool inner =
                                       x % 16 >= 4 && x % 16 < 12 && y >= 4 && y < 12;
                                   return !inner ? '.' : x < 16 ? 'k' : x < 32 ? 'r' : 'w';
                               });
// A 32 by 32 icon, all blue.
const std::string kIcon = Xpm(32, 32, " 1 1\",\"b c #0000FF\",\n", [](int, int) { return 'b'; });

const AFX_ICON_RESOURCE kIcons[] = {
    {IDI_TESTICON, reinterpret_cast<const unsigned char*>(kIcon.data()), kIcon.size()}};

const AFX_RESOURCE_TABLE kResources = {
    kStrings,     AFX_COUNTOF(kStrings),     kMenus, AFX_COUNTOF(kMenus),
    kAccelTables, AFX_COUNTOF(kAccelTables), kIcons, AFX_COUNTOF(kIcons),
    kDialogs,     AFX_COUNTOF(kDialogs)};

const AFX_TOOLBAR_RESOURCE kToolBars[] = {
    {IDR_MAINFRAME, 16, 16, kToolButtons, AFX_COUNTOF(kToolButtons),
     reinterpret_cast<const unsigned char*>(kStrip.data()), kStrip.size()},
};

} // namespace

IMPLEMENT_DYNCREATE(CTestDoc, CDocument)
BEGIN_MESSAGE_MAP(CTestDoc, CDocument)
ON_COMMAND_EX(ID_TEST_ROUTE, &CTestDoc::OnRoute)
ON_UPDATE_COMMAND_UI(ID_TEST_UPDATE, &CTestDoc::OnUpdateTest)
END_MESSAGE_MAP()

void CTestDoc::Serialize(CArchive& ar)
{
    if (m_bWriteNothing)
        return;
    if (ar.IsStoring())
        ar << m_content;
    else
        ar >> m_content;
}

BOOL CTestDoc::OnSaveDocument(LPCWSTR lpszPathName)
{
    if (!CDocument::OnSaveDocument(lpszPathName))
        return FALSE;
    if (!m_bOwnWriteFails)
        return TRUE;
    AfxMessageBox(L"Error save to xml file.");
    return FALSE;
}

void CTestDoc::OnUpdateTest(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
    pCmdUI->SetCheck(1);
    pCmdUI->SetText(L"Updated");
}

IMPLEMENT_DYNCREATE(CTestView, CView)
BEGIN_MESSAGE_MAP(CTestView, CView)
ON_COMMAND_EX(ID_TEST_ROUTE, &CTestView::OnRoute)
END_MESSAGE_MAP()

IMPLEMENT_DYNCREATE(CTestChildFrame, CMDIChildWnd)
BEGIN_MESSAGE_MAP(CTestChildFrame, CMDIChildWnd)
ON_WM_MDIACTIVATE()
ON_COMMAND_EX(ID_TEST_ROUTE, &CTestChildFrame::OnRoute)
END_MESSAGE_MAP()

BOOL CTestChildFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    return m_wndSplitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST) &&
           m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CTestView), CSize(200, 0), pContext) &&
           m_wndSplitter.CreateView(0, 1, RUNTIME_CLASS(CTestView), CSize(0, 0), pContext);
}

void CTestChildFrame::OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd)
{
    CMDIChildWnd::OnMDIActivate(bActivate, pActivateWnd, pDeactivateWnd);
    CDocument* pDoc = GetActiveDocument();
    std::string title = pDoc ? AfxToQString(pDoc->GetTitle()).toStdString() : "?";
    g_activationLog.push_back((bActivate ? "+" : "-") + title);
}

IMPLEMENT_DYNAMIC(CTestTemplate, CMultiDocTemplate)
BEGIN_MESSAGE_MAP(CTestTemplate, CMultiDocTemplate)
ON_COMMAND_EX(ID_TEST_ROUTE, &CTestTemplate::OnRoute)
END_MESSAGE_MAP()

IMPLEMENT_DYNCREATE(CTestMainFrame, CMDIFrameWnd)
BEGIN_MESSAGE_MAP(CTestMainFrame, CMDIFrameWnd)
ON_WM_CREATE()
ON_COMMAND_EX(ID_TEST_ROUTE, &CTestMainFrame::OnRoute)
END_MESSAGE_MAP()

int CTestMainFrame::OnCreate(LPCREATESTRUCT lpcs)
{
    static const UINT indicators[] = {ID_SEPARATOR};
    if (CMDIFrameWnd::OnCreate(lpcs) == -1 || !m_wndToolBar.CreateEx(this) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME) || !m_wndStatusBar.Create(this) ||
        !m_wndStatusBar.SetIndicators(indicators, AFX_COUNTOF(indicators)))
        return -1;
    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY);
    return 0;
}

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
ON_COMMAND(ID_FILE_OPEN, &CWinApp::OnFileOpen)
ON_COMMAND_EX(ID_TEST_ROUTE, &CTestApp::OnRoute)
ON_COMMAND_EX(ID_TEST_APPONLY, &CTestApp::OnRoute)
ON_COMMAND(ID_TOOL_RUN, &CTestApp::OnRun)
ON_UPDATE_COMMAND_UI(ID_TOOL_RUN, &CTestApp::OnUpdateRun)
END_MESSAGE_MAP()

BOOL CTestApp::InitInstance()
{
    AddDocTemplate(new CTestTemplate(IDR_XMLTYPE, RUNTIME_CLASS(CTestDoc),
                                     RUNTIME_CLASS(CTestChildFrame), RUNTIME_CLASS(CTestView)));
    auto* pMainFrame = new CTestMainFrame;
    if (!pMainFrame->LoadFrame(IDR_MAINFRAME))
        return FALSE;
    m_pMainWnd = pMainFrame;
    pMainFrame->DragAcceptFiles();
    pMainFrame->ShowWindow(SW_SHOWNORMAL);
    return TRUE;
}

BOOL CTestApp::OnRoute(UINT nID)
{
    g_routeLog.push_back(nID == ID_TEST_APPONLY ? "application only" : "application");
    return nID == ID_TEST_APPONLY;
}

AppFixture::AppFixture()
{
    [[maybe_unused]] static const bool registered =
        (AfxRegisterResources(&kResources),
         AfxRegisterToolBarResources(kToolBars, AFX_COUNTOF(kToolBars)), true);
    g_bRunEnabled = true;
    g_nRunCount = 0;
    g_routeLog.clear();
    g_activationLog.clear();
    app.InitInstance();
}

QMenu* MenuPopup(CFrameWnd* pFrame, const char* title)
{
    if (HMENU hMenu = pFrame->GetMenu())
        for (QMenu* pMenu : hMenu->popups)
            if (pMenu->title() == QString::fromUtf8(title))
                return pMenu;
    return nullptr;
}

QAction* MenuAction(QMenu* pMenu, UINT nID)
{
    for (QAction* a : pMenu->actions())
        if (AfxGetActionID(a) == nID && a->isVisible())
            return a;
    return nullptr;
}

void OpenPopup(QMenu* pMenu)
{
    pMenu->popup(QPoint(10, 10));
    QCoreApplication::processEvents();
}

} // namespace testsupport
