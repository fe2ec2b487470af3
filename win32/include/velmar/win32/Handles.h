#pragma once
// The process's handle table: handles name kernel objects of this layer
// (files now; mappings, events, keys later), each with the access it grants.

#include "velmar/win32/Types.h"

#include <memory>

BOOL WINAPI CloseHandle(HANDLE hObject);
// Within this process only: both process handles must be GetCurrentProcess().
BOOL WINAPI DuplicateHandle(HANDLE hSourceProcessHandle, HANDLE hSourceHandle,
                            HANDLE hTargetProcessHandle, LPHANDLE lpTargetHandle,
                            DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwOptions);
// The pseudo-handle (HANDLE)-1 of the calling process, as on Windows.
HANDLE WINAPI GetCurrentProcess();
DWORD WINAPI GetCurrentProcessId();

namespace w32
{

// Base of everything a handle can name; destroyed with its last handle.
class KernelObject
{
public:
    virtual ~KernelObject() = default;
    // Specific rights for the generic bits of an access mask.
    virtual DWORD MapGenericAccess(DWORD access) const { return access; }
    // Whether a duplicate may be granted this (mapped) access.
    virtual bool CanGrant(DWORD access) const
    {
        (void)access;
        return true;
    }
};

// Adds a handle for the object; never null or INVALID_HANDLE_VALUE, never reused.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object, DWORD access);

// The object and granted access of a handle; null (and ERROR_INVALID_HANDLE
// set) when the handle is not open.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle, DWORD* access = nullptr);

template <typename T> std::shared_ptr<T> LookupHandleAs(HANDLE handle, DWORD* access = nullptr);

// Closes a handle; false when it is not open (last error untouched).
bool RemoveHandle(HANDLE handle);

// Number of open handles, for leak checks in tests.
size_t OpenHandleCount();

} // namespace w32

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"

template <typename T> std::shared_ptr<T> w32::LookupHandleAs(HANDLE handle, DWORD* access)
{
    std::shared_ptr<T> object = std::dynamic_pointer_cast<T>(LookupHandle(handle, access));
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}
