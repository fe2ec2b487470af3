#include "velmar/win32/win32.h"

#include "ChildProcess.h"
#include "Win32TestSupport.h"
#include "support/WineCheck.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

class FileMapping : public testsupport::TempDirTest
{
protected:
    // Our layer keeps named sections as files of a folder of its own.
    void SetUp() override
    {
        testsupport::TempDirTest::SetUp();
#ifndef _WIN32
        setenv("VELMAR_SHM_DIR", dir_.c_str(), 1);
#endif
    }
    void TearDown() override
    {
#ifndef _WIN32
        unsetenv("VELMAR_SHM_DIR");
#endif
        testsupport::TempDirTest::TearDown();
    }
};

std::string Text(const void* p, size_t n)
{
    return std::string(static_cast<const char*>(p), n);
}

} // namespace

TEST_F(FileMapping, ViewsOfAFileShareItsBytesAndWritesReachTheFile)
{
    WriteBytes("data.bin", "hello, mapped world");
    HANDLE file = Open("data.bin", GENERIC_READ | GENERIC_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    SetLastError(0xdead);
    HANDLE map = CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
    ASSERT_NE(nullptr, map);
    EXPECT_EQ(0u, GetLastError());
    char* a = static_cast<char*>(MapViewOfFile(map, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    const char* b = static_cast<const char*>(MapViewOfFile(map, FILE_MAP_READ, 0, 0, 5));
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ("hello", Text(b, 5));
    // Two views of one section see each other's writes at once.
    std::memcpy(a, "HELLO", 5);
    EXPECT_EQ("HELLO", Text(b, 5));
    // The handle that made the section, and the file, see them too.
    char buf[5];
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(file, buf, 5, &got, nullptr));
    EXPECT_EQ("HELLO", Text(buf, got));
    // A copy view keeps its writes to itself.
    char* c = static_cast<char*>(MapViewOfFile(map, FILE_MAP_COPY, 0, 0, 0));
    ASSERT_NE(nullptr, c);
    c[0] = 'J';
    EXPECT_EQ('H', a[0]);
    EXPECT_TRUE(FlushViewOfFile(a + 3, 4));
    EXPECT_TRUE(UnmapViewOfFile(a));
    EXPECT_TRUE(UnmapViewOfFile(b));
    EXPECT_TRUE(UnmapViewOfFile(c));
    EXPECT_FALSE(UnmapViewOfFile(a));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_ADDRESS), GetLastError());
    EXPECT_TRUE(CloseHandle(map));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ("HELLO, mapped world", ReadBytes("data.bin"));
}

TEST_F(FileMapping, ViewsOutliveTheirHandlesAndWritableSectionsExtendTheFile)
{
    WriteBytes("grow.bin", "abc");
    HANDLE file = Open("grow.bin", GENERIC_READ | GENERIC_WRITE);
    HANDLE map = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 70000, nullptr);
    ASSERT_NE(nullptr, map);
    CloseHandle(file);
    char* second = static_cast<char*>(MapViewOfFile(map, FILE_MAP_WRITE, 0, 65536, 0));
    ASSERT_NE(nullptr, second);
    CloseHandle(map);
    std::memcpy(second, "tail", 4); // the view still works without any handle
    EXPECT_TRUE(UnmapViewOfFile(second));
    const std::string bytes = ReadBytes("grow.bin");
    ASSERT_EQ(70000u, bytes.size());
    EXPECT_EQ("abc", bytes.substr(0, 3));
    EXPECT_EQ("tail", bytes.substr(65536, 4));
}

