#include "TreeTextPool.h"

#include <cwchar>

namespace
{

// Two characters a step: half the multiplications of a character-wise hash.
constexpr std::uint64_t kOffset = 0xcbf29ce484222325ull;
constexpr std::uint64_t kPrime = 0x100000001b3ull;

inline std::uint64_t Mix(std::uint64_t h, std::uint64_t pair)
{
    return (h ^ pair) * kPrime;
}

inline std::uint64_t Pair(wchar_t a, wchar_t b)
{
    return (std::uint64_t)(std::uint32_t)a | ((std::uint64_t)(std::uint32_t)b << 32);
}

inline std::uint32_t Finish(std::uint64_t h)
{
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return (std::uint32_t)h;
}

} // namespace

CTreeTextPool::CTreeTextPool()
{
    Clear();
}

void CTreeTextPool::Clear()
{
    m_entries.clear();
    m_entries.emplace_back();
    m_slots.assign(1024, Slot{kFreeSlot, 0});
    m_free.clear();
    m_nLive = 0;
    m_nUsedSlots = 0;
}

std::uint32_t CTreeTextPool::Intern(std::wstring_view text)
{
    if (text.empty())
        return kEmpty;
    std::uint64_t h = kOffset;
    std::size_t n = text.size(), i = 0;
    for (; i + 1 < n; i += 2)
        h = Mix(h, Pair(text[i], text[i + 1]));
    if (i < n)
        h = Mix(h, Pair(text[i], 0));
    return Find(text.data(), n, Finish(h));
}

std::uint32_t CTreeTextPool::Intern(const wchar_t* psz)
{
    if (!psz || !*psz)
        return kEmpty;
    // Length and hash in one pass; the same hash as for the string view.
    std::uint64_t h = kOffset;
    const wchar_t* p = psz;
    for (;;)
    {
        if (!p[0])
            break;
        if (!p[1])
        {
            h = Mix(h, Pair(p[0], 0));
            ++p;
            break;
        }
        h = Mix(h, Pair(p[0], p[1]));
        p += 2;
    }
    return Find(psz, (std::size_t)(p - psz), Finish(h));
}

std::uint32_t CTreeTextPool::Find(const wchar_t* p, std::size_t n, std::uint32_t hash)
{
    std::size_t mask = m_slots.size() - 1;
    std::size_t gone = (std::size_t)-1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask)
    {
        const Slot& slot = m_slots[i];
        if (slot.id == kFreeSlot)
            break;
        if (slot.id == kGoneSlot)
        {
            if (gone == (std::size_t)-1)
                gone = i;
            continue;
        }
        if (slot.hash != hash)
            continue;
        Entry& e = m_entries[slot.id];
        if (e.text.size() == n && std::wmemcmp(e.text.data(), p, n) == 0)
        {
            ++e.refs;
            return slot.id;
        }
    }
    std::uint32_t id;
    if (!m_free.empty())
    {
        id = m_free.back();
        m_free.pop_back();
    }
    else
    {
        id = (std::uint32_t)m_entries.size();
        m_entries.emplace_back();
    }
    Entry& e = m_entries[id];
    e.text.assign(p, n);
    e.refs = 1;
    e.hash = hash;
    ++m_nLive;
    if (gone != (std::size_t)-1)
    {
        m_slots[gone] = Slot{id, hash};
    }
    else
    {
        ++m_nUsedSlots;
        std::size_t i = hash & mask;
        while (m_slots[i].id != kFreeSlot)
            i = (i + 1) & mask;
        m_slots[i] = Slot{id, hash};
    }
    if (m_nUsedSlots * 2 > m_slots.size())
        Grow();
    return id;
}

void CTreeTextPool::Grow()
{
    // Doubles when mostly live; rebuilding at the same size clears released slots.
    std::size_t size = m_slots.size();
    if (m_nLive * 4 > size)
        size *= 2;
    std::vector<Slot> slots(size, Slot{kFreeSlot, 0});
    std::size_t mask = size - 1;
    for (const Slot& slot : m_slots)
    {
        if (slot.id == kFreeSlot || slot.id == kGoneSlot)
            continue;
        std::size_t i = slot.hash & mask;
        while (slots[i].id != kFreeSlot)
            i = (i + 1) & mask;
        slots[i] = slot;
    }
    m_slots.swap(slots);
    m_nUsedSlots = m_nLive;
}

void CTreeTextPool::Release(std::uint32_t id)
{
    if (id == kEmpty || id >= m_entries.size())
        return;
    Entry& e = m_entries[id];
    if (e.refs == 0 || --e.refs != 0)
        return;
    std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = e.hash & mask;; i = (i + 1) & mask)
    {
        if (m_slots[i].id == id)
        {
            m_slots[i].id = kGoneSlot;
            break;
        }
        if (m_slots[i].id == kFreeSlot)
            break;
    }
    std::wstring().swap(e.text);
    m_free.push_back(id);
    --m_nLive;
}
