#include "velmar/app/VelmarApp.h"

#include "velmar/app/AboutDlg.h"
#include "velmar/app/AppDataDir.h"
#include "velmar/app/ChildFrame.h"
#include "velmar/app/MainFrame.h"
#include "velmar/app/Resource.h"
#include "velmar/app/RunningInstance.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/VelmarResources.h"
#include "velmar/app/XMLTreeView.h"

BEGIN_MESSAGE_MAP(CVelmarApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, &CVelmarApp::OnAppAbout)
ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
ON_COMMAND(ID_FILE_OPEN, &CWinApp::OnFileOpen)
END_MESSAGE_MAP()

namespace
{

// The framework may read the title from the string table while the base is
// being made, so the tables go in before that.
LPCWSTR RegisterResourcesFirst()
{
    VelmarRegisterResources();
    return nullptr;
}

} // namespace

// No name of its own: the framework takes the title from the string table.
// Help is the framework's HTML Help.
CVelmarApp::CVelmarApp() : CWinApp(RegisterResourcesFirst()) {}

BOOL CVelmarApp::InitInstance()
{
    CVelmarCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    // Handed to the editor already running: with no main window the
    // framework ends this start at once, successfully.
    m_pInstance = std::make_unique<CSingleInstance>(L"velmar");
    if (VelmarHandOffToRunning(*m_pInstance, cmdInfo))
        return TRUE;

    VelmarRegisterResources();
    // Before anything shows a text: the interface in the user's language.
    AfxLoadTranslation(L"velmar", VelmarDataDirs(L"translations"));
    InitCommonControls();
    OleInitialize(nullptr);
    CWinApp::InitInstance();
    if (!AfxOleInit())
    {
        AfxMessageBox(IDP_OLE_INIT_FAILED, MB_OK);
        return FALSE;
    }
    AfxEnableControlContainer();
    SetRegistryKey(kRegistryKey);
    LoadStdProfileSettings(kRecentFiles);

    auto* pDocTemplate =
        new CMultiDocTemplate(IDR_XMLTYPE, RUNTIME_CLASS(CVelmarDoc), RUNTIME_CLASS(CChildFrame),
                              RUNTIME_CLASS(CXMLTreeView));
    AddDocTemplate(pDocTemplate);

    // A frame that fails to create has already deleted itself.
    auto* pMainFrame = new CMainFrame;
    if (!pMainFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE))
        return FALSE;
    m_pMainWnd = pMainFrame;
    pMainFrame->DragAcceptFiles();
    EnableShellOpen();

    // Without a file name the program starts with no document at all.
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileNew)
        cmdInfo.m_nShellCommand = CCommandLineInfo::FileNothing;
    if (!ProcessShellCommand(cmdInfo))
        return FALSE;
    // The framework opens the first file; the others open as a running
    // editor would open them.
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen)
        for (size_t i = 1; i < cmdInfo.m_files.size(); ++i)
            OpenDocumentFile(cmdInfo.m_files[i].c_str());
    // Without the channel (another program holds it) this one is simply not
    // reachable from later starts.
    m_pInstance->Listen();

    pMainFrame->ShowWindow(m_nCmdShow);
    pMainFrame->UpdateWindow();
    return TRUE;
}

int CVelmarApp::ExitInstance()
{
    m_pInstance.reset();
    OleUninitialize();
    return CWinApp::ExitInstance();
}

void CVelmarApp::OnAppAbout()
{
    CAboutDlg aboutDlg;
    aboutDlg.DoModal();
}
