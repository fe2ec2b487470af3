#include "TestApp.h"

#include <string>

namespace testsupport
{

std::vector<std::string>& RouteLog()
{
    static std::vector<std::string> log;
    return log;
}

std::vector<std::string>& ActivationLog()
{
    static std::vector<std::string> log;
    return log;
}

bool g_bRunEnabled = true;
int g_nRunCount = 0;

static const AFX_STRING_RESOURCE s_strings[] = {
    {IDR_MAINFRAME, L"TestApp"},
    {IDR_XMLTYPE, L"\nXML\nXML\nXML Files (*.xml)\n.xml\nXML.Document\nXML.Document"},
    {ID_TEST_ROUTE, L"Route a command\nRoute"},
    {ID_TEST_UPDATE, L"Updated by the document\nUpdate"},
    {ID_TOOL_RUN, L"Run the thing\nRun"},
    {ID_TOOL_NOHANDLER, L"Nobody handles this\nNobody"},
    {ID_INDICATOR_LOAD, L"Loaded in 0 ms"},
    {IDC_INFO, L"Parsed by the I/O library."},
};

static const AFX_MENU_ITEM s_menuMain[] = {
    {MF_POPUP, 0, L"&File"},
    {0, ID_FILE_NEW, L"&New\tCtrl+N"},
    {0, ID_FILE_OPEN, L"&Open...\tCtrl+O"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_GRAYED, ID_FILE_MRU_FILE1, L"Recent files"},
    {MF_SEPARATOR, 0, nullptr},
    {0, ID_APP_EXIT, L"E&xit"},
    {MF_END, 0, nullptr},
    {MF_POPUP, 0, L"&View"},
    {0, ID_VIEW_STATUS_BAR, L"&Statusbar"},
    {MF_END, 0, nullptr},
};

static const AFX_MENU_ITEM s_menuDoc[] = {
    {MF_POPUP, 0, L"&File"},
    {0, ID_FILE_NEW, L"&New\tCtrl+N"},
    {0, ID_FILE_OPEN, L"&Open...\tCtrl+O"},
    {0, ID_FILE_CLOSE, L"&Close"},
    {0, ID_FILE_SAVE, L"&Save\tCtrl+S"},
    {0, ID_FILE_SAVE_AS, L"Save &as..."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_GRAYED, ID_FILE_MRU_FILE1, L"Recent files"},
    {MF_SEPARATOR, 0, nullptr},
    {0, ID_APP_EXIT, L"E&xit"},
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
    {0, ID_WINDOW_TILE_HORZ, L"&Tile"},
    {0, ID_WINDOW_ARRANGE, L"&Arrange Icons"},
    {MF_END, 0, nullptr},
};

static const AFX_MENU_RESOURCE s_menus[] = {
    {IDR_MAINFRAME, s_menuMain, AFX_COUNTOF(s_menuMain)},
    {IDR_XMLTYPE, s_menuDoc, AFX_COUNTOF(s_menuDoc)},
};

static const AFX_ACCEL s_accelMain[] = {
    {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},  {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
    {FVIRTKEY, VK_F12, ID_TEST_ROUTE},        {FVIRTKEY, VK_F6, ID_NEXT_PANE},
    {FVIRTKEY | FSHIFT, VK_F6, ID_PREV_PANE},
};

static const AFX_ACCEL_RESOURCE s_accels[] = {
    {IDR_MAINFRAME, s_accelMain, AFX_COUNTOF(s_accelMain)}};

static const AFX_DIALOG_ITEM s_pathBarItems[] = {
    {L"STATIC", L"Current path:", -1, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 4, 2, 47, 8},
    {L"EDIT", L"", IDC_PATH, ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP,
     WS_EX_TRANSPARENT, 53, 0, 245, 13},
};
static const AFX_DIALOG_ITEM s_aboutItems[] = {
    {L"STATIC", L"#300", -1, SS_ICON, 0, 11, 12, 20, 20},
    {L"STATIC", L"Bars &Version 1.0", -1, SS_LEFT, 0, 40, 10, 84, 8},
    {L"BUTTON", L"OK", IDOK, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 140, 65, 48, 13},
    {L"BUTTON", L"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 0, 140, 45, 48, 13},
    {L"EDIT", nullptr, IDC_INFO, ES_MULTILINE | ES_READONLY | WS_BORDER, 0, 38, 23, 100, 30},
    {L"STATIC", L"", IDC_BUILD, SS_LEFT, 0, 38, 56, 93, 8},
};
static const AFX_DIALOG_RESOURCE s_dialogs[] = {
    {IDD_PATHBAR, nullptr, WS_CHILD, 0, 0, 299, 13, L"MS Shell Dlg", 9, s_pathBarItems,
     AFX_COUNTOF(s_pathBarItems)},
    {IDD_ABOUTBOX, L"About Bars", DS_MODALFRAME | WS_CAPTION | WS_SYSMENU, 0, 0, 199, 83,
     L"MS Shell Dlg", 9, s_aboutItems, AFX_COUNTOF(s_aboutItems)},
};

// Three 16 by 16 images side by side: black, red and white squares on the
// button-face gray, which becomes transparent.
static const std::string& StripXpm()
{
    static const std::string xpm = []
    {
        std::string s =
            "/* XPM */\nstatic const char* strip[] = {\n\"48 16 4 1\",\n\". c #C0C0C0\",\n"
            "\"k c #000000\",\n\"r c #FF0000\",\n\"w c #FFFFFF\",\n";
        for (int y = 0; y < 16; ++y)
        {
            s += '"';
            for (int x = 0; x < 48; ++x)
            {
                bool inner = (x % 16) >= 4 && (x % 16) < 12 && y >= 4 && y < 12;
                s += !inner ? '.' : x < 16 ? 'k' : x < 32 ? 'r' : 'w';
            }
            s += y == 15 ? "\"};\n" : "\",\n";
        }
        return s;
    }();
    return xpm;
}

// A 32 by 32 icon, all blue.
static const std::string& IconXpm()
{
    static const std::string xpm = []
    {
        std::string s =
            "/* XPM */\nstatic const char* icon[] = {\n\"32 32 1 1\",\"b c #0000FF\",\n";
        for (int y = 0; y < 32; ++y)
            s += "\"" + std::string(32, 'b') + (y == 31 ? "\"};\n" : "\",\n");
        return s;
    }();
    return xpm;
}

static const UINT s_toolButtons[] = {ID_FILE_NEW, ID_TOOL_RUN, ID_SEPARATOR, ID_TOOL_NOHANDLER};

static const AFX_RESOURCE_TABLE s_resources = {
    s_strings, AFX_COUNTOF(s_strings), s_menus, AFX_COUNTOF(s_menus),
    s_accels,  AFX_COUNTOF(s_accels),  nullptr, 0,
    s_dialogs, AFX_COUNTOF(s_dialogs)};

static void RegisterResources()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    AfxRegisterResources(&s_resources);
    static const AFX_TOOLBAR_RESOURCE bars[] = {
        {IDR_MAINFRAME, 16, 16, s_toolButtons, AFX_COUNTOF(s_toolButtons),
         reinterpret_cast<const unsigned char*>(StripXpm().data()), StripXpm().size()},
    };
    AfxRegisterToolBarResources(bars, AFX_COUNTOF(bars));
    static const AFX_ICON_RESOURCE icons[] = {
        {IDI_TESTICON, reinterpret_cast<const unsigned char*>(IconXpm().data()), IconXpm().size()}};
    static const AFX_RESOURCE_TABLE iconTable = {nullptr, 0,     nullptr, 0,       nullptr,
                                                 0,       icons, 1,       nullptr, 0};
    AfxRegisterResources(&iconTable);
}

// ---- document, view, frames, template, application

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
    if (m_bOwnWriteFails)
    {
        AfxMessageBox(L"Error save to xml file.");
        return FALSE;
    }
    return TRUE;
}

BOOL CTestDoc::OnRoute(UINT)
{
    RouteLog().push_back("document");
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

void CTestView::OnUpdate(CView*, LPARAM lHint, CObject*)
{
    ++m_nUpdates;
    m_lLastHint = lHint;
}

BOOL CTestView::OnRoute(UINT)
{
    RouteLog().push_back("view");
    return FALSE;
}

IMPLEMENT_DYNCREATE(CTestChildFrame, CMDIChildWnd)

BOOL CTestChildFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (!m_wndSplitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST))
        return FALSE;
    if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CTestView), CSize(200, 0), pContext))
        return FALSE;
    return m_wndSplitter.CreateView(0, 1, RUNTIME_CLASS(CTestView), CSize(0, 0), pContext);
}

