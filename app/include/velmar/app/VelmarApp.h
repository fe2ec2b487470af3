#pragma once
// CVelmarApp: the application object. Start-up registers the XML document
// template (document, child frame, tree view), makes the main frame and
// opens the files named on the command line, if any; an empty command line
// opens no document. While it runs, later starts hand their files to it.
#include "velmar/framework/framework.h"

#include <memory>

class CVelmarApp : public CWinApp
{
public:
    // Company part of the settings key.
    static constexpr const wchar_t* kRegistryKey = L"Brandvik Corp.";
    // Entries of the File menu's recent-file list.
    static constexpr UINT kRecentFiles = 5;

    CVelmarApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    void OnAppAbout();

protected:
    std::unique_ptr<CSingleInstance> m_pInstance;

    DECLARE_MESSAGE_MAP()
};
