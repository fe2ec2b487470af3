// A second process for the tests of the registry store, named mappings and
// share modes: it does one job named on its command line and reports by its
// exit code, or, holding a file, on its standard output.

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

// Opens the file and prints "ok" or "err <code>".
HANDLE OpenAndAnswer(const char* path, DWORD access, DWORD share)
{
    HANDLE h =
        CreateFileA(path, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        std::printf("err %u\n", static_cast<unsigned>(GetLastError()));
    else
        std::printf("ok\n");
    std::fflush(stdout);
    return h;
}

// hold <path> <access> <share>: opens the existing file and answers. Each line
// "<access> <share>" on standard input closes that handle and opens the file
// again as told, with the same answer. The handle is held until standard
// input closes.
int Hold(const char* path, const char* access, const char* share)
{
    HANDLE h = OpenAndAnswer(path, static_cast<DWORD>(std::strtoul(access, nullptr, 0)),
                             static_cast<DWORD>(std::strtoul(share, nullptr, 0)));
    char line[64];
    while (std::fgets(line, sizeof line, stdin))
    {
        char* end = nullptr;
        const DWORD newAccess = static_cast<DWORD>(std::strtoul(line, &end, 0));
        const DWORD newShare = static_cast<DWORD>(std::strtoul(end, nullptr, 0));
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        h = OpenAndAnswer(path, newAccess, newShare);
    }
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return 0;
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
    if (argc == 5 && std::strcmp(argv[1], "hold") == 0)
        return Hold(argv[2], argv[3], argv[4]);
    std::fprintf(stderr, "unknown job\n");
    return 2;
}
