#include "win32/FileObject.h"

#include "win32/SysCalls.h"

namespace w32 {

FileObject::~FileObject()
{
    if (deleteOnClose && !path.empty())
        sys::unlink(path.c_str());
    shareLock.Release();
    if (fd >= 0)
        sys::close(fd);
}

DWORD MapGenericFileAccess(DWORD access)
{
    DWORD mapped = access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED);
    if (access & GENERIC_READ)
        mapped |= FILE_GENERIC_READ;
    if (access & GENERIC_WRITE)
        mapped |= FILE_GENERIC_WRITE;
    if (access & GENERIC_EXECUTE)
        mapped |= FILE_GENERIC_EXECUTE;
    if (access & (GENERIC_ALL | MAXIMUM_ALLOWED))
        mapped |= FILE_ALL_ACCESS;
    return mapped;
}

DWORD FileObject::MapGenericAccess(DWORD access) const
{
    return MapGenericFileAccess(access);
}

bool FileObject::CanGrant(DWORD access) const
{
    if ((access & (FILE_READ_DATA | FILE_EXECUTE)) && !fdReadable)
        return false;
    if ((access & (FILE_WRITE_DATA | FILE_APPEND_DATA)) && !fdWritable)
        return false;
    return true;
}

std::shared_ptr<FileObject> FileFromHandle(HANDLE handle, DWORD* access)
{
    return LookupHandleAs<FileObject>(handle, access);
}

} // namespace w32
