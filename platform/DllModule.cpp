#include "velmar/platform/DllModule.h"

#include "velmar/platform/FileVersionInfo.h"

namespace nkPlatform
{

CDllModule::CDllModule()
{
    path[0] = L'\0';
}

CDllModule::CDllModule(const CDllModule& other) : CInstanceRefObjectT(other), module(other.module)
{
    std::wmemcpy(path, other.path, MAX_PATH);
}

CDllModule& CDllModule::operator=(const CDllModule& other)
{
    if (&other == this)
        return *this;
    Unload();
    module = other.module;
    std::wmemcpy(path, other.path, MAX_PATH);
    ShareWith(other);
    return *this;
}

CDllModule::~CDllModule()
{
    if (!IsShared() && module)
        FreeLibrary(module);
    module = nullptr;
}

bool CDllModule::Load(const char* name)
{
    // Another holder may still use the library held: leave it to the group.
    Unload();
    return Loaded(name ? LoadLibraryExA(name, nullptr, 0) : nullptr);
}

bool CDllModule::Load(const wchar_t* name)
{
    Unload();
    return Loaded(name ? LoadLibraryExW(name, nullptr, 0) : nullptr);
}

bool CDllModule::Loaded(HMODULE loaded)
{
    if (!loaded)
        return false;
    module = loaded;
    if (GetModuleFileNameW(module, path, MAX_PATH) == 0)
        path[0] = L'\0';
    AddRef();
    return true;
}

void CDllModule::Unload()
{
    const bool shared = IsShared();
    if (!shared && module)
        FreeLibrary(module);
    module = nullptr;
    path[0] = L'\0';
    ReleaseRef();
    // A holder that left a group must not count against it again later.
    if (shared)
        m_pRefCount = nullptr;
}

FARPROC CDllModule::GetProc(const char* name) const
{
    // A null module would mean the program itself to GetProcAddress.
    if (!name || !module)
        return nullptr;
    return GetProcAddress(module, name);
}

bool CDllModule::CanLoad(const char* name)
{
    HMODULE m = name ? LoadLibraryExA(name, nullptr, 0) : nullptr;
    if (!m)
        return false;
    FreeLibrary(m);
    return true;
}

bool CDllModule::CanLoad(const wchar_t* name)
{
    HMODULE m = name ? LoadLibraryExW(name, nullptr, 0) : nullptr;
    if (!m)
        return false;
    FreeLibrary(m);
    return true;
}

nkMem::CStringT<char>& CDllModule::GetFileVersion(nkMem::CStringT<char>& out) const
{
    out.Empty();
    if (path[0] == L'\0')
        return out;
    CFileVersionInfo info(path);
    out.Assign(info.GetString("FileVersion"));
    return out;
}

nkMem::CStringT<wchar_t>& CDllModule::GetFileVersion(nkMem::CStringT<wchar_t>& out) const
{
    out.Empty();
    if (path[0] == L'\0')
        return out;
    CFileVersionInfo info(path);
    out.Assign(info.GetString(L"FileVersion"));
    return out;
}

} // namespace nkPlatform
