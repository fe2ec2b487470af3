#include "velmar/win32/Handles.h"

#include <mutex>
#include <unistd.h>
#include <unordered_map>

namespace w32
{

namespace
{

struct Entry
{
    std::shared_ptr<KernelObject> object;
    DWORD access;
};

std::mutex g_mutex;
std::unordered_map<std::uintptr_t, Entry> g_handles;
// Windows hands out multiples of 4; values are not reused so a stale handle
// stays invalid instead of naming a newer object.
std::uintptr_t g_next = 4;

// The process itself, as named by a duplicated process handle.
class ProcessObject : public KernelObject
{
};

} // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object, DWORD access)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const std::uintptr_t value = g_next;
    g_next += 4;
    g_handles.emplace(value, Entry{std::move(object), access});
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle, DWORD* access)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto it = g_handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == g_handles.end())
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (access)
        *access = it->second.access;
    return it->second.object;
}

bool RemoveHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> last;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        const auto it = g_handles.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == g_handles.end())
            return false;
        last = std::move(it->second.object);
        g_handles.erase(it);
    }
    // The object may close files and locks: not under the table's lock.
    last.reset();
    return true;
}

size_t OpenHandleCount()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_handles.size();
}

} // namespace w32

BOOL WINAPI CloseHandle(HANDLE hObject)
{
    if (hObject == GetCurrentProcess())
        return TRUE;
    if (!w32::RemoveHandle(hObject))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI DuplicateHandle(HANDLE hSourceProcessHandle, HANDLE hSourceHandle,
                            HANDLE hTargetProcessHandle, LPHANDLE lpTargetHandle,
                            DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwOptions)
{
    (void)bInheritHandle;
    if (hSourceProcessHandle != GetCurrentProcess() || hTargetProcessHandle != GetCurrentProcess())
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::shared_ptr<w32::KernelObject> object;
    DWORD access = 0;
    if (hSourceHandle == GetCurrentProcess())
    {
        object = std::make_shared<w32::ProcessObject>();
        access = 0x1FFFFF; // PROCESS_ALL_ACCESS
    }
    else
    {
        object = w32::LookupHandle(hSourceHandle, &access);
        if (!object)
            return FALSE;
    }
    BOOL ok = TRUE;
    if (lpTargetHandle)
    {
        if (!(dwOptions & DUPLICATE_SAME_ACCESS))
        {
            const DWORD wanted = object->MapGenericAccess(dwDesiredAccess);
            if (!object->CanGrant(wanted))
            {
                SetLastError(ERROR_ACCESS_DENIED);
                ok = FALSE;
            }
            access = wanted;
        }
        if (ok)
            *lpTargetHandle = w32::InsertHandle(object, access);
    }
    // Windows closes the source even when the duplicate could not be made.
    if ((dwOptions & DUPLICATE_CLOSE_SOURCE) && hSourceHandle != GetCurrentProcess())
        w32::RemoveHandle(hSourceHandle);
    return ok;
}

HANDLE WINAPI GetCurrentProcess()
{
    return INVALID_HANDLE_VALUE;
}

DWORD WINAPI GetCurrentProcessId()
{
    return static_cast<DWORD>(::getpid());
}
