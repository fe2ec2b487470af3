#pragma once
// Raw and owning pointers to byte blocks, the base of every shared block.
#include "velmar/foundation/BulkPool.h"
#include "velmar/foundation/MemOps.h"

#include <cstdint>

namespace nkMem
{

// n rounded up to a whole multiple of a (a is 1 or 16 in practice, never 0).
inline std::uint32_t RoundUp(std::uint32_t n, std::uint32_t a)
{
    return (n % a == 0) ? n : (n / a + 1) * a;
}

// Allocates n bytes with the global array allocator, or from the bulk pool
// inside a CBulkScope; failure throws std::bad_alloc.
template <class T> struct DefAllocArray
{
    static T* Alloc(std::uint32_t bytes) { return reinterpret_cast<T*>(BulkAlloc(bytes)); }
};

// Releases a block from DefAllocArray and nulls the caller's pointer.
template <class T> struct DefFreeArray
{
    static void Free(T*& p)
    {
        if (!p)
            return;
        BulkFree(p);
        p = nullptr;
    }
};

// A plain pointer holder; null when nothing is held.
template <class T> class CBasePtr
{
public:
    CBasePtr() = default;
    explicit CBasePtr(T* p) : m_p(p) {}

    T* Get() const { return m_p; }
    operator T*() const { return m_p; }

protected:
    T* m_p = nullptr;
};

// Resize flags.
enum : std::uint32_t
{
    ResizeKeep = 1,      // copy the old contents into the new block
    ResizeForce = 2,     // reallocate even when the block is large enough
    ResizeDetachOld = 4, // with ResizeForce: forget the old block without freeing it
    ResizeBorrowed = 8,  // hold the new block as borrowed
    ResizeFreeOld = 16,  // free the old block
};

// A byte block that is either owned (freed on release) or borrowed (only
// forgotten on release).
template <class T, class Alloc = DefAllocArray<T>, class Free = DefFreeArray<T>>
class CAutoPtr : public CBasePtr<T>
{
public:
    explicit CAutoPtr(std::uint32_t initialSize = 0) : m_size(initialSize)
    {
        if (initialSize > 0)
            Resize(initialSize, ResizeKeep | ResizeForce, 1);
    }
    CAutoPtr(const CAutoPtr&) = delete;
    CAutoPtr& operator=(const CAutoPtr&) = delete;
    virtual ~CAutoPtr() { Release(); }

    std::uint32_t GetSize() const { return m_size; }
    bool IsBorrowed() const { return m_borrowed != 0; }
    bool IsEmpty() const { return m_size == 0 || this->m_p == nullptr; }

    // Returns false when the block was already large enough and not forced;
    // callers take that as success. A failed allocation throws and leaves
    // the block as it was.
    bool Resize(std::uint32_t newSize, std::uint32_t flags, std::uint32_t alignment)
    {
        if (newSize == 0)
        {
            Release();
            m_size = 0;
            return true;
        }
        if (m_size >= newSize && !(flags & ResizeForce))
            return false;
        const std::uint32_t bytes = RoundUp(newSize, alignment);
        T* block = Alloc::Alloc(bytes);
        if ((flags & ResizeKeep) && !IsEmpty())
            MemCopy(block, this->m_p, m_size < bytes ? m_size : bytes);
        if ((flags & ResizeForce) && (flags & ResizeDetachOld))
        {
            Detach();
        }
        else if (flags & ResizeFreeOld)
        {
            m_borrowed = 0;
            Release();
        }
        Release();
        this->m_p = block;
        m_borrowed = (flags & ResizeBorrowed) ? 1 : 0;
        m_size = bytes;
        return true;
    }

    // Holds p (of size bytes) as owned, releasing the current block first.
    void Attach(T* p, std::uint32_t size = 0)
    {
        Release();
        this->m_p = p;
        m_size = p ? size : 0;
        m_borrowed = 0;
    }
    // Holds p as borrowed, releasing the current block first.
    void AttachBorrowed(T* p, std::uint32_t size = 0)
    {
        Release();
        this->m_p = p;
        m_size = p ? size : 0;
        m_borrowed = 1;
    }
    // Forgets the block without freeing it.
    T* Detach()
    {
        T* p = this->m_p;
        this->m_p = nullptr;
        m_size = 0;
        m_borrowed = 1;
        return p;
    }
    // Forgets a borrowed block, frees an owned one.
    void Release()
    {
        if (m_borrowed)
            this->m_p = nullptr;
        else
            Free::Free(this->m_p);
        m_borrowed = 1;
        m_size = 0;
    }
    // Frees the block whatever its flag says.
    void FreeBlock()
    {
        m_borrowed = 0;
        Release();
    }
    void Swap(CAutoPtr& other) noexcept
    {
        T* p = this->m_p;
        this->m_p = other.m_p;
        other.m_p = p;
        const std::uint8_t b = m_borrowed;
        m_borrowed = other.m_borrowed;
        other.m_borrowed = b;
        const std::uint32_t s = m_size;
        m_size = other.m_size;
        other.m_size = s;
    }

private:
    std::uint8_t m_borrowed = 1;
    std::uint32_t m_size = 0;
};

} // namespace nkMem
