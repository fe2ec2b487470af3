#pragma once
// A file's table of named mappings and the views mapped from each.

#include "velmar/io/FileMapping.h"

#include "velmar/foundation/HashTable.h"
#include "velmar/foundation/List.h"
#include "velmar/foundation/String.h"

namespace Orvex
{

// One name of the table: its mapping and its views, in the order mapped.
struct CFileMappingData
{
    nkMem::CList<void*> views;
    CFileMappingWin* mapping = nullptr; // owned

    CFileMappingData() = default;
    CFileMappingData(const CFileMappingData&) = delete;
    CFileMappingData& operator=(const CFileMappingData&) = delete;
    ~CFileMappingData() { delete mapping; }

    // The index of `view` among the views, or -1.
    int32_t FindView(const void* view) const
    {
        for (uint32_t i = 0; i < views.GetCount(); ++i)
            if (views[i] == view)
                return static_cast<int32_t>(i);
        return -1;
    }
};

// Keyed by the whole name, case-sensitive; owns its entries.
template <class C>
class CFileMappingMgr : public nkMem::CHashTable<nkMem::CStringT<C>, CFileMappingData*>
{
    using Base = nkMem::CHashTable<nkMem::CStringT<C>, CFileMappingData*>;

public:
    static constexpr uint32_t kBuckets = 255;

    CFileMappingMgr() : Base(kBuckets) {}
    ~CFileMappingMgr() override { ReleaseAll(); }

    // The entry of `name`, or null.
    CFileMappingData* Find(const nkMem::CStringT<C>& name) const
    {
        const uint32_t slot = this->Lookup(name);
        return slot < this->GetSlotCount() ? this->GetPair(slot)->second : nullptr;
    }

    // Enters a new entry under `name` (absent before); the table owns it.
    void Add(const nkMem::CStringT<C>& name, CFileMappingData* data) { this->SetAt(name, data); }

    // Destroys the entry of `name` and forgets the name.
    void Remove(const nkMem::CStringT<C>& name)
    {
        const uint32_t slot = this->Lookup(name);
        if (slot >= this->GetSlotCount())
            return;
        delete this->GetPair(slot)->second;
        this->RemoveSlot(slot);
    }

    // Unmaps every view, closes and destroys every mapping and entry and
    // empties the table; the number of views unmapped.
    uint32_t ReleaseAll()
    {
        uint32_t released = 0;
        for (auto* pair : *this)
        {
            CFileMappingData* data = pair->second;
            pair->second = nullptr;
            if (data == nullptr)
                continue;
            for (uint32_t i = 0; i < data->views.GetCount(); ++i)
                if (data->mapping != nullptr && data->mapping->UnmapView(data->views[i]))
                    ++released;
            if (data->mapping != nullptr)
                data->mapping->Close();
            delete data;
        }
        this->RemoveAll();
        return released;
    }
};

} // namespace Orvex
