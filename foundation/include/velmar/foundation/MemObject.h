#pragma once
// The common virtual root of the libraries' interfaces, with creation and
// destruction of objects from their class records.

#include "velmar/foundation/ClassInfo.h"

namespace nkMem
{

class CMemObject
{
public:
    static const CClassInfo s_classInfo;

    // The record of the object's own (most derived) class.
    virtual const CClassInfo* GetClassInfo() const { return &s_classInfo; }
    virtual ~CMemObject() = default;
};

// True when obj's class is `cls` or derives from it.
bool IsKindOf(const CMemObject* obj, const CClassInfo* cls);
// The first record in `classes` that obj is a kind of, or null.
const CClassInfo* FindKindOf(const CMemObject* obj, const CClassInfo* const* classes,
                             uint32_t count);

// Allocates the record's size and runs its factory there; null for a null or
// abstract record, or when the factory refuses.
CMemObject* CreateObject(const CClassInfo* cls);
// Destroys the complete object that `obj` belongs to and frees its memory.
// Works through any interface pointer; null is ignored. The object must come
// from CreateObject or a plain `new`.
void DestroyObject(CMemObject* obj);

} // namespace nkMem
