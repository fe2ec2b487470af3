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

std::vector<std::wstring> DataDirectories(const wchar_t* sub, const wchar_t* fallback)
{
    std::vector<std::wstring> dirs;
    if (std::wstring installed = InstalledDataDirectory(sub); !installed.empty())
        dirs.push_back(installed);
    if (fallback && *fallback)
        dirs.push_back(fallback);
    return dirs;
}

std::vector<std::wstring> TranslationDirectories()
{
#ifdef VELMAR_BUILD_TRANSLATIONS_DIR
    return DataDirectories(L"translations", L"" VELMAR_BUILD_TRANSLATIONS_DIR);
#else
    return DataDirectories(L"translations", nullptr);
#endif
}
