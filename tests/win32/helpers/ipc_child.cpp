// A second process for the tests of the registry store and named mappings:
// it does one job named on its command line and reports by its exit code.

#include "win32/win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// reg-write <prefix> <count>: creates HKCU\Software\VelmarTest\<prefix>\k<i> and
// sets its DWORD value "n" to i, one change at a time.
int RegistryWrite(const char* prefix, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::string path = std::string("Software\\VelmarTest\\") + prefix + "\\k" + std::to_string(i);
        HKEY key = nullptr;
        LONG e = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                 nullptr);
        if (e != ERROR_SUCCESS) {
            std::fprintf(stderr, "create %s: %ld\n", path.c_str(), static_cast<long>(e));
            return 1;
        }
        const DWORD n = static_cast<DWORD>(i);
        e = RegSetValueExA(key, "n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n);
        RegCloseKey(key);
        if (e != ERROR_SUCCESS) {
            std::fprintf(stderr, "set %s: %ld\n", path.c_str(), static_cast<long>(e));
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "reg-write") == 0)
        return RegistryWrite(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "unknown job\n");
    return 2;
}
