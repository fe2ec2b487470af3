#pragma once
// CMDIChildWnd: the window of one document inside the MDI frame (a
// QMdiSubWindow). Its caption is the document's title, with ":n" when several
// windows show the same document; activating it puts its document's menu in
// the main window's menu bar.
#include "velmar/framework/FrameWnd.h"

class CMDIFrameWnd;

class CMDIChildWnd : public CFrameWnd
{
    DECLARE_DYNCREATE(CMDIChildWnd)
public:
    HMENU m_hMenuShared = nullptr; // the document template's menu (not owned)
    HACCEL m_hAccelShared = nullptr;

    BOOL LoadFrame(UINT nIDResource,
                   DWORD dwDefaultStyle = WS_CHILD | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName,
                DWORD dwStyle = WS_CHILD | WS_OVERLAPPEDWINDOW, const RECT& rect = rectDefault,
                CMDIFrameWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);

    CMDIFrameWnd* GetMDIFrame() const;
    void MDIActivate();
    void MDIMaximize();
    void MDIRestore();
    void MDIDestroy() { DestroyWindow(); }

    void ActivateFrame(int nCmdShow = -1) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    using CFrameWnd::OnUpdateFrameMenu;
    virtual void OnUpdateFrameMenu(BOOL bActivate, CWnd* pActivateWnd, HMENU hMenuAlt);
    CWnd* GetMessageBar() override;

    void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd);
    void OnDestroy();
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;

protected:
    DECLARE_MESSAGE_MAP()
};
