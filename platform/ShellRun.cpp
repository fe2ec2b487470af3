#include "velmar/platform/ShellRun.h"

#include "velmar/foundation/String.h"

#if defined(_WIN32)
#include <shellapi.h>
#define NK_SHELL_EXECUTION 1
#elif __has_include("velmar/win32/Shell.h")
#include "velmar/win32/Shell.h"
#define NK_SHELL_EXECUTION 1
#else
#define NK_SHELL_EXECUTION 0
#endif

namespace nkPlatform
{

bool HaveShellExecution()
{
    return NK_SHELL_EXECUTION != 0;
}

#if NK_SHELL_EXECUTION

bool ShellRun(const wchar_t* verb, const wchar_t* file, const wchar_t* params)
{
    if (!file)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    HINSTANCE result = ShellExecuteW(nullptr, verb, file, params, nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool RunElevated(const wchar_t* file, const wchar_t* params, const wchar_t* directory)
{
    if (!file)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.lpVerb = L"runas";
    info.lpFile = file;
    info.lpParameters = params;
    info.lpDirectory = directory;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
}

#else

bool ShellRun(const wchar_t*, const wchar_t*, const wchar_t*)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
}

bool RunElevated(const wchar_t*, const wchar_t*, const wchar_t*)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
}

#endif

bool RunElevated(const char* file, const char* params, const char* directory)
{
    nkMem::CStringT<wchar_t> f, p, d;
    f.Assign(file);
    p.Assign(params);
    d.Assign(directory);
    auto pick = [](const char* src, const nkMem::CStringT<wchar_t>& s) -> const wchar_t*
    { return src ? s.GetSafeString() : nullptr; };
    return RunElevated(pick(file, f), pick(params, p), pick(directory, d));
}

} // namespace nkPlatform
