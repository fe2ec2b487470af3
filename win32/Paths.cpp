#include "Paths.h"

#include "velmar/win32/CodePages.h"
#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"
#include "SysCalls.h"

#include <cerrno>
#include <cwchar>
#include <sys/stat.h>
#include <vector>

namespace w32
{

namespace
{

bool CheckName(const void* name, bool empty)
{
    if (!name)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (empty)
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    return true;
}

bool Utf8FromWide(LPCWSTR name, size_t len, std::string& path)
{
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name, static_cast<int>(len),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0)
    {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    path.assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name, static_cast<int>(len), path.data(), n,
                        nullptr, nullptr);
    return true;
}

} // namespace

bool PathFromWide(LPCWSTR name, std::string& path)
{
    if (!CheckName(name, name && !*name))
        return false;
    return Utf8FromWide(name, std::wcslen(name), path);
}

bool PathFromAnsi(LPCSTR name, std::string& path)
{
    if (!CheckName(name, name && !*name))
        return false;
    if (GetACP() == CP_UTF8)
    {
        path = name;
        return true;
    }
    const int n = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    if (n <= 0)
    {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    std::vector<wchar_t> wide(static_cast<size_t>(n));
    MultiByteToWideChar(CP_ACP, 0, name, -1, wide.data(), n);
    return Utf8FromWide(wide.data(), static_cast<size_t>(n - 1), path);
}

DWORD SetLastErrorForPath(int err, const std::string& path)
{
    if (err == ENOENT)
    {
        const size_t slash = path.find_last_of('/');
        if (slash != std::string::npos && slash > 0)
        {
            struct stat st;
            const std::string folder = path.substr(0, slash);
            if (sys::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            {
                SetLastError(ERROR_PATH_NOT_FOUND);
                return ERROR_PATH_NOT_FOUND;
            }
        }
    }
    return SetLastErrorFromErrno(err);
}

} // namespace w32
