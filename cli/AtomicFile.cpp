#include "AtomicFile.h"

#include "Output.h"
#include "velmar/win32/win32.h"

#include <cstdio>

namespace vxml
{
namespace
{

#ifdef _WIN32
const char kSeparators[] = "/\\";
#else
const char kSeparators[] = "/";
#endif

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of(kSeparators);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "" : path.substr(0, slash);
}

// Creates a new, empty, hidden file in `folder` that no one else has.
bool CreateTemp(const std::string& folder, std::string& temp)
{
    static unsigned s_counter = 0;
    for (int attempt = 0; attempt < 64; ++attempt)
    {
        char name[80];
        std::snprintf(name, sizeof name, "/.~velmar-xml-%lx-%x-%x.tmp",
                      static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned>(timeGetTime()), ++s_counter);
        temp = folder + name;
        HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
        {
            CloseHandle(h);
            return true;
        }
        const DWORD err = GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

// Removes the temporary file, keeping the last error of the failure.
void Discard(const std::string& temp)
{
    const DWORD err = GetLastError();
    DeleteFileA(temp.c_str());
    SetLastError(err);
}

} // namespace

bool WriteAtomically(const char* target, const std::function<bool(Orvex::IStream*)>& write,
                     std::string& error)
{
    const std::string quoted = std::string("'") + target + "'";
    // A hidden name, so that a file left by a crash does not look like a document.
    std::string temp;
    if (!CreateTemp(FolderOf(target), temp))
    {
        error =
            "cannot create a temporary file beside " + quoted + ": " + SystemText(GetLastError());
        return false;
    }
    bool ok;
    DWORD err = 0;
    {
        Orvex::CFileStream stream(temp.c_str(), Orvex::kModeWrite, true);
        ok = stream.IsOpen();
        if (ok && !write(&stream))
        {
            ok = false;
            err = GetLastError();
        }
        if (ok && !stream.Flush())
        {
            ok = false;
            err = GetLastError();
        }
        if (!ok && err == 0)
            err = GetLastError();
        stream.Close();
    }
    if (!ok)
    {
        SetLastError(err);
        Discard(temp);
        error =
            "cannot write " + quoted + ": " +
            (err != 0 ? SystemText(err) : std::string("the data could not be written completely."));
        return false;
    }
    // An existing target is replaced and keeps its permissions; a new one is
    // created by the rename, which refuses to overwrite one made meanwhile.
    const bool exists = GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES;
    ok = exists ? ReplaceFileA(target, temp.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH, nullptr,
                               nullptr) != FALSE
                : MoveFileExA(temp.c_str(), target, MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!ok)
    {
        Discard(temp);
        error = "cannot replace " + quoted + ": " + SystemText(GetLastError());
        return false;
    }
    return true;
}

} // namespace vxml
