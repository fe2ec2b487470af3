#include "velmar/win32/Shell.h"

#include "velmar/win32/DesktopApps.h"
#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/Handles.h"
#include "velmar/win32/Launcher.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/UiProvider.h"
#include "velmar/win32/WideText.h"

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

struct ShellRequest
{
    HWND owner = nullptr;
    std::string verb, file, params, directory;
};

// A process started for the caller, named by the handle it gets back.
class LaunchedProcess : public w32::KernelObject
{
public:
    explicit LaunchedProcess(int pid) : pid(pid) {}
    int pid;
};

bool EndsWithNoCase(const std::string& s, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    return s.size() >= n && w32::EqualsNoCase(s.substr(s.size() - n), suffix);
}

// An executable file that is a program (ELF or script), not a document that
// merely carries the execute bit, as files on some mounts do.
bool IsProgramFile(const std::string& path)
{
    if (::access(path.c_str(), X_OK) != 0)
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char magic[4] = {};
    const ssize_t n = ::read(fd, magic, sizeof magic);
    ::close(fd);
    return (n == 4 && std::memcmp(magic,
                                  "\x7f"
                                  "ELF",
                                  4) == 0) ||
           (n >= 2 && magic[0] == '#' && magic[1] == '!');
}

std::string Resolve(const ShellRequest& r)
{
    if (r.file.empty() || r.file[0] == '/' || r.directory.empty())
        return r.file;
    return r.directory + "/" + r.file;
}

// ERROR_PATH_NOT_FOUND when the folder of a path is missing, else FILE_NOT_FOUND.
DWORD MissingError(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return ERROR_FILE_NOT_FOUND;
    struct stat st;
    return ::stat(path.substr(0, slash).c_str(), &st) == 0 ? ERROR_FILE_NOT_FOUND
                                                           : ERROR_PATH_NOT_FOUND;
}

// The program a name stands for ("" when none): an executable path, or a
// name on the PATH (".exe" dropped).
std::string ProgramFor(const ShellRequest& r, DWORD& err)
{
    const std::string path = Resolve(r);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
    {
        err = (S_ISREG(st.st_mode) && IsProgramFile(path)) ? ERROR_SUCCESS : ERROR_NO_ASSOCIATION;
        return err == ERROR_SUCCESS ? path : std::string();
    }
    if (r.file.find('/') == std::string::npos)
    {
        std::string name = r.file;
        std::string found = w32::FindProgram(name);
        if (found.empty() && EndsWithNoCase(name, ".exe"))
            found = w32::FindProgram(name.substr(0, name.size() - 4));
        if (!found.empty())
        {
            err = ERROR_SUCCESS;
            return found;
        }
    }
    err = MissingError(path);
    return std::string();
}

DWORD Execute(const ShellRequest& r, int* pid)
{
    w32::LaunchRequest launch;
    launch.directory = r.directory;
    const std::string verb = r.verb;
    const bool open = verb.empty() || w32::EqualsNoCase(verb, "open");
    if (r.file.empty())
        return ERROR_FILE_NOT_FOUND;

    if (w32::EqualsNoCase(verb, "properties"))
    {
        const std::string path = Resolve(r);
        struct stat st;
        if (::stat(path.c_str(), &st) != 0)
            return MissingError(path);
        w32::IUiProvider* ui = w32::CurrentUiProvider();
        char* absolute = ::realpath(path.c_str(), nullptr);
        const std::string full = absolute ? absolute : path;
        std::free(absolute);
        if (!ui || !ui->ShowFileProperties(r.owner, w32::WideFromUtf8(full)))
            return ERROR_NO_ASSOCIATION;
        return ERROR_SUCCESS;
    }

    if (open && (w32::EqualsNoCase(r.file, "notepad") || w32::EqualsNoCase(r.file, "notepad.exe")))
    {
        // Notepad takes its whole command line as one file name, without
        // the quotes that keep a name with blanks together elsewhere.
        std::string file = r.params;
        if (file.size() >= 2 && file.front() == '"' && file.back() == '"')
            file = file.substr(1, file.size() - 2);
        if (!w32::TextEditorCommand(file, launch.argv))
            return ERROR_FILE_NOT_FOUND;
        return w32::Launch(launch, pid);
    }

    if (open || w32::EqualsNoCase(verb, "runas"))
    {
        if (open && w32::HasUrlScheme(r.file))
        {
            launch.argv = w32::OpenDocumentCommand(r.file);
            return w32::Launch(launch, pid);
        }
        DWORD err = ERROR_SUCCESS;
        const std::string program = ProgramFor(r, err);
        if (err == ERROR_NO_ASSOCIATION && open)
        {
            // A document or folder: its default application.
            launch.argv = w32::OpenDocumentCommand(Resolve(r));
            return w32::Launch(launch, pid);
        }
        if (err != ERROR_SUCCESS)
            return err;
        if (!open)
        {
            char* absolute = ::realpath(program.c_str(), nullptr);
            launch.argv = {"pkexec", absolute ? absolute : program};
            std::free(absolute);
        }
        else
        {
            launch.argv = {program};
        }
        for (const std::string& a : w32::SplitCommandLine(r.params))
            launch.argv.push_back(a);
        return w32::Launch(launch, pid);
    }

    if (w32::EqualsNoCase(verb, "edit"))
    {
        const std::string path = Resolve(r);
        struct stat st;
        if (::stat(path.c_str(), &st) != 0)
            return MissingError(path);
        if (!w32::TextEditorCommand(path, launch.argv))
            return ERROR_NO_ASSOCIATION;
        return w32::Launch(launch, pid);
    }
    return ERROR_NO_ASSOCIATION;
}

