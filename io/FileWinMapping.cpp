// CFileWin: named mappings of the file and views of them.
#include "velmar/io/FileWin.h"

#include <memory>

namespace Orvex
{

namespace
{

const char kRegionMapping[] = "Zivirezide_Mapping_Object";

nkMem::CStringT<char> KeyOf(const char* name)
{
    nkMem::CStringT<char> key;
    if (name != nullptr)
        key.Assign(name);
    return key;
}

} // namespace

void* CFileWin::MapRegion(uint32_t access, uint32_t offset, uint32_t size)
{
    // The mapping must reach the end of the region, not just be as long as
    // it; 0 still means the whole file.
    const uint64_t end = size != 0 ? static_cast<uint64_t>(offset) + size : 0;
    if (end > 0xFFFFFFFFu)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return MapNamed(access, offset, size, static_cast<uint32_t>(end), kRegionMapping, nullptr);
}

bool CFileWin::UnmapRegion(void* view)
{
    return UnmapNamed(view, kRegionMapping);
}

void* CFileWin::MapView(uint32_t access, uint32_t offset, uint32_t viewSize, uint32_t maximumSize,
                        const char* name)
{
    return MapNamed(access, offset, viewSize, maximumSize, name, name);
}

bool CFileWin::UnmapView(void* view, const char* name)
{
    return UnmapNamed(view, name);
}

void* CFileWin::MapNamed(uint32_t access, uint32_t offset, uint32_t viewSize, uint32_t maximumSize,
                         const char* key, const char* systemName)
{
    const nkMem::CStringT<char> name = KeyOf(key);
    CFileMappingData* entry = m_mappings.Find(name);
    // Made anew for every view, as a named mapping gives the same system
    // object again, while an unnamed one gets the size this view needs. The
    // entry's mapping is replaced only once the view exists; views already
    // mapped keep their own mapping alive.
    auto mapping = std::make_unique<CFileMappingWin>();
    if (!mapping->Create(this, access, maximumSize, systemName))
        return nullptr;
    void* view = mapping->MapView(access, offset, viewSize);
    if (view == nullptr)
    {
        const DWORD err = GetLastError();
        mapping.reset();
        SetLastError(err);
        return nullptr;
    }
    if (entry == nullptr)
    {
        auto fresh = std::make_unique<CFileMappingData>();
        m_mappings.Add(name, fresh.get());
        entry = fresh.release();
    }
    entry->views.Add(view);
    delete entry->mapping;
    entry->mapping = mapping.release();
    return view;
}

bool CFileWin::UnmapNamed(void* view, const char* key)
{
    const nkMem::CStringT<char> name = KeyOf(key);
    CFileMappingData* entry = m_mappings.Find(name);
    if (entry == nullptr || entry->mapping == nullptr)
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    // Only a view of this name: another name's view (or another file's)
    // would stay listed there and be unmapped a second time later.
    const int32_t i = entry->FindView(view);
    if (i < 0)
    {
        SetLastError(ERROR_INVALID_ADDRESS);
        return false;
    }
    if (!entry->mapping->UnmapView(view))
        return false;
    entry->views.RemoveAt(static_cast<uint32_t>(i));
    if (entry->views.IsEmpty())
    {
        entry->mapping->Close();
        m_mappings.Remove(name);
    }
    return true;
}

} // namespace Orvex
