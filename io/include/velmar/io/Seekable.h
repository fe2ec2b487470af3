#pragma once
// Moving a stream's position.

#include "velmar/foundation/nkMem.h"
#include "velmar/io/OpenMode.h"

#include <cstdint>

namespace Orvex
{

using nkMem::CMemObject;

class IOffsetSeek : public virtual CMemObject
{
    NK_DECLARE_CLASS()

    // Moves the position by `delta` from where it is.
    virtual bool Skip(int32_t delta) = 0;
    // As Skip; the distance moved (|delta|) on success, 0 on failure.
    virtual uint32_t SkipCount(int32_t delta) = 0;
};

class ISeekable : public IOffsetSeek
{
    NK_DECLARE_CLASS()

    bool Skip(int32_t delta) override { return Seek(delta, kSeekCurrent); }
    uint32_t SkipCount(int32_t delta) override
    {
        // Computed unsigned so that INT32_MIN has a magnitude too.
        const uint32_t distance =
            delta < 0 ? 0u - static_cast<uint32_t>(delta) : static_cast<uint32_t>(delta);
        return Seek(delta, kSeekCurrent) ? distance : 0;
    }
    // Origins: kSeekBegin, kSeekEnd, anything else the current position.
    virtual bool Seek(int32_t offset, uint32_t origin) = 0;
    // 64-bit form; by default the high word is ignored.
    virtual bool Seek64(uint32_t low, uint32_t high, uint32_t origin)
    {
        (void)high;
        return Seek(static_cast<int32_t>(low), origin);
    }
};

} // namespace Orvex
