#include "TreeItemStore.h"

#include <cwctype>

CTreeItemStore::CTreeItemStore()
{
    Clear();
}

HTREEITEM CTreeItemStore::Handle(Id id) const
{
    if (id == kNone || id == kRoot)
        return nullptr;
    std::uintptr_t value = id;
    if constexpr (sizeof(std::uintptr_t) >= 8)
        value |= (std::uintptr_t)At(id).gen << 32;
    return reinterpret_cast<HTREEITEM>(value);
}

CTreeItemStore::Id CTreeItemStore::FromHandle(HTREEITEM h) const
{
    std::uintptr_t value = reinterpret_cast<std::uintptr_t>(h);
    Id id = (Id)(value & 0xFFFFFFFFu);
    if (!IsItem(id))
        return kNone;
    if constexpr (sizeof(std::uintptr_t) >= 8)
    {
        if ((std::uint32_t)((std::uint64_t)value >> 32) != At(id).gen)
            return kNone;
    }
    return id;
}

CTreeItemStore::Id CTreeItemStore::AllocSlot()
{
    if (m_freeHead != kNone)
    {
        Id id = m_freeHead;
        m_freeHead = At(id).next;
        return id;
    }
    if (m_nSlots >= kMaxSlots)
        return kNone;
    if ((m_nSlots >> kChunkBits) >= m_chunks.size())
    {
        // Left uninitialised: a page costs memory only once an item is written to it.
        m_chunks.emplace_back(new Item[kChunkSize]);
    }
    Id id = m_nSlots++;
    At(id).gen = 1;
    return id;
}

void CTreeItemStore::FreeSlot(Id id)
{
    Item& it = At(id);
    m_texts.Release(it.text);
    if (it.state & kHasTable)
        m_tables.erase(id);
    it.state = 0;
    it.gen = (it.gen + 1) & 0x7FFFFFFFu;
    if (it.gen == 0)
        it.gen = 1;
    it.next = m_freeHead;
    m_freeHead = id;
    --m_nCount;
}

void CTreeItemStore::Clear()
{
    m_chunks.clear();
    m_tables.clear();
    m_texts.Clear();
    m_nSlots = 0;
    m_freeHead = kNone;
    m_nCount = 0;
    Id root = AllocSlot();
    Item& r = At(root);
    r = Item{0,
             CTreeTextPool::kEmpty,
             0,
             0,
             kAlive | kRevealed | TVIS_EXPANDED,
             kNone,
             kNone,
             kNone,
             kNone,
             kNone,
             0,
             1};
}

void CTreeItemStore::SetText(Id id, std::wstring_view text)
{
    Item& it = At(id);
    std::uint32_t t = m_texts.Intern(text);
    m_texts.Release(it.text);
    it.text = t;
}

CTreeItemStore::RowTable* CTreeItemStore::FindRowTable(Id parent)
{
    if (!(At(parent).state & kHasTable))
        return nullptr;
    auto found = m_tables.find(parent);
    return found == m_tables.end() ? nullptr : &found->second;
}

CTreeItemStore::Id CTreeItemStore::Insert(Id parent, Id prev, const wchar_t* text, int image,
                                          int selImage, LPARAM data, UINT state)
{
    Id id = AllocSlot();
    if (id == kNone)
        return kNone;
    std::uint32_t t = m_texts.Intern(text);
    Item& p = At(parent);
    Id next = prev == kNone ? p.first : At(prev).next;
    Item& it = At(id);
    it =
        Item{data,   t,     image, selImage, kAlive | (state & kPublicState & ~(UINT)TVIS_SELECTED),
             parent, kNone, kNone, next,     prev,
             0,      it.gen};
    if (prev == kNone)
        p.first = id;
    else
        At(prev).next = id;
    if (next == kNone)
        p.last = id;
    else
        At(next).prev = id;
    ++m_nCount;

    if (RowTable* table = FindRowTable(parent))
    {
        if (next == kNone)
        {
            table->ids.push_back(id);
            it.row = (std::uint32_t)table->ids.size() - 1;
        }
        else if (prev == kNone && table->base > 0)
        {
            it.row = --table->base;
            table->ids[it.row] = id;
        }
        else
        {
            DropRowTable(parent);
        }
    }
    return id;
}

