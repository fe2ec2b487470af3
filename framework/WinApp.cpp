#include "velmar/framework/WinApp.h"

#include "velmar/framework/Translation.h"

#include "velmar/framework/AfxRes.h"
#include "velmar/framework/CmdUI.h"
#include "velmar/framework/CommandLineInfo.h"
#include "velmar/framework/DocTemplate.h"
#include "velmar/framework/Document.h"
#include "velmar/framework/FrameWnd.h"
#include "IdleMonitor.h"
#include "velmar/framework/OleInit.h"
#include "velmar/framework/ProfileStore.h"
#include "velmar/framework/RecentFileList.h"
#include "velmar/framework/QtUiProvider.h"
#include "velmar/framework/View.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cwchar>

void AfxDeleteTemporaryWindows();

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_APP_EXIT, &CWinApp::OnAppExit)
ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, &CWinApp::OnOpenRecentFile)
ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, &CWinApp::OnUpdateRecentFileMenu)
END_MESSAGE_MAP()

static CWinApp* s_pApp = nullptr;

CWinApp* AfxGetApp()
{
    return s_pApp;
}

CWnd* AfxGetMainWnd()
{
    return s_pApp ? s_pApp->m_pMainWnd : nullptr;
}

CWinApp::CWinApp(LPCWSTR lpszAppName)
{
    if (lpszAppName)
    {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName;
    }
    s_pApp = this;
    if (QCoreApplication::instance())
        InitApplication();
}

CWinApp::~CWinApp()
{
    delete m_pRecentFileList;
    for (CDocTemplate* pTemplate : m_templates)
        delete pTemplate;
    if (m_bInstalledUi)
        CQtUiProvider::Uninstall();
    if (s_pApp == this)
        s_pApp = nullptr;
}

BOOL CWinApp::InitApplication()
{
    if (!QCoreApplication::instance())
        return FALSE;
    if (!m_pszAppName)
    {
        // Resolved as late as possible: the program's string table may be registered after
        // construction.
        if (!m_strAppName.LoadString(AFX_IDS_APP_TITLE))
            m_strAppName =
                AfxFromQString(QFileInfo(QCoreApplication::applicationFilePath()).baseName());
        m_pszAppName = m_strAppName;
    }
    m_strExeName = AfxFromQString(QFileInfo(QCoreApplication::applicationFilePath()).baseName());
    m_pszExeName = m_strExeName;
    if (m_commandLine.empty())
    {
        QStringList args = QCoreApplication::arguments();
        for (qsizetype i = 1; i < args.size(); ++i)
            m_commandLine.push_back(args[i].toStdWString());
    }
    if (!m_pIdleMonitor)
        m_pIdleMonitor = std::make_unique<CIdleMonitor>(this);
    // Qt dialogs answer the win32 layer's message boxes and file dialogs unless
    // someone else does. On a platform with no screen anybody sees, a dialog
    // would wait for ever: the layer's own answer (the text on standard error,
    // the default button) is the only one that can come.
    const QString platform = QGuiApplication::platformName();
    const bool bHeadless =
        platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) && !bHeadless &&
        CQtUiProvider::InstallIfNone())
        m_bInstalledUi = TRUE;
    return TRUE;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    SaveStdProfileSettings();
    AfxOleTerm();
    return 0;
}

int CWinApp::Run()
{
    InitApplication();
    if (!m_pMainWnd)
        return ExitInstance();
    // The main window's destruction ends the loop, not Qt's last-window rule.
    if (auto* pGui = qobject_cast<QApplication*>(QCoreApplication::instance()))
        pGui->setQuitOnLastWindowClosed(false);
    m_bRunning = TRUE;
    QCoreApplication::exec();
    m_bRunning = FALSE;
    return ExitInstance();
}

void CWinApp::PostQuitIfRunning()
{
    if (m_bRunning)
        QCoreApplication::quit();
}

BOOL CWinApp::OnIdle(LONG lCount)
{
    if (lCount <= 0)
    {
        CWnd* pMainWnd = m_pMainWnd;
        if (pMainWnd && pMainWnd->m_hWnd && pMainWnd->IsWindowVisible())
        {
            pMainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
            pMainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
        }
        return TRUE; // one more pass for the clean-up below
    }
    AfxDeleteTemporaryWindows();
    return FALSE;
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate)
{
    if (!pTemplate)
        return;
    pTemplate->LoadTemplate();
    m_templates.push_back(pTemplate);
}

int CWinApp::GetOpenDocumentCount() const
{
    int n = 0;
    for (CDocTemplate* pTemplate : m_templates)
        n += (int)pTemplate->GetDocuments().size();
    return n;
}

