#include "BarsApp.h"

#include <string>

bool g_bRunEnabled = true;
int g_nRunCount = 0;

static const AFX_STRING_RESOURCE s_strings[] = {
    {IDR_BARSFRAME, L"BarsApp"},
    {IDR_BARSTYPE, L"\nBars\nBars\nBars Files (*.bars)\n.bars\nBars.Document\nBars.Document"},
    {ID_TOOL_RUN, L"Run the thing\nRun"},
    {ID_TOOL_NOHANDLER, L"Nobody handles this\nNobody"},
    {ID_INDICATOR_LOAD, L"Loaded in 0 ms"},
    {IDC_INFO, L"Parsed by the I/O library."},
};

static const AFX_MENU_ITEM s_menu[] = {
    {MF_POPUP, 0, L"&File"},
    {0, ID_FILE_NEW, L"&New"},
    {MF_END, 0, nullptr},
};
static const AFX_MENU_RESOURCE s_menus[] = {
    {IDR_BARSFRAME, s_menu, AFX_COUNTOF(s_menu)},
    {IDR_BARSTYPE, s_menu, AFX_COUNTOF(s_menu)},
};

static const AFX_ACCEL s_accel[] = {
    {FVIRTKEY, VK_F6, ID_NEXT_PANE},
    {FVIRTKEY | FSHIFT, VK_F6, ID_PREV_PANE},
};
static const AFX_ACCEL_RESOURCE s_accels[] = {{IDR_BARSFRAME, s_accel, AFX_COUNTOF(s_accel)}};

static const AFX_DIALOG_ITEM s_pathBarItems[] = {
    {L"STATIC", L"Current path:", -1, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 4, 2, 47, 8},
    {L"EDIT", L"", IDC_PATH, ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP, WS_EX_TRANSPARENT, 53, 0, 245,
     13},
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
    {IDD_PATHBAR, nullptr, WS_CHILD, 0, 0, 299, 13, L"MS Shell Dlg", 9, s_pathBarItems, AFX_COUNTOF(s_pathBarItems)},
    {IDD_ABOUTBOX, L"About Bars", DS_MODALFRAME | WS_CAPTION | WS_SYSMENU, 0, 0, 199, 83, L"MS Shell Dlg", 9,
     s_aboutItems, AFX_COUNTOF(s_aboutItems)},
};

// Three 16 by 16 images side by side: black, red and white squares on the
// button-face gray, which becomes transparent.
static const std::string& StripXpm()
{
    static const std::string xpm = [] {
        std::string s = "/* XPM */\nstatic const char* strip[] = {\n\"48 16 4 1\",\n\". c #C0C0C0\",\n"
                        "\"k c #000000\",\n\"r c #FF0000\",\n\"w c #FFFFFF\",\n";
        for (int y = 0; y < 16; ++y) {
            s += '"';
            for (int x = 0; x < 48; ++x) {
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
    static const std::string xpm = [] {
        std::string s = "/* XPM */\nstatic const char* icon[] = {\n\"32 32 1 1\",\"b c #0000FF\",\n";
        for (int y = 0; y < 32; ++y)
            s += "\"" + std::string(32, 'b') + (y == 31 ? "\"};\n" : "\",\n");
        return s;
    }();
    return xpm;
}

static const UINT s_toolButtons[] = {ID_FILE_NEW, ID_TOOL_RUN, ID_SEPARATOR, ID_TOOL_NOHANDLER};

static const AFX_RESOURCE_TABLE s_resources = {s_strings, AFX_COUNTOF(s_strings), s_menus, AFX_COUNTOF(s_menus),
                                               s_accels, AFX_COUNTOF(s_accels), nullptr, 0,
                                               s_dialogs, AFX_COUNTOF(s_dialogs)};

void BarsFixture::RegisterResources()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    AfxRegisterResources(&s_resources);
    static const AFX_TOOLBAR_RESOURCE bars[] = {
        {IDR_BARSFRAME, 16, 16, s_toolButtons, AFX_COUNTOF(s_toolButtons),
         reinterpret_cast<const unsigned char*>(StripXpm().data()), StripXpm().size()},
    };
    AfxRegisterToolBarResources(bars, AFX_COUNTOF(bars));
    static const AFX_ICON_RESOURCE icons[] = {
        {IDR_BARSFRAME, reinterpret_cast<const unsigned char*>(IconXpm().data()), IconXpm().size()}};
    static const AFX_RESOURCE_TABLE iconTable = {nullptr, 0, nullptr, 0, nullptr, 0, icons, 1, nullptr, 0};
    AfxRegisterResources(&iconTable);
}

IMPLEMENT_DYNCREATE(CBarsDoc, CDocument)
IMPLEMENT_DYNCREATE(CPaneView, CView)
IMPLEMENT_DYNCREATE(CSplitChildFrame, CMDIChildWnd)

BOOL CSplitChildFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (!m_wndSplitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST))
        return FALSE;
    if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CPaneView), CSize(200, 0), pContext))
        return FALSE;
    return m_wndSplitter.CreateView(0, 1, RUNTIME_CLASS(CPaneView), CSize(0, 0), pContext);
}

IMPLEMENT_DYNCREATE(CBarsMainFrame, CMDIFrameWnd)
BEGIN_MESSAGE_MAP(CBarsMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

static const UINT s_indicators[] = {ID_SEPARATOR, ID_INDICATOR_LOAD, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                    ID_INDICATOR_SCRL};

int CBarsMainFrame::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CMDIFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP) ||
        !m_wndToolBar.LoadToolBar(IDR_BARSFRAME))
        return -1;
    if (!m_wndPathBar.Create(this, IDD_PATHBAR, CBRS_ALIGN_TOP, AFX_IDW_DIALOGBAR))
        return -1;
    if (!m_wndReBar.Create(this) || !m_wndReBar.AddBar(&m_wndToolBar) || !m_wndReBar.AddBar(&m_wndPathBar))
        return -1;
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(s_indicators, AFX_COUNTOF(s_indicators)))
        return -1;
    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY);
    m_wndStatusBar.SetPaneInfo(1, ID_INDICATOR_LOAD, SBPS_NOBORDERS, 120);
    m_wndStatusBar.SetPaneText(1, L"Loaded in 0.0000 s.");
    return 0;
}

BEGIN_MESSAGE_MAP(CBarsApp, CWinApp)
    ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
    ON_COMMAND(ID_TOOL_RUN, &CBarsApp::OnRun)
    ON_UPDATE_COMMAND_UI(ID_TOOL_RUN, &CBarsApp::OnUpdateRun)
END_MESSAGE_MAP()

BOOL CBarsApp::InitInstance()
{
    AddDocTemplate(new CMultiDocTemplate(IDR_BARSTYPE, RUNTIME_CLASS(CBarsDoc), RUNTIME_CLASS(CSplitChildFrame),
                                         RUNTIME_CLASS(CPaneView)));
    auto* pFrame = new CBarsMainFrame;
    if (!pFrame->LoadFrame(IDR_BARSFRAME))
        return FALSE;
    m_pMainWnd = pFrame;
    pFrame->ShowWindow(SW_SHOWNORMAL);
    return TRUE;
}

void CBarsApp::OnRun()
{
    ++g_nRunCount;
}

void CBarsApp::OnUpdateRun(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(g_bRunEnabled);
}

BarsFixture::BarsFixture()
{
    RegisterResources();
    g_bRunEnabled = true;
    g_nRunCount = 0;
    app.InitInstance();
}
