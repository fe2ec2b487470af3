#pragma once
// The asynchronous controller over the system's overlapped transfers.

#include "velmar/io/AsyncCtrl.h"

#include "velmar/foundation/List.h"
#include "velmar/win32/win32.h"

#include <atomic>

namespace Orvex
{

// Where the system's overlapped record of a transfer lives: a stable
// allocation that outlives the request while the system may still write it
// or hand it to the completion routine. Defined beside the controller.
struct CAsyncRecord;

// One outstanding transfer, kept by value in its controller's list.
struct COSAsyncIORequest
{
    CAsyncRecord* record; // owned by the request while it is listed
    uint32_t userValue;
    uint32_t kind; // kAsyncRead or kAsyncWrite
    void* buffer;
    uint32_t size; // bytes asked for

    OVERLAPPED* GetOverlapped() const;
    // The same transfer: the same overlapped record.
    bool IsSameRequest(const COSAsyncIORequest& other) const { return record == other.record; }
};

class CAsyncCtrl : public IAsyncCtrl
{
    NK_DECLARE_CLASS()

    // Works on its own duplicate of `file` (an overlapped handle), so that
    // the files sharing it may close theirs in any order.
    CAsyncCtrl(HANDLE file, uint32_t userValue);
    // Cancels what is still outstanding; records the system may still touch
    // are kept until it is done with them.
    ~CAsyncCtrl() override;
    CAsyncCtrl(const CAsyncCtrl&) = delete;
    CAsyncCtrl& operator=(const CAsyncCtrl&) = delete;

    // Whether the handle could be taken; a controller without one submits nothing.
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }

    uint32_t GetUserValue() override { return m_userValue; }
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;
    uint32_t ReadAndWait(void* buffer, uint32_t count) override;
    uint32_t WriteAndWait(const void* buffer, uint32_t count) override;
    bool Cancel() override;
    uint32_t Collect(AsyncResult* results, uint32_t maximum) override;
    uint32_t GetPendingCount() override { return m_requests.GetCount(); }
    bool SetAutoRemove(bool on) override { return m_autoRemove = on; }
    bool GetAutoRemove() override { return m_autoRemove; }

    // The file offset of the next transfer; each submission advances it by
    // the bytes asked for.
    uint64_t GetOffset() const { return m_offset; }
    void SetOffset(uint64_t offset) { m_offset = offset; }

    // Shared by duplicates of a file: each holder releases once; the last
    // release destroys the controller.
    void AddRef() { m_refs.fetch_add(1, std::memory_order_relaxed); }
    void Release();

    const nkMem::CList<COSAsyncIORequest>& GetRequests() const { return m_requests; }

private:
    uint32_t Submit(uint32_t kind, void* buffer, uint32_t count);
    uint32_t RunAndWait(uint32_t kind, void* buffer, uint32_t count);
    int32_t IndexOf(const CAsyncRecord* record) const;
    // Takes request i out of the list and lets its record go.
    void RemoveRequest(uint32_t i);
    static void CALLBACK Completed(DWORD error, DWORD bytes, LPOVERLAPPED overlapped);

    HANDLE m_handle = INVALID_HANDLE_VALUE; // owned duplicate
    nkMem::CList<COSAsyncIORequest> m_requests;
    uint32_t m_userValue;
    bool m_autoRemove = false;
    uint64_t m_offset = 0;
    std::atomic<uint32_t> m_refs{1};
};

} // namespace Orvex
