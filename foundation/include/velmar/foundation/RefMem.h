#pragma once
// A reference-counted byte block. Byte 0 of the block holds the number of
// CRefMemT objects that refer to it; the payload follows the header. The count
// saturates at N: a block with N sharers is copied, not shared, from then on.
//
// A holder is one word: the block's address with the holder's noShare flag in
// its low bit. The block records its own size in the header, so an empty
// holder costs no memory beyond that word.
#include "velmar/foundation/AutoPtr.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace nkMem
{

// Bytes before the payload of a shared block: the count byte, padding, and
// the block's size in bytes 4 to 7. The payload stays aligned for pointers,
// wide characters and 64-bit values.
inline constexpr std::uint32_t kRefMemHeader = 8;

class CMemStorage;

template <class T, unsigned N = 255> class CRefMemT
{
    static_assert(sizeof(T) == 1, "the count lives in the first element of the block");
    static_assert(N >= 2 && N <= 255, "the count is one byte");

public:
    CRefMemT() = default;
    CRefMemT(const CRefMemT& src) { *this = src; }
    ~CRefMemT() { ReleaseRef(); }

    // Shares src's block, or takes a private copy of it when noShare is set or
    // the block already has N sharers. On allocation failure this object
    // keeps what it had.
    CRefMemT& operator=(const CRefMemT& src)
    {
        if (&src == this)
            return *this;
        T* p = src.Block();
        if (!src.GetNoShare() && !src.IsSaturated())
        {
            // Count the new reference first: src may share our own block.
            if (p)
                ++p[0];
            ReleaseRef();
            SetBlock(p);
        }
        else
        {
            T* copy = nullptr;
            if (p)
            {
                const std::uint32_t size = SizeOf(p);
                copy = DefAllocArray<T>::Alloc(size);
                MemCopy(copy, p, size);
                copy[0] = 1;
            }
            ReleaseRef();
            SetBlock(copy);
        }
        SetNoShare(src.GetNoShare());
        return *this;
    }

    // Payload for reading; never copies. Null when there is no block.
    const T* GetData() const { return Block() ? Block() + kRefMemHeader : nullptr; }
    // Payload for writing: the block is made private first.
    T* GetWritableData()
    {
        MakeUnique();
        return Block() ? Block() + kRefMemHeader : nullptr;
    }
    std::uint32_t GetCapacity() const { return Block() ? SizeOf(Block()) - kRefMemHeader : 0; }
    std::uint32_t GetRefCount() const { return Block() ? Block()[0] : 0; }
    bool IsShared() const { return Block() && Block()[0] > 1; }
    bool IsSaturated() const { return Block() && Block()[0] >= N; }
    bool GetNoShare() const { return (m_bits & kNoShareBit) != 0; }
    void SetNoShare(bool on) { m_bits = on ? (m_bits | kNoShareBit) : (m_bits & ~kNoShareBit); }
    // The whole block (header included) and its size in bytes; null and 0
    // when there is none.
    const T* GetBlock() const { return Block(); }
    std::uint32_t GetBlockSize() const { return Block() ? SizeOf(Block()) : 0; }

    void AddRef()
    {
        T* p = Block();
        if (!p || p[0] >= N)
            return;
        ++p[0];
    }

    void ReleaseRef()
    {
        T* p = Block();
        if (!p)
            return;
        if (p[0] >= 2)
            --p[0];
        else
            DefFreeArray<T>::Free(p);
        SetBlock(nullptr);
    }

    // Gives this object a private block with the same bytes.
    void MakeUnique()
    {
        if (!IsShared())
            return;
        T* old = Block();
        const std::uint32_t size = SizeOf(old);
        T* p = DefAllocArray<T>::Alloc(size);
        MemCopy(p, old, size);
        p[0] = 1;
        --old[0];
        SetBlock(p);
    }

    // Makes the payload at least n bytes, keeping its contents, with this
    // object as sole owner. Returns n.
    std::uint32_t Reserve(std::uint32_t n)
    {
        if (n > 0xFFFFFFFFu - kRefMemHeader)
            throw std::bad_alloc();
        const std::uint32_t size = n + kRefMemHeader;
        T* old = Block();
        const bool shared = IsShared();
        if (old && !shared && SizeOf(old) >= size)
            return n;
        // A shared block is copied to exactly the size asked for, even a
        // smaller one; the other sharers keep theirs.
        T* p = DefAllocArray<T>::Alloc(size);
        if (old)
        {
            const std::uint32_t oldSize = SizeOf(old);
            MemCopy(p, old, oldSize < size ? oldSize : size);
        }
        p[0] = 1;
        SetSize(p, size);
        if (shared)
            --old[0];
        else if (old)
            DefFreeArray<T>::Free(old);
        SetBlock(p);
        return n;
    }

    // Takes a block allocated with DefAllocArray (at least the header's size)
    // as sole owner (count set to 1).
    void AdoptBlock(T* block, std::uint32_t size)
    {
        ReleaseRef();
        if (block && size < kRefMemHeader)
        {
            DefFreeArray<T>::Free(block);
            return;
        }
        if (block)
        {
            block[0] = 1;
            SetSize(block, size);
        }
        SetBlock(block);
    }

    void Swap(CRefMemT& other) noexcept
    {
        const std::uintptr_t b = m_bits;
        m_bits = other.m_bits;
        other.m_bits = b;
    }

private:
    friend class CMemStorage;

    // Blocks come from the array allocator, aligned to at least 8 bytes, so
    // the low bits of their address are free for flags.
    static constexpr std::uintptr_t kNoShareBit = 1;
    static constexpr std::uintptr_t kFlagBits = 7;

    T* Block() const { return reinterpret_cast<T*>(m_bits & ~kFlagBits); }
    void SetBlock(T* p) { m_bits = reinterpret_cast<std::uintptr_t>(p) | (m_bits & kNoShareBit); }
    static std::uint32_t SizeOf(const T* block)
    {
        std::uint32_t size;
        std::memcpy(&size, block + 4, sizeof size);
        return size;
    }
    static void SetSize(T* block, std::uint32_t size)
    {
        std::memcpy(block + 4, &size, sizeof size);
    }

    std::uintptr_t m_bits = 0;
};

} // namespace nkMem
