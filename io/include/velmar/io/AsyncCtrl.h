#pragma once
// The interface of the controller of overlapped transfers on an asynchronous
// file, and the record Collect hands back.

#include "velmar/foundation/nkMem.h"

#include <cstdint>

namespace Orvex
{

using nkMem::CMemObject;

// Kinds of transfers.
inline constexpr uint32_t kAsyncRead = 1;
inline constexpr uint32_t kAsyncWrite = 2;

// One collected transfer: the bytes it moved, then the request's fields.
struct AsyncResult
{
    uint32_t transferred; // fewer than size: it ended early (end of file, error, cancelled)
    uint32_t userValue;
    uint32_t kind; // kAsyncRead or kAsyncWrite
    void* buffer;
    uint32_t size;
};

class IAsyncCtrl : public virtual CMemObject
{
    NK_DECLARE_CLASS()

    virtual uint32_t GetUserValue() = 0;
    // Submits a transfer; the bytes asked for on success, 0 on failure.
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
    // Runs one transfer at the running offset and returns once it has ended:
    // the bytes it moved (fewer than asked at the end of the file or on
    // failure, with the last error set), by which the offset advances. It is
    // never listed: Collect does not see it.
    virtual uint32_t ReadAndWait(void* buffer, uint32_t count) = 0;
    virtual uint32_t WriteAndWait(const void* buffer, uint32_t count) = 0;
    // Asks the system to end every outstanding transfer; they stay listed
    // until collected.
    virtual bool Cancel() = 0;
    // Collects ended transfers, oldest first, without blocking: stops at the
    // first one still running. `results` (or null) has room for `maximum`.
    virtual uint32_t Collect(AsyncResult* results, uint32_t maximum) = 0;
    virtual uint32_t GetPendingCount() = 0;
    // With auto-remove on, transfers submitted meanwhile leave the list by
    // themselves when they end, during an alertable wait of the submitter.
    virtual bool SetAutoRemove(bool on) = 0;
    virtual bool GetAutoRemove() = 0;
};

} // namespace Orvex
