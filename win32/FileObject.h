#pragma once
// The kernel object behind a file handle, shared by its duplicates. Other
// parts of the layer (mappings, overlapped transfers) reach the descriptor
// through it.
//
// For regular files the file pointer lives here, not in the descriptor: use
// pread/pwrite on `fd`, never read/write. When no other open may write the
// file (this one denies write sharing, and it is a synchronous handle) the
// object also keeps the file's length and a read-ahead block, so that the
// one-byte reads and end-of-file tests of a parser cost no system call. Code
// that changes the file's content or length behind the object (a mapped
// view, say) calls DisableCache() first.

#include "velmar/win32/Handles.h"
#include "ShareModes.h"
#include "WriteBehind.h"

#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

namespace w32
{

class FileObject : public KernelObject
{
public:
    ~FileObject() override;

    DWORD MapGenericAccess(DWORD access) const override;
    bool CanGrant(DWORD access) const override;

    int fd = -1;
    bool fdReadable = false; // the descriptor was opened for reading
    bool fdWritable = false; // ... and for writing
    bool isDirectory = false;
    bool isRegular = false;
    bool appendOnly = false; // FILE_APPEND_DATA without FILE_WRITE_DATA: writes go to the end
    bool deleteOnClose = false;
    DWORD flags = 0;  // FILE_FLAG_* given at creation
    std::string path; // UTF-8, as opened
    ShareLock shareLock;
    WriteBehind writeBehind; // regular files written synchronously

    // Guards the members below; held by every positioned call.
    std::mutex mutex;
    off_t position = 0; // the file pointer (regular files)

    // Whether length and read-ahead may be kept (see above).
    void EnableCache();
    void DisableCache();
    void DropCache();
    // The file's length: kept or asked for. -1 with errno on failure.
    off_t Length();
    // Reads at an offset, through the read-ahead when it is kept.
    ssize_t ReadAt(void* buffer, size_t count, off_t offset);
    // Notes bytes written at an offset (kept length and read-ahead follow).
    void Wrote(off_t offset, size_t count);
    void Truncated(off_t length);

private:
    bool cached_ = false;
    off_t length_ = -1;
    std::vector<char> ahead_;
    off_t aheadStart_ = 0;
    size_t aheadLength_ = 0;
};

// Specific rights for generic ones (GENERIC_READ -> FILE_GENERIC_READ ...).
DWORD MapGenericFileAccess(DWORD access);

// The file object of a handle and the access the handle grants; null with
// ERROR_INVALID_HANDLE set when the handle names no file.
std::shared_ptr<FileObject> FileFromHandle(HANDLE handle, DWORD* access = nullptr);

} // namespace w32
