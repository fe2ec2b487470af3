#pragma once
// The texts of a tree control's items, each distinct text stored once and
// shared by every item that shows it (a document's trees repeat a few
// thousand names over millions of items). Looked up through an open-addressed
// table of ids, hashed in the same pass that finds a C string's length.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CTreeTextPool
{
public:
    static constexpr std::uint32_t kEmpty = 0; // the empty text; always present, never counted

    CTreeTextPool();
    std::uint32_t Intern(std::wstring_view text); // id of the text, one more reference to it
    std::uint32_t Intern(const wchar_t* psz);     // the same for a C string (null: empty)
    void Release(std::uint32_t id);               // one reference less; the text goes with the last
    const std::wstring& Text(std::uint32_t id) const
    {
        return m_entries[id].text;
    }                                             // valid until the next Intern
    std::size_t Count() const { return m_nLive; } // distinct texts held, the empty one not included
    void Clear();                                 // forgets every text (all items are gone)

private:
    struct Entry
    {
        std::wstring text;
        std::uint32_t refs = 0;
        std::uint32_t hash = 0;
    };
    static constexpr std::uint32_t kFreeSlot = 0;           // never held an id
    static constexpr std::uint32_t kGoneSlot = 0xFFFFFFFFu; // held one that was released
    struct Slot
    {
        std::uint32_t id;   // kFreeSlot, kGoneSlot or an entry
        std::uint32_t hash; // the entry's, so most misses never touch the entry
    };

    std::uint32_t Find(const wchar_t* p, std::size_t n, std::uint32_t hash); // adds a reference
    void Grow();

    std::vector<Entry> m_entries;      // by id
    std::vector<Slot> m_slots;         // power-of-two table
    std::vector<std::uint32_t> m_free; // ids of released entries, reused first
    std::size_t m_nLive = 0;
    std::size_t m_nUsedSlots = 0; // live and gone slots
};
