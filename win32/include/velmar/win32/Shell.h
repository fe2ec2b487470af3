#pragma once
// Shell execution: ShellExecuteA/W and ShellExecuteExA/W. Every process goes
// through the launcher (win32/Launcher.h).
//
// Verbs:
//   "open" or none  a program (an executable file, or a name on the PATH) is
//                   run with the parameters split as Windows splits a command
//                   line; "notepad" is the desktop's plain-text editor and
//                   takes the whole parameter string as one file name, as
//                   Notepad does (one pair of enclosing quotes dropped); a document, folder or
//                   address is opened with the desktop's default application (xdg-open).
//   "edit"          a document in the desktop's plain-text editor.
//   "runas"         a program run with elevation through polkit (pkexec).
//   "properties"    the file's property sheet, shown by the UI provider
//                   (win32/UiProvider.h); without one, ERROR_NO_ASSOCIATION.
// Other verbs fail with ERROR_NO_ASSOCIATION. Results are Windows': a value
// above 32 on success, else an SE_ERR_ code, with the last error set.
// SEE_MASK_NOCLOSEPROCESS returns a process handle (see GetProcessId) when a
// process was started; the caller closes it. Environment substitution
// (SEE_MASK_DOENVSUBST) and class keys are not supported and are ignored.

#include "velmar/win32/Types.h"

#include <string>
#include <vector>

// ShowWindow commands, shared with the framework.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_SHARE 26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_DDETIMEOUT 28
#define SE_ERR_DDEFAIL 29
#define SE_ERR_DDEBUSY 30
#define SE_ERR_NOASSOC 31
#define SE_ERR_DLLNOTFOUND 32

#define SEE_MASK_DEFAULT 0x00000000u
#define SEE_MASK_CLASSNAME 0x00000001u
#define SEE_MASK_CLASSKEY 0x00000003u
#define SEE_MASK_IDLIST 0x00000004u
#define SEE_MASK_INVOKEIDLIST 0x0000000Cu
#define SEE_MASK_HOTKEY 0x00000020u
#define SEE_MASK_NOCLOSEPROCESS 0x00000040u
#define SEE_MASK_CONNECTNETDRV 0x00000080u
#define SEE_MASK_NOASYNC 0x00000100u
#define SEE_MASK_FLAG_DDEWAIT 0x00000100u
#define SEE_MASK_DOENVSUBST 0x00000200u
#define SEE_MASK_FLAG_NO_UI 0x00000400u
#define SEE_MASK_UNICODE 0x00004000u
#define SEE_MASK_NO_CONSOLE 0x00008000u
#define SEE_MASK_NOZONECHECKS 0x00800000u
#define SEE_MASK_WAITFORINPUTIDLE 0x02000000u

typedef struct HKEY__* HKEY;

typedef struct _SHELLEXECUTEINFOA
{
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCSTR lpVerb;
    LPCSTR lpFile;
    LPCSTR lpParameters;
    LPCSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    LPCSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    union
    {
        HANDLE hIcon;
        HANDLE hMonitor;
    };
    HANDLE hProcess;
} SHELLEXECUTEINFOA, *LPSHELLEXECUTEINFOA;

typedef struct _SHELLEXECUTEINFOW
{
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    union
    {
        HANDLE hIcon;
        HANDLE hMonitor;
    };
    HANDLE hProcess;
} SHELLEXECUTEINFOW, *LPSHELLEXECUTEINFOW;

HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd);
HINSTANCE WINAPI ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                               LPCWSTR lpDirectory, INT nShowCmd);
// cbSize must be the structure's size (ERROR_INVALID_PARAMETER otherwise).
BOOL WINAPI ShellExecuteExA(SHELLEXECUTEINFOA* pExecInfo);
BOOL WINAPI ShellExecuteExW(SHELLEXECUTEINFOW* pExecInfo);

// The process id behind a handle from SEE_MASK_NOCLOSEPROCESS (0 for others).
DWORD WINAPI GetProcessId(HANDLE Process);

namespace w32
{

// A parameter string split into arguments by the Windows command-line rules
// (quotes group, backslashes escape only before a quote, "" in quotes is one quote).
std::vector<std::string> SplitCommandLine(const std::string& text);

} // namespace w32
