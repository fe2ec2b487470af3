#include "velmar/io/FileWin.h"

#include <cstring>
#include <cwchar>

namespace Orvex
{

NK_DEFINE_CLASS(CFileWin, IFile, nkMem::IObjDuplicator)

namespace
{

DWORD AccessOf(uint32_t mode)
{
    DWORD access = 0;
    if (mode & kModeRead)
        access |= GENERIC_READ;
    if (mode & kModeWrite)
        access |= GENERIC_WRITE;
    return access;
}

DWORD ShareOf(uint32_t mode)
{
    DWORD share = 0;
    if (mode & kModeShareRead)
        share |= FILE_SHARE_READ;
    if (mode & kModeShareWrite)
        share |= FILE_SHARE_WRITE;
    if (mode & kModeShareDelete)
        share |= FILE_SHARE_DELETE;
    return share;
}

DWORD MoveMethodOf(uint32_t origin)
{
    return origin == kSeekBegin ? FILE_BEGIN : origin == kSeekEnd ? FILE_END : FILE_CURRENT;
}

DWORD FlagsOf(uint32_t mode)
{
    return FILE_ATTRIBUTE_NORMAL | ((mode & kModeAsync) ? FILE_FLAG_OVERLAPPED : 0);
}

} // namespace

CFileWin::~CFileWin()
{
    Close();
}

CFileWin* CFileWin::FromObject(CMemObject* obj)
{
    return dynamic_cast<CFileWin*>(obj);
}

uint32_t CFileWin::Read(void* buffer, uint32_t count)
{
    if (m_async != nullptr)
        return m_async->Read(buffer, count);
    if (!(m_mode & kModeRead))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    DWORD got = 0;
    if (!ReadFile(m_handle, buffer, count, &got, nullptr))
        return 0;
    SetLastError(ERROR_SUCCESS);
    return got;
}

uint32_t CFileWin::Write(const void* buffer, uint32_t count)
{
    if (m_async != nullptr)
        return m_async->Write(buffer, count);
    if (!(m_mode & kModeWrite))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    DWORD written = 0;
    if (!WriteFile(m_handle, buffer, count, &written, nullptr))
        return written; // what reached the file before the failure; the position moved by it
    SetLastError(ERROR_SUCCESS);
    return written;
}

uint32_t CFileWin::GetPosition()
{
    if (m_async != nullptr)
        return static_cast<uint32_t>(m_async->GetOffset());
    return SetFilePointer(m_handle, 0, nullptr, FILE_CURRENT);
}

uint64_t CFileWin::GetPosition64()
{
    if (m_async != nullptr)
        return m_async->GetOffset();
    LONG high = 0;
    const DWORD low = SetFilePointer(m_handle, 0, &high, FILE_CURRENT);
    return (static_cast<uint64_t>(static_cast<DWORD>(high)) << 32) | low;
}

uint32_t CFileWin::GetLength()
{
    DWORD low = GetFileSize(m_handle, nullptr);
    if (low == INVALID_FILE_SIZE)
    {
        DWORD high = 0;
        low = GetFileSize(m_handle, &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
            return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return low;
}

uint64_t CFileWin::GetLength64()
{
    DWORD high = 0;
    const DWORD low = GetFileSize(m_handle, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        return 0;
    SetLastError(ERROR_SUCCESS);
    return (static_cast<uint64_t>(high) << 32) | low;
}

bool CFileWin::Seek(int32_t offset, uint32_t origin)
{
    if (m_mode & kModeNoSeek)
        return false;
    if (m_async != nullptr)
        return SeekAsync(offset, origin);
    // With the high word, so that steps work on files past 4 GiB too.
    return Seek64(static_cast<uint32_t>(offset), offset < 0 ? 0xFFFFFFFFu : 0, origin);
}

bool CFileWin::Seek64(uint32_t low, uint32_t high, uint32_t origin)
{
    if (m_mode & kModeNoSeek)
        return false;
    if (m_async != nullptr)
        return SeekAsync(static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low), origin);
    LONG hi = static_cast<LONG>(high);
    const DWORD result =
        SetFilePointer(m_handle, static_cast<LONG>(low), &hi, MoveMethodOf(origin));
    return !(result == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS);
}

bool CFileWin::SeekAsync(int64_t distance, uint32_t origin)
{
    // Overlapped transfers run at the controller's offset, not at the system's
    // pointer: seek from the offset and keep both the same, since SetEndOfFile
    // works at the pointer.
    const uint64_t from = m_async->GetOffset();
    LONG high = static_cast<LONG>(from >> 32);
    SetLastError(ERROR_SUCCESS);
    if (SetFilePointer(m_handle, static_cast<LONG>(from), &high, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER &&
        GetLastError() != ERROR_SUCCESS)
        return false;
    high = static_cast<LONG>(static_cast<uint64_t>(distance) >> 32);
    const DWORD low =
        SetFilePointer(m_handle, static_cast<LONG>(distance), &high, MoveMethodOf(origin));
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
        return false;
    m_async->SetOffset((static_cast<uint64_t>(static_cast<DWORD>(high)) << 32) | low);
    return true;
}

bool CFileWin::Flush()
{
    return FlushFileBuffers(m_handle) == TRUE;
}

bool CFileWin::Opened(HANDLE handle, uint32_t mode)
{
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    m_handle = handle;
    if (mode & kModeAsync)
    {
        m_async = new CAsyncCtrl(handle, 0);
        if (!m_async->IsValid())
        {
            const DWORD err = GetLastError();
            Close();
            SetLastError(err);
            return false;
        }
    }
    m_mode = mode;
    return true;
}

bool CFileWin::Open(const wchar_t* path, uint32_t mode, bool create)
{
    Close();
    if (path == nullptr || path[0] == L'\0')
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    HANDLE h = CreateFileW(path, AccessOf(mode), ShareOf(mode), nullptr,
                           create ? OPEN_ALWAYS : OPEN_EXISTING, FlagsOf(mode), nullptr);
    if (!Opened(h, mode))
        return false;
    StorePath(path);
    return true;
}

bool CFileWin::Open(const char* path, uint32_t mode, bool create)
{
    Close();
    if (path == nullptr || path[0] == '\0')
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    HANDLE h = CreateFileA(path, AccessOf(mode), ShareOf(mode), nullptr,
                           create ? OPEN_ALWAYS : OPEN_EXISTING, FlagsOf(mode), nullptr);
    if (!Opened(h, mode))
        return false;
    StorePath(path);
    return true;
}

void CFileWin::Close()
{
    // Close keeps the caller's last error: it runs before every Open.
    const DWORD err = GetLastError();
    m_mappings.ReleaseAll();
    if (m_async != nullptr)
    {
        m_async->Release();
        m_async = nullptr;
    }
    if (m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    ClearPath();
    SetLastError(err);
}

void CFileWin::ClearPath()
{
    m_path[0] = '\0';
    m_pathW[0] = L'\0';
    m_pathExact = true;
}

void CFileWin::StorePath(const char* path)
{
    size_t n = std::strlen(path);
    bool exact = n <= kPathChars;
    if (!exact)
    {
        n = kPathChars;
        // In UTF-8 the cut backs off to a whole character.
        if (GetACP() == CP_UTF8)
            while (n > 0 && (static_cast<unsigned char>(path[n]) & 0xC0) == 0x80)
                --n;
    }
    std::memcpy(m_path, path, n);
    m_path[n] = '\0';
    std::wstring wide;
    if (WideName(m_path, n, wide) && wide.size() <= kPathChars)
    {
        std::wmemcpy(m_pathW, wide.data(), wide.size());
        m_pathW[wide.size()] = L'\0';
    }
    else
    {
        m_pathW[0] = L'\0';
        exact = false;
    }
    m_pathExact = exact;
}

void CFileWin::StorePath(const wchar_t* path)
{
    size_t n = std::wcslen(path);
    bool exact = n <= kPathChars;
    if (!exact)
        n = kPathChars;
    std::wmemcpy(m_pathW, path, n);
    m_pathW[n] = L'\0';
    // The narrow form may not fit in a multi-byte page: keep the longest
    // prefix of whole characters that does.
    std::string narrow;
    bool lossy = false;
    size_t chars = n;
    bool converted = NarrowName(m_pathW, chars, narrow, &lossy);
    while (converted && narrow.size() > sizeof m_path - 1)
    {
        exact = false;
        converted = NarrowName(m_pathW, --chars, narrow, &lossy);
    }
    if (converted && !lossy)
    {
        std::memcpy(m_path, narrow.data(), narrow.size());
        m_path[narrow.size()] = '\0';
    }
    else
    {
        // A name the ANSI page cannot hold has no narrow form to act on; the
        // file still counts as open.
        exact = false;
        if (converted && !narrow.empty())
        {
            std::memcpy(m_path, narrow.data(), narrow.size());
            m_path[narrow.size()] = '\0';
        }
        else
        {
            std::strcpy(m_path, "?");
        }
    }
    m_pathExact = exact;
}

bool CFileWin::SetEnd()
{
    return SetEndOfFile(m_handle) == TRUE;
}

bool CFileWin::SetLength(uint32_t length)
{
    // Through the 64-bit seek, so that lengths from 2 GiB to 4 GiB work too.
    return Seek64(length, 0, kSeekBegin) && SetEnd();
}

bool CFileWin::SetLength64(uint32_t low, uint32_t high)
{
    return Seek64(low, high, kSeekBegin) && SetEnd();
}

} // namespace Orvex
