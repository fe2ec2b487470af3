#pragma once
// The texts of a tree control's items, each distinct text stored once and
// shared by every item that shows it (a document's trees repeat a few
// thousand names over millions of items).
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CTreeTextPool
{
public:
    static constexpr std::uint32_t kEmpty = 0;   // the empty text; always present, never counted

    CTreeTextPool();
    std::uint32_t Intern(std::wstring_view text);            // id of the text, one more reference to it
    void Release(std::uint32_t id);                          // one reference less; the text goes with the last
    const std::wstring& Text(std::uint32_t id) const { return m_entries[id].text; }
    std::size_t Count() const { return m_map.size(); }        // distinct texts held, the empty one not included
    void Clear();                                            // forgets every text (all items are gone)

private:
    struct Entry
    {
        std::wstring text;
        std::uint32_t refs = 0;
    };
    std::deque<Entry> m_entries;   // a deque keeps the texts in place, so the map can view them
    std::unordered_map<std::wstring_view, std::uint32_t> m_map;
    std::vector<std::uint32_t> m_free;   // ids of released entries, reused first
};
