#pragma once
// CObject and run-time class records: class names, IsKindOf and creation of an
// object from its class record (documents, frames and views are made that way).
#include "velmar/framework/AfxTypes.h"

class CObject;
class CArchive;

struct CRuntimeClass
{
    LPCSTR m_lpszClassName;          // the class's C++ name
    int m_nObjectSize;               // sizeof the class
    UINT m_wSchema;                  // 0xFFFF: not serializable
    CObject* (*m_pfnCreateObject)(); // null unless the class is dynamically creatable
    CRuntimeClass* m_pBaseClass;     // null only for CObject
    CRuntimeClass* m_pNextClass;     // chain of registered classes

    CObject* CreateObject() const; // new object, or null if not creatable
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
    static CRuntimeClass* FromName(LPCSTR lpszClassName); // a registered class by name, or null
};

// Links a class record into the list that FromName searches.
struct AFX_CLASSINIT
{
    explicit AFX_CLASSINIT(CRuntimeClass* pNewClass);
};

class CObject
{
public:
    static CRuntimeClass classCObject;
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;

    BOOL IsKindOf(const CRuntimeClass* pClass) const; // TRUE for the class and its bases
    virtual BOOL IsSerializable() const;
    virtual void Serialize(CArchive& ar); // nothing by default

protected:
    CObject() = default;

public:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                                                                \
public:                                                                                            \
    static CRuntimeClass class##class_name;                                                        \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                              \
    DECLARE_DYNAMIC(class_name)                                                                    \
    static CObject* CreateObject();

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                   \
    CRuntimeClass class_name::class##class_name = {#class_name,                                    \
                                                   sizeof(class_name),                             \
                                                   wSchema,                                        \
                                                   pfnNew,                                         \
                                                   RUNTIME_CLASS(base_class_name),                 \
                                                   nullptr};                                       \
    static AFX_CLASSINIT _init_##class_name(RUNTIME_CLASS(class_name));                            \
    CRuntimeClass* class_name::GetRuntimeClass() const                                             \
    {                                                                                              \
        return RUNTIME_CLASS(class_name);                                                          \
    }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                             \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                           \
    CObject* class_name::CreateObject()                                                            \
    {                                                                                              \
        return new class_name;                                                                     \
    }                                                                                              \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

// Checked downcast: null when the object is not of that class.
template <class T> T* AfxDynamicDownCast(CObject* pObject, const CRuntimeClass* pClass)
{
    return pObject && pObject->IsKindOf(pClass) ? static_cast<T*>(pObject) : nullptr;
}
#define DYNAMIC_DOWNCAST(class_name, object)                                                       \
    AfxDynamicDownCast<class_name>(object, RUNTIME_CLASS(class_name))
#define STATIC_DOWNCAST(class_name, object) (static_cast<class_name*>(object))
