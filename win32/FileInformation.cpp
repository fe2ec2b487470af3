#include "velmar/win32/FileInformation.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/FileAttributes.h"
#include "velmar/win32/Handles.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/Time.h"
#include "velmar/win32/WideText.h"
#include "FileObject.h"
#include "Paths.h"
#include "SysCalls.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fnmatch.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using w32::FileObject;

DWORD SizeHigh(off_t size)
{
    return static_cast<DWORD>(static_cast<uint64_t>(size) >> 32);
}
DWORD SizeLow(off_t size)
{
    return static_cast<DWORD>(static_cast<uint64_t>(size));
}

// The attributes Windows reports for what `st` describes, at `path`.
DWORD AttributesOf(const std::string& path, const struct stat& st)
{
    if (S_ISLNK(st.st_mode))
        return FILE_ATTRIBUTE_REPARSE_POINT;
    DWORD attributes = w32::StoredAttributes(path);
    if (S_ISDIR(st.st_mode))
        return attributes | FILE_ATTRIBUTE_DIRECTORY;
    if ((st.st_mode & 0222) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (!S_ISREG(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DEVICE;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

// The path an open file has now, links resolved.
bool CurrentPath(HANDLE hFile, std::string& path)
{
    const std::shared_ptr<FileObject> file = w32::FileFromHandle(hFile);
    if (!file)
        return false;
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", file->fd);
    char buffer[4096];
    const ssize_t n = ::readlink(link, buffer, sizeof buffer);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return false;
    }
    path.assign(buffer, static_cast<size_t>(n));
    if (path.size() > 10 && path.compare(path.size() - 10, 10, " (deleted)") == 0)
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    return true;
}

template <class C> DWORD CopyOut(const std::basic_string<C>& text, C* out, DWORD chars)
{
    if (out == nullptr || chars <= text.size())
        return static_cast<DWORD>(text.size() + 1);
    std::memcpy(out, text.data(), text.size() * sizeof(C));
    out[text.size()] = 0;
    return static_cast<DWORD>(text.size());
}

// An open listing: the folder, the pattern of names, the entry reached.
class FindObject : public w32::KernelObject
{
public:
    ~FindObject() override
    {
        if (dir)
            ::closedir(dir);
    }
    DIR* dir = nullptr;
    std::string folder; // with its trailing separator, or empty
    std::string pattern;
};

// The next entry that matches, as UTF-8; false at the end.
bool NextMatch(FindObject& find, std::string& name, struct stat& st)
{
    for (const dirent* e = ::readdir(find.dir); e != nullptr; e = ::readdir(find.dir))
    {
        name = e->d_name;
        if (name.size() >= MAX_PATH || ::fnmatch(find.pattern.c_str(), name.c_str(), FNM_PERIOD))
            continue;
        if (w32::sys::lstat((find.folder + name).c_str(), &st) == 0)
            return true;
    }
    SetLastError(ERROR_NO_MORE_FILES);
    return false;
}

template <class Data>
void Fill(const FindObject& find, const std::string& name, const struct stat& st, Data* data)
{
    std::memset(data, 0, sizeof *data);
    data->dwFileAttributes = AttributesOf(find.folder + name, st);
    data->ftCreationTime = w32::FileTimeFromTimespec(st.st_ctim);
    data->ftLastAccessTime = w32::FileTimeFromTimespec(st.st_atim);
    data->ftLastWriteTime = w32::FileTimeFromTimespec(st.st_mtim);
    data->nFileSizeHigh = SizeHigh(st.st_size);
    data->nFileSizeLow = SizeLow(st.st_size);
}

bool Store(const std::string& name, WIN32_FIND_DATAA* data)
{
    std::string ansi;
    if (!w32::AnsiFromWide(w32::WideFromUtf8(name), ansi) || ansi.size() >= MAX_PATH)
        return false;
    std::memcpy(data->cFileName, ansi.c_str(), ansi.size() + 1);
    return true;
}
bool Store(const std::string& name, WIN32_FIND_DATAW* data)
{
    const std::wstring wide = w32::WideFromUtf8(name);
    if (wide.size() >= MAX_PATH)
        return false;
    std::memcpy(data->cFileName, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    return true;
}

template <class Data> BOOL FindNext(FindObject& find, Data* data)
{
    std::string name;
    struct stat st;
    while (NextMatch(find, name, st))
    {
        Fill(find, name, st, data);
        if (Store(name, data))
            return TRUE;
    }
    return FALSE;
}

template <class Data> HANDLE FindFirst(const std::string& path, Data* data)
{
    auto find = std::make_shared<FindObject>();
    const std::string::size_type slash = path.find_last_of('/');
    find->folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    // Windows' wildcards are * and ? alone: anything else matches itself.
    for (char c : path.substr(slash == std::string::npos ? 0 : slash + 1))
    {
        if (c == '[' || c == ']' || c == '\\')
            find->pattern += '\\';
        find->pattern += c;
    }
    find->dir = ::opendir(find->folder.empty() ? "." : find->folder.c_str());
    if (find->dir == nullptr)
    {
        w32::SetLastErrorForPath(errno, path);
        return INVALID_HANDLE_VALUE;
    }
    if (!FindNext(*find, data))
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return w32::InsertHandle(find, 0);
}

} // namespace

BOOL WINAPI GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION info)
{
    const std::shared_ptr<FileObject> file = w32::FileFromHandle(hFile);
    if (!file)
        return FALSE;
    struct stat st;
    if (w32::sys::fstat(file->fd, &st) != 0)
    {
        w32::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    std::memset(info, 0, sizeof *info);
    info->dwFileAttributes = AttributesOf(file->path, st);
    info->ftCreationTime = w32::FileTimeFromTimespec(st.st_ctim);
    info->ftLastAccessTime = w32::FileTimeFromTimespec(st.st_atim);
    info->ftLastWriteTime = w32::FileTimeFromTimespec(st.st_mtim);
    info->dwVolumeSerialNumber = static_cast<DWORD>(st.st_dev);
    info->nFileSizeHigh = SizeHigh(st.st_size);
    info->nFileSizeLow = SizeLow(st.st_size);
    info->nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
    info->nFileIndexHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_ino) >> 32);
    info->nFileIndexLow = static_cast<DWORD>(st.st_ino);
    return TRUE;
}

DWORD WINAPI GetFinalPathNameByHandleA(HANDLE hFile, LPSTR lpszFilePath, DWORD cchFilePath,
                                       DWORD dwFlags)
{
    std::string path, ansi;
    if (dwFlags != 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!CurrentPath(hFile, path))
        return 0;
    if (!w32::AnsiFromWide(w32::WideFromUtf8(path), ansi))
    {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return CopyOut(ansi, lpszFilePath, cchFilePath);
}

DWORD WINAPI GetFinalPathNameByHandleW(HANDLE hFile, LPWSTR lpszFilePath, DWORD cchFilePath,
                                       DWORD dwFlags)
{
    std::string path;
    if (dwFlags != 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!CurrentPath(hFile, path))
        return 0;
    return CopyOut(w32::WideFromUtf8(path), lpszFilePath, cchFilePath);
}

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData)
{
    std::string path;
    if (!w32::PathFromAnsi(lpFileName, path))
        return INVALID_HANDLE_VALUE;
    return FindFirst(path, lpFindFileData);
}

HANDLE WINAPI FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData)
{
    std::string path;
    if (!w32::PathFromWide(lpFileName, path))
        return INVALID_HANDLE_VALUE;
    return FindFirst(path, lpFindFileData);
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData)
{
    const auto find = w32::LookupHandleAs<FindObject>(hFindFile);
    return find ? FindNext(*find, lpFindFileData) : FALSE;
}

BOOL WINAPI FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData)
{
    const auto find = w32::LookupHandleAs<FindObject>(hFindFile);
    return find ? FindNext(*find, lpFindFileData) : FALSE;
}

BOOL WINAPI FindClose(HANDLE hFindFile)
{
    if (!w32::LookupHandleAs<FindObject>(hFindFile) || !w32::RemoveHandle(hFindFile))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
