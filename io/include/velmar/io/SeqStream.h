#pragma once
// Sequential readers and writers, and their combination.

#include "velmar/foundation/nkMem.h"
#include "velmar/io/Progress.h"

#include <cstdint>

namespace Orvex
{

using nkMem::CClassInfo;
using nkMem::CMemObject;

class ISeqStreamWriter;
class IAsyncCtrl;

class ISeqStreamReader : public virtual CMemObject
{
    NK_DECLARE_CLASS()

    // Copies the rest of this stream into `destination`; returns the bytes
    // the destination accepted.
    virtual uint32_t ReadTo(ISeqStreamWriter* destination, const ProgressSink* sink = nullptr);
    // Reads up to `count` bytes; 0 at the end or on failure.
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
};

class ISeqStreamWriter : public virtual CMemObject
{
    NK_DECLARE_CLASS()

    // Copies the rest of `source` into this stream; returns the bytes accepted.
    virtual uint32_t WriteFrom(ISeqStreamReader* source, const ProgressSink* sink = nullptr);
    // Writes up to `count` bytes; fewer than `count` means the rest was refused.
    virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
};

class ISequentialStream : public ISeqStreamReader, public ISeqStreamWriter
{
    NK_DECLARE_CLASS()

    virtual bool CanWrite() = 0;
    virtual bool CanRead() = 0;
    virtual bool IsAsync() { return GetAsyncCtrl() != nullptr; }
    // The controller of overlapped transfers, or null for a synchronous stream.
    virtual IAsyncCtrl* GetAsyncCtrl() = 0;
};

} // namespace Orvex
