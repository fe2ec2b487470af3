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
HANDLE CreateNewFile(const wchar_t* path)
{
    return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}
HANDLE CreateNewFile(const char* path)
{
    return CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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
bool ReplaceWith(const wchar_t* target, const wchar_t* temp)
{
    return ReplaceFileW(target, temp, nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr) !=
           FALSE;
}
bool ReplaceWith(const char* target, const char* temp)
{
    return ReplaceFileA(target, temp, nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr) !=
           FALSE;
}
bool MoveOnto(const wchar_t* target, const wchar_t* temp)
{
    return MoveFileExW(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
bool MoveOnto(const char* target, const char* temp)
{
    return MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

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

// Creates a new, empty file in `folder` (empty: the current one, else ending
// in a separator) that no one else has; its name in `temp`. The name starts
// with a dot, so that one a crash left behind does not look like a document.
template <class C> bool CreateTempIn(const std::basic_string<C>& folder, std::basic_string<C>& temp)
{
    for (int attempt = 0; attempt < 64; ++attempt)
    {
        char name[64];
        std::snprintf(name, sizeof name, ".~velmar-%lx-%lx-%x.tmp",
                      static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(GetTickCount()), ++g_tempCount);
        temp = folder;
        temp.append(name, name + std::strlen(name));
        HANDLE h = CreateNewFile(temp.c_str());
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
    std::basic_string<C> temp;
    if (!CreateTempIn(std::basic_string<C>(target, FolderLength(target)), temp))
    {
        const DWORD error = GetLastError();
        if (!Exists(target))
            return Failed(AtomicStep::CreateTemp, error);
        if (WriteInPlace(target, write))
            return {};
        // Not even opened: the folder's refusal is the story.
        const DWORD inPlace = GetLastError();
        return inPlace == ERROR_ACCESS_DENIED || inPlace == ERROR_SHARING_VIOLATION
                   ? Failed(AtomicStep::CreateTemp, error)
                   : Failed(AtomicStep::Write, inPlace);
    }

    DWORD error = ERROR_SUCCESS;
    bool written = false;
    {
        CFileStream stream(temp.c_str(), kModeWrite, false);
        if (stream.IsOpen())
        {
            // A writer that gives up without a system error is reported with error 0.
            SetLastError(ERROR_SUCCESS);
            written = write(&stream) && stream.Flush();
        }
        if (!written)
            error = GetLastError();
    }
    if (!written)
    {
        Delete(temp.c_str());
        return Failed(AtomicStep::Write, error);
    }
    // An existing target is replaced and keeps its permissions and attributes;
    // one made after this check is replaced by the rename all the same.
    const bool placed =
        Exists(target) ? ReplaceWith(target, temp.c_str()) : MoveOnto(target, temp.c_str());
    if (!placed)
    {
        error = GetLastError();
        Delete(temp.c_str());
        return Failed(AtomicStep::Replace, error);
    }
    return {};
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
