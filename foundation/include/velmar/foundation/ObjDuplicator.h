#pragma once
// Duplication of objects together with their sub-objects.

#include "velmar/foundation/MemObject.h"

namespace nkMem
{

class IObjDuplicator : public virtual CMemObject
{
    NK_DECLARE_CLASS()

    // Copies this object's state into `target`, a fresh object of this class,
    // so that it behaves as `asClass`; false refuses the copy.
    virtual bool Duplicate(CMemObject* target, const CClassInfo* asClass) = 0;
    // Whether the object can be duplicated as `asClass`.
    virtual bool CanDuplicateAs(const CClassInfo* asClass) = 0;
    virtual uint32_t GetSubObjectCount() = 0;
    // Sub-object `i`, or null where the slot is empty.
    virtual IObjDuplicator* GetSubObject(uint32_t i) = 0;
    // Takes `child` (possibly null) as sub-object `i`; false when refused, in
    // which case the caller still owns `child`.
    virtual bool SetSubObject(IObjDuplicator* child, uint32_t i) = 0;
};

// CreateObject, kept only when the object is a duplicator; null otherwise.
IObjDuplicator* CreateDuplicator(const CClassInfo* cls);

// A new object of src's class holding src's state as `asClass`, with every
// sub-object cloned as its own class. Null when src is null or refuses.
// The clone is released with DestroyObjectTree.
IObjDuplicator* CloneObject(IObjDuplicator* src, const CClassInfo* asClass);

// Destroys the sub-objects (depth first) and then the object; each object is
// destroyed once even when it is reachable twice. Null is ignored.
void DestroyObjectTree(IObjDuplicator* obj);

} // namespace nkMem
