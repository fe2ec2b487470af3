#pragma once
// CWnd: a window of the framework over a QWidget. Messages are sent to it by
// number and dispatched through its message map; the Qt events the program
// relies on arrive as the corresponding window messages.
#include "velmar/framework/AfxString.h"
#include "velmar/framework/CmdTarget.h"

#include <QMetaObject>

// Sent after ModifyStyle or ModifyStyleEx changed the bits, so a window can apply them.
#define WM_STYLECHANGED 0x007D
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
struct STYLESTRUCT
{
    DWORD styleOld;
    DWORD styleNew;
};

class CDocument;
class CDocTemplate;
class CFrameWnd;
class CView;
class QWidget;

// What the framework passes through window creation to build a frame's views.
struct CCreateContext
{
    CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};

class CWnd : public CCmdTarget
{
    DECLARE_DYNCREATE(CWnd)
public:
    HWND m_hWnd = nullptr;

    CWnd();
    ~CWnd() override;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }
    QWidget* GetWidget() const;         // the Qt widget, or null before creation
    static CWnd* FromHandle(HWND hWnd); // permanent or temporary object; null for no window
    static CWnd*
    FromHandlePermanent(HWND hWnd); // only windows created or attached by the framework
    static HWND HandleOf(const QWidget* pWidget)
    {
        return reinterpret_cast<HWND>(const_cast<QWidget*>(pWidget));
    }
    BOOL Attach(HWND hWndNew); // wraps an existing widget; FALSE if already wrapped
    HWND Detach();

    // Creation and destruction.
    virtual BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                        const RECT& rect, CWnd* pParentWnd, UINT nID,
                        CCreateContext* pContext = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                  int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                  LPVOID lpParam = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    virtual BOOL DestroyWindow(); // WM_DESTROY top-down, then PostNcDestroy bottom-up
    virtual void
    PostNcDestroy(); // after the window is gone; frames and views delete themselves here

    // Messages.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0,
                     LPARAM lParam = 0); // queued; dropped if the window dies first
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                                  BOOL bDeep = TRUE);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(); // default handling of the current message
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A control's notification offered back to the control first (reflection).
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // Window state.
    void SetWindowText(LPCWSTR lpszString);
    CString GetWindowText() const;
    void GetWindowText(CString& rString) const { rString = GetWindowText(); }
    int GetWindowTextLength() const { return GetWindowText().GetLength(); }
    BOOL ShowWindow(int nCmdShow); // previous visibility
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL bEnable = TRUE); // TRUE if it was disabled
    BOOL IsWindowEnabled() const;
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    void GetWindowRect(LPRECT lpRect) const; // screen coordinates
    void GetClientRect(LPRECT lpRect) const;
    void UpdateWindow();
    void Invalidate(BOOL bErase = TRUE);
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    DWORD GetStyle() const;
    DWORD GetExStyle() const { return m_dwExStyle; }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    void DragAcceptFiles(BOOL bAccept = TRUE); // files dropped arrive as WM_DROPFILES

    // Relations.
    CWnd* GetParent() const;
    CWnd* GetTopLevelParent() const;
    CFrameWnd* GetParentFrame() const;
    CFrameWnd* GetTopLevelFrame() const;
    BOOL IsChild(const CWnd* pWnd) const;
    int GetDlgCtrlID() const { return (int)m_nID; }
    int SetDlgCtrlID(int nID);
    CWnd* GetDlgItem(int nID) const;                     // a direct child by id
    void SetDlgItemText(int nID, LPCWSTR lpszString);    // nothing when there is no such child
    int GetDlgItemText(int nID, CString& rString) const; // the length; 0 and empty when not found
    CWnd* GetDescendantWindow(int nID, BOOL bOnlyPerm = FALSE) const; // any descendant by id
    CWnd* SetFocus();
    static CWnd* GetFocus();
    static CWnd* GetActiveWindow();
    CWnd* SetActiveWindow();

    int MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption = nullptr, UINT nType = MB_OK);

    // Handlers of standard messages; each does the default processing.
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    void OnClose();
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnContextMenu(CWnd* pWnd, CPoint pos);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd);
    void OnDropFiles(HDROP hDropInfo);
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);

    // The Qt widget a window of this class is made of; the default is a plain QWidget.
    virtual QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget);
    // The widget that child windows are placed in (a frame's client area).
    virtual QWidget* GetChildParentWidget() const;

protected:
    virtual void OnNcDestroy();

    DWORD m_dwStyle = 0;
    DWORD m_dwExStyle = 0;
    UINT m_nID = 0;
    BOOL m_bTemporary = FALSE;
    BOOL m_bDestroying = FALSE; // inside DestroyWindow of this window or an ancestor
    QMetaObject::Connection m_destroyedConnection;

    void AttachWidget(QWidget* pWidget);
    void DetachWidget();
    friend class CWndEventBridge;

    DECLARE_MESSAGE_MAP()
};

// The active top-level window of the application (any window, also a message box).
HWND GetActiveWindow();
// Screen metrics: SM_CXSCREEN and SM_CYSCREEN of the primary screen; 0 for others.
int GetSystemMetrics(int nIndex);
