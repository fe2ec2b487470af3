// Child process of the share-mode tests.
//   share_helper <path> <access> <share>
// Opens the existing file, prints "ok" or "err <code>", then holds the handle
// until its standard input closes.
#include "win32/win32.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const DWORD access = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 0));
    const DWORD share = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 0));
    HANDLE h = CreateFileA(argv[1], access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        std::printf("err %u\n", static_cast<unsigned>(GetLastError()));
    else
        std::printf("ok\n");
    std::fflush(stdout);
    int c;
    while ((c = std::getchar()) != EOF) {
    }
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return 0;
}