INT_PTR ShellCode(DWORD err)
{
    switch (err)
    {
    case ERROR_SUCCESS:
        return 42;
    case ERROR_FILE_NOT_FOUND:
        return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND:
        return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED:
        return SE_ERR_ACCESSDENIED;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return SE_ERR_OOM;
    case ERROR_BAD_FORMAT:
    case ERROR_BAD_EXE_FORMAT:
        return ERROR_BAD_FORMAT;
    case ERROR_SHARING_VIOLATION:
        return SE_ERR_SHARE;
    case ERROR_NO_ASSOCIATION:
        return SE_ERR_NOASSOC;
    default:
        return SE_ERR_ACCESSDENIED;
    }
}

HINSTANCE ToInstance(DWORD err)
{
    if (err != ERROR_SUCCESS)
        SetLastError(err);
    return reinterpret_cast<HINSTANCE>(ShellCode(err));
}

template <typename Info> BOOL ExecuteEx(Info* info, ShellRequest& r, bool converted)
{
    info->hProcess = nullptr;
    r.owner = info->hwnd;
    int pid = 0;
    const DWORD err = converted ? Execute(r, &pid) : ERROR_INVALID_PARAMETER;
    info->hInstApp = reinterpret_cast<HINSTANCE>(ShellCode(err));
    if (err != ERROR_SUCCESS)
    {
        SetLastError(err);
        return FALSE;
    }
    if ((info->fMask & SEE_MASK_NOCLOSEPROCESS) && pid > 0)
        info->hProcess = w32::InsertHandle(std::make_shared<LaunchedProcess>(pid), 0x1FFFFF);
    return TRUE;
}

} // namespace

namespace w32
{

std::vector<std::string> SplitCommandLine(const std::string& text)
{
    std::vector<std::string> args;
    std::string cur;
    bool have = false, quoted = false;
    for (size_t i = 0; i < text.size();)
    {
        const char c = text[i];
        if (c == '\\')
        {
            size_t n = 0;
            while (i < text.size() && text[i] == '\\')
            {
                ++n;
                ++i;
            }
            if (i < text.size() && text[i] == '"')
            {
                cur.append(n / 2, '\\');
                if (n % 2)
                {
                    cur += '"';
                    ++i;
                }
            }
            else
            {
                cur.append(n, '\\');
            }
            have = true;
        }
        else if (c == '"')
        {
            if (quoted && i + 1 < text.size() && text[i + 1] == '"')
            {
                cur += '"';
                i += 2;
            }
            else
            {
                quoted = !quoted;
                ++i;
            }
            have = true;
        }
        else if ((c == ' ' || c == '\t') && !quoted)
        {
            if (have)
                args.push_back(cur);
            cur.clear();
            have = false;
            ++i;
        }
        else
        {
            cur += c;
            have = true;
            ++i;
        }
    }
    if (have)
        args.push_back(cur);
    return args;
}

} // namespace w32

HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT)
{
    ShellRequest r;
    r.owner = hwnd;
    const bool ok = w32::Utf8FromAnsi(lpOperation, r.verb) && w32::Utf8FromAnsi(lpFile, r.file) &&
                    w32::Utf8FromAnsi(lpParameters, r.params) &&
                    w32::Utf8FromAnsi(lpDirectory, r.directory);
    return ToInstance(ok ? Execute(r, nullptr) : ERROR_INVALID_PARAMETER);
}

HINSTANCE WINAPI ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                               LPCWSTR lpDirectory, INT)
{
    ShellRequest r;
    r.owner = hwnd;
    const bool ok = w32::Utf8FromWide(lpOperation, r.verb) && w32::Utf8FromWide(lpFile, r.file) &&
                    w32::Utf8FromWide(lpParameters, r.params) &&
                    w32::Utf8FromWide(lpDirectory, r.directory);
    return ToInstance(ok ? Execute(r, nullptr) : ERROR_INVALID_PARAMETER);
}

BOOL WINAPI ShellExecuteExA(SHELLEXECUTEINFOA* info)
{
    if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOA))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ShellRequest r;
    const bool ok = w32::Utf8FromAnsi(info->lpVerb, r.verb) &&
                    w32::Utf8FromAnsi(info->lpFile, r.file) &&
                    w32::Utf8FromAnsi(info->lpParameters, r.params) &&
                    w32::Utf8FromAnsi(info->lpDirectory, r.directory);
    return ExecuteEx(info, r, ok);
}

BOOL WINAPI ShellExecuteExW(SHELLEXECUTEINFOW* info)
{
    if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOW))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ShellRequest r;
    const bool ok = w32::Utf8FromWide(info->lpVerb, r.verb) &&
                    w32::Utf8FromWide(info->lpFile, r.file) &&
                    w32::Utf8FromWide(info->lpParameters, r.params) &&
                    w32::Utf8FromWide(info->lpDirectory, r.directory);
    return ExecuteEx(info, r, ok);
}

DWORD WINAPI GetProcessId(HANDLE Process)
{
    if (Process == GetCurrentProcess())
        return GetCurrentProcessId();
    const std::shared_ptr<LaunchedProcess> p = w32::LookupHandleAs<LaunchedProcess>(Process);
    return p ? static_cast<DWORD>(p->pid) : 0;
}
