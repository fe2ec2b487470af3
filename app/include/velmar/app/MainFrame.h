#pragma once
// CMainFrame: the main window. A rebar at the top holds the tool bar and the
// path bar (the path of the selected tree item), the document windows fill
// the middle, and the status bar's second pane shows how long the active
// document took to load.
#include "velmar/app/FindBar.h"
#include "velmar/app/FrameHooks.h"
#include "velmar/app/ValidationBar.h"
#include "velmar/framework/framework.h"

class CVelmarDoc;

class CMainFrame : public CMDIFrameWnd,
                   public IPathTextSink,
                   public IFindHost,
                   public IValidationHost
{
    DECLARE_DYNCREATE(CMainFrame)
public:
    // Share of the screen's width and height the window opens with.
    static constexpr double kScreenShare = 0.8;
    // Width of the load-time pane in pixels.
    static constexpr int kLoadTimePaneWidth = 120;
    // Width of the pane that shows the active document's mode.
    static constexpr int kModePaneWidth = 60;

    CMainFrame();
    ~CMainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

    // Shows a load time given in milliseconds in status pane 1.
    void ShowLoadTime(DWORD dwMilliseconds);
    // Shows the mode of the active document (nothing for none) in status pane 2.
    void ShowDocumentMode(const CVelmarDoc* pDoc);
    void SetPathText(LPCWSTR path) override;
    CFindBar* GetFindBar() override { return &m_wndFindBar; }
    CString GetTypedPath() override;
    CValidationBar* GetValidationBar() override { return &m_wndValidationBar; }

    CStatusBar& GetStatusBar() { return m_wndStatusBar; }
    CToolBar& GetToolBar() { return m_wndToolBar; }
    CReBar& GetReBar() { return m_wndReBar; }
    CDialogBar& GetPathBar() { return m_wndPathBar; }
    BOOL IsPathBarShown() const;

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnViewPathbar();
    void OnUpdateViewPathbar(CCmdUI* pCmdUI);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnHelpIndex(); // F1, Shift+F1 and Help > Index: the help pages in the browser
    void OnViewValues();
    void OnUpdateViewValues(CCmdUI* pCmdUI);
    void OnViewStrict(); // the setting for the documents opened or made from now on
    void OnUpdateViewStrict(CCmdUI* pCmdUI);
    void OnGoToPath(); // the focus to the path bar's field, to type a path
    void OnFindClose();

protected:
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CReBar m_wndReBar;
    CDialogBar m_wndPathBar;
    CFindBar m_wndFindBar;
    CValidationBar m_wndValidationBar;

    DECLARE_MESSAGE_MAP()
};
