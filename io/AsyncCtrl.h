#pragma once
// The controller of overlapped transfers on an asynchronous file. Only the
// interface is here; its implementation over overlapped I/O is not built yet,
// so no file owns one (see io/FileWin.h).

#include "foundation/nkMem.h"

#include <cstdint>

namespace Orvex
{

using nkMem::CMemObject;

// One collected transfer: first word unused, then the request's fields.
struct AsyncResult
{
    uint32_t reserved;
    uint32_t userValue;
    uint32_t kind; // 1 read, 2 write
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
    virtual bool Cancel() = 0;
    // Collects completed transfers, oldest first, without blocking.
    virtual uint32_t Collect(AsyncResult* results, uint32_t maximum) = 0;
    virtual uint32_t GetPendingCount() = 0;
    virtual bool SetAutoRemove(bool on) = 0;
    virtual bool GetAutoRemove() = 0;
};

} // namespace Orvex
