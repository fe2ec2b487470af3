#pragma once
// A small MDI application of the tests' own, on the framework, with a
// scripted user in place of the dialogs.
#include "framework/framework.h"
#include "tests/support/GuiTestSupport.h"

#include <string>
#include <vector>

#define IDR_MAINFRAME 128
#define IDR_XMLTYPE 129
#define ID_TEST_ROUTE 32800
#define ID_TEST_NOHANDLER 32801
#define ID_TEST_APPONLY 32802
#define ID_TEST_UPDATE 32803
#define ID_TEST_TOOL 32804

// Which routing levels saw a command, in order.
std::vector<std::string>& RouteLog();
// WM_MDIACTIVATE as the child frames saw it: "+XML1" activated, "-XML2" deactivated.
std::vector<std::string>& ActivationLog();
extern bool g_bToolEnabled;   // what the update handler of ID_TEST_TOOL answers

class CTestDoc : public CDocument
{
    DECLARE_DYNCREATE(CTestDoc)
public:
    CString m_content;              // what Serialize writes and reads
    bool m_bWriteNothing = false;   // serialize nothing, as a document with its own writer does
    bool m_bOwnWriteFails = false;  // its own write after the framework's fails
    void Serialize(CArchive& ar) override;
    BOOL OnSaveDocument(LPCWSTR lpszPathName) override;
    BOOL OnRoute(UINT nID);
    void OnUpdateTest(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};

class CTestView : public CView
{
    DECLARE_DYNCREATE(CTestView)
public:
    int m_nUpdates = 0;
    LPARAM m_lLastHint = 0;
    void OnDraw(CDC*) override {}
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    BOOL OnRoute(UINT nID);
    DECLARE_MESSAGE_MAP()
};

class CTestChildFrame : public CMDIChildWnd
{
    DECLARE_DYNCREATE(CTestChildFrame)
public:
    void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd);
    BOOL OnRoute(UINT nID);
    DECLARE_MESSAGE_MAP()
};

class CTestTemplate : public CMultiDocTemplate
{
    DECLARE_DYNAMIC(CTestTemplate)
public:
    using CMultiDocTemplate::CMultiDocTemplate;
    BOOL OnRoute(UINT nID);
    DECLARE_MESSAGE_MAP()
};

// Pane 0 of a status bar: the frame's message line.
class CTestStatusBar : public CControlBar
{
    DECLARE_DYNAMIC(CTestStatusBar)
public:
    CString m_strPane0;
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
    LRESULT OnSetText(WPARAM, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};

// A one-button bar whose state comes from the update handlers at idle time.
class CTestToolBar : public CControlBar
{
    DECLARE_DYNAMIC(CTestToolBar)
public:
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
};

class CTestMainFrame : public CMDIFrameWnd
{
    DECLARE_DYNCREATE(CTestMainFrame)
public:
    CTestStatusBar m_wndStatusBar;
    CTestToolBar m_wndToolBar;
    int OnCreate(LPCREATESTRUCT lpcs);
    BOOL OnRoute(UINT nID);
    DECLARE_MESSAGE_MAP()
};

class CTestApp : public CWinApp
{
public:
    CTestApp() : CWinApp(L"TestApp") {}
    BOOL InitInstance() override;
    BOOL OnRoute(UINT nID);
    void OnUpdateTool(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};

// One test's world: a temporary folder, the scripted user and a running test application.
class AppFixture : public GuiFixture
{
public:
    AppFixture();
    ~AppFixture();
    CTestApp app;
    CTestMainFrame* Main() const { return static_cast<CTestMainFrame*>(app.m_pMainWnd); }
    CDocument* NewDocument() { return NewDocumentOf(app); }
    static void Spin(int ms = 30) { SpinEvents(ms); }   // the event loop goes idle in between
};
