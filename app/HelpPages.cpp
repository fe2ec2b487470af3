#include "velmar/app/HelpPages.h"

#include "velmar/app/ShellActions.h"
#include "velmar/framework/framework.h"
#include "velmar/win32/win32.h"

std::vector<std::wstring> HelpDirectories()
{
    std::vector<std::wstring> dirs;
    wchar_t exe[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n < MAX_PATH ? n : 0);
    if (const size_t slash = path.find_last_of(L'/'); slash != std::wstring::npos)
        dirs.push_back(path.substr(0, slash) + L"/../share/velmar/help");
#ifdef VELMAR_SOURCE_HELP_DIR
    dirs.push_back(L"" VELMAR_SOURCE_HELP_DIR);
#endif
    return dirs;
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
    std::wstring text;
    if (dir.empty())
        text = L"The help pages were not found. They are installed in " +
               (dirs.empty() ? std::wstring(L"share/velmar/help") : dirs.front()) +
               L"; open index.html there in a web browser.";
    else if (PreviewInBrowser((dir + L"/index.html").c_str()))
        return true;
    else
        text = L"No web browser could be started to show the help. The help pages are in " + dir +
               L"; open index.html there in a web browser.";
    if (pOwner)
        pOwner->MessageBox(text.c_str(), nullptr, MB_OK | MB_ICONINFORMATION);
    else
        AfxMessageBox(text.c_str(), MB_OK | MB_ICONINFORMATION);
    return false;
}