BOOL CWinApp::SaveAllModified()
{
    for (CDocTemplate* pTemplate : m_templates)
        if (!pTemplate->SaveAllModified())
            return FALSE;
    return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL bEndSession)
{
    for (CDocTemplate* pTemplate : m_templates)
        pTemplate->CloseAllDocuments(bEndSession);
}

CDocument* CWinApp::OpenDocumentFile(LPCWSTR lpszFileName)
{
    if (!lpszFileName || !*lpszFileName)
        return nullptr;
    CString path = AfxFromQString(QFileInfo(AfxToQString(lpszFileName)).absoluteFilePath());
    CDocTemplate* pBestTemplate = nullptr;
    CDocument* pOpenDocument = nullptr;
    CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
    for (CDocTemplate* pTemplate : m_templates)
    {
        CDocument* pMatch = nullptr;
        CDocTemplate::Confidence match = pTemplate->MatchDocType(path, pMatch);
        if (match > bestMatch)
        {
            bestMatch = match;
            pBestTemplate = pTemplate;
        }
        if (match == CDocTemplate::yesAlreadyOpen)
        {
            pOpenDocument = pMatch;
            break;
        }
    }
    if (pOpenDocument)
    {
        // Already open: its window comes to the front instead of a second copy.
        const std::vector<CView*>& views = pOpenDocument->GetViews();
        CFrameWnd* pFrame = views.empty() ? nullptr : views.front()->GetParentFrame();
        if (pFrame)
        {
            pFrame->ActivateFrame();
            CFrameWnd* pAppFrame = DYNAMIC_DOWNCAST(CFrameWnd, m_pMainWnd);
            if (pAppFrame && pAppFrame != pFrame)
                pAppFrame->ActivateFrame();
        }
        AddToRecentFileList(pOpenDocument->GetPathName()); // opened again: the most recent file
        return pOpenDocument;
    }
    if (!pBestTemplate)
    {
        AfxMessageBox(AFX_IDP_FAILED_TO_OPEN_DOC);
        return nullptr;
    }
    return pBestTemplate->OpenDocumentFile(path);
}

void CWinApp::AddToRecentFileList(LPCWSTR lpszPathName)
{
    if (!m_pRecentFileList)
        return;
    m_pRecentFileList->Add(lpszPathName);
    // Written at once: the list survives a program that does not exit cleanly.
    if (m_pProfileStore)
        m_pRecentFileList->WriteList(*m_pProfileStore);
}

BOOL CWinApp::DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags,
                               BOOL bOpenFileDialog, CDocTemplate* pTemplate)
{
    // Filters as the common dialog takes them: description and pattern, each ending in 0, then 0.
    std::wstring filter;
    CString defExt;
    auto addFilter = [&filter, &defExt](CDocTemplate* p)
    {
        CString name, ext;
        if (p->GetDocString(name, CDocTemplate::filterName) && !name.IsEmpty() &&
            p->GetDocString(ext, CDocTemplate::filterExt) && !ext.IsEmpty())
        {
            filter += name.Str() + L'\0' + L'*' + ext.Str() + L'\0';
            if (defExt.IsEmpty())
                defExt = ext.GetAt(0) == L'.' ? ext.Mid(1) : ext;
        }
    };
    if (pTemplate)
        addFilter(pTemplate);
    else
        for (CDocTemplate* p : m_templates)
            addFilter(p);
    CString allFilter;
    allFilter.LoadString(AFX_IDS_ALLFILTER);
    filter += allFilter.Str() + L'\0' + L"*.*" + L'\0' + L'\0';
    CString title;
    title.LoadString(nIDSTitle);

    std::vector<wchar_t> file(4096, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        file.assign(file.size(), L'\0');
        std::wmemcpy(file.data(), fileName.GetString(),
                     std::min<size_t>((size_t)fileName.GetLength(), file.size() - 1));
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
        ofn.lpstrFilter = filter.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = (DWORD)file.size();
        ofn.lpstrTitle = title.IsEmpty() ? nullptr : title.GetString();
        ofn.lpstrDefExt = defExt.IsEmpty() ? nullptr : defExt.GetString();
        ofn.Flags = lFlags | (bOpenFileDialog ? 0 : OFN_OVERWRITEPROMPT);
        BOOL ok = bOpenFileDialog ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
        if (ok)
        {
            fileName = file.data();
            return TRUE;
        }
        // A path longer than the buffer: the first unit holds the size needed.
        if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL || attempt > 0)
            return FALSE;
        file.resize(std::max<size_t>((size_t)(unsigned)file[0] + 1, file.size() * 2));
    }
    return FALSE;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    // On POSIX "/" starts a path, so only "-" (or "--") marks a flag; "--" alone ends the flags.
    bool bFlagsEnded = false;
    for (size_t i = 0; i < m_commandLine.size(); ++i)
    {
        const std::wstring& arg = m_commandLine[i];
        BOOL bLast = i + 1 == m_commandLine.size();
        if (!bFlagsEnded && arg == L"--")
        {
            bFlagsEnded = true;
            if (bLast)
                rCmdInfo.ParseParam(L"", TRUE, TRUE);
            continue;
        }
        if (!bFlagsEnded && arg.size() > 1 && arg[0] == L'-')
        {
            size_t skip = arg.size() > 2 && arg[1] == L'-' ? 2 : 1;
            rCmdInfo.ParseParam(arg.c_str() + skip, TRUE, bLast);
        }
        else
        {
            rCmdInfo.ParseParam(arg.c_str(), FALSE, bLast);
        }
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    switch (rCmdInfo.m_nShellCommand)
    {
    case CCommandLineInfo::FileNew:
        if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, nullptr))
            OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    case CCommandLineInfo::FileNothing:
    case CCommandLineInfo::FileDDE: // no DDE conversation follows here: shell requests come as file
                                    // names
        return TRUE;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        std::fprintf(stderr, "%ls: printing from the command line is not supported\n",
                     m_pszExeName);
        return FALSE;
    case CCommandLineInfo::AppRegister:
    case CCommandLineInfo::AppUnregister:
        // Registration ends the program, as it does on Windows; there are no file types to register
        // here.
        return FALSE;
    }
    return FALSE;
}

