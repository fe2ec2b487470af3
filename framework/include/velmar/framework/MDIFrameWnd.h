#pragma once
// CMDIFrameWnd: the main window of a multiple-document application. Its client
// area is a QMdiArea holding one CMDIChildWnd per document window; commands
// go to the active child first; the menu bar shows the active document's menu.
#include "velmar/framework/FrameWnd.h"

#include <vector>

class CMDIChildWnd;
class QMdiArea;
class QMdiSubWindow;

#define MDITILE_VERTICAL 0x0000
#define MDITILE_HORIZONTAL 0x0001

class CMDIFrameWnd : public CFrameWnd
{
    DECLARE_DYNCREATE(CMDIFrameWnd)
public:
    HWND m_hWndMDIClient = nullptr;

    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    BOOL CreateClient(LPCREATESTRUCT lpCreateStruct);
    QMdiArea* GetMDIArea() const { return m_pMdiArea; }

    CMDIChildWnd* MDIGetActive(BOOL* pbMaximized = nullptr) const;
    void MDIActivate(CWnd* pWndActivate);
    void MDICascade();
    void MDITile(int nType = MDITILE_HORIZONTAL);
    void MDIIconArrange();
    void MDIMaximize(CWnd* pWnd);
    void MDIRestore(CWnd* pWnd);
    void MDINext();
    std::vector<CMDIChildWnd*> GetMDIChildren() const; // in creation order

    CFrameWnd* GetActiveFrame() override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    void OnInitMenuPopup(QMenu* pPopupMenu) override;

    void OnWindowNew();
    BOOL OnMDIWindowCmd(UINT nID);
    void OnUpdateMDIWindowCmd(CCmdUI* pCmdUI);
    BOOL OnActivateWindowFromList(UINT nID);

    // Activation bookkeeping, called by the MDI area and by a closing child.
    void OnSubWindowActivated(QMdiSubWindow* pSub);
    void OnChildDestroying(CMDIChildWnd* pChild);

protected:
    QMdiArea* m_pMdiArea = nullptr;
    CMDIChildWnd* m_pActiveChild = nullptr;
    BOOL m_bInActivation = FALSE;

    void SwitchActiveChild(CMDIChildWnd* pNew);

    DECLARE_MESSAGE_MAP()
};
