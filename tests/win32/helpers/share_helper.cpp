// Child process of the share-mode tests.
//   share_helper <path> <access> <share>
// Opens the existing file and prints "ok" or "err <code>". Each further line
// "<access> <share>" on its standard input closes that handle and opens the
// file again as told, with the same answer. The handle is held until standard
// input closes.
#include "velmar/win32/win32.h"

#include <cstdio>
#include <cstdlib>

namespace
{

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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    HANDLE h = OpenAndAnswer(argv[1], static_cast<DWORD>(std::strtoul(argv[2], nullptr, 0)),
                             static_cast<DWORD>(std::strtoul(argv[3], nullptr, 0)));
    char line[64];
    while (std::fgets(line, sizeof line, stdin))
    {
        char* end = nullptr;
        const DWORD access = static_cast<DWORD>(std::strtoul(line, &end, 0));
        const DWORD share = static_cast<DWORD>(std::strtoul(end, nullptr, 0));
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        h = OpenAndAnswer(argv[1], access, share);
    }
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return 0;
}
