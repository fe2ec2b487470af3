#include "velmar/win32/Modules.h"

#include "velmar/win32/CodePages.h"
#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/WideText.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

struct ModuleEntry
{
    unsigned loads = 0; // LoadLibrary calls not yet undone
};

std::mutex g_mutex;
std::map<void*, ModuleEntry> g_modules; // every handle handed out

void* ProgramHandle()
{
    static void* const handle = dlopen(nullptr, RTLD_LAZY);
    return handle;
}

bool EndsWithNoCase(const std::string& s, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    return s.size() >= n && w32::EqualsNoCase(s.substr(s.size() - n), suffix);
}

// The names to hand to the loader, in order.
std::vector<std::string> Candidates(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return {name};
    std::string base = name;
    if (EndsWithNoCase(base, ".dll"))
        base.resize(base.size() - 4);
    if (base.empty())
        return {};
    std::vector<std::string> names{name};
    if (base.find(".so") == std::string::npos)
    {
        names.push_back(base + ".so");
        if (base.compare(0, 3, "lib") != 0)
            names.push_back("lib" + base + ".so");
    }
    return names;
}

bool Known(void* handle)
{
    return handle == ProgramHandle() || g_modules.count(handle) != 0;
}

HMODULE Load(const std::string& name, HANDLE file)
{
    if (file)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    for (const std::string& candidate : Candidates(name))
    {
        void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle)
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            ++g_modules[handle].loads;
            return handle;
        }
    }
    struct stat st;
    const bool exists = name.find('/') != std::string::npos && ::stat(name.c_str(), &st) == 0;
    SetLastError(exists ? (S_ISDIR(st.st_mode) ? ERROR_ACCESS_DENIED : ERROR_BAD_EXE_FORMAT)
                        : ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE Lookup(const std::string& name)
{
    for (const std::string& candidate : Candidates(name))
    {
        void* handle = dlopen(candidate.c_str(), RTLD_LAZY | RTLD_NOLOAD);
        if (handle)
        {
            // NOLOAD still counts a reference: give it back, the object stays loaded.
            dlclose(handle);
            std::lock_guard<std::mutex> lock(g_mutex);
            g_modules.try_emplace(handle);
            return handle;
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

bool ModulePath(HMODULE module, std::string& path)
{
    if (!module)
        module = ProgramHandle();
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!Known(module))
        {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return false;
        }
    }
    link_map* map = nullptr;
    if (module != ProgramHandle() && dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map &&
        map->l_name && map->l_name[0])
    {
        path = map->l_name;
        return true;
    }
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
    {
        w32::SetLastErrorFromErrno(errno);
        return false;
    }
    path.assign(buf, static_cast<size_t>(n));
    return true;
}

template <typename C> DWORD CopyName(const std::basic_string<C>& name, C* buffer, DWORD size)
{
    if (!buffer || size == 0)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (name.size() + 1 > size)
    {
        std::copy(name.begin(), name.begin() + (size - 1), buffer);
        buffer[size - 1] = C(0);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = C(0);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(name.size());
}

bool Utf8From(const char* name, std::string& utf8)
{
    return w32::Utf8FromAnsi(name, utf8);
}

bool Utf8From(const wchar_t* name, std::string& utf8)
{
    return w32::Utf8FromWide(name, utf8);
}

template <class C> HMODULE LoadNamed(const C* fileName, HANDLE file)
{
    std::string name;
    if (!fileName || !Utf8From(fileName, name))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (name.empty())
    {
        // An empty name is searched like any other and names no library.
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return Load(name, file);
}

// The handle of a module already loaded, by name; the program's own for no name.
template <class C> HMODULE LookupNamed(const C* moduleName)
{
    if (!moduleName)
        return ProgramHandle();
    std::string name;
    if (!*moduleName || !Utf8From(moduleName, name))
    {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return Lookup(name);
}

} // namespace

HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD)
{
    return LoadNamed(lpLibFileName, hFile);
}

HMODULE WINAPI LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD)
{
    return LoadNamed(lpLibFileName, hFile);
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName)
{
    return LoadLibraryExA(lpLibFileName, nullptr, 0);
}

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName)
{
    return LoadLibraryExW(lpLibFileName, nullptr, 0);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule)
{
    std::unique_lock<std::mutex> lock(g_mutex);
    if (hLibModule == ProgramHandle())
        return TRUE;
    const auto it = g_modules.find(hLibModule);
    if (it == g_modules.end())
    {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    // A handle only looked up (never loaded) holds no load to give back.
    if (it->second.loads == 0)
        return TRUE;
    if (--it->second.loads == 0)
        g_modules.erase(it);
    lock.unlock();
    dlclose(hLibModule);
    return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    if (!hModule)
        hModule = ProgramHandle();
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!Known(hModule))
        {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
    }
    // Values below 0x10000 are ordinals, which ELF objects do not have.
    if (reinterpret_cast<std::uintptr_t>(lpProcName) < 0x10000u)
    {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    dlerror();
    void* address = dlsym(hModule, lpProcName);
    if (!address)
    {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return address;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize)
{
    std::string path;
    if (!ModulePath(hModule, path))
        return 0;
    std::string ansi;
    if (GetACP() == CP_UTF8)
        ansi = path;
    else if (!w32::AnsiFromWide(w32::WideFromUtf8(path), ansi))
        ansi = path;
    return CopyName(ansi, lpFilename, nSize);
}

DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize)
{
    std::string path;
    if (!ModulePath(hModule, path))
        return 0;
    return CopyName(w32::WideFromUtf8(path), lpFilename, nSize);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName)
{
    return LookupNamed(lpModuleName);
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName)
{
    return LookupNamed(lpModuleName);
}
