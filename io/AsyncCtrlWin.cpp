#include "velmar/io/AsyncCtrlWin.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <new>
#include <thread>
#include <type_traits>
#include <vector>

namespace Orvex
{

NK_DEFINE_ABSTRACT_CLASS(CAsyncCtrl, IAsyncCtrl)

struct CAsyncRecord
{
    // First member: the completion routine gets its address and finds the
    // record, and through it the controller, without reading anything the
    // system writes.
    OVERLAPPED overlapped{};
    // The controller listing the transfer; null once none does.
    CAsyncCtrl* ctrl = nullptr;
    // Submitted with the completion routine, which has not run yet.
    bool routinePending = false;
};
static_assert(std::is_standard_layout_v<CAsyncRecord>,
              "the overlapped record must start the record");

OVERLAPPED* COSAsyncIORequest::GetOverlapped() const
{
    return &record->overlapped;
}

namespace
{

// Record state changes, and the records no controller lists that the system
// may still write or hand to a completion routine.
struct Unlisted
{
    std::mutex lock;
    std::vector<CAsyncRecord*> records;
};

Unlisted& TheUnlisted()
{
    // Never destroyed: a completion routine may run during the process's exit.
    static Unlisted* unlisted = new Unlisted;
    return *unlisted;
}

bool HasEnded(const OVERLAPPED* o)
{
    const ULONG_PTR status = std::atomic_ref<ULONG_PTR>(const_cast<ULONG_PTR&>(o->Internal))
                                 .load(std::memory_order_acquire);
    return status != STATUS_PENDING;
}

bool HasEnded(const CAsyncRecord* r)
{
    return HasEnded(&r->overlapped);
}

// Frees a record nobody lists once the system is done with it, else keeps it
// for later. Called with the lock held.
void LetGo(Unlisted& u, CAsyncRecord* r)
{
    r->ctrl = nullptr;
    if (!r->routinePending && HasEnded(r))
        delete r;
    else
        u.records.push_back(r);
}

// Frees the kept records the system is done with. Called with the lock held.
void Sweep(Unlisted& u)
{
    auto done = [](CAsyncRecord* r)
    {
        if (r->routinePending || !HasEnded(r))
            return false;
        delete r;
        return true;
    };
    u.records.erase(std::remove_if(u.records.begin(), u.records.end(), done), u.records.end());
}

} // namespace

CAsyncCtrl::CAsyncCtrl(HANDLE file, uint32_t userValue) : m_userValue(userValue)
{
    HANDLE own = INVALID_HANDLE_VALUE;
    if (DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &own, 0, FALSE,
                        DUPLICATE_SAME_ACCESS))
        m_handle = own;
}

