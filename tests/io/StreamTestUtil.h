#pragma once
// Small streams for tests of the stream interfaces: a memory-backed stream
// that is not a memory stream to the copy (so the copy takes its buffered
// path), recording the size of every transfer.

#include "velmar/io/Orvex.h"
#include "support/WineCheck.h"

#include <gtest/gtest.h>
#ifndef _WIN32
// Fault injection and call counts come from the POSIX layer's call table.
#include "SysCalls.h"
#endif

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdlib.h>

namespace testsupport
{

class CRecordingStream : public Orvex::IStream
{
    NK_DECLARE_CLASS()

    explicit CRecordingStream(std::vector<uint8_t> content = {}) : data(std::move(content)) {}

    uint32_t Read(void* buffer, uint32_t count) override
    {
        reads.push_back(count);
        uint32_t n = position < data.size() ? static_cast<uint32_t>(data.size()) - position : 0;
        if (n > count)
            n = count;
        if (n)
            std::copy(data.begin() + position, data.begin() + position + n,
                      static_cast<uint8_t*>(buffer));
        position += n;
        return n;
    }
    uint32_t Write(const void* buffer, uint32_t count) override
    {
        writes.push_back(count);
        uint32_t n = count < writeLimit ? count : writeLimit;
        writeLimit -= n;
        const uint8_t* p = static_cast<const uint8_t*>(buffer);
        if (data.size() < position + n)
            data.resize(position + n);
        std::copy(p, p + n, data.begin() + position);
        position += n;
        return n;
    }
    Orvex::IAsyncCtrl* GetAsyncCtrl() override { return nullptr; }
    uint32_t GetMode() override { return Orvex::kModeRead | Orvex::kModeWrite; }
    uint32_t GetPosition() override { return position; }
    uint32_t GetLength() override { return static_cast<uint32_t>(data.size()); }
    bool IsWritable() override { return true; }
    void* MapRegion(uint32_t, uint32_t, uint32_t) override { return nullptr; }
    bool UnmapRegion(void*) override { return false; }
    bool Seek(int32_t offset, uint32_t origin) override
    {
        int64_t base = origin == Orvex::kSeekBegin ? 0
                       : origin == Orvex::kSeekEnd ? data.size()
                                                   : position;
        int64_t target = base + offset;
        if (target < 0 || target > static_cast<int64_t>(data.size()))
            return false;
        position = static_cast<uint32_t>(target);
        return true;
    }
    bool Flush() override
    {
        ++flushes;
        return true;
    }

    std::vector<uint8_t> data;
    uint32_t position = 0;
    uint32_t writeLimit = 0xFFFFFFFFu;
    int flushes = 0;
    std::vector<uint32_t> reads, writes;
};

inline std::vector<uint8_t> Pattern(std::size_t n)
{
    std::vector<uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    return v;
}

// A private folder under the system's temporary folder, removed at the end.
class TempDir
{
public:
    TempDir()
    {
        // create_directory reports whether it made the folder, so a name
        // another run holds is never shared.
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        std::random_device seed;
        for (int attempt = 0; attempt < 100 && path.empty(); ++attempt)
        {
            const std::filesystem::path p = base / ("orvex-test-" + std::to_string(seed()));
            if (std::filesystem::create_directory(p, ec))
                path = p.string();
        }
    }
    ~TempDir()
    {
        std::error_code ec;
        // Read-only files must not stop the clean-up.
        for (auto& e : std::filesystem::recursive_directory_iterator(path, ec))
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
    std::string File(const std::string& name) const { return path + "/" + name; }

    std::string path;
};

// A test with a scratch folder; faults injected into the POSIX layer's calls
// end with it.
class ScratchTest : public ::testing::Test
{
protected:
#ifndef _WIN32
    void TearDown() override
    {
        w32::ClearInjectedFaults();
    }
#endif
    TempDir dir;
};

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

using testsupport::UnderWine;

#ifndef _WIN32
// System calls that transfer file data, positioned or not (counted by the
// POSIX layer's call table).
unsigned long ReadCalls();
unsigned long WriteCalls();
#endif

} // namespace testsupport
