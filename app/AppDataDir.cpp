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

CString VelmarDataDir(LPCWSTR lpszSubdir)
{
    std::wstring sub = lpszSubdir ? lpszSubdir : L"";
    if (!sub.empty())
        sub.insert(0, 1, L'/');
    const std::wstring installed = InstalledDataDir();
    const std::wstring candidates[] = {
        installed.empty() ? std::wstring() : installed + sub,
        std::wstring(VELMAR_BUILD_DATA_DIR) + sub,
        std::wstring(VELMAR_SOURCE_DATA_DIR) + sub,
    };
    for (const std::wstring& dir : candidates)
        if (!dir.empty() && IsDirectory(dir))
            return CString(dir.c_str());
    SetLastError(ERROR_PATH_NOT_FOUND);
    return CString();
}
