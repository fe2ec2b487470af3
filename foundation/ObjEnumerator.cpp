#include "velmar/foundation/ObjEnumerator.h"

namespace nkMem
{

NK_DEFINE_ABSTRACT_CLASS(IObjEnumerator, CMemObject)
NK_DEFINE_CLASS(CObjEnumerator, IObjEnumerator)

void CObjEnumerator::Attach(CMemObject* const* items, uint32_t count)
{
    m_items = items;
    m_count = items != nullptr ? count : 0;
    m_cursor = 0;
}

bool CObjEnumerator::Reset()
{
    m_cursor = 0;
    return true;
}

CMemObject* CObjEnumerator::Next()
{
    if (m_items == nullptr || m_cursor >= m_count)
        return nullptr;
    return m_items[m_cursor++];
}

} // namespace nkMem
