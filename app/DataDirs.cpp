#include "velmar/app/DataDirs.h"

#include "velmar/win32/win32.h"

std::wstring InstalledDataDirectory(const wchar_t* sub)
{
    wchar_t exe[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring path(exe, n < MAX_PATH ? n : 0);
    const size_t slash = path.find_last_of(L'/');
    if (slash == std::wstring::npos)
        return {};
    return path.substr(0, slash) + L"/../share/velmar/" + (sub ? sub : L"");
}

std::vector<std::wstring> TranslationDirectories()
{
    std::vector<std::wstring> dirs;
    if (std::wstring installed = InstalledDataDirectory(L"translations"); !installed.empty())
        dirs.push_back(installed);
#ifdef VELMAR_BUILD_TRANSLATIONS_DIR
    dirs.push_back(L"" VELMAR_BUILD_TRANSLATIONS_DIR);
#endif
    return dirs;
}
