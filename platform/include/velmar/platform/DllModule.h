#pragma once
// One dynamically loaded library, shared by copies: only the last holder frees
// it. Here a bare name is searched as the system's loader searches (".so" and
// "lib<name>.so" tried); Windows-only names such as "kernel32" do not load.
#include "velmar/foundation/InstanceRefObject.h"
#include "velmar/foundation/String.h"
#include "velmar/win32/win32.h"

namespace nkPlatform
{

class CDllModule : public nkMem::CInstanceRefObjectT<unsigned int>
{
public:
    CDllModule();
    // Shares other's library.
    CDllModule(const CDllModule& other);
    // Leaves the library held (freeing it when no other holder is left) and
    // shares other's.
    CDllModule& operator=(const CDllModule& other);
    ~CDllModule() override;

    // Lets go of the library held, then loads name. True when one was loaded.
    bool Load(const char* name);
    bool Load(const wchar_t* name);
    // Lets go of the library: frees it unless another holder still uses it.
    void Unload();
    // An exported function; null for a null name, a missing one, or when
    // nothing is loaded.
    FARPROC GetProc(const char* name) const;
    // Whether name can be loaded; loads and at once frees it.
    static bool CanLoad(const char* name);
    static bool CanLoad(const wchar_t* name);
    // The "FileVersion" string of the library's version resource (empty when absent).
    nkMem::CStringT<char>& GetFileVersion(nkMem::CStringT<char>& out) const;
    nkMem::CStringT<wchar_t>& GetFileVersion(nkMem::CStringT<wchar_t>& out) const;

    bool IsLoaded() const { return module != nullptr; }
    const wchar_t* GetPath() const { return path; }

    // The library's module handle, null when nothing is loaded.
    HMODULE module = nullptr;
    // Its full file name, empty when nothing is loaded.
    wchar_t path[MAX_PATH];

private:
    bool Loaded(HMODULE loaded);
};

} // namespace nkPlatform
