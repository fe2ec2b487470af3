#include "velmar/platform/WinAction.h"

#include "velmar/platform/LastErrorText.h"
#include "velmar/platform/Privileges.h"
#include "velmar/platform/ShellRun.h"
#include "velmar/win32/win32.h"

namespace nkPlatform
{

std::uint64_t CWinAction::GetTimeStamp()
{
    LARGE_INTEGER counter;
    if (!QueryPerformanceCounter(&counter))
        return 0;
    return static_cast<std::uint64_t>(counter.QuadPart);
}

bool CWinAction::ShellOpen(const wchar_t* file, const wchar_t* params)
{
    return ShellRun(nullptr, file, params);
}

bool CWinAction::ShellOpen(const char* file, const char* params)
{
    nkMem::CStringT<wchar_t> wideFile;
    nkMem::CStringT<wchar_t> wideParams;
    if (file)
        wideFile.Assign(file);
    if (params)
        wideParams.Assign(params);
    return ShellRun(nullptr, file ? wideFile.GetSafeString() : nullptr,
                    params ? wideParams.GetString() : nullptr);
}

unsigned CWinAction::MessageStyle(int buttons, int icon)
{
    unsigned style = 0;
    switch (icon)
    {
    case kIconInformation:
        style = MB_ICONINFORMATION;
        break;
    case kIconError:
        style = MB_ICONERROR;
        break;
    case kIconQuestion:
        style = MB_ICONQUESTION;
        break;
    default:
        break;
    }
    switch (buttons)
    {
    case kButtonsOkCancel:
        return style | MB_OKCANCEL;
    case kButtonsRetryCancel:
        return style | MB_RETRYCANCEL;
    case kButtonsYesNo:
        return style | MB_YESNO;
    case kButtonsYesNoCancel:
        return style | MB_YESNOCANCEL;
    default:
        return style | MB_OK;
    }
}

int CWinAction::MessageAnswer(int result)
{
    switch (result)
    {
    case IDOK:
        return kAnswerOk;
    case IDCANCEL:
        return kAnswerCancel;
    case IDRETRY:
        return kAnswerRetry;
    case IDYES:
        return kAnswerYes;
    case IDNO:
        return kAnswerNo;
    default:
        return kAnswerNone;
    }
}

int CWinAction::ShowMessage(const wchar_t* caption, const wchar_t* text, int buttons, int icon)
{
    return MessageAnswer(MessageBoxW(nullptr, text, caption, MessageStyle(buttons, icon)));
}

int CWinAction::ShowMessage(const char* caption, const char* text, int buttons, int icon)
{
    return MessageAnswer(MessageBoxA(nullptr, text, caption, MessageStyle(buttons, icon)));
}

bool CWinAction::Shutdown(std::uint32_t flags)
{
    const std::uint32_t code = ShutdownCode(flags);
    EnablePrivilege(SE_SHUTDOWN_NAME, version);
    const bool ok = ExitWindowsEx(code, 0) != FALSE;
    const DWORD error = GetLastError();
    const bool restored = DisablePrivilege(SE_SHUTDOWN_NAME, version);
    if (!ok)
    {
        SetLastError(error);
        return false;
    }
    return restored;
}

nkMem::CStringT<char>& CWinAction::GetLastErrorText(nkMem::CStringT<char>& out)
{
    return nkPlatform::GetLastErrorText(out);
}

nkMem::CStringT<wchar_t>& CWinAction::GetLastErrorText(nkMem::CStringT<wchar_t>& out)
{
    return nkPlatform::GetLastErrorText(out);
}

} // namespace nkPlatform
