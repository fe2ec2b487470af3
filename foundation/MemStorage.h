#pragma once
// The storage holder of strings and containers: nothing, a borrowed external
// buffer that is never grown or freed, or a shared reference-counted block.
#include "foundation/RefMem.h"

#include <cstdint>
#include <new>

namespace nkMem {

using CRefMem = CRefMemT<unsigned char, 255>;

enum StorageKind : std::uint32_t
{
    StorageNone = 0,
    StorageExternal = 1,
    StorageShared = 2,
};

class CMemStorage
{
public:
    explicit CMemStorage(StorageKind kind = StorageShared) : m_kind(StorageNone) { Become(kind); }
    CMemStorage(const CMemStorage& src) : m_kind(StorageNone) { *this = src; }
    ~CMemStorage() { Clear(); }

    // Shares (or, when the source asks for it, copies) the source's content.
    // On allocation failure this holder keeps what it had.
    CMemStorage& operator=(const CMemStorage& src)
    {
        if (&src == this)
            return *this;
        if (src.m_kind == StorageShared && m_kind == StorageShared) {
            *RefMem() = *src.RefMem(); // keeps our block if a copy fails
        } else if (src.m_kind == StorageShared) {
            CRefMem copy;
            copy = *src.RefMem();
            Become(StorageShared);
            RefMem()->Swap(copy);
        } else if (src.m_kind == StorageExternal) {
            Clear();
            m_kind = StorageExternal;
            m_ext = src.m_ext;
        } else {
            Clear();
        }
        return *this;
    }

    StorageKind GetKind() const { return static_cast<StorageKind>(m_kind); }

    const void* GetData() const
    {
        switch (m_kind) {
        case StorageExternal: return m_ext.data;
        case StorageShared: return RefMem()->GetData();
        default: return nullptr;
        }
    }
    void* GetWritableData()
    {
        switch (m_kind) {
        case StorageExternal: return m_ext.data;
        case StorageShared: return RefMem()->GetWritableData();
        default: return nullptr;
        }
    }
    // Makes room for at least bytes of payload. An external buffer is never
    // grown: its capacity is returned instead.
    std::uint32_t Reserve(std::uint32_t bytes)
    {
        if (m_kind == StorageExternal)
            return m_ext.capacity;
        if (m_kind == StorageNone)
            Become(StorageShared);
        return RefMem()->Reserve(bytes);
    }
    std::uint32_t GetCapacity() const
    {
        switch (m_kind) {
        case StorageExternal: return m_ext.capacity;
        case StorageShared: return RefMem()->GetCapacity();
        default: return 0;
        }
    }
    bool IsGrowable() const { return m_kind != StorageExternal; }
    bool IsShared() const { return m_kind == StorageShared && RefMem()->IsShared(); }
    bool IsReadOnly() const { return m_kind == StorageExternal || IsShared(); }

    // Borrows a caller's buffer of capacity bytes; it must outlive this holder
    // and every copy of it.
    void SetExternal(void* data, std::uint32_t capacity)
    {
        Clear();
        m_kind = StorageExternal;
        m_ext.data = static_cast<unsigned char*>(data);
        m_ext.capacity = capacity;
    }

    // Takes a block from DefAllocArray (count byte included) as sole owner,
    // dropping this holder's reference to its previous block.
    void AdoptBlock(unsigned char* block, std::uint32_t size)
    {
        if (m_kind != StorageShared)
            Become(StorageShared);
        RefMem()->AdoptBlock(block, size);
    }

    // The shared block, or null for the other kinds.
    CRefMem* GetRefMem() { return m_kind == StorageShared ? RefMem() : nullptr; }
    const CRefMem* GetRefMem() const { return m_kind == StorageShared ? RefMem() : nullptr; }

    void SetNoShare(bool on)
    {
        if (m_kind == StorageShared)
            RefMem()->SetNoShare(on);
    }

    void Swap(CMemStorage& other) noexcept
    {
        // Neither kind holds a pointer into itself, so the bytes can trade places.
        alignas(CRefMem) unsigned char tmp[sizeof(m_area)];
        MemCopy(tmp, m_area, sizeof(m_area));
        MemCopy(m_area, other.m_area, sizeof(m_area));
        MemCopy(other.m_area, tmp, sizeof(m_area));
        const std::uint32_t k = m_kind;
        m_kind = other.m_kind;
        other.m_kind = k;
    }

private:
    struct External
    {
        unsigned char* data;
        std::uint32_t capacity;
    };

    CRefMem* RefMem() { return std::launder(reinterpret_cast<CRefMem*>(m_area)); }
    const CRefMem* RefMem() const { return std::launder(reinterpret_cast<const CRefMem*>(m_area)); }

    void Clear()
    {
        if (m_kind == StorageShared)
            RefMem()->~CRefMem();
        m_kind = StorageNone;
    }
    void Become(StorageKind kind)
    {
        Clear();
        if (kind == StorageShared)
            ::new (static_cast<void*>(m_area)) CRefMem();
        else if (kind == StorageExternal)
            m_ext = External{nullptr, 0};
        m_kind = kind;
    }

    union
    {
        alignas(CRefMem) unsigned char m_area[sizeof(CRefMem)];
        External m_ext;
    };
    std::uint32_t m_kind;
};

} // namespace nkMem
