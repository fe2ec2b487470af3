#pragma once
// An open-addressed hash table of heap-allocated pairs. Its slot list starts
// and ends with a sentinel (the all-ones pointer); it grows lazily to one past
// the highest home slot used, plus one slot at the end per collision.
#include "velmar/foundation/List.h"
#include "velmar/foundation/String.h"

#include <cstdint>

namespace nkMem
{

template <class K, class V> struct Pair
{
    K first;
    V second;

    Pair() = default;
    Pair(const K& k, const V& v) : first(k), second(v) {}
};

// Hash of a narrow string key: sum of each signed byte times (index + 119),
// wrapping at 32 bits.
inline std::uint32_t HashKey(const CStringT<char>& key)
{
    const char* s = key.GetString();
    std::uint32_t h = 0;
    if (!s)
        return 0;
    for (std::uint32_t i = 0; s[i] != 0; ++i)
        h += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(s[i]))) *
             (i + 119u);
    return h;
}

// The same sum over the units of a wide key.
inline std::uint32_t HashKey(const CStringT<wchar_t>& key)
{
    const wchar_t* s = key.GetString();
    std::uint32_t h = 0;
    if (!s)
        return 0;
    for (std::uint32_t i = 0; s[i] != 0; ++i)
        h += static_cast<std::uint32_t>(static_cast<std::int32_t>(s[i])) * (i + 119u);
    return h;
}

// Exact comparison; a key without a buffer equals the empty key.
template <class C> inline bool KeysEqual(const CStringT<C>& a, const CStringT<C>& b)
{
    return a.Compare(b, true) == 0;
}

template <class K, class V> class CHashTable : public CGenContainer<Pair<K, V>>
{
public:
    using PairType = Pair<K, V>;

    explicit CHashTable(std::uint32_t bucketCount = 16) : m_bucketCount(bucketCount)
    {
        const std::uint32_t room = bucketCount < 0xFFFFu ? bucketCount + 2 : 0xFFFFu + 2;
        m_slots.Truncate(room, true);
        RemoveAll();
    }
    CHashTable(const CHashTable&) = delete;
    CHashTable& operator=(const CHashTable&) = delete;
    virtual ~CHashTable() { DeletePairs(); }

    std::uint32_t GetBucketCount() const { return m_bucketCount; }
    // Number of stored pairs.
    std::uint32_t GetCount() const { return m_entryCount; }
    // Number of usable slots (the slot list without its two sentinels).
    std::uint32_t GetSlotCount() const { return m_slots.GetCount() - 2; }
    const CList<PairType*>& GetSlots() const { return m_slots; }

    std::uint32_t HomeSlot(const K& key) const
    {
        return m_bucketCount ? (HashKey(key) & (m_bucketCount - 1)) : 0;
    }

    // The slot holding key, or GetSlotCount() when it is absent.
    std::uint32_t Lookup(const K& key) const
    {
        const std::uint32_t usable = GetSlotCount();
        std::uint32_t s = HomeSlot(key);
        if (s >= usable)
            return usable;
        for (; s < usable; ++s)
        {
            const PairType* p = GetPair(s);
            if (p && KeysEqual(p->first, key))
                return s;
        }
        return usable;
    }

    // Stores a new pair without looking for an equal key (callers Lookup
    // first). Its home slot when free, else a new slot at the end.
    PairType* SetAt(const K& key, V value)
    {
        const std::uint32_t usable = GetSlotCount();
        std::uint32_t s = HomeSlot(key);
        if (s < usable && GetPair(s))
            s = usable;
        if (s >= usable)
        {
            if (s > 0xFFFFFFF0u)
                throw std::bad_alloc();
            // Grown first: should that fail, the old end sentinel still ends walks.
            m_slots.SetSize(s + 3, true);
            m_slots.GetAtForWrite(usable + 1) = nullptr;
            m_slots.GetAtForWrite(s + 2) = Sentinel();
        }
        PairType* pair = new PairType(key, value);
        m_slots.GetAtForWrite(s + 1) = pair;
        ++m_entryCount;
        return pair;
    }

    // Deletes the pair of slot i; false when the slot is free.
    bool RemoveSlot(std::uint32_t i)
    {
        PairType* p = GetPair(i);
        if (!p)
            return false;
        delete p;
        m_slots.GetAtForWrite(i + 1) = nullptr;
        --m_entryCount;
        return true;
    }

    PairType* GetPair(std::uint32_t i) const { return m_slots.GetAt(i + 1); }

    // Deletes every pair and shrinks the slots to the two sentinels.
    void RemoveAll()
    {
        DeletePairs();
        m_entryCount = 0;
        m_slots.SetSize(2, true);
        m_slots.GetAtForWrite(0) = Sentinel();
        m_slots.GetAtForWrite(1) = Sentinel();
    }

    // Walks the occupied slots: from the first slot over free ones up to the
    // end sentinel.
    class Iterator
    {
    public:
        explicit Iterator(PairType* const* p) : m_p(p) { Skip(); }
        PairType* operator*() const { return *m_p; }
        PairType* operator->() const { return *m_p; }
        Iterator& operator++()
        {
            ++m_p;
            Skip();
            return *this;
        }
        bool operator==(const Iterator& o) const { return m_p == o.m_p; }
        bool operator!=(const Iterator& o) const { return m_p != o.m_p; }
        // Slot number of the current pair.
        std::uint32_t Slot(const CHashTable& table) const
        {
            return static_cast<std::uint32_t>(m_p - table.m_slots.GetData()) - 1;
        }

    private:
        void Skip()
        {
            while (*m_p == nullptr)
                ++m_p;
        }
        PairType* const* m_p;
    };
    Iterator begin() const { return Iterator(m_slots.GetData() + 1); }
    Iterator end() const { return Iterator(m_slots.GetData() + m_slots.GetCount() - 1); }

    static PairType* Sentinel() { return reinterpret_cast<PairType*>(~std::uintptr_t(0)); }

private:
    void DeletePairs()
    {
        const std::uint32_t n = m_slots.GetCount();
        for (std::uint32_t i = 1; i + 1 < n; ++i)
        {
            PairType* p = m_slots.GetAt(i);
            if (p && p != Sentinel())
            {
                delete p;
                m_slots.GetAtForWrite(i) = nullptr;
            }
        }
    }

    CList<PairType*> m_slots;
    std::uint32_t m_bucketCount;
    std::uint32_t m_entryCount = 0;
};

} // namespace nkMem
