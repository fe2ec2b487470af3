// Cost of the file calls as the XML parser makes them: one ReadFile per byte
// with the position and length queries of an end-of-file test between reads.
// Also the cost of opening and closing (share registration included).
#include "velmar/win32/win32.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main()
{
    char dir[] = "/tmp/velmar-bench-files-XXXXXX";
    if (!mkdtemp(dir))
        return 1;
    const std::string locks = std::string(dir) + "/locks";
    setenv("VELMAR_SHARE_DIR", locks.c_str(), 1);
    const std::string path = std::string(dir) + "/data.xml";

    const DWORD size = 1 << 20;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string block(size, 'x');
    DWORD n = 0;
    WriteFile(h, block.data(), size, &n, nullptr);
    CloseHandle(h);

    h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    auto start = Clock::now();
    char c;
    DWORD total = 0;
    while (ReadFile(h, &c, 1, &n, nullptr) && n == 1)
        ++total;
    double s = Since(start);
    std::printf("ReadFile, 1 byte per call         %8.1f ns/call (%u calls)\n", s * 1e9 / total,
                total);

    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    start = Clock::now();
    total = 0;
    for (;;)
    {
        // The parser's loop: IsEof (position == length), then one byte.
        if (SetFilePointer(h, 0, nullptr, FILE_CURRENT) == GetFileSize(h, nullptr))
            break;
        if (!ReadFile(h, &c, 1, &n, nullptr) || n != 1)
            break;
        ++total;
    }
    s = Since(start);
    std::printf("end test + ReadFile per byte       %8.1f ns/byte, %.1f MB/s\n", s * 1e9 / total,
                total / s / 1e6);
    CloseHandle(h);

    const int opens = 20000;
    start = Clock::now();
    for (int i = 0; i < opens; ++i)
        CloseHandle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    s = Since(start);
    std::printf("CreateFile + CloseHandle            %8.1f us/pair\n", s * 1e6 / opens);

    unlink(path.c_str());
    rmdir(locks.c_str());
    rmdir(dir);
    return 0;
}
