#include "velmar/platform/FileVersionInfo.h"

#include "velmar/foundation/String.h"

namespace nkPlatform
{

CFileVersionInfo::CFileVersionInfo(const char* name)
{
    if (name && *name)
        Load(name);
}

CFileVersionInfo::CFileVersionInfo(const wchar_t* name)
{
    if (name && *name)
        Load(name);
}

void CFileVersionInfo::Reset()
{
    isWindowsFile = 0;
    codePage = 0;
    language = 0;
    fixed = nullptr;
    description = company = product = nullptr;
    dataSize = 0;
    data.Resize(0, 0, 1);
}

bool CFileVersionInfo::Fill(DWORD size, bool (*read)(const void* name, DWORD size, void* block),
                            const void* name)
{
    if (size == 0)
        return false;
    data.Resize(size, 0, 1);
    if (!read(name, size, data.Get()))
    {
        data.Resize(0, 0, 1);
        return false;
    }
    dataSize = size;
    Parse();
    return true;
}

bool CFileVersionInfo::Load(const char* name)
{
    // A second load must not leave pointers into the first resource behind.
    Reset();
    if (!name)
        return false;
    return Fill(
        GetFileVersionInfoSizeA(name, nullptr),
        [](const void* n, DWORD size, void* block)
        { return GetFileVersionInfoA(static_cast<const char*>(n), 0, size, block) == TRUE; },
        name);
}

bool CFileVersionInfo::Load(const wchar_t* name)
{
    Reset();
    if (!name)
        return false;
    return Fill(
        GetFileVersionInfoSizeW(name, nullptr),
        [](const void* n, DWORD size, void* block)
        { return GetFileVersionInfoW(static_cast<const wchar_t*>(n), 0, size, block) == TRUE; },
        name);
}

void CFileVersionInfo::Parse()
{
    if (dataSize == 0)
        return;
    void* p = nullptr;
    UINT len = 0;
    if (VerQueryValueA(data.Get(), "\\VarFileInfo\\Translation", &p, &len) && p && len >= 4)
    {
        const WORD* pair = static_cast<const WORD*>(p);
        language = pair[0];
        codePage = pair[1];
    }
    if (VerQueryValueA(data.Get(), "\\", &p, &len) && p && len >= sizeof(VS_FIXEDFILEINFO))
    {
        fixed = static_cast<const VS_FIXEDFILEINFO*>(p);
        // The usual value is a combination (VOS_NT_WINDOWS32), so the API part
        // and the system part are judged apart.
        const DWORD os = fixed->dwFileOS;
        const DWORD api = os & 0xFFFFu;
        isWindowsFile =
            (api == VOS__WINDOWS16 || api == VOS__WINDOWS32 || (os & 0xFFFF0000u) == VOS_NT) ? 1
                                                                                             : 0;
    }
    description = GetString("FileDescription");
    company = GetString("CompanyName");
    product = GetString("ProductName");
}

const char* CFileVersionInfo::GetString(const char* key) const
{
    if (!key || dataSize == 0)
        return nullptr;
    nkMem::CStringT<char> block;
    if (!block.Format("\\StringFileInfo\\%04x%04x\\%s", language, codePage, key))
        return nullptr;
    void* p = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(data.Get(), block.GetString(), &p, &len) || !p)
        return nullptr;
    return static_cast<const char*>(p);
}

const wchar_t* CFileVersionInfo::GetString(const wchar_t* key) const
{
    if (!key || dataSize == 0)
        return nullptr;
    nkMem::CStringT<wchar_t> block;
    if (!block.Format(L"\\StringFileInfo\\%04x%04x\\%ls", language, codePage, key))
        return nullptr;
    void* p = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(data.Get(), block.GetString(), &p, &len) || !p)
        return nullptr;
    return static_cast<const wchar_t*>(p);
}

} // namespace nkPlatform
