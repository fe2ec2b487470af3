#include "velmar/io/FilePaths.h"

#include "velmar/io/OpenMode.h"

namespace Orvex
{

namespace
{

HANDLE OpenByName(const char* path, DWORD access, DWORD flags)
{
    return CreateFileA(path, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr);
}

HANDLE OpenByName(const wchar_t* path, DWORD access, DWORD flags)
{
    return CreateFileW(path, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr);
}

bool IsValid(HANDLE h)
{
    return h != nullptr && h != INVALID_HANDLE_VALUE;
}

// Closes the handle, keeping the last error of the call that decided.
bool CloseWith(HANDLE h, bool result)
{
    const DWORD err = GetLastError();
    CloseHandle(h);
    SetLastError(err);
    return result;
}

template <class C>
bool GetTimes(const C* path, DWORD flags, CDateTime* created, CDateTime* written,
              CDateTime* accessed)
{
    if (path == nullptr || (created == nullptr && written == nullptr && accessed == nullptr))
        return false;
    HANDLE h = OpenByName(path, GENERIC_READ, flags);
    if (!IsValid(h))
        return false;
    FILETIME c{}, a{}, w{};
    if (!GetFileTime(h, &c, &a, &w))
        return CloseWith(h, false);
    bool ok = true;
    if (created != nullptr)
        ok &= created->FromFileTime(c);
    if (written != nullptr)
        ok &= written->FromFileTime(w);
    if (accessed != nullptr)
        ok &= accessed->FromFileTime(a);
    return CloseWith(h, ok);
}

template <class C>
bool SetTimes(const C* path, DWORD access, DWORD flags, const CDateTime* created,
              const CDateTime* written, const CDateTime* accessed)
{
    if (path == nullptr || (created == nullptr && written == nullptr && accessed == nullptr))
        return false;
    FILETIME c{}, a{}, w{};
    if ((created != nullptr && !created->ToFileTime(&c)) ||
        (written != nullptr && !written->ToFileTime(&w)) ||
        (accessed != nullptr && !accessed->ToFileTime(&a)))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    HANDLE h = OpenByName(path, access, flags);
    if (!IsValid(h))
        return false;
    const bool ok = SetFileTime(h, created ? &c : nullptr, accessed ? &a : nullptr,
                                written ? &w : nullptr) == TRUE;
    return CloseWith(h, ok);
}

// A folder opens for writing only with backup semantics, which the folder
// calls give.
constexpr DWORD kFolderWrite = GENERIC_WRITE;

} // namespace

bool GetFileTimes(const char* path, CDateTime* created, CDateTime* written, CDateTime* accessed)
{
    return GetTimes(path, FILE_ATTRIBUTE_NORMAL, created, written, accessed);
}

bool GetFileTimes(const wchar_t* path, CDateTime* created, CDateTime* written, CDateTime* accessed)
{
    return GetTimes(path, FILE_ATTRIBUTE_NORMAL, created, written, accessed);
}

bool SetFileTimes(const char* path, const CDateTime* created, const CDateTime* written,
                  const CDateTime* accessed)
{
    return SetTimes(path, FILE_WRITE_ATTRIBUTES, FILE_ATTRIBUTE_NORMAL, created, written, accessed);
}

bool SetFileTimes(const wchar_t* path, const CDateTime* created, const CDateTime* written,
                  const CDateTime* accessed)
{
    return SetTimes(path, FILE_WRITE_ATTRIBUTES, FILE_ATTRIBUTE_NORMAL, created, written, accessed);
}

bool GetFolderTimes(const char* path, CDateTime* created, CDateTime* written, CDateTime* accessed)
{
    return GetTimes(path, FILE_FLAG_BACKUP_SEMANTICS, created, written, accessed);
}

bool GetFolderTimes(const wchar_t* path, CDateTime* created, CDateTime* written,
                    CDateTime* accessed)
{
    return GetTimes(path, FILE_FLAG_BACKUP_SEMANTICS, created, written, accessed);
}

bool SetFolderTimes(const char* path, const CDateTime* created, const CDateTime* written,
                    const CDateTime* accessed)
{
    return SetTimes(path, kFolderWrite, FILE_FLAG_BACKUP_SEMANTICS, created, written, accessed);
}

bool SetFolderTimes(const wchar_t* path, const CDateTime* created, const CDateTime* written,
                    const CDateTime* accessed)
{
    return SetTimes(path, kFolderWrite, FILE_FLAG_BACKUP_SEMANTICS, created, written, accessed);
}

bool CopyFileByPath(const wchar_t* from, const wchar_t* to, bool overwrite)
{
    return CopyFileW(from, to, overwrite ? FALSE : TRUE) == TRUE;
}

bool SetFileAttributesByPath(const char* path, uint32_t attributes)
{
    DWORD a = 0;
    if (attributes & kAttrReadOnly)
        a |= FILE_ATTRIBUTE_READONLY;
    if (attributes & kAttrHidden)
        a |= FILE_ATTRIBUTE_HIDDEN;
    return SetFileAttributesA(path, a != 0 ? a : FILE_ATTRIBUTE_NORMAL) == TRUE;
}

} // namespace Orvex
