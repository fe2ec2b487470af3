// Cost of the stream layer over the file calls beneath it: byte-at-a-time
// reading as the parser does it (end test, one byte), block reads, the
// whole-stream copy, memory-stream writes and line reading.
#include "velmar/io/Orvex.h"

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
    using namespace Orvex;
    char dir[] = "/tmp/velmar-bench-streams-XXXXXX";
    if (!mkdtemp(dir))
        return 1;
    const std::string locks = std::string(dir) + "/locks";
    setenv("VELMAR_SHARE_DIR", locks.c_str(), 1);
    const std::string path = std::string(dir) + "/data.xml";
    const std::string copy = std::string(dir) + "/copy.xml";

    const uint32_t size = 4u << 20;
    {
        CFileStream out(path.c_str(), kModeWrite, true);
        std::string line(79, 'x');
        line += '\n';
        for (uint32_t i = 0; i < size / 80; ++i)
            out.Write(line.data(), 80);
    }

    // The raw calls, for the difference.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    auto start = Clock::now();
    uint32_t total = 0;
    char c;
    DWORD n = 0;
    for (;;)
    {
        if (SetFilePointer(h, 0, nullptr, FILE_CURRENT) == GetFileSize(h, nullptr))
            break;
        if (!ReadFile(h, &c, 1, &n, nullptr) || n != 1)
            break;
        ++total;
    }
    const double raw = Since(start) * 1e9 / total;
    CloseHandle(h);
    std::printf("win32 calls: end test + 1-byte ReadFile  %8.1f ns/byte\n", raw);

    {
        CFileStream s(path.c_str(), kModeRead, false);
        start = Clock::now();
        total = 0;
        uint8_t b;
        while (!s.IsEof() && s.ReadByte(&b) == 1)
            ++total;
        const double ours = Since(start) * 1e9 / total;
        std::printf(
            "CFileStream: IsEof + ReadByte            %8.1f ns/byte (+%.1f ns over the calls)\n",
            ours, ours - raw);

        s.Seek(0, kSeekBegin);
        static uint8_t block[65536];
        start = Clock::now();
        total = 0;
        while (uint32_t got = s.Read(block, sizeof block))
            total += got;
        std::printf("CFileStream: 64 KiB reads                %8.0f MB/s\n",
                    total / Since(start) / 1e6);

        s.Seek(0, kSeekBegin);
        nkMem::CStringT<char> line;
        start = Clock::now();
        uint32_t lines = 0;
        while (ReadLine(&s, line))
            ++lines;
        std::printf("ReadLine over CFileStream                %8.0f MB/s (%u lines)\n",
                    size / Since(start) / 1e6, lines);

        s.Seek(0, kSeekBegin);
        CFileStream out(copy.c_str(), kModeWrite, true);
        start = Clock::now();
        total = s.ReadTo(&out);
        std::printf("CopyStream file to file (4 KiB blocks)   %8.0f MB/s\n",
                    total / Since(start) / 1e6);

        s.Seek(0, kSeekBegin);
        CMemStream mem;
        start = Clock::now();
        total = s.ReadTo(&mem);
        std::printf("CopyStream file into a memory stream     %8.0f MB/s\n",
                    total / Since(start) / 1e6);
    }

    {
        CMemStream mem;
        start = Clock::now();
        const char text[] = "<node name='value'>";
        for (int i = 0; i < 2000000; ++i)
            mem.Write(text, sizeof text - 1);
        const double s = Since(start);
        std::printf("CMemStream: 19-byte writes               %8.1f ns/write, %.0f MB/s\n",
                    s * 1e9 / 2000000, mem.GetLength() / s / 1e6);
    }

    unlink(path.c_str());
    unlink(copy.c_str());
    rmdir(locks.c_str());
    rmdir(dir);
    return 0;
}
