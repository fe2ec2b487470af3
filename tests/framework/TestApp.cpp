#include "TestApp.h"

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

bool g_bToolEnabled = true;

static const AFX_STRING_RESOURCE s_strings[] = {
    {IDR_MAINFRAME, L"TestApp"},
    {IDR_XMLTYPE, L"\nXML\nXML\nXML Files (*.xml)\n.xml\nXML.Document\nXML.Document"},
    {ID_TEST_ROUTE, L"Route a command\nRoute"},
    {ID_TEST_UPDATE, L"Updated by the document\nUpdate"},
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
    {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
    {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
    {FVIRTKEY, VK_F12, ID_TEST_ROUTE},
};

static const AFX_ACCEL_RESOURCE s_accels[] = {{IDR_MAINFRAME, s_accelMain, AFX_COUNTOF(s_accelMain)}};

static const AFX_RESOURCE_TABLE s_resources = {s_strings, AFX_COUNTOF(s_strings), s_menus, AFX_COUNTOF(s_menus),
                                               s_accels, AFX_COUNTOF(s_accels), nullptr, 0, nullptr, 0};

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
    if (m_bOwnWriteFails) {
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

IMPLEMENT_DYNAMIC(CTestStatusBar, CControlBar)
BEGIN_MESSAGE_MAP(CTestStatusBar, CControlBar)
    ON_MESSAGE(WM_SETTEXT, &CTestStatusBar::OnSetText)
END_MESSAGE_MAP()

LRESULT CTestStatusBar::OnSetText(WPARAM, LPARAM lParam)
{
    m_strPane0 = reinterpret_cast<LPCWSTR>(lParam);
    return TRUE;
}

IMPLEMENT_DYNAMIC(CTestToolBar, CControlBar)

void CTestToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    CCmdUI state;
    state.m_nID = ID_TEST_TOOL;
    state.m_pOther = this;
    state.DoUpdate(pTarget, bDisableIfNoHndler);
}

IMPLEMENT_DYNCREATE(CTestMainFrame, CMDIFrameWnd)
BEGIN_MESSAGE_MAP(CTestMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND_EX(ID_TEST_ROUTE, &CTestMainFrame::OnRoute)
END_MESSAGE_MAP()

int CTestMainFrame::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CMDIFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!m_wndStatusBar.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 20), this,
                               AFX_IDW_STATUS_BAR))
        return -1;
    if (!m_wndToolBar.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 20), this, AFX_IDW_TOOLBAR))
        return -1;
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
    ON_UPDATE_COMMAND_UI(ID_TEST_TOOL, &CTestApp::OnUpdateTool)
END_MESSAGE_MAP()

BOOL CTestApp::InitInstance()
{
    AddDocTemplate(new CTestTemplate(IDR_XMLTYPE, RUNTIME_CLASS(CTestDoc), RUNTIME_CLASS(CTestChildFrame),
                                     RUNTIME_CLASS(CTestView)));
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

void CTestApp::OnUpdateTool(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(g_bToolEnabled);
}

// ---- fixture

AppFixture::AppFixture()
{
    static bool registered = false;
    if (!registered) {
        AfxRegisterResources(&s_resources);
        registered = true;
    }
    RouteLog().clear();
    ActivationLog().clear();
    app.InitInstance();
}

AppFixture::~AppFixture()
{
    CloseApplication(app);
}
