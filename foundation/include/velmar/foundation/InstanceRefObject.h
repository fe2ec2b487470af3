#pragma once
// A base for objects that own a handle and may be copied: all copies share one
// heap counter, so that only the last holder releases the handle.

namespace nkMem
{

template <class T> class CInstanceRefObjectT
{
public:
    CInstanceRefObjectT() = default;
    CInstanceRefObjectT(const CInstanceRefObjectT& other) { ShareWith(other); }
    CInstanceRefObjectT& operator=(const CInstanceRefObjectT& other)
    {
        ShareWith(other);
        return *this;
    }

    virtual ~CInstanceRefObjectT()
    {
        if (IsShared())
            ReleaseRef();
        else
            FreeCounter();
    }

    // Counts one more holder; the first call creates the counter.
    void AddRef()
    {
        if (m_pRefCount == nullptr)
            m_pRefCount = new T(0);
        ++*m_pRefCount;
    }

    // True while another holder shares the counter.
    bool IsShared() const { return m_pRefCount != nullptr && *m_pRefCount > 1; }

    // Counts one holder less; returns the count before.
    T ReleaseRef()
    {
        if (m_pRefCount == nullptr)
            return 0;
        T before = *m_pRefCount;
        if (before > 0)
            --*m_pRefCount;
        return before;
    }

    // Leaves the current group of holders and joins other's.
    void ShareWith(const CInstanceRefObjectT& other)
    {
        // Holders of one counter are already together; leaving first could
        // free the very counter about to be joined.
        if (&other == this || other.m_pRefCount == m_pRefCount)
            return;
        if (IsShared())
            ReleaseRef();
        else
            FreeCounter(); // a sole holder's counter would otherwise be lost
        m_pRefCount = other.m_pRefCount;
        if (m_pRefCount != nullptr)
            AddRef();
    }

    // The shared count, 0 when there is no counter.
    T GetRefCount() const { return m_pRefCount != nullptr ? *m_pRefCount : 0; }

protected:
    T* m_pRefCount = nullptr;

private:
    void FreeCounter()
    {
        delete m_pRefCount;
        m_pRefCount = nullptr;
    }
};

} // namespace nkMem
