#pragma once
// CWinApp: the application object. Start-up (InitInstance), the event loop
// (Run) with idle-time command updates, the document templates, the standard
// File commands, the recent-file list, the command line and message boxes.
#include "velmar/framework/CmdTarget.h"
#include "velmar/framework/AfxString.h"

#include <memory>
#include <string>
#include <vector>

class CCommandLineInfo;
class CDocTemplate;
class CDocument;
class CRecentFileList;
class CWnd;
class CIdleMonitor;
class CProfileStore;

class CWinApp : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinApp)
public:
    // With a null name the application title comes from string AFX_IDS_APP_TITLE.
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    LPCWSTR m_pszAppName = nullptr;     // the application's name (message box captions)
    LPCWSTR m_pszExeName = nullptr;     // the program file's name without directory
    LPCWSTR m_pszRegistryKey = nullptr; // company key of the settings, null before SetRegistryKey
    LPCWSTR m_pszProfileName = nullptr; // the settings' application key
    CWnd* m_pMainWnd = nullptr;
    int m_nCmdShow = 10; // SW_SHOWDEFAULT
    CRecentFileList* m_pRecentFileList = nullptr;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();                // the Qt event loop; returns ExitInstance's result
    virtual BOOL OnIdle(LONG lCount); // TRUE asks for another pass before waiting

    // Finishes the set-up that needs the Qt application: names, command line,
    // idle processing. AfxWinMain calls it; tests call it after making their app.
    BOOL InitApplication();

    // Documents.
    void AddDocTemplate(CDocTemplate* pTemplate); // owned by the application
    const std::vector<CDocTemplate*>& GetDocTemplates() const { return m_templates; }
    virtual CDocument* OpenDocumentFile(LPCWSTR lpszFileName); // an open file activates its window
    virtual void AddToRecentFileList(LPCWSTR lpszPathName);
    virtual BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags,
                                  BOOL bOpenFileDialog, CDocTemplate* pTemplate);
    BOOL SaveAllModified();
    void CloseAllDocuments(BOOL bEndSession);
    int GetOpenDocumentCount() const;

    // Command line (the arguments after the program name).
    void SetCommandLine(const std::vector<std::wstring>& args) { m_commandLine = args; }
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    void EnableShellOpen();
    BOOL IsShellOpenEnabled() const { return m_bShellOpen; }

    virtual int DoMessageBox(LPCWSTR lpszPrompt, UINT nType, UINT nIDPrompt);

    // Settings, under HKEY_CURRENT_USER\Software\<company>\<application> once
    // SetRegistryKey named the company; before that reads give the default and writes fail.
    void SetRegistryKey(LPCWSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey); // the company name from the string table
    UINT GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault);
    CString GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault = nullptr);
    BOOL WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue);
    BOOL WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue);
    // The recent-file list of nMaxMRU entries ("Recent File List", "File1".."Filen") and
    // "Settings"\"PreviewPages".
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    void SaveStdProfileSettings();
    int m_nNumPreviewPages = 0;

    // Standard commands.
    void OnFileNew();
    void OnFileOpen();
    void OnAppExit();
    // Shows the application's HTML Help; with no help viewer for it the user is told so.
    virtual void HtmlHelp(DWORD_PTR dwData, UINT nCmd = 0x000F);
    BOOL OnOpenRecentFile(UINT nID);
    void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);

    void PostQuitIfRunning(); // ends Run when the main window is gone

protected:
    // A settings store found damaged is moved aside and the user told.
    void SetDamagedSettingsAside();
    std::vector<CDocTemplate*> m_templates;
    std::vector<std::wstring> m_commandLine;
    CString m_strAppName;
    CString m_strExeName;
    BOOL m_bRunning = FALSE;
    BOOL m_bShellOpen = FALSE;
    BOOL m_bInstalledUi = FALSE;
    std::unique_ptr<CIdleMonitor> m_pIdleMonitor;
    std::unique_ptr<CProfileStore> m_pProfileStore;
    CString m_strRegistryKey;
    CString m_strProfileName;

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
int AfxMessageBox(LPCWSTR lpszText, UINT nType = 0, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = 0,
                  UINT nIDHelp = (UINT)-1); // text from the string table
// Runs a program: makes the Qt application, then InitInstance and Run of the
// application object. A failed InitInstance ends it with a non-zero status.
int AfxWinMain(int argc, char** argv);
