#pragma once
// A scratch folder per test; the share locks live inside it too, so no test
// touches anything outside.

#include "win32/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/velmar-win32-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern.data()));
        dir_ = pattern;
        setenv("VELMAR_SHARE_DIR", (dir_ + "/locks").c_str(), 1);
        handlesBefore_ = w32::OpenHandleCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(handlesBefore_, w32::OpenHandleCount()) << "a test leaked handles";
        std::error_code ec;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(dir_, ec);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    void WriteBytes(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    std::string ReadBytes(const std::string& name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    HANDLE Open(const std::string& name, DWORD access, DWORD share = 0, DWORD disposition = OPEN_EXISTING,
                DWORD flags = FILE_ATTRIBUTE_NORMAL) const
    {
        return CreateFileA(Path(name).c_str(), access, share, nullptr, disposition, flags, nullptr);
    }

    std::string dir_;
    size_t handlesBefore_ = 0;
};
