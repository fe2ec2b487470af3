#pragma once
// Walking a sequence of objects one at a time.

#include "velmar/foundation/MemObject.h"

namespace nkMem
{

class IObjEnumerator : public virtual CMemObject
{
    NK_DECLARE_CLASS()

    // Goes back to the first object; true when the enumerator can walk again.
    virtual bool Reset() = 0;
    // The next object, or null once the sequence is exhausted.
    virtual CMemObject* Next() = 0;
};

// An enumerator over an array it borrows: the array must outlive the walk.
class CObjEnumerator : public virtual IObjEnumerator
{
    NK_DECLARE_CLASS()

    CObjEnumerator() = default;
    CObjEnumerator(CMemObject* const* items, uint32_t count) : m_items(items), m_count(count) {}

    // Points the enumerator at another array and starts over.
    void Attach(CMemObject* const* items, uint32_t count);

    bool Reset() override;
    CMemObject* Next() override;

private:
    CMemObject* const* m_items = nullptr;
    uint32_t m_count = 0;
    uint32_t m_cursor = 0;
};

} // namespace nkMem
