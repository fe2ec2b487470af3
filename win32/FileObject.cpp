#include "FileObject.h"

#include "SysCalls.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace w32
{

namespace
{
constexpr size_t kReadAhead = 64 * 1024;
}

FileObject::~FileObject()
{
    if (deleteOnClose && !path.empty())
        sys::unlink(path.c_str());
    shareLock.Release();
    if (fd >= 0)
        sys::close(fd);
}

void FileObject::EnableCache()
{
    cached_ = true;
}

void FileObject::DisableCache()
{
    std::lock_guard<std::mutex> lock(mutex);
    cached_ = false;
    DropCache();
}

void FileObject::DropCache()
{
    length_ = -1;
    aheadLength_ = 0;
}

off_t FileObject::Length()
{
    if (cached_ && length_ >= 0)
        return length_;
    struct stat st;
    if (sys::fstat(fd, &st) != 0)
        return -1;
    if (cached_)
        length_ = st.st_size;
    return st.st_size;
}

ssize_t FileObject::ReadAt(void* buffer, size_t count, off_t offset)
{
    if (!cached_ || count >= kReadAhead)
        return sys::pread(fd, buffer, count, offset);
    if (offset < aheadStart_ || offset >= aheadStart_ + static_cast<off_t>(aheadLength_))
    {
        if (ahead_.empty())
            ahead_.resize(kReadAhead);
        aheadLength_ = 0;
        const ssize_t r = sys::pread(fd, ahead_.data(), kReadAhead, offset);
        if (r <= 0)
            return r;
        aheadStart_ = offset;
        aheadLength_ = static_cast<size_t>(r);
    }
    const size_t available = aheadLength_ - static_cast<size_t>(offset - aheadStart_);
    const size_t n = std::min(count, available);
    std::memcpy(buffer, ahead_.data() + (offset - aheadStart_), n);
    return static_cast<ssize_t>(n);
}

void FileObject::Wrote(off_t offset, size_t count)
{
    if (!cached_ || !count)
        return;
    const off_t end = offset + static_cast<off_t>(count);
    if (offset < aheadStart_ + static_cast<off_t>(aheadLength_) && end > aheadStart_)
        aheadLength_ = 0;
    if (length_ >= 0 && end > length_)
        length_ = end;
}

void FileObject::Truncated(off_t length)
{
    if (!cached_)
        return;
    length_ = length;
    if (aheadStart_ + static_cast<off_t>(aheadLength_) > length)
        aheadLength_ = 0;
}

DWORD MapGenericFileAccess(DWORD access)
{
    DWORD mapped =
        access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED);
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
