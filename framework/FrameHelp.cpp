// The help commands of frames and the application's help entry.
#include "velmar/framework/AfxRes.h"
#include "velmar/framework/FrameWnd.h"
#include "velmar/framework/WinApp.h"

void CWinApp::HtmlHelp(DWORD_PTR, UINT)
{
    // Programs ship their help as compiled HTML Help, which nothing here can
    // show; saying so beats a key that silently does nothing.
    AfxMessageBox(AFX_IDP_FAILED_TO_LAUNCH_HELP, MB_OK | MB_ICONEXCLAMATION);
}

void CFrameWnd::OnHelp()
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->HtmlHelp(0);
}

void CFrameWnd::OnHelpFinder()
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->HtmlHelp(0);
}

void CFrameWnd::OnContextHelp()
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->HtmlHelp(0);
}