static int CompareNoCase(const std::wstring& a, std::wstring_view b)
{
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i)
    {
        wint_t ca = std::towlower((wint_t)a[i]), cb = std::towlower((wint_t)b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

CTreeItemStore::Id CTreeItemStore::SortedPrev(Id parent, std::wstring_view text) const
{
    Id prev = kNone;
    for (Id c = At(parent).first; c != kNone; c = At(c).next)
    {
        if (CompareNoCase(Text(c), text) > 0)
            break;
        prev = c;
    }
    return prev;
}

void CTreeItemStore::Remove(Id id)
{
    if (!IsItem(id))
        return;
    Item& it = At(id);
    Id parent = it.parent;
    Item& p = At(parent);
    if (RowTable* table = FindRowTable(parent))
    {
        if (it.prev == kNone && table->base < table->ids.size() && table->ids[table->base] == id)
        {
            ++table->base;
            // Removing the first child again and again stays linear overall.
            if (table->base > 64 && table->base * 2 > table->ids.size())
            {
                table->ids.erase(table->ids.begin(), table->ids.begin() + table->base);
                table->base = 0;
                for (std::uint32_t i = 0; i < table->ids.size(); ++i)
                    At(table->ids[i]).row = i;
            }
        }
        else if (it.next == kNone && !table->ids.empty() && table->ids.back() == id)
        {
            table->ids.pop_back();
        }
        else
        {
            DropRowTable(parent);
        }
    }
    if (it.prev == kNone)
        p.first = it.next;
    else
        At(it.prev).next = it.next;
    if (it.next == kNone)
        p.last = it.prev;
    else
        At(it.next).prev = it.prev;

    // Post-order walk without recursion: free leaves, climbing as each child list empties.
    Id cur = id;
    for (;;)
    {
        while (At(cur).first != kNone)
            cur = At(cur).first;
        Item& c = At(cur);
        Id next = c.next, up = c.parent;
        bool top = cur == id;
        FreeSlot(cur);
        if (top)
            break;
        if (next != kNone)
        {
            cur = next;
        }
        else
        {
            cur = up;
            At(cur).first = kNone;
            At(cur).last = kNone;
        }
    }
}

bool CTreeItemStore::IsAncestor(Id ancestor, Id id) const
{
    if (id == kNone || ancestor == kNone)
        return false;
    for (Id p = At(id).parent; p != kNone; p = At(p).parent)
        if (p == ancestor)
            return true;
    return false;
}

bool CTreeItemStore::HasChildren(Id id) const
{
    const Item& it = At(id);
    if (it.state & kChildrenSet)
        return (it.state & kChildrenOn) != 0;
    return it.first != kNone;
}

CTreeItemStore::RowTable& CTreeItemStore::BuildRowTable(Id parent)
{
    RowTable& table = m_tables[parent];
    table.ids.clear();
    table.base = 0;
    for (Id c = At(parent).first; c != kNone; c = At(c).next)
    {
        At(c).row = (std::uint32_t)table.ids.size();
        table.ids.push_back(c);
    }
    At(parent).state |= kHasTable;
    return table;
}

void CTreeItemStore::DropRowTable(Id parent)
{
    if (At(parent).state & kHasTable)
    {
        m_tables.erase(parent);
        At(parent).state &= ~kHasTable;
    }
}

int CTreeItemStore::RowCount(Id parent)
{
    if (At(parent).first == kNone)
        return 0;
    RowTable* table = FindRowTable(parent);
    if (!table)
        table = &BuildRowTable(parent);
    return (int)(table->ids.size() - table->base);
}

CTreeItemStore::Id CTreeItemStore::ChildAt(Id parent, int row)
{
    if (row < 0 || At(parent).first == kNone)
        return kNone;
    RowTable* table = FindRowTable(parent);
    if (!table)
        table = &BuildRowTable(parent);
    std::size_t index = table->base + (std::size_t)row;
    return index < table->ids.size() ? table->ids[index] : kNone;
}

int CTreeItemStore::RowOf(Id id)
{
    const Item& it = At(id);
    if (it.parent == kNone)
        return 0;
    if (it.prev == kNone)
        return 0;
    RowTable* table = FindRowTable(it.parent);
    if (!table)
        table = &BuildRowTable(it.parent);
    return (int)(At(id).row - table->base);
}

std::size_t CTreeItemStore::MemoryUsed() const
{
    std::size_t bytes = m_chunks.size() * sizeof(Item) * kChunkSize;
    for (const auto& entry : m_tables)
        bytes += entry.second.ids.capacity() * sizeof(Id) + 64;
    return bytes;
}