CAsyncCtrl::~CAsyncCtrl()
{
    if (!m_requests.IsEmpty())
    {
        // Nobody can collect these any more, and their buffers may go with
        // the file: end them now rather than when the system notices.
        const DWORD err = GetLastError();
        CancelIo(m_handle);
        // What was already moving finishes at once; give it a moment.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        for (uint32_t i = 0; i < m_requests.GetCount(); ++i)
            while (!HasEnded(m_requests[i].record) && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        SetLastError(err);
    }
    Unlisted& u = TheUnlisted();
    {
        std::lock_guard<std::mutex> hold(u.lock);
        for (const COSAsyncIORequest& r : m_requests)
            LetGo(u, r.record);
        Sweep(u);
    }
    m_requests.RemoveAll();
    if (m_handle != INVALID_HANDLE_VALUE)
    {
        const DWORD err = GetLastError();
        CloseHandle(m_handle);
        SetLastError(err);
    }
}

void CAsyncCtrl::Release()
{
    if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        nkMem::DestroyObject(this);
}

uint32_t CAsyncCtrl::Read(void* buffer, uint32_t count)
{
    return Submit(kAsyncRead, buffer, count);
}

uint32_t CAsyncCtrl::Write(const void* buffer, uint32_t count)
{
    return Submit(kAsyncWrite, const_cast<void*>(buffer), count);
}

uint32_t CAsyncCtrl::Submit(uint32_t kind, void* buffer, uint32_t count)
{
    if (!IsValid())
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    // Room first: once the system has the transfer, listing it must not fail.
    const uint32_t n = m_requests.GetCount();
    if (m_requests.GetCapacity() <= n)
        m_requests.Truncate(n < 4 ? 4 : 2 * n, false);

    CAsyncRecord* record = new CAsyncRecord;
    record->ctrl = this;
    record->overlapped.Offset = static_cast<DWORD>(m_offset);
    record->overlapped.OffsetHigh = static_cast<DWORD>(m_offset >> 32);
    record->routinePending = m_autoRemove;
    BOOL started;
    if (m_autoRemove)
        started =
            kind == kAsyncWrite
                ? WriteFileEx(m_handle, buffer, count, &record->overlapped, &CAsyncCtrl::Completed)
                : ReadFileEx(m_handle, buffer, count, &record->overlapped, &CAsyncCtrl::Completed);
    else
    {
        // No routine: the Ex calls require one (Windows would call a null
        // routine), so the plain calls with the overlapped record start it.
        started = kind == kAsyncWrite
                      ? WriteFile(m_handle, buffer, count, nullptr, &record->overlapped)
                      : ReadFile(m_handle, buffer, count, nullptr, &record->overlapped);
        if (!started && GetLastError() == ERROR_IO_PENDING)
            started = TRUE;
    }
    if (!started)
    {
        delete record;
        return 0;
    }
    m_requests.Add(COSAsyncIORequest{record, m_userValue, kind, buffer, count});
    m_offset += count;
    return count;
}

uint32_t CAsyncCtrl::ReadAndWait(void* buffer, uint32_t count)
{
    return RunAndWait(kAsyncRead, buffer, count);
}

uint32_t CAsyncCtrl::WriteAndWait(const void* buffer, uint32_t count)
{
    return RunAndWait(kAsyncWrite, const_cast<void*>(buffer), count);
}

uint32_t CAsyncCtrl::RunAndWait(uint32_t kind, void* buffer, uint32_t count)
{
    if (!IsValid())
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    // The record can live on this frame: the call returns only once the
    // system is done with it.
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(m_offset);
    overlapped.OffsetHigh = static_cast<DWORD>(m_offset >> 32);
    const BOOL started = kind == kAsyncWrite
                             ? WriteFile(m_handle, buffer, count, nullptr, &overlapped)
                             : ReadFile(m_handle, buffer, count, nullptr, &overlapped);
    if (!started && GetLastError() != ERROR_IO_PENDING)
        return 0;
    DWORD bytes = 0;
    BOOL ok = FALSE;
    for (;;)
    {
        ok = GetOverlappedResult(m_handle, &overlapped, &bytes, TRUE);
        if (HasEnded(&overlapped))
            break;
        // Without an event of its own the wait can end with another transfer
        // of the file; this one is still running.
        Sleep(1);
    }
    m_offset += bytes;
    if (ok)
        SetLastError(ERROR_SUCCESS);
    return bytes;
}

bool CAsyncCtrl::Cancel()
{
    return CancelIo(m_handle) == TRUE;
}

uint32_t CAsyncCtrl::Collect(AsyncResult* results, uint32_t maximum)
{
    uint32_t collected = 0;
    while (collected < maximum && !m_requests.IsEmpty())
    {
        const COSAsyncIORequest r = m_requests[0];
        // Only the oldest is ever looked at: results come in submission order.
        if (!HasEnded(r.record))
            break;
        // Ended, successfully or not: a failed or cancelled transfer is
        // handed back with what it moved, never left to block the others.
        DWORD bytes = 0;
        GetOverlappedResult(m_handle, r.GetOverlapped(), &bytes, FALSE);
        if (results != nullptr)
            results[collected] = AsyncResult{bytes, r.userValue, r.kind, r.buffer, r.size};
        RemoveRequest(0);
        ++collected;
    }
    return collected;
}

int32_t CAsyncCtrl::IndexOf(const CAsyncRecord* record) const
{
    for (uint32_t i = 0; i < m_requests.GetCount(); ++i)
        if (m_requests[i].record == record)
            return static_cast<int32_t>(i);
    return -1;
}

void CAsyncCtrl::RemoveRequest(uint32_t i)
{
    CAsyncRecord* record = m_requests[i].record;
    m_requests.RemoveAt(i);
    Unlisted& u = TheUnlisted();
    std::lock_guard<std::mutex> hold(u.lock);
    LetGo(u, record);
}

void CALLBACK CAsyncCtrl::Completed(DWORD, DWORD, LPOVERLAPPED overlapped)
{
    if (overlapped == nullptr)
        return;
    CAsyncRecord* record = reinterpret_cast<CAsyncRecord*>(overlapped);
    CAsyncCtrl* ctrl = nullptr;
    {
        Unlisted& u = TheUnlisted();
        std::lock_guard<std::mutex> hold(u.lock);
        record->routinePending = false;
        ctrl = record->ctrl;
        if (ctrl == nullptr)
        {
            // Collected, or its controller is gone: this was the last use.
            u.records.erase(std::remove(u.records.begin(), u.records.end(), record),
                            u.records.end());
            delete record;
            return;
        }
    }
    if (!ctrl->m_autoRemove)
        return;
    const int32_t i = ctrl->IndexOf(record);
    if (i >= 0)
        ctrl->RemoveRequest(static_cast<uint32_t>(i));
}

} // namespace Orvex