void CWinApp::EnableShellOpen()
{
    // Shell open requests reach this program as file names on its command line.
    m_bShellOpen = TRUE;
}

int CWinApp::DoMessageBox(LPCWSTR lpszPrompt, UINT nType, UINT)
{
    if ((nType & MB_ICONMASK) == 0)
    {
        switch (nType & MB_TYPEMASK)
        {
        case MB_OK:
        case MB_OKCANCEL:
            nType |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            nType |= MB_ICONQUESTION;
            break;
        default:
            break;
        }
    }
    HWND hOwner = nullptr;
    if (m_pMainWnd && m_pMainWnd->m_hWnd && m_pMainWnd->IsWindowVisible())
        hOwner = m_pMainWnd->m_hWnd;
    return MessageBoxW(hOwner, AfxTranslate(lpszPrompt), AfxTranslate(m_pszAppName), nType);
}

int AfxMessageBox(LPCWSTR lpszText, UINT nType, UINT nIDHelp)
{
    if (CWinApp* pApp = AfxGetApp())
        return pApp->DoMessageBox(lpszText, nType, nIDHelp);
    return MessageBoxW(nullptr, lpszText, L"", nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    text.LoadString(nIDPrompt); // a missing string shows an empty box
    return AfxMessageBox(text, nType, nIDHelp == (UINT)-1 ? nIDPrompt : nIDHelp);
}

void CWinApp::OnFileNew()
{
    // The first template makes new documents.
    if (!m_templates.empty())
        m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen()
{
    CString newName;
    if (!DoPromptFileName(newName, AFX_IDS_OPENFILE, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, TRUE,
                          nullptr))
        return;
    OpenDocumentFile(newName);
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd)
        m_pMainWnd->SendMessage(WM_CLOSE);
}

BOOL CWinApp::OnOpenRecentFile(UINT nID)
{
    if (!m_pRecentFileList)
        return FALSE;
    int nIndex = (int)(nID - ID_FILE_MRU_FILE1);
    if (nIndex < 0 || nIndex >= m_pRecentFileList->GetSize() ||
        (*m_pRecentFileList)[nIndex].IsEmpty())
        return FALSE;
    CString path = (*m_pRecentFileList)[nIndex];
    // An entry that cannot be opened any more leaves the list.
    if (!OpenDocumentFile(path))
    {
        for (int i = 0; i < m_pRecentFileList->GetSize(); ++i)
            if ((*m_pRecentFileList)[i] == path)
            {
                m_pRecentFileList->Remove(i);
                if (m_pProfileStore)
                    m_pRecentFileList->WriteList(*m_pProfileStore);
                break;
            }
    }
    return TRUE;
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI)
{
    if (!m_pRecentFileList)
    {
        pCmdUI->Enable(FALSE);
        return;
    }
    m_pRecentFileList->UpdateMenu(pCmdUI);
}

int AfxWinMain(int argc, char** argv)
{
    QApplication application(argc, argv);
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
    {
        std::fprintf(stderr, "no application object\n");
        return 1;
    }
    pApp->InitApplication();
    if (!pApp->InitInstance())
    {
        if (pApp->m_pMainWnd)
            pApp->m_pMainWnd->DestroyWindow();
        // A program that could not start has failed, whatever its exit code says.
        const int nExitCode = pApp->ExitInstance();
        return nExitCode != 0 ? nExitCode : 1;
    }
    return pApp->Run();
}
