#pragma once
// The items of a tree control, kept compactly: one fixed-size record per item
// in chunks that never move, texts interned, siblings doubly linked. Positions
// among siblings (what an item model asks for) are kept in row tables made only
// for the parents that are asked about and updated in place for the common
// edits (append, remove first or last).
#include "TreeTextPool.h"
#include "velmar/framework/TreeTypes.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

class CTreeItemStore
{
public:
    using Id = std::uint32_t;
    static constexpr Id kRoot = 0; // the invisible parent of the top-level items
    static constexpr Id kNone = 0xFFFFFFFFu;

    // Private state bits above the TVIS_ ones.
    static constexpr std::uint32_t kAlive = 0x80000000u;
    static constexpr std::uint32_t kRevealed = 0x40000000u; // the model shows this item's children
    static constexpr std::uint32_t kChildrenSet =
        0x20000000u; // cChildren was given: it decides the button
    static constexpr std::uint32_t kChildrenOn = 0x10000000u;  // ... and said "has children"
    static constexpr std::uint32_t kHasTable = 0x08000000u;    // a row table of the children exists
    static constexpr std::uint32_t kPublicState = 0x0000FFFFu; // the TVIS_ bits

    struct Item
    {
        LPARAM data;
        std::uint32_t text;
        std::int32_t image;
        std::int32_t selImage;
        std::uint32_t state;
        Id parent, first, last, next, prev;
        std::uint32_t row; // index into the parent's row table, valid while that table exists
        std::uint32_t gen; // bumped when the slot is freed, so old handles are refused
    };

    CTreeItemStore();
    CTreeItemStore(const CTreeItemStore&) = delete;
    CTreeItemStore& operator=(const CTreeItemStore&) = delete;

    // Handles: non-null, never equal to the TVI_ pseudo handles, refused once the item is gone.
    HTREEITEM Handle(Id id) const;
    Id FromHandle(HTREEITEM h) const; // kNone for null, a pseudo handle or a deleted item
    bool IsItem(Id id) const { return id != kRoot && id < m_nSlots && (At(id).state & kAlive); }

    Item& At(Id id) { return m_chunks[id >> kChunkBits][id & kChunkMask]; }
    const Item& At(Id id) const { return m_chunks[id >> kChunkBits][id & kChunkMask]; }
    const std::wstring& Text(Id id) const { return m_texts.Text(At(id).text); }
    void SetText(Id id, std::wstring_view text);
    std::size_t Count() const { return m_nCount; }
    std::size_t DistinctTexts() const { return m_texts.Count(); }

    // Links a new item under parent after prev (kNone: first); text may be null
    // (empty). kNone when the store is full.
    Id Insert(Id parent, Id prev, const wchar_t* text, int image, int selImage, LPARAM data,
              UINT state);
    // The sibling a sorted insertion goes after (kNone: first), comparing texts without case.
    Id SortedPrev(Id parent, std::wstring_view text) const;
    void Remove(Id id); // unlinks and frees the item and everything below it
    void Clear();       // frees every item at once

    bool IsAncestor(Id ancestor, Id id) const; // ancestor strictly above id
    bool HasChildren(Id id) const; // what the button shows: the cChildren given, else real children

    // Positions among siblings.
    int RowCount(Id parent);
    Id ChildAt(Id parent, int row); // kNone when out of range
    int RowOf(Id id);
    void DropRowTable(Id parent);

    std::size_t MemoryUsed() const; // bytes of the records, row tables and texts (approximate)

private:
    static constexpr unsigned kChunkBits = 16;
    static constexpr Id kChunkSize = Id(1) << kChunkBits;
    static constexpr Id kChunkMask = kChunkSize - 1;
    static constexpr Id kMaxSlots = 0x7FFF0000u;

    struct RowTable
    {
        std::vector<Id> ids;
        std::uint32_t base = 0; // ids before base belonged to removed first children
    };

    Id AllocSlot();
    void FreeSlot(Id id);
    RowTable& BuildRowTable(Id parent);
    RowTable* FindRowTable(Id parent);

    std::vector<std::unique_ptr<Item[]>> m_chunks;
    Id m_nSlots = 0;       // slots ever handed out (the root included)
    Id m_freeHead = kNone; // freed slots, chained through next
    std::size_t m_nCount = 0;
    CTreeTextPool m_texts;
    std::unordered_map<Id, RowTable> m_tables;
};
