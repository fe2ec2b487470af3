// A second process for the tests of the registry store and named mappings:
// it does one job named on its command line and reports by its exit code.

#include "velmar/win32/win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

// reg-write <parent> <count>: creates HKCU\<parent>\k<i> and sets its DWORD
// value "n" to i, one change at a time.
int RegistryWrite(const char* parent, int count)
{
    for (int i = 0; i < count; ++i)
    {
        const std::string path = std::string(parent) + "\\k" + std::to_string(i);
        HKEY key = nullptr;
        LONG e = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr);
        if (e != ERROR_SUCCESS)
        {
            std::fprintf(stderr, "create %s: %ld\n", path.c_str(), static_cast<long>(e));
            return 1;
        }
        const DWORD n = static_cast<DWORD>(i);
        e = RegSetValueExA(key, "n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n);
        RegCloseKey(key);
        if (e != ERROR_SUCCESS)
        {
            std::fprintf(stderr, "set %s: %ld\n", path.c_str(), static_cast<long>(e));
            return 1;
        }
    }
    return 0;
}

// map-read <name> <text>: the named section's first bytes are text.
int MappingRead(const char* name, const char* text)
{
    HANDLE h = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    if (!h)
    {
        std::fprintf(stderr, "open %s: %lu\n", name, static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    const void* view = MapViewOfFile(h, FILE_MAP_READ, 0, 0, 0);
    const bool same = view && std::memcmp(view, text, std::strlen(text)) == 0;
    // A read handle gives no write view.
    const bool denied =
        !MapViewOfFile(h, FILE_MAP_WRITE, 0, 0, 0) && GetLastError() == ERROR_ACCESS_DENIED;
    UnmapViewOfFile(view);
    CloseHandle(h);
    return same && denied ? 0 : 1;
}

// map-write <name> <text>: writes text at the start of the named section.
int MappingWrite(const char* name, const char* text)
{
    HANDLE h = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
    if (!h)
        return 1;
    void* view = MapViewOfFile(h, FILE_MAP_WRITE, 0, 0, 0);
    if (!view)
        return 1;
    std::memcpy(view, text, std::strlen(text));
    UnmapViewOfFile(view);
    CloseHandle(h);
    return 0;
}

// map-missing <name>: no section has the name.
int MappingMissing(const char* name)
{
    return !OpenFileMappingA(FILE_MAP_READ, FALSE, name) && GetLastError() == ERROR_FILE_NOT_FOUND
               ? 0
               : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "reg-write") == 0)
        return RegistryWrite(argv[2], std::atoi(argv[3]));
    if (argc == 4 && std::strcmp(argv[1], "map-read") == 0)
        return MappingRead(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "map-write") == 0)
        return MappingWrite(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "map-missing") == 0)
        return MappingMissing(argv[2]);
    std::fprintf(stderr, "unknown job\n");
    return 2;
}
