#include "velmar/app/HelpPages.h"

#include "velmar/app/AppDataDir.h"
#include "velmar/app/ShellActions.h"
#include "velmar/framework/framework.h"
#include "velmar/win32/win32.h"

std::vector<std::wstring> HelpDirectories()
{
    return VelmarDataDirs(L"help");
}

std::wstring FindHelpDirectory(const std::vector<std::wstring>& dirs)
{
    for (const std::wstring& dir : dirs)
        if (FileExists((dir + L"/index.html").c_str()))
            return dir;
    return {};
}

bool ShowHelpIndex(CWnd* pOwner)
{
    const std::vector<std::wstring> dirs = HelpDirectories();
    const std::wstring dir = FindHelpDirectory(dirs);
    CString text;
    if (dir.empty())
    {
        text = AfxTranslate(L"The help pages were not found. They are installed in %1; open "
                            L"index.html there in a web browser.");
        text.Replace(L"%1", dirs.empty() ? L"share/velmar/help" : dirs.front().c_str());
    }
    else if (PreviewInBrowser((dir + L"/index.html").c_str()))
        return true;
    else
    {
        text = AfxTranslate(L"No web browser could be started to show the help. The help pages "
                            L"are in %1; open index.html there in a web browser.");
        text.Replace(L"%1", dir.c_str());
    }
    if (pOwner)
        pOwner->MessageBox(text, nullptr, MB_OK | MB_ICONINFORMATION);
    else
        AfxMessageBox(text, MB_OK | MB_ICONINFORMATION);
    return false;
}
