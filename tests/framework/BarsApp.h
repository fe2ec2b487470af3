#pragma once
// A second small MDI application for the bar, splitter and dialog tests: a
// main frame with a tool bar and a path bar in a rebar and a status bar, and
// document windows split into two panes.
#include "framework/framework.h"
#include "tests/support/GuiTestSupport.h"

#define IDR_BARSFRAME 300
#define IDR_BARSTYPE 301
#define IDD_PATHBAR 302
#define IDD_ABOUTBOX 303
#define IDC_PATH 1003
#define IDC_INFO 1004
#define IDC_BUILD 1005
#define ID_INDICATOR_LOAD 130
#define ID_TOOL_RUN 33001
#define ID_TOOL_NOHANDLER 33002

extern bool g_bRunEnabled;   // what the update handler of ID_TOOL_RUN answers
extern int g_nRunCount;      // how often ID_TOOL_RUN ran

class CBarsDoc : public CDocument
{
    DECLARE_DYNCREATE(CBarsDoc)
};

class CPaneView : public CView
{
    DECLARE_DYNCREATE(CPaneView)
public:
    void OnDraw(CDC*) override {}
};

class CSplitChildFrame : public CMDIChildWnd
{
    DECLARE_DYNCREATE(CSplitChildFrame)
public:
    CSplitterWnd m_wndSplitter;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
};

class CBarsMainFrame : public CMDIFrameWnd
{
    DECLARE_DYNCREATE(CBarsMainFrame)
public:
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CReBar m_wndReBar;
    CDialogBar m_wndPathBar;
    int OnCreate(LPCREATESTRUCT lpcs);
    DECLARE_MESSAGE_MAP()
};

class CBarsApp : public CWinApp
{
public:
    CBarsApp() : CWinApp(L"BarsApp") {}
    BOOL InitInstance() override;
    void OnRun();
    void OnUpdateRun(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};

class BarsFixture : public GuiFixture
{
public:
    BarsFixture();
    ~BarsFixture() { CloseApplication(app); }
    CBarsApp app;
    CBarsMainFrame* Main() const { return static_cast<CBarsMainFrame*>(app.m_pMainWnd); }
    CDocument* NewDocument() { return NewDocumentOf(app); }
    static void Spin(int ms = 30) { SpinEvents(ms); }
    static void RegisterResources();
};
