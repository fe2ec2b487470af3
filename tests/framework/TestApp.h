#pragma once
// A small MDI application of the tests' own, on the framework: a main frame
// with a tool bar and a status bar, document windows split into two views,
// every routing level logging the test command it sees, and a scripted user
// in place of the dialogs.
#include "velmar/framework/framework.h"
#include "support/GuiTestSupport.h"

#include <string>
#include <vector>

class QAction;
class QMenu;

#define IDR_MAINFRAME 128
#define IDR_XMLTYPE 129
#define IDI_TESTICON 300
#define IDD_ABOUTBOX 303
#define IDC_INFO 1004
#define IDC_BUILD 1005
#define ID_TEST_ROUTE 32800
#define ID_TEST_NOHANDLER 32801
#define ID_TEST_APPONLY 32802
#define ID_TEST_UPDATE 32803
#define ID_TOOL_RUN 33001

namespace testsupport
{

// Which routing levels saw a command, in order.
inline std::vector<std::string> g_routeLog;
// WM_MDIACTIVATE as the child frames saw it: "+XML1" activated, "-XML2" deactivated.
inline std::vector<std::string> g_activationLog;
inline bool g_bRunEnabled = true; // what the update handler of ID_TOOL_RUN answers
inline int g_nRunCount = 0;       // how often ID_TOOL_RUN ran

// Logs that `level` saw the command and lets it go on.
inline BOOL LogRoute(const char* level)
{
    g_routeLog.push_back(level);
    return FALSE;
}

class CTestDoc : public CDocument
{
    DECLARE_DYNCREATE(CTestDoc)
public:
    CString m_content;             // what Serialize writes and reads
    bool m_bWriteNothing = false;  // serialize nothing, as a document with its own writer does
    bool m_bOwnWriteFails = false; // its own write after the framework's fails
    void Serialize(CArchive& ar) override;
    BOOL OnSaveDocument(LPCWSTR lpszPathName) override;
    BOOL OnRoute(UINT) { return LogRoute("document"); }
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
    void OnUpdate(CView*, LPARAM lHint, CObject*) override
    {
        ++m_nUpdates;
        m_lLastHint = lHint;
    }
    BOOL OnRoute(UINT) { return LogRoute("view"); }
    DECLARE_MESSAGE_MAP()
};

// Split into two views side by side; the first is the active one.
class CTestChildFrame : public CMDIChildWnd
{
    DECLARE_DYNCREATE(CTestChildFrame)
public:
    CSplitterWnd m_wndSplitter;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd);
    BOOL OnRoute(UINT) { return LogRoute("child frame"); }
    DECLARE_MESSAGE_MAP()
};

class CTestTemplate : public CMultiDocTemplate
{
    DECLARE_DYNAMIC(CTestTemplate)
public:
    using CMultiDocTemplate::CMultiDocTemplate;
    BOOL OnRoute(UINT) { return LogRoute("template"); }
    DECLARE_MESSAGE_MAP()
};

class CTestMainFrame : public CMDIFrameWnd
{
    DECLARE_DYNCREATE(CTestMainFrame)
public:
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;
    int OnCreate(LPCREATESTRUCT lpcs);
    BOOL OnRoute(UINT) { return LogRoute("main frame"); }
    DECLARE_MESSAGE_MAP()
};

class CTestApp : public CWinApp
{
public:
    CTestApp() : CWinApp(L"TestApp") {}
    BOOL InitInstance() override;
    BOOL OnRoute(UINT nID);
    void OnRun() { ++g_nRunCount; }
    void OnUpdateRun(CCmdUI* pCmdUI) { pCmdUI->Enable(g_bRunEnabled); }
    DECLARE_MESSAGE_MAP()
};

// One test's world: a temporary folder, the scripted user and a running test application.
class AppFixture : public GuiFixture
{
public:
    AppFixture();
    ~AppFixture() { CloseApplication(app); }
    CTestApp app;
    CTestMainFrame* Main() const { return static_cast<CTestMainFrame*>(app.m_pMainWnd); }
    CDocument* NewDocument() { return NewDocumentOf(app); }
    static void Spin(int ms = 30) { SpinEvents(ms); } // the event loop goes idle in between
};

// The pop-up of pFrame's menu bar with this title, or null.
QMenu* MenuPopup(CFrameWnd* pFrame, const char* title);
// The visible item of pMenu for command nID, or null.
QAction* MenuAction(QMenu* pMenu, UINT nID);
// Opens pMenu as the user would, which runs the update handlers of its items.
void OpenPopup(QMenu* pMenu);

} // namespace testsupport
