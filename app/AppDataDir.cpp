#include "velmar/app/AppDataDir.h"

#include <string>
#include <vector>

namespace
{

bool IsDirectory(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "<exe dir>/../share/velmar", spelled without the "..".
std::wstring InstalledDataDir()
{
    std::vector<wchar_t> exe(MAX_PATH);
    for (;;)
    {
        const DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        if (n == 0)
            return {};
        if (n < exe.size())
            break;
        if (exe.size() >= 32768)
            return {};
        exe.resize(exe.size() * 2);
    }
    std::wstring path(exe.data());
    for (int i = 0; i < 2; ++i)
    {
        const size_t slash = path.find_last_of(L'/');
        if (slash == std::wstring::npos)
            return {};
        path.resize(slash);
    }
    return path + L"/share/velmar";
}

} // namespace

std::vector<std::wstring> VelmarDataDirs(LPCWSTR lpszSubdir)
{
    std::wstring sub = lpszSubdir ? lpszSubdir : L"";
    if (!sub.empty())
        sub.insert(0, 1, L'/');
    std::vector<std::wstring> dirs;
    if (const std::wstring installed = InstalledDataDir(); !installed.empty())
        dirs.push_back(installed + sub);
    dirs.push_back(std::wstring(VELMAR_BUILD_DATA_DIR) + sub);
    dirs.push_back(std::wstring(VELMAR_SOURCE_DATA_DIR) + sub);
    return dirs;
}

CString VelmarDataDir(LPCWSTR lpszSubdir)
{
    for (const std::wstring& dir : VelmarDataDirs(lpszSubdir))
        if (IsDirectory(dir))
            return CString(dir.c_str());
    SetLastError(ERROR_PATH_NOT_FOUND);
    return CString();
}
