#include "velmar/foundation/MemObject.h"

namespace nkMem
{

NK_DEFINE_ABSTRACT_CLASS(CMemObject)

bool IsKindOf(const CMemObject* obj, const CClassInfo* cls)
{
    if (obj == nullptr || cls == nullptr)
        return false;
    const CClassInfo* own = obj->GetClassInfo();
    return own == cls || IsDerivedFrom(own, cls);
}

const CClassInfo* FindKindOf(const CMemObject* obj, const CClassInfo* const* classes,
                             uint32_t count)
{
    if (obj == nullptr || classes == nullptr)
        return nullptr;
    for (uint32_t i = 0; i < count; ++i)
        if (classes[i] != nullptr && IsKindOf(obj, classes[i]))
            return classes[i];
    return nullptr;
}

CMemObject* CreateObject(const CClassInfo* cls)
{
    if (cls == nullptr || cls->factory == nullptr || cls->size == 0)
        return nullptr;
    void* mem = ::operator new(cls->size);
    CMemObject* obj = nullptr;
    try
    {
        obj = cls->factory(mem, cls->size);
    }
    catch (...)
    {
        ::operator delete(mem);
        throw;
    }
    if (obj == nullptr)
        ::operator delete(mem);
    return obj;
}

void DestroyObject(CMemObject* obj)
{
    if (obj == nullptr)
        return;
    // With virtual bases the interface pointer may sit anywhere inside the
    // object; the allocation starts at the most derived object.
    void* start = dynamic_cast<void*>(obj);
    obj->~CMemObject();
    ::operator delete(start);
}

} // namespace nkMem
