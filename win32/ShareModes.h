#pragma once
// Windows share modes between handles and between processes.
//
// Every open of a file with data access (read, write or delete) registers in
// a lock file named after the file's device and inode, in the share-lock
// folder: $VELMAR_SHARE_DIR, else $XDG_RUNTIME_DIR/velmar-share, else
// /tmp/velmar-share-<uid>, which is also the fallback when the chosen folder
// cannot be made (it must be a folder of ours that others cannot write).
// Tests point VELMAR_SHARE_DIR or XDG_RUNTIME_DIR into their own temporary
// folder. The registration is a set of open-file-description read locks, one
// byte per access kind held and one per kind denied to others; a guard byte,
// locked exclusively, makes check-and-register atomic. The kernel drops the
// locks of a process that dies, so nothing goes stale, and the last closer
// removes the lock file. Only processes that use the same folder see each
// other (in practice: the same user).

#include "velmar/win32/Types.h"

#include <string>
#include <sys/types.h>

namespace w32
{

// The three kinds Windows checks: reading (or executing), writing (or
// appending) and deleting.
enum ShareKind : unsigned
{
    kShareRead = 1,
    kShareWrite = 2,
    kShareDelete = 4
};

// The kinds an access mask (specific rights) asks for.
unsigned ShareKindsOfAccess(DWORD access);

class ShareLock
{
public:
    ShareLock() = default;
    ShareLock(const ShareLock&) = delete;
    ShareLock& operator=(const ShareLock&) = delete;
    ~ShareLock() { Release(); }

    // Registers an open of (dev, ino) holding `kinds` and sharing `share`
    // (FILE_SHARE_* bits). Returns 0, ERROR_SHARING_VIOLATION when another
    // open conflicts, or the code of a failing system call.
    DWORD Acquire(dev_t dev, ino_t ino, unsigned kinds, DWORD share);
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
    std::string path_;
};

// Whether an open holding `kinds` and sharing `share` could be made now.
DWORD CheckShareAccess(dev_t dev, ino_t ino, unsigned kinds, DWORD share);

std::string ShareLockDirectory();

} // namespace w32