BEGIN_MESSAGE_MAP(CTestChildFrame, CMDIChildWnd)
ON_WM_MDIACTIVATE()
ON_COMMAND_EX(ID_TEST_ROUTE, &CTestChildFrame::OnRoute)
END_MESSAGE_MAP()

void CTestChildFrame::OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd)
{
    CMDIChildWnd::OnMDIActivate(bActivate, pActivateWnd, pDeactivateWnd);
    CDocument* pDoc = GetActiveDocument();
    std::string title = pDoc ? AfxToQString(pDoc->GetTitle()).toStdString() : "?";
    ActivationLog().push_back((bActivate ? "+" : "-") + title);
}

BOOL CTestChildFrame::OnRoute(UINT)
{
    RouteLog().push_back("child frame");
    return FALSE;
}

IMPLEMENT_DYNAMIC(CTestTemplate, CMultiDocTemplate)
BEGIN_MESSAGE_MAP(CTestTemplate, CMultiDocTemplate)
ON_COMMAND_EX(ID_TEST_ROUTE, &CTestTemplate::OnRoute)
END_MESSAGE_MAP()

BOOL CTestTemplate::OnRoute(UINT)
{
    RouteLog().push_back("template");
    return FALSE;
}

IMPLEMENT_DYNCREATE(CTestMainFrame, CMDIFrameWnd)
BEGIN_MESSAGE_MAP(CTestMainFrame, CMDIFrameWnd)
ON_WM_CREATE()
ON_COMMAND_EX(ID_TEST_ROUTE, &CTestMainFrame::OnRoute)
END_MESSAGE_MAP()

static const UINT s_indicators[] = {ID_SEPARATOR, ID_INDICATOR_LOAD, ID_INDICATOR_CAPS,
                                    ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

int CTestMainFrame::OnCreate(LPCREATESTRUCT lpcs)
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
        !m_wndStatusBar.SetIndicators(s_indicators, AFX_COUNTOF(s_indicators)))
        return -1;
    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY);
    m_wndStatusBar.SetPaneInfo(1, ID_INDICATOR_LOAD, SBPS_NOBORDERS, 120);
    m_wndStatusBar.SetPaneText(1, L"Loaded in 0.0000 s.");
    return 0;
}

BOOL CTestMainFrame::OnRoute(UINT)
{
    RouteLog().push_back("main frame");
    return FALSE;
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
    RouteLog().push_back(nID == ID_TEST_APPONLY ? "application only" : "application");
    return nID == ID_TEST_APPONLY;
}

// ---- fixture

AppFixture::AppFixture()
{
    RegisterResources();
    g_bRunEnabled = true;
    g_nRunCount = 0;
    RouteLog().clear();
    ActivationLog().clear();
    app.InitInstance();
}

AppFixture::~AppFixture()
{
    CloseApplication(app);
}

} // namespace testsupport
