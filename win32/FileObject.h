#pragma once
// The kernel object behind a file handle, shared by its duplicates. Other
// parts of the layer (mappings, overlapped transfers) reach the descriptor
// through it.

#include "win32/Handles.h"
#include "win32/ShareModes.h"

#include <memory>
#include <string>

namespace w32 {

class FileObject : public KernelObject {
public:
    ~FileObject() override;

    DWORD MapGenericAccess(DWORD access) const override;
    bool CanGrant(DWORD access) const override;

    int fd = -1;
    bool fdReadable = false; // the descriptor was opened for reading
    bool fdWritable = false; // ... and for writing
    bool isDirectory = false;
    bool isRegular = false;
    bool deleteOnClose = false;
    DWORD flags = 0; // FILE_FLAG_* given at creation
    std::string path; // UTF-8, as opened
    ShareLock shareLock;
};

// Specific rights for generic ones (GENERIC_READ -> FILE_GENERIC_READ ...).
DWORD MapGenericFileAccess(DWORD access);

// The file object of a handle and the access the handle grants; null with
// ERROR_INVALID_HANDLE set when the handle names no file.
std::shared_ptr<FileObject> FileFromHandle(HANDLE handle, DWORD* access = nullptr);

} // namespace w32
