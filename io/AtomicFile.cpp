#include "velmar/io/AtomicFile.h"

#include "velmar/io/FileStream.h"
#include "velmar/win32/win32.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

namespace Orvex
{
namespace
{

// The system calls in the width of the caller's names.
HANDLE CreateNewFile(const wchar_t* path, DWORD access, DWORD share, DWORD attributes)
{
    return CreateFileW(path, access, share, nullptr, CREATE_NEW, attributes, nullptr);
}
HANDLE CreateNewFile(const char* path, DWORD access, DWORD share, DWORD attributes)
{
    return CreateFileA(path, access, share, nullptr, CREATE_NEW, attributes, nullptr);
}
HANDLE OpenFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    return CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}
HANDLE OpenFile(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    return CreateFileA(path, access, share, nullptr, disposition, flags, nullptr);
}
bool Exists(const wchar_t* path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}
bool Exists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}
void Delete(const wchar_t* path)
{
    DeleteFileW(path);
}
void Delete(const char* path)
{
    DeleteFileA(path);
}
bool ReplaceWith(const wchar_t* target, const wchar_t* temp, DWORD flags)
{
    return ReplaceFileW(target, temp, nullptr, REPLACEFILE_WRITE_THROUGH | flags, nullptr,
                        nullptr) != FALSE;
}
bool ReplaceWith(const char* target, const char* temp, DWORD flags)
{
    return ReplaceFileA(target, temp, nullptr, REPLACEFILE_WRITE_THROUGH | flags, nullptr,
                        nullptr) != FALSE;
}
bool MoveOnto(const wchar_t* target, const wchar_t* temp)
{
    return MoveFileExW(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
bool MoveOnto(const char* target, const char* temp)
{
    return MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
bool FinalPath(HANDLE h, std::wstring& path)
{
    wchar_t buffer[4096];
    const DWORD n = GetFinalPathNameByHandleW(h, buffer, 4096, 0);
    if (n == 0 || n >= 4096)
        return false;
    path.assign(buffer, n);
    return true;
}
bool FinalPath(HANDLE h, std::string& path)
{
    char buffer[4096];
    const DWORD n = GetFinalPathNameByHandleA(h, buffer, 4096, 0);
    if (n == 0 || n >= 4096)
        return false;
    path.assign(buffer, n);
    return true;
}
HANDLE FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW& data)
{
    return FindFirstFileW(pattern, &data);
}
HANDLE FindFirst(const char* pattern, WIN32_FIND_DATAA& data)
{
    return FindFirstFileA(pattern, &data);
}
bool FindNext(HANDLE h, WIN32_FIND_DATAW& data)
{
    return FindNextFileW(h, &data) != FALSE;
}
bool FindNext(HANDLE h, WIN32_FIND_DATAA& data)
{
    return FindNextFileA(h, &data) != FALSE;
}
template <class C> struct FindData;
template <> struct FindData<wchar_t>
{
    using Type = WIN32_FIND_DATAW;
};
template <> struct FindData<char>
{
    using Type = WIN32_FIND_DATAA;
};

// Closes a handle when it goes out of scope.
class HandleCloser
{
public:
    explicit HandleCloser(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~HandleCloser() { Close(); }
    HandleCloser(const HandleCloser&) = delete;
    HandleCloser& operator=(const HandleCloser&) = delete;
    void Reset(HANDLE h)
    {
        Close();
        m_h = h;
    }
    void Close()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Temporary files of this helper are named ".~velmar-<process>-<tick>-<n>.tmp".
constexpr char kTempPrefix[] = ".~velmar-";
constexpr char kTempSuffix[] = ".tmp";

template <class C> bool IsSeparator(C c)
{
#ifdef _WIN32
    return c == C('/') || c == C('\\');
#else
    return c == C('/');
#endif
}

// The length of the folder part of `path`, up to and with its last separator.
size_t FolderLength(const wchar_t* path)
{
    size_t end = 0;
    for (size_t i = 0; path[i] != 0; ++i)
        if (IsSeparator(path[i]))
            end = i + 1;
    return end;
}
size_t FolderLength(const char* path)
{
    size_t end = 0;
    for (size_t i = 0; path[i] != 0; ++i)
    {
#ifdef _WIN32
        // In a double-byte page the second byte of a character may be a backslash.
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && path[i + 1] != 0)
        {
            ++i;
            continue;
        }
#endif
        if (IsSeparator(path[i]))
            end = i + 1;
    }
    return end;
}

std::atomic<unsigned> g_tempCount{0};

template <class C> std::basic_string<C> Widen(const char* text)
{
    return std::basic_string<C>(text, text + std::strlen(text));
}

// Creates a new, empty file in `folder` (empty: the current one, else ending
// in a separator) that no one else has; its name in `temp`, and `guard` a
// handle on it that reads, which marks it as in use until it is closed (see
// RemoveLeftTemps). A private file is its creator's alone until it takes the
// target's place and permissions. The name starts with a dot, so that one a
// crash left behind does not look like a document.
template <class C>
bool CreateTempIn(const std::basic_string<C>& folder, bool isPrivate, std::basic_string<C>& temp,
                  HandleCloser& guard)
{
    for (int attempt = 0; attempt < 64; ++attempt)
    {
        char name[64];
        std::snprintf(name, sizeof name, "%s%lx-%lx-%x%s", kTempPrefix,
                      static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(GetTickCount()), ++g_tempCount, kTempSuffix);
        temp = folder + Widen<C>(name);
        HANDLE h = CreateNewFile(temp.c_str(), GENERIC_READ, kShareAll,
                                 isPrivate ? FILE_ATTRIBUTE_TEMPORARY : FILE_ATTRIBUTE_NORMAL);
        if (h != INVALID_HANDLE_VALUE)
        {
            guard.Reset(h);
            return true;
        }
        const DWORD err = GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

// Removes the temporary files that saves into `folder` left when they were
// killed. A save holds its file open for reading until the file has taken
// the target's place; an open that refuses to share reading fails on such a
// file and succeeds on one whose writer is gone.
template <class C> void RemoveLeftTemps(const std::basic_string<C>& folder)
{
    constexpr int kMostPerSave = 1000; // the rest waits for the next save
    typename FindData<C>::Type data{};
    const std::basic_string<C> pattern =
        folder + Widen<C>(kTempPrefix) + Widen<C>("*") + Widen<C>(kTempSuffix);
    const HANDLE find = FindFirst(pattern.c_str(), data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    int seen = 0;
    do
    {
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::basic_string<C> left = folder + data.cFileName;
        const HANDLE h = OpenFile(left.c_str(), GENERIC_READ, FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        CloseHandle(h);
        Delete(left.c_str());
    } while (++seen < kMostPerSave && FindNext(find, data));
    FindClose(find);
}

// The file a save writes: the target with its links followed (the link stays
// and the temporary file goes beside the file, on its file system), whether
// it exists, and how many names it has.
template <class C> struct Destination
{
    std::basic_string<C> path;
    bool exists = false;
    bool isFolder = false;
    DWORD links = 0;
    bool madeThroughLink = false; // a link to nothing, whose file this save made
};

template <class C> bool IsLinkToNothing(const C* target)
{
    typename FindData<C>::Type data{};
    const HANDLE find = FindFirst(target, data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    FindClose(find);
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// False, with the last error, only when a link to nothing cannot have its
// file made; anything else unknown leaves the target as given.
template <class C> bool Resolve(const C* target, Destination<C>& d)
{
    d.path = target;
    HandleCloser h(OpenFile(target, 0, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    if (h.Get() == INVALID_HANDLE_VALUE)
    {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND || !IsLinkToNothing(target))
        {
            d.exists =
                error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && Exists(target);
            return true;
        }
        h.Reset(OpenFile(target, GENERIC_WRITE, kShareAll, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL));
        if (h.Get() == INVALID_HANDLE_VALUE)
            return false;
        d.madeThroughLink = true;
    }
    d.exists = true;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(h.Get(), &info))
    {
        d.links = info.nNumberOfLinks;
        d.isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    std::basic_string<C> final;
    if (FinalPath(h.Get(), final))
        d.path = final;
    return true;
}

AtomicWriteResult Failed(AtomicStep step, DWORD error)
{
    SetLastError(error);
    return {step, error};
}

// Writes `target` in place, for a folder that takes no temporary file: its
// old bytes are kept in memory and written back when the new ones cannot all
// be written. False, with the last error of the failure, when the target
// cannot be read or opened for writing, or the write failed.
template <class C> bool WriteInPlace(const C* target, const AtomicWriter& write)
{
    std::vector<char> old;
    {
        CFileStream in(target, kModeRead, false);
        if (!in.IsOpen())
            return false;
        char chunk[1 << 16];
        SetLastError(ERROR_SUCCESS);
        for (uint32_t got = 0; (got = in.Read(chunk, sizeof chunk)) > 0;)
            old.insert(old.end(), chunk, chunk + got);
        if (GetLastError() != ERROR_SUCCESS) // the end of the file sets none
            return false;
    }
    CFileStream out(target, kModeWrite, false);
    if (!out.IsOpen())
        return false;
    SetLastError(ERROR_SUCCESS);
    if (out.Truncate() && write(&out) && out.Flush())
        return true;
    const DWORD error = GetLastError();
    // Best effort: what the old bytes could not be put back over is lost either way.
    if (out.Seek(0, FILE_BEGIN) && out.Truncate())
        for (size_t at = 0; at < old.size();)
        {
            const uint32_t n = static_cast<uint32_t>(std::min<size_t>(old.size() - at, 1u << 30));
            const uint32_t put = out.Write(old.data() + at, n);
            if (put == 0)
                break;
            at += put;
        }
    out.Flush();
    SetLastError(error);
    return false;
}

template <class C> AtomicWriteResult WriteAtomically(const C* target, const AtomicWriter& write)
{
    if (target == nullptr || target[0] == 0)
        return Failed(AtomicStep::CreateTemp, ERROR_PATH_NOT_FOUND);
    Destination<C> d;
    if (!Resolve(target, d))
        return Failed(AtomicStep::CreateTemp, GetLastError());
    const C* path = d.path.c_str();
    // A file this save made through a link to nothing goes again if the save fails.
    const auto failed = [&](AtomicStep step, DWORD error)
    {
        if (d.madeThroughLink)
            Delete(path);
        return Failed(step, error);
    };

    // A file with several names is one file: replacing it under one name
    // would part it from the others, so it is rewritten where it is.
    if (d.exists && !d.isFolder && d.links > 1)
    {
        if (WriteInPlace(path, write))
            return {};
        return failed(AtomicStep::Write, GetLastError());
    }

    const std::basic_string<C> folder(path, FolderLength(path));
    RemoveLeftTemps(folder);
    std::basic_string<C> temp;
    HandleCloser guard;
    if (!CreateTempIn(folder, d.exists, temp, guard))
    {
        const DWORD error = GetLastError();
        if (!d.exists)
            return failed(AtomicStep::CreateTemp, error);
        if (WriteInPlace(path, write))
            return {};
        // Not even opened: the folder's refusal is the story.
        const DWORD inPlace = GetLastError();
        return inPlace == ERROR_ACCESS_DENIED || inPlace == ERROR_SHARING_VIOLATION
                   ? failed(AtomicStep::CreateTemp, error)
                   : failed(AtomicStep::Write, inPlace);
    }

    DWORD error = ERROR_SUCCESS;
    bool written = false;
    {
        CFileStream stream(temp.c_str(), kModeWrite | kModeShareRead | kModeShareDelete, false);
        if (stream.IsOpen())
        {
            // A writer that gives up without a system error is reported with error 0.
            SetLastError(ERROR_SUCCESS);
            written = write(&stream) && stream.Flush();
        }
        if (!written)
            error = GetLastError();
    }
#ifdef _WIN32
    // Windows' replace opens the file itself, sharing nothing.
    guard.Close();
#endif
    if (!written)
    {
        guard.Close();
        Delete(temp.c_str());
        return failed(AtomicStep::Write, error);
    }
    // An existing target is replaced and keeps its owner, permissions and
    // attributes, the owner as far as this process may give it; one made
    // after this check is replaced by the rename all the same.
    AtomicWriteResult result;
    bool placed = false;
    if (Exists(path))
    {
        placed = ReplaceWith(path, temp.c_str(), 0);
        if (!placed && GetLastError() == ERROR_INVALID_OWNER)
        {
            placed = ReplaceWith(path, temp.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS);
            result.ownerKept = !placed;
        }
    }
    else
    {
        placed = MoveOnto(path, temp.c_str());
    }
    if (!placed)
    {
        error = GetLastError();
        guard.Close();
        Delete(temp.c_str());
        return failed(AtomicStep::Replace, error);
    }
    return result;
}

} // namespace

AtomicWriteResult WriteFileAtomically(const wchar_t* target, const AtomicWriter& write)
{
    return WriteAtomically(target, write);
}

AtomicWriteResult WriteFileAtomically(const char* target, const AtomicWriter& write)
{
    return WriteAtomically(target, write);
}

} // namespace Orvex