TEST_F(FileMapping, WindowsChecksOfSizeProtectionAndAlignment)
{
    WriteBytes("empty.bin", "");
    WriteBytes("small.bin", std::string(100, 'x'));
    HANDLE empty = Open("empty.bin", GENERIC_READ | GENERIC_WRITE);
    HANDLE readOnly = Open("small.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    HANDLE writeOnly = Open("small.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);

    SetLastError(0);
    EXPECT_EQ(nullptr, CreateFileMappingW(empty, nullptr, PAGE_READONLY, 0, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_INVALID), GetLastError());
    // Protection wider than the handle's access.
    EXPECT_EQ(nullptr, CreateFileMappingW(readOnly, nullptr, PAGE_READWRITE, 0, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    if (HANDLE exec = CreateFileMappingW(readOnly, nullptr, PAGE_EXECUTE_READ, 0, 0, nullptr))
    {
        EXPECT_TRUE(
            testsupport::UnderWine()); // Known Wine difference: it does not ask for execute access.
        CloseHandle(exec);
    }
    else
    {
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    }
    EXPECT_EQ(nullptr, CreateFileMappingW(writeOnly, nullptr, PAGE_READONLY, 0, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    // A read-only section cannot be larger than its file.
    EXPECT_EQ(nullptr, CreateFileMappingW(readOnly, nullptr, PAGE_READONLY, 0, 200, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
    EXPECT_EQ(nullptr, CreateFileMappingW(reinterpret_cast<HANDLE>(0x7777), nullptr, PAGE_READONLY,
                                          0, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(nullptr,
              CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(nullptr, CreateFileMappingW(readOnly, nullptr, 0x300, 0, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    // A read-only section gives read views only; write-copy views are private.
    HANDLE map = CreateFileMappingW(readOnly, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(nullptr, map);
    EXPECT_EQ(nullptr, MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    void* copy = MapViewOfFile(map, FILE_MAP_COPY, 0, 0, 0);
    ASSERT_NE(nullptr, copy);
    static_cast<char*>(copy)[0] = 'y';
    UnmapViewOfFile(copy);
    // Offsets are multiples of the allocation granularity and inside the section.
    EXPECT_EQ(nullptr, MapViewOfFile(map, FILE_MAP_READ, 0, 4096, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MAPPED_ALIGNMENT), GetLastError());
    EXPECT_EQ(nullptr, MapViewOfFile(map, FILE_MAP_READ, 0, 65536, 0));
    // Known Wine difference: a view starting past its section is a parameter error there.
    EXPECT_EQ(static_cast<DWORD>(testsupport::UnderWine() ? ERROR_INVALID_PARAMETER
                                                          : ERROR_ACCESS_DENIED),
              GetLastError());
    EXPECT_EQ(nullptr, MapViewOfFile(map, FILE_MAP_READ, 0, 0, 101));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(nullptr, MapViewOfFile(readOnly, FILE_MAP_READ, 0, 0, 0)); // a file is not a section
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    CloseHandle(map);
    EXPECT_EQ(std::string(100, 'x'), ReadBytes("small.bin"));

    char msg[256] = {};
    ASSERT_NE(0u, FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, ERROR_MAPPED_ALIGNMENT, 0x400, msg, sizeof msg, nullptr));
    CloseHandle(empty);
    CloseHandle(readOnly);
    CloseHandle(writeOnly);
}

TEST_F(FileMapping, NamedSectionsAreSharedBetweenProcesses)
{
    // Memory-backed: this process writes, another reads and writes back.
    HANDLE map = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 100000,
                                    "Local\\Velmar_Test_Section");
    ASSERT_NE(nullptr, map);
    char* view = static_cast<char*>(MapViewOfFile(map, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(nullptr, view);
    std::memcpy(view, "from parent", 11);
    EXPECT_EQ(0, testsupport::RunChild({"map-read", "Velmar_Test_Section", "from parent"}));
    EXPECT_EQ(0, testsupport::RunChild({"map-write", "Local\\Velmar_Test_Section", "FROM CHILD"}));
    EXPECT_EQ("FROM CHILD", Text(view, 10));

    // The same name in this process is the same section.
    SetLastError(0);
    HANDLE again = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 1,
                                      L"Velmar_Test_Section");
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    const char* other = static_cast<const char*>(MapViewOfFile(again, FILE_MAP_READ, 0, 65536, 0));
    ASSERT_NE(nullptr, other);
    view[65536] = 'Z';
    EXPECT_EQ('Z', other[0]);
    UnmapViewOfFile(other);
    CloseHandle(again);

    // Names are case-sensitive; a missing one is not found.
    SetLastError(0);
    EXPECT_EQ(nullptr, OpenFileMappingW(FILE_MAP_READ, FALSE, L"velmar_test_section"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    // A folder of names other than Global and Local does not exist.
    EXPECT_EQ(nullptr, OpenFileMappingW(FILE_MAP_READ, FALSE, L"Bad\\Name"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 16,
                                          L"Bad\\Name"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());

    // Once the last view and handle are gone, the name is gone for everyone.
    UnmapViewOfFile(view);
    CloseHandle(map);
    EXPECT_EQ(0, testsupport::RunChild({"map-missing", "Velmar_Test_Section"}));
    EXPECT_EQ(nullptr, OpenFileMappingA(FILE_MAP_READ, FALSE, "Velmar_Test_Section"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(FileMapping, NamedFileSectionReachesTheFileFromAnotherProcess)
{
    WriteBytes("shared.xml", "<a>original</a>");
    HANDLE file = Open("shared.xml", GENERIC_READ | GENERIC_WRITE);
    HANDLE map =
        CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 0, L"Zivirezide_Mapping_Object");
    ASSERT_NE(nullptr, map);
    EXPECT_EQ(0,
              testsupport::RunChild({"map-read", "Zivirezide_Mapping_Object", "<a>original</a>"}));
    EXPECT_EQ(0, testsupport::RunChild({"map-write", "Zivirezide_Mapping_Object", "<b>"}));
    CloseHandle(map);
    CloseHandle(file);
    EXPECT_EQ("<b>original</a>", ReadBytes("shared.xml"));
}
