#pragma once
// Run-time class records: one static, read-only record per class, naming the
// class, its size, how to construct it in raw memory, and its direct bases.

#include <cstdint>
#include <new>

namespace nkMem
{

class CMemObject;

// Constructs an object of the record's class in `mem` (at least `size` bytes)
// and returns it as its CMemObject sub-object; null when it cannot.
using PFN_CREATE_OBJECT = CMemObject* (*)(void* mem, uint32_t size);

struct CClassInfo
{
    const char* name;               // class name, e.g. "CNopCmd"
    uint32_t size;                  // bytes that CreateObject allocates
    PFN_CREATE_OBJECT factory;      // null for abstract classes
    uint32_t reserved[3];           // always 0
    const CClassInfo* const* bases; // direct bases, null-terminated
};

// True when `base` is a direct or indirect base of `cls` (never for null).
bool IsDerivedFrom(const CClassInfo* cls, const CClassInfo* base);
// The same test by exact class name.
bool IsDerivedFrom(const CClassInfo* cls, const char* baseName);
// First record in `classes` whose name equals `name` exactly, or null.
const CClassInfo* FindClassByName(const char* name, const CClassInfo* const* classes,
                                  uint32_t count);

// The null-terminated base array of a record: ClassBases<IFoo, IBar>.
template <class... Bases>
inline constexpr const CClassInfo* ClassBases[] = {&Bases::s_classInfo..., nullptr};

// Factory used by concrete records: default-constructs T in place.
template <class T> CMemObject* ConstructObject(void* mem, uint32_t size)
{
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__,
                  "CreateObject hands out memory of the allocator's default alignment");
    if (mem == nullptr || size < sizeof(T))
        return nullptr;
    return static_cast<CMemObject*>(::new (mem) T());
}

} // namespace nkMem

// Inside a class derived from CMemObject: declares its record and answers it.
#define NK_DECLARE_CLASS()                                                                         \
public:                                                                                            \
    static const ::nkMem::CClassInfo s_classInfo;                                                  \
    const ::nkMem::CClassInfo* GetClassInfo() const override                                       \
    {                                                                                              \
        return &s_classInfo;                                                                       \
    }

// At namespace scope, in the class's own namespace, in one source file:
// the record of a class that CreateObject can make; the bases follow the name.
#define NK_DEFINE_CLASS(cls, ...)                                                                  \
    const ::nkMem::CClassInfo cls::s_classInfo = {#cls,                                            \
                                                  sizeof(cls),                                     \
                                                  &::nkMem::ConstructObject<cls>,                  \
                                                  {0, 0, 0},                                       \
                                                  ::nkMem::ClassBases<__VA_ARGS__>};

// The record of an abstract class: kind tests only, no factory.
#define NK_DEFINE_ABSTRACT_CLASS(cls, ...)                                                         \
    const ::nkMem::CClassInfo cls::s_classInfo = {                                                 \
        #cls, sizeof(cls), nullptr, {0, 0, 0}, ::nkMem::ClassBases<__VA_ARGS__>};
