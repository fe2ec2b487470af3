#pragma once
// CFrameWnd: a frame window (a QMainWindow) with a menu bar built from a menu
// resource, accelerators, a client area holding its views, a message line in
// the status bar, command routing to the active view, and title updates from
// the active document.
#include "velmar/framework/AfxRes.h"
#include "velmar/framework/Wnd.h"

class CControlBar;
class CDocument;
class CView;
class QMenu;

class CFrameWnd : public CWnd
{
    DECLARE_DYNCREATE(CFrameWnd)
public:
    static const CRect rectDefault; // lets Qt and the framework choose position and size

    CFrameWnd();
    ~CFrameWnd() override;

    BOOL m_bAutoMenuEnable = TRUE;  // menu items with no handler anywhere are disabled
    CString m_strTitle;             // the application part of the caption
    int m_nWindow = -1;             // number of this window on its document (0: the only one)
    HMENU m_hMenuDefault = nullptr; // the menu shown when no document is active
    HACCEL m_hAccelTable = nullptr;

    // Creates the window from resource nIDResource: title (first field of the
    // string), menu, icon and accelerators of that id.
    virtual BOOL LoadFrame(UINT nIDResource,
                           DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, UINT nIDMenu = 0,
                DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);

    // Views and documents.
    virtual CView* GetActiveView() const;
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    virtual CFrameWnd* GetActiveFrame();
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    virtual void ActivateFrame(int nCmdShow = -1);

    // Layout and bars.
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
    CControlBar* GetControlBar(UINT nID);

    // Title.
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    void UpdateFrameTitleForDocument(LPCWSTR lpszDocName);
    void SetTitle(LPCWSTR lpszTitle) { m_strTitle = lpszTitle; }
    CString GetTitle() const { return m_strTitle; }
    void DelayUpdateFrameTitle() { m_nIdleFlags |= idleTitle; }

    // Message line (pane 0 of the status bar).
    virtual void GetMessageString(UINT nID, CString& rMessage) const;
    void SetMessageText(LPCWSTR lpszText);
    void SetMessageText(UINT nID);
    virtual CWnd* GetMessageBar();

    // Menu bar.
    void SetMenu(HMENU hMenu); // shows hMenu in the menu bar (null: none)
    HMENU GetMenu() const { return m_hMenuShown; }
    virtual void OnUpdateFrameMenu(HMENU hMenuAlt);
    BOOL LoadAccelTable(UINT nIDResource);

    // Menu events from the menus this frame owns.
    virtual void OnInitMenuPopup(QMenu* pPopupMenu);
    void OnMenuSelect(UINT nItemID);
    void OnMenuClosed();

    // Command routing: the active view (and its document), this frame, the application.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    // The first two steps only, used when a parent frame routes through this one.
    BOOL OnCmdMsgViewAndSelf(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // Handlers.
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnClose();
    void OnDropFiles(HDROP hDropInfo);
    LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    BOOL OnBarCheck(UINT nID);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;
    QWidget* GetChildParentWidget() const override;
    // The widget the frame's control bars sit in, around its client window.
    QWidget* GetBarHost() const { return m_pBarHost; }

    // Status-bar indicators: shown while the key's lock is on, as far as the system tells.
    void OnUpdateKeyIndicator(CCmdUI* pCmdUI);

    // Help commands (F1, Shift+F1, Help > Index): handed to the application's HtmlHelp.
    void OnHelp();
    void OnHelpFinder();
    void OnContextHelp();

protected:
    enum IdleFlags
    {
        idleMenu = 1,
        idleTitle = 2,
        idleLayout = 8
    };
    UINT m_nIdleFlags = 0;
    UINT m_nIDLastMessage = 0;
    CView* m_pViewActive = nullptr;
    HMENU m_hMenuShown = nullptr;
    QWidget* m_pClientArea = nullptr;
    QWidget* m_pBarHost = nullptr;

    BOOL OnCreateHelper(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    void PostNcDestroy() override;
    void InstallAccelerators(HACCEL hAccel);
    friend class CView;

    DECLARE_MESSAGE_MAP()
};
