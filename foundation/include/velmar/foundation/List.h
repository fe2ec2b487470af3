#pragma once
// Sequence containers over one contiguous shared block. Copies share the block
// until one of them writes; then the writer copies the elements one by one
// into a block of its own. Growth is exact: no spare room, no doubling.
//
// Elements are relocated with plain byte moves, so an element type must not
// hold pointers into itself (strings, pointers and plain records qualify).
//
// A list is a count and one word of storage, and has no virtual operations:
// tree nodes hold one each, and a document has millions of them. Never delete
// a derived list through a pointer to CList.
#include "velmar/foundation/MemStorage.h"

#include <cstdint>
#include <new>
#include <type_traits>

namespace nkMem
{

// Names the element type of a container; no data, no virtual operations.
template <class T> class CGenContainer
{
public:
    using ElementType = T;
};

template <class T> class CList : public CGenContainer<T>
{
    static_assert(alignof(T) <= kRefMemHeader,
                  "elements must fit the payload alignment of a shared block");

public:
    CList() = default;
    CList(const CList& src) : m_count(src.m_count), m_storage(src.m_storage)
    {
        AdoptCopiedElements(src);
    }
    CList& operator=(const CList& src)
    {
        if (this != &src)
        {
            CList copy(src);
            SwapWith(copy);
        }
        return *this;
    }
    ~CList()
    {
        if (!m_storage.IsReadOnly())
            DestroyRange(Elements(), m_count);
    }

    std::uint32_t GetCount() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    // Capacity in elements.
    std::uint32_t GetCapacity() const { return m_storage.GetCapacity() / sizeof(T); }
    const T* GetData() const { return static_cast<const T*>(m_storage.GetData()); }
    const T& GetAt(std::uint32_t i) const { return GetData()[i]; }
    const T& operator[](std::uint32_t i) const { return GetData()[i]; }
    // Element i in storage of this list's own (copied first when shared).
    T& GetAtForWrite(std::uint32_t i) { return Writable()[i]; }
    const T* begin() const { return GetData(); }
    const T* end() const { return GetData() + m_count; }

    std::uint32_t Add(const T& x) { return InsertAt(m_count, &x, 1); }

    // Inserts copies of src[0..n) before index (at the end when index is past
    // it). Returns the number inserted: n, or 0 when a borrowed buffer
    // cannot take them all.
    std::uint32_t InsertAt(std::uint32_t index, const T* src, std::uint32_t n)
    {
        if (!src || n == 0)
            return 0;
        if (index > m_count)
            index = m_count;
        const T* data = GetData();
        if (data && src + n > data && src < data + m_count)
        {
            // The source lies in our own elements, which are about to move.
            CList copy;
            copy.InsertAt(0, src, n);
            return InsertAt(index, copy.GetData(), n);
        }
        if (n > kMaxCount - m_count)
            throw std::bad_alloc();
        const std::uint32_t newCount = m_count + n;
        if (!m_storage.IsGrowable() && newCount > GetCapacity())
            return 0;

        if (newCount <= GetCapacity())
        {
            T* p = Writable();
            if (index < m_count)
                MemMove(p + index + n, p + index, (m_count - index) * sizeof(T));
            try
            {
                CopyRange(p + index, src, n);
            }
            catch (...)
            {
                if (index < m_count)
                    MemMove(p + index, p + index + n, (m_count - index) * sizeof(T));
                throw;
            }
            m_count = newCount;
            return n;
        }

        const std::uint32_t bytes =
            newCount * static_cast<std::uint32_t>(sizeof(T)) + kRefMemHeader;
        unsigned char* block = DefAllocArray<unsigned char>::Alloc(bytes);
        T* p = reinterpret_cast<T*>(block + kRefMemHeader);
        const T* old = GetData();
        const bool shared = m_storage.IsShared();
        try
        {
            if (m_count && !shared)
            {
                // Sole owner: the elements just change place.
                MemCopy(p, old, index * sizeof(T));
                MemCopy(p + index + n, old + index, (m_count - index) * sizeof(T));
            }
            if (shared)
                CopyRange(p, old, index);
            try
            {
                CopyRange(p + index, src, n);
                try
                {
                    if (shared)
                        CopyRange(p + index + n, old + index, m_count - index);
                }
                catch (...)
                {
                    DestroyRange(p + index, n);
                    throw;
                }
            }
            catch (...)
            {
                if (shared)
                    DestroyRange(p, index);
                throw;
            }
        }
        catch (...)
        {
            DefFreeArray<unsigned char>::Free(block);
            throw;
        }
        m_storage.AdoptBlock(block, bytes);
        m_count = newCount;
        return n;
    }

    // Removes n elements from index; past the end it removes what is there.
    // Returns the number removed.
    std::uint32_t RemoveAt(std::uint32_t index, std::uint32_t n = 1)
    {
        if (index >= m_count || n == 0)
            return 0;
        const std::uint32_t k = (n < m_count - index) ? n : m_count - index;
        T* p = Writable();
        DestroyRange(p + index, k);
        if (index + k < m_count)
            MemMove(p + index, p + index + k, (m_count - index - k) * sizeof(T));
        m_count -= k;
        return k;
    }

    // Keeps at most n elements and makes room for n; with zeroFill the room
    // past the count is zeroed. The count is never raised.
    void Truncate(std::uint32_t n, bool zeroFill)
    {
        if (n < m_count)
            RemoveAt(n, m_count - n);
        if (n > kMaxCount)
            throw std::bad_alloc();
        Writable();
        m_storage.Reserve(n * static_cast<std::uint32_t>(sizeof(T)));
        if (zeroFill && n > m_count)
        {
            const std::uint32_t cap = GetCapacity();
            const std::uint32_t end = n < cap ? n : cap;
            if (end > m_count)
                MemZero(static_cast<T*>(m_storage.GetWritableData()) + m_count,
                        (end - m_count) * sizeof(T));
        }
    }

    // Makes the count n. New plain elements are zeroed with zeroFill (else left
    // as they are); new elements of class type are default-constructed.
    void SetSize(std::uint32_t n, bool zeroFill)
    {
        if (n <= m_count)
        {
            RemoveAt(n, m_count - n);
            return;
        }
        if (n > GetCapacity())
            Truncate(n, zeroFill);
        T* p = Writable();
        const std::uint32_t cap = GetCapacity();
        if (n > cap)
            n = cap; // a borrowed buffer does not grow
        if (n <= m_count)
            return;
        if constexpr (kPlain)
        {
            if (zeroFill)
                MemZero(p + m_count, (n - m_count) * sizeof(T));
        }
        else
        {
            std::uint32_t k = m_count;
            try
            {
                for (; k < n; ++k)
                    ::new (static_cast<void*>(p + k)) T();
            }
            catch (...)
            {
                DestroyRange(p + m_count, k - m_count);
                throw;
            }
        }
        m_count = n;
    }

    // Exchanges elements i and j.
    void Swap(std::uint32_t i, std::uint32_t j)
    {
        if (i == j)
            return;
        T* p = Writable();
        alignas(T) unsigned char tmp[sizeof(T)];
        MemCopy(tmp, p + i, sizeof(T));
        MemCopy(p + i, p + j, sizeof(T));
        MemCopy(p + j, tmp, sizeof(T));
    }

    // Destroys the elements and keeps the block. A shared block is let go
    // instead: its elements belong to the other sharers, and an empty list
    // still holding it would, as its last holder, never destroy them.
    void RemoveAll()
    {
        if (m_storage.IsShared())
        {
            CMemStorage fresh;
            fresh.SetNoShare(m_storage.GetRefMem()->GetNoShare());
            m_storage.Swap(fresh);
        }
        else if (!m_storage.IsReadOnly())
        {
            DestroyRange(Elements(), m_count);
        }
        m_count = 0;
    }

    // Makes every later copy of this list take a private block.
    void SetNoShare(bool on) { m_storage.SetNoShare(on); }
    const CMemStorage& GetStorage() const { return m_storage; }

    // Exchanges the contents of two lists.
    void SwapWith(CList& other) noexcept
    {
        const std::uint32_t c = m_count;
        m_count = other.m_count;
        other.m_count = c;
        m_storage.Swap(other.m_storage);
    }

private:
    static constexpr bool kPlain =
        std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>;
    static constexpr std::uint32_t kMaxCount = (0xFFFFFFF0u - kRefMemHeader) / sizeof(T);

    T* Elements() { return const_cast<T*>(GetData()); }

    static void DestroyRange(T* p, std::uint32_t n)
    {
        if constexpr (!kPlain)
        {
            while (n > 0)
                p[--n].~T();
        }
        else
        {
            (void)p;
            (void)n;
        }
    }
    // Copy-constructs n elements; on failure destroys those made and rethrows.
    static void CopyRange(T* dst, const T* src, std::uint32_t n)
    {
        if constexpr (kPlain)
        {
            MemCopy(dst, src, n * sizeof(T));
        }
        else
        {
            std::uint32_t k = 0;
            try
            {
                for (; k < n; ++k)
                    ::new (static_cast<void*>(dst + k)) T(src[k]);
            }
            catch (...)
            {
                DestroyRange(dst, k);
                throw;
            }
        }
    }

    // Storage of this list's own. A shared block is copied first, its
    // elements copied one by one, so the other sharers keep theirs.
    T* Writable()
    {
        if (m_storage.IsShared())
        {
            CMemStorage fresh;
            fresh.SetNoShare(m_storage.GetRefMem()->GetNoShare());
            fresh.Reserve(m_storage.GetCapacity());
            T* p1 = static_cast<T*>(fresh.GetWritableData());
            CopyRange(p1, GetData(), m_count);
            m_storage.Swap(fresh); // fresh now drops our reference to the old block
        }
        return static_cast<T*>(m_storage.GetWritableData());
    }

    // After a holder copy: when the source's block was copied byte for byte
    // (noShare, or 255 sharers) the elements in it are not ours yet.
    void AdoptCopiedElements(const CList& src)
    {
        const T* p0 = src.GetData();
        T* p1 = Elements();
        if constexpr (!kPlain)
        {
            if (m_count && p1 && p1 != p0 && m_storage.GetKind() == StorageShared)
            {
                try
                {
                    CopyRange(p1, p0, m_count);
                }
                catch (...)
                {
                    m_count = 0;
                    throw;
                }
            }
        }
        else
        {
            (void)p0;
            (void)p1;
        }
    }

    std::uint32_t m_count = 0;
    CMemStorage m_storage;
};

} // namespace nkMem
