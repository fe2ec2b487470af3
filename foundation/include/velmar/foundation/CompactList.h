#pragma once
// A list of plain elements (pointers, numbers) held in one word: the count
// lives at the front of the shared block, before the elements, so an empty
// list costs its holder only. Tree nodes keep their children in one; a
// document is millions of them. Copies share the block until either changes,
// as CList's do.
#include "velmar/foundation/MemOps.h"
#include "velmar/foundation/RefMem.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

namespace nkMem
{

template <class T> class CCompactList
{
    static constexpr std::uint32_t kHead = 8; // the count, then padding
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                  "elements are moved and copied as bytes");
    static_assert(alignof(T) <= kHead, "elements follow the count, aligned");

public:
    using ElementType = T;

    std::uint32_t GetCount() const
    {
        const unsigned char* p = m_block.GetData();
        std::uint32_t n = 0;
        if (p)
            std::memcpy(&n, p, sizeof n);
        return n;
    }
    bool IsEmpty() const { return GetCount() == 0; }
    // Room in elements.
    std::uint32_t GetCapacity() const
    {
        const std::uint32_t bytes = m_block.GetCapacity();
        return bytes > kHead ? static_cast<std::uint32_t>((bytes - kHead) / sizeof(T)) : 0;
    }
    const T* GetData() const
    {
        const unsigned char* p = m_block.GetData();
        return p ? reinterpret_cast<const T*>(p + kHead) : nullptr;
    }
    const T& GetAt(std::uint32_t i) const { return GetData()[i]; }
    const T& operator[](std::uint32_t i) const { return GetData()[i]; }
    const T* begin() const { return GetData(); }
    const T* end() const { return GetData() + GetCount(); }

    std::uint32_t Add(const T& x)
    {
        // Appending to a block of the list's own with room left, as a
        // growing list nearly always does, is two stores.
        const std::uint32_t count = GetCount();
        if (count < GetCapacity() && !m_block.IsShared())
        {
            unsigned char* p = m_block.GetWritableData();
            std::memcpy(p + kHead + count * sizeof(T), &x, sizeof(T));
            const std::uint32_t n = count + 1;
            std::memcpy(p, &n, sizeof n);
            return 1;
        }
        return InsertAt(count, &x, 1);
    }

    // Inserts copies of src[0..n) before index (at the end when index is past
    // it) and returns n; std::bad_alloc when no memory is left.
    std::uint32_t InsertAt(std::uint32_t index, const T* src, std::uint32_t n)
    {
        if (!src || n == 0)
            return 0;
        const std::uint32_t count = GetCount();
        if (index > count)
            index = count;
        const T* data = GetData();
        if (data && src + n > data && src < data + count)
        {
            // The source lies in our own elements, which are about to move.
            CCompactList copy;
            copy.InsertAt(0, src, n);
            return InsertAt(index, copy.GetData(), n);
        }
        if (n > kMaxCount - count)
            throw std::bad_alloc();
        if (count + n > GetCapacity())
            Reserve(count + n);
        T* p = Writable();
        if (index < count)
            MemMove(p + index + n, p + index, (count - index) * sizeof(T));
        MemCopy(p + index, src, n * sizeof(T));
        SetCount(count + n);
        return n;
    }

    // Removes n elements from index; past the end it removes what is there.
    // Returns the number removed.
    std::uint32_t RemoveAt(std::uint32_t index, std::uint32_t n = 1)
    {
        const std::uint32_t count = GetCount();
        if (index >= count || n == 0)
            return 0;
        const std::uint32_t k = n < count - index ? n : count - index;
        T* p = Writable();
        if (index + k < count)
            MemMove(p + index, p + index + k, (count - index - k) * sizeof(T));
        SetCount(count - k);
        return k;
    }

    // Keeps at most n elements and makes room for n; zeroFill clears the
    // room past the count. The count is never raised.
    void Truncate(std::uint32_t n, bool zeroFill)
    {
        const std::uint32_t count = GetCount();
        if (n < count)
            RemoveAt(n, count - n);
        Reserve(n);
        if (zeroFill && n > count)
            MemZero(Writable() + count, (n - count) * sizeof(T));
    }

    // Exchanges elements i and j.
    void Swap(std::uint32_t i, std::uint32_t j)
    {
        if (i == j)
            return;
        T* p = Writable();
        const T t = p[i];
        p[i] = p[j];
        p[j] = t;
    }

    // Empties the list and keeps a block of its own; a shared one is let go.
    void RemoveAll()
    {
        if (m_block.IsShared())
            m_block.ReleaseRef();
        else if (m_block.GetData())
            SetCount(0);
    }

    void SwapWith(CCompactList& other) noexcept { m_block.Swap(other.m_block); }

private:
    static constexpr std::uint32_t kMaxCount =
        (0xFFFFFFF0u - kRefMemHeader - kHead) / static_cast<std::uint32_t>(sizeof(T));

    // Room for n elements in a block of this list's own, count kept.
    void Reserve(std::uint32_t n)
    {
        if (n > kMaxCount)
            throw std::bad_alloc();
        const bool fresh = m_block.GetData() == nullptr;
        if (fresh && n == 0)
            return;
        m_block.Reserve(kHead + n * static_cast<std::uint32_t>(sizeof(T)));
        if (fresh)
            SetCount(0);
    }
    // The elements in a block of this list's own (copied first when shared).
    T* Writable() { return reinterpret_cast<T*>(m_block.GetWritableData() + kHead); }
    void SetCount(std::uint32_t n) { std::memcpy(m_block.GetWritableData(), &n, sizeof n); }

    CRefMemT<unsigned char> m_block;
};

} // namespace nkMem
