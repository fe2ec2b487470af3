#include "velmar/win32/CrtFiles.h"

#include "velmar/win32/LastError.h"
#include "Paths.h"
#include "SysCalls.h"

#include <cerrno>
#include <cwctype>
#include <limits>
#include <string>

namespace
{

// The run-time knows only "missing" and "refused" for a failed lookup.
int Fail(int err)
{
    errno = err;
    return -1;
}

// The name on disk; the run-time reports through errno only, so the last
// error the conversion may set is put back.
bool DiskName(const wchar_t* path, std::string& name)
{
    const DWORD saved = GetLastError();
    const bool ok = w32::PathFromWide(path, name);
    SetLastError(saved);
    return ok;
}

bool DiskName(const char* path, std::string& name)
{
    const DWORD saved = GetLastError();
    const bool ok = w32::PathFromAnsi(path, name);
    SetLastError(saved);
    return ok;
}

int LookupError(int err)
{
    switch (err)
    {
    case EACCES:
    case EPERM:
        return EACCES;
    case ENOMEM:
        return ENOMEM;
    default:
        return ENOENT;
    }
}

bool IsProgramName(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return false;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::towlower(static_cast<unsigned char>(c)));
    return ext == "exe" || ext == "com" || ext == "bat" || ext == "cmd";
}

template <class Stat> int StatPath(const std::string& path, Stat* buffer)
{
    struct stat st;
    if (w32::sys::stat(path.c_str(), &st) != 0)
        return Fail(LookupError(errno));
    unsigned mode = 0;
    if (S_ISDIR(st.st_mode))
        mode = _S_IFDIR | _S_IEXEC;
    else if (S_ISREG(st.st_mode))
        mode = _S_IFREG | (IsProgramName(path) ? _S_IEXEC : 0);
    else if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
        mode = _S_IFIFO;
    else
        mode = _S_IFCHR;
    mode |= _S_IREAD;
    if (S_ISDIR(st.st_mode) || (st.st_mode & 0222) != 0)
        mode |= _S_IWRITE;
    mode |= (mode & 0700) >> 3;
    mode |= (mode & 0700) >> 6;

    using Size = decltype(buffer->st_size);
    if (S_ISREG(st.st_mode) && st.st_size > std::numeric_limits<Size>::max())
        return Fail(EOVERFLOW);
    *buffer = Stat{};
    buffer->st_mode = static_cast<unsigned short>(mode);
    buffer->st_nlink = static_cast<short>(st.st_nlink > 0x7FFF ? 0x7FFF : st.st_nlink);
    buffer->st_size = S_ISREG(st.st_mode) ? static_cast<Size>(st.st_size) : 0;
#ifdef st_atime
    buffer->st_atim = {st.st_atime, 0};
    buffer->st_mtim = {st.st_mtime, 0};
    buffer->st_ctim = {st.st_ctime, 0};
#else
    buffer->st_atime = st.st_atime;
    buffer->st_mtime = st.st_mtime;
    buffer->st_ctime = st.st_ctime;
#endif
    return 0;
}

int AccessPath(const std::string& path, int mode)
{
    struct stat st;
    if (w32::sys::stat(path.c_str(), &st) != 0)
        return Fail(LookupError(errno));
    if ((mode & 2) && !S_ISDIR(st.st_mode) && (st.st_mode & 0222) == 0)
        return Fail(EACCES);
    return 0;
}

// Runs lookup on the name on disk of path: EINVAL for a null path or refused
// arguments, ENOENT for a path with no name on disk.
template <class C, class Lookup> int OnDisk(const C* path, bool argumentsValid, Lookup lookup)
{
    if (!path || !argumentsValid)
        return Fail(EINVAL);
    std::string name;
    if (!DiskName(path, name))
        return Fail(ENOENT);
    return lookup(name);
}

} // namespace

int _waccess(const wchar_t* path, int mode)
{
    return OnDisk(path, (mode & ~6) == 0,
                  [&](const std::string& name) { return AccessPath(name, mode); });
}

int _access(const char* path, int mode)
{
    return OnDisk(path, (mode & ~6) == 0,
                  [&](const std::string& name) { return AccessPath(name, mode); });
}

int _wstat(const wchar_t* path, struct _stat* buffer)
{
    return OnDisk(path, buffer != nullptr,
                  [&](const std::string& name) { return StatPath(name, buffer); });
}

int _wstat64(const wchar_t* path, struct _stat64* buffer)
{
    return OnDisk(path, buffer != nullptr,
                  [&](const std::string& name) { return StatPath(name, buffer); });
}
