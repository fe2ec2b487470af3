#pragma once
// The storage holder of strings and containers: nothing, a borrowed external
// buffer that is never grown or freed, or a shared reference-counted block.
//
// The holder is a single word so that strings and lists stay small: for a
// shared block it is the CRefMem itself; the other kinds are told apart by
// flag bits the CRefMem never uses (a borrowed buffer's address and capacity
// live in a small descriptor of their own).
#include "velmar/foundation/RefMem.h"

#include <cstdint>
#include <new>

namespace nkMem
{

// Sharers a block may have before a copy is taken instead.
inline constexpr unsigned kMaxSharers = 255;
using CRefMem = CRefMemT<unsigned char, kMaxSharers>;

enum StorageKind : std::uint32_t
{
    StorageNone = 0,
    StorageExternal = 1,
    StorageShared = 2,
};

class CMemStorage
{
public:
    explicit CMemStorage(StorageKind kind = StorageShared) { Become(kind); }
    CMemStorage(const CMemStorage& src) { *this = src; }
    ~CMemStorage() { Clear(); }

    // Shares (or, when the source asks for it, copies) the source's content.
    // On allocation failure this holder keeps what it had.
    CMemStorage& operator=(const CMemStorage& src)
    {
        // The common case, small enough to inline: taking a share of a
        // block that may be shared, in place of no block or of one that
        // stays with other sharers (or is the same).
        const std::uintptr_t from = src.m_ref.m_bits;
        const std::uintptr_t mine = m_ref.m_bits;
        if (from != 0 && ((from | mine) & (kKindBits | CRefMem::kNoShareBit)) == 0)
        {
            auto* block = reinterpret_cast<unsigned char*>(from);
            auto* old = reinterpret_cast<unsigned char*>(mine);
            if (block[0] < kMaxSharers && (old == nullptr || old == block || old[0] >= 2))
            {
                ++block[0];
                if (old != nullptr)
                    --old[0];
                m_ref.m_bits = from;
                return *this;
            }
        }
        return Assign(src);
    }

private:
    CMemStorage& Assign(const CMemStorage& src)
    {
        if (&src == this)
            return *this;
        const StorageKind kind = src.GetKind();
        if (kind == StorageShared && GetKind() == StorageShared)
        {
            m_ref = src.m_ref; // keeps our block if a copy fails
        }
        else if (kind == StorageShared)
        {
            CRefMem copy;
            copy = src.m_ref;
            Clear();
            m_ref.Swap(copy);
        }
        else if (kind == StorageExternal)
        {
            const External* e = src.Ext();
            External* mine = new External{e->data, e->capacity};
            Clear();
            m_ref.m_bits = reinterpret_cast<std::uintptr_t>(mine) | kExternalTag;
        }
        else
        {
            Clear();
            m_ref.m_bits = kNoneTag;
        }
        return *this;
    }

public:
    StorageKind GetKind() const
    {
        switch (m_ref.m_bits & kKindBits)
        {
        case kExternalTag:
            return StorageExternal;
        case kNoneTag:
            return StorageNone;
        default:
            return StorageShared;
        }
    }

    const void* GetData() const
    {
        // A shared block, nearly every holder's, is read inline.
        if ((m_ref.m_bits & kKindBits) == 0)
            return m_ref.GetData();
        return GetKind() == StorageExternal ? Ext()->data : nullptr;
    }
    void* GetWritableData()
    {
        switch (GetKind())
        {
        case StorageExternal:
            return Ext()->data;
        case StorageShared:
            return m_ref.GetWritableData();
        default:
            return nullptr;
        }
    }
    // Makes room for at least bytes of payload. An external buffer is never
    // grown: its capacity is returned instead.
    std::uint32_t Reserve(std::uint32_t bytes)
    {
        const StorageKind kind = GetKind();
        if (kind == StorageExternal)
            return Ext()->capacity;
        if (kind == StorageNone)
            Become(StorageShared);
        return m_ref.Reserve(bytes);
    }
    std::uint32_t GetCapacity() const
    {
        switch (GetKind())
        {
        case StorageExternal:
            return Ext()->capacity;
        case StorageShared:
            return m_ref.GetCapacity();
        default:
            return 0;
        }
    }
    bool IsGrowable() const { return GetKind() != StorageExternal; }
    bool IsShared() const { return GetKind() == StorageShared && m_ref.IsShared(); }
    bool IsReadOnly() const { return GetKind() == StorageExternal || IsShared(); }

    // Borrows a caller's buffer of capacity bytes; it must outlive this holder
    // and every copy of it.
    void SetExternal(void* data, std::uint32_t capacity)
    {
        External* e = new External{static_cast<unsigned char*>(data), capacity};
        Clear();
        m_ref.m_bits = reinterpret_cast<std::uintptr_t>(e) | kExternalTag;
    }

    // Takes a block from DefAllocArray (count byte included) as sole owner,
    // dropping this holder's reference to its previous block.
    void AdoptBlock(unsigned char* block, std::uint32_t size)
    {
        if (GetKind() != StorageShared)
            Become(StorageShared);
        m_ref.AdoptBlock(block, size);
    }

    // The shared block, or null for the other kinds.
    CRefMem* GetRefMem() { return GetKind() == StorageShared ? &m_ref : nullptr; }
    const CRefMem* GetRefMem() const { return GetKind() == StorageShared ? &m_ref : nullptr; }

    void SetNoShare(bool on)
    {
        if (GetKind() == StorageShared)
            m_ref.SetNoShare(on);
    }

    void Swap(CMemStorage& other) noexcept { m_ref.Swap(other.m_ref); }

private:
    struct External
    {
        unsigned char* data;
        std::uint32_t capacity;
    };

    // Bits 1 and 2 of the word tell the kinds apart; a shared block leaves
    // them clear (its bit 0 is the noShare flag).
    static constexpr std::uintptr_t kKindBits = 6;
    static constexpr std::uintptr_t kNoneTag = 2;
    static constexpr std::uintptr_t kExternalTag = 4;
    static_assert(alignof(External) >= 8, "the descriptor's address must leave the flag bits free");

    const External* Ext() const
    {
        return reinterpret_cast<const External*>(m_ref.m_bits & ~CRefMem::kFlagBits);
    }

    // Back to a shared holder without a block.
    void Clear()
    {
        switch (GetKind())
        {
        case StorageShared:
            m_ref.ReleaseRef();
            break;
        case StorageExternal:
            delete Ext();
            break;
        default:
            break;
        }
        m_ref.m_bits = 0;
    }
    void Become(StorageKind kind)
    {
        Clear();
        if (kind == StorageNone)
            m_ref.m_bits = kNoneTag;
        else if (kind == StorageExternal)
            m_ref.m_bits =
                reinterpret_cast<std::uintptr_t>(new External{nullptr, 0}) | kExternalTag;
    }

    CRefMem m_ref;
};

} // namespace nkMem
