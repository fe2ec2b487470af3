#pragma once
// A scratch folder per test; the share locks live inside it too, so no test
// touches anything outside.

#include "velmar/win32/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class TempDirTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir_ = MakeUniqueDir();
        ASSERT_FALSE(dir_.empty()) << "no scratch folder";
#ifndef _WIN32
        // Our layer keeps the cross-process share locks in this folder.
        setenv("VELMAR_SHARE_DIR", (dir_ + "/locks").c_str(), 1);
#endif
        handlesBefore_ = HandleCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(handlesBefore_, HandleCount()) << "a test leaked handles";
        std::error_code ec;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
#ifdef _WIN32
        // A read-only file cannot be deleted there.
        for (auto it = std::filesystem::recursive_directory_iterator(dir_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
        ec.clear();
#endif
        std::filesystem::remove_all(dir_, ec);
    }

    // Handles this process holds: ours natively, the system's count on Windows
    // (Wine answers 0 there, which leaves the check idle under it).
    static size_t HandleCount()
    {
#ifdef _WIN32
        DWORD count = 0;
        if (!GetProcessHandleCount(GetCurrentProcess(), &count))
            return 0;
        return count;
#else
        return w32::OpenHandleCount();
#endif
    }

    std::string Path(const std::string& name) const
    {
        return dir_ + "/" + name;
    }

    void WriteBytes(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    std::string ReadBytes(const std::string& name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The attributes of a file in the folder. On Windows the archive flag is
    // left aside: the system sets it on every new or changed file (Wine on
    // every file), and a file with no other flag reads FILE_ATTRIBUTE_NORMAL.
    DWORD AttributesOf(const std::string& name) const
    {
        DWORD attributes = GetFileAttributesA(Path(name).c_str());
#ifdef _WIN32
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return attributes;
        attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE);
        if (attributes == 0)
            attributes = FILE_ATTRIBUTE_NORMAL;
#endif
        return attributes;
    }

    HANDLE Open(const std::string& name, DWORD access, DWORD share = 0,
                DWORD disposition = OPEN_EXISTING, DWORD flags = FILE_ATTRIBUTE_NORMAL) const
    {
        return CreateFileA(Path(name).c_str(), access, share, nullptr, disposition, flags, nullptr);
    }

    std::string dir_;
    size_t handlesBefore_ = 0;

private:
    // The system's temporary folder (TMPDIR natively), with forward slashes so
    // that Path() reads the same in both builds.
    static std::string MakeUniqueDir()
    {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        if (ec)
            return {};
        std::random_device seed;
        std::mt19937_64 rng(seed());
        for (int attempt = 0; attempt < 100; ++attempt)
        {
            const std::filesystem::path dir =
                base / ("velmar-win32-" + std::to_string(rng() % 1000000000ull));
            if (std::filesystem::create_directory(dir, ec))
            {
                std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ec);
                return dir.generic_string();
            }
        }
        return {};
    }
};
