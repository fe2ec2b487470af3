#pragma once
// A reference-counted byte block. Byte 0 of the block holds the number of
// CRefMemT objects that refer to it; the payload follows the header. The count
// saturates at N: a block with N sharers is copied, not shared, from then on.
#include "foundation/AutoPtr.h"

#include <cstdint>
#include <new>

namespace nkMem {

// Bytes before the payload of a shared block: the count byte, then padding,
// so that pointers, wide characters and 64-bit values stored in the payload
// are aligned (a payload right after the count byte would misalign them all).
inline constexpr std::uint32_t kRefMemHeader = 8;

template <class T, unsigned N = 255>
class CRefMemT
{
    static_assert(sizeof(T) == 1, "the count lives in the first element of the block");
    static_assert(N >= 2 && N <= 255, "the count is one byte");

public:
    using Block = CAutoPtr<T, DefAllocArray<T>, DefFreeArray<T>>;

    CRefMemT() = default;
    CRefMemT(const CRefMemT& src) { *this = src; }
    virtual ~CRefMemT() { ReleaseRef(); }

    // Shares src's block, or takes a private copy of it when noShare is set or
    // the block already has N sharers. On allocation failure this object
    // keeps what it had.
    CRefMemT& operator=(const CRefMemT& src)
    {
        if (&src == this)
            return *this;
        if (!src.m_noShare && !src.IsSaturated()) {
            if (!src.m_block.IsEmpty()) {
                // Count the new reference first: src may share our own block.
                T* p = src.m_block.Get();
                const std::uint32_t size = src.m_block.GetSize();
                ++p[0];
                ReleaseRef();
                m_block.AttachBorrowed(p, size);
            } else {
                ReleaseRef();
            }
        } else {
            Block copy;
            if (src.m_block.GetSize() > 0) {
                copy.Resize(src.m_block.GetSize(), 0, 1);
                MemCopy(copy.Get(), src.m_block.Get(), src.m_block.GetSize());
                if (!copy.IsEmpty())
                    copy.Get()[0] = 1;
            }
            ReleaseRef();
            m_block.Swap(copy);
        }
        m_noShare = src.m_noShare;
        return *this;
    }

    // Payload for reading; never copies. Null when there is no block.
    const T* GetData() const { return m_block.Get() ? m_block.Get() + kRefMemHeader : nullptr; }
    // Payload for writing: the block is made private first.
    T* GetWritableData()
    {
        MakeUnique();
        return m_block.Get() ? m_block.Get() + kRefMemHeader : nullptr;
    }
    std::uint32_t GetCapacity() const { return m_block.Get() && m_block.GetSize() >= kRefMemHeader ? m_block.GetSize() - kRefMemHeader : 0; }
    std::uint32_t GetRefCount() const { return m_block.IsEmpty() ? 0 : m_block.Get()[0]; }
    bool IsShared() const { return !m_block.IsEmpty() && m_block.Get()[0] > 1; }
    bool IsSaturated() const { return !m_block.IsEmpty() && m_block.Get()[0] >= N; }
    bool GetNoShare() const { return m_noShare != 0; }
    void SetNoShare(bool on) { m_noShare = on ? 1 : 0; }
    const Block& GetBlock() const { return m_block; }

    void AddRef()
    {
        if (m_block.IsEmpty() || m_block.Get()[0] >= N)
            return;
        ++m_block.Get()[0];
    }

    void ReleaseRef()
    {
        if (m_block.IsEmpty()) {
            m_block.Release();
            return;
        }
        T* p = m_block.Get();
        if (p[0] >= 2) {
            --p[0];
            m_block.Detach();
        } else {
            m_block.FreeBlock();
        }
    }

    // Gives this object a private block with the same bytes.
    void MakeUnique()
    {
        if (!IsShared())
            return;
        T* old = m_block.Get();
        m_block.Resize(m_block.GetSize(), ResizeKeep | ResizeForce | ResizeDetachOld | ResizeBorrowed, 1);
        m_block.Get()[0] = 1;
        --old[0];
    }

    // Makes the payload at least n bytes, keeping its contents, with this
    // object as sole owner. Returns n.
    std::uint32_t Reserve(std::uint32_t n)
    {
        if (n > 0xFFFFFFFFu - kRefMemHeader)
            throw std::bad_alloc();
        if (IsShared()) {
            T* old = m_block.Get();
            m_block.Resize(n + kRefMemHeader, ResizeKeep | ResizeForce | ResizeDetachOld | ResizeBorrowed, 1);
            m_block.Get()[0] = 1;
            --old[0];
        } else if (m_block.Resize(n + kRefMemHeader, ResizeKeep | ResizeBorrowed | ResizeFreeOld, 1)) {
            m_block.Get()[0] = 1;
        }
        return n;
    }

    // Takes a block allocated with DefAllocArray as sole owner (count set to 1).
    void AdoptBlock(T* block, std::uint32_t size)
    {
        ReleaseRef();
        m_block.AttachBorrowed(block, size);
        if (block && size)
            block[0] = 1;
    }

    void Swap(CRefMemT& other) noexcept
    {
        const std::uint8_t ns = m_noShare;
        m_noShare = other.m_noShare;
        other.m_noShare = ns;
        m_block.Swap(other.m_block);
    }

private:
    std::uint8_t m_noShare = 0;
    Block m_block;
};

} // namespace nkMem
