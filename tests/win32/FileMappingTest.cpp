
#include "ChildProcess.h"
#include "Win32TestSupport.h"

namespace
{

class FileMappingTest : public testsupport::TempDirTest
{
protected:
    // Our layer keeps named sections as files of a folder of its own.
    void SetUp() override
    {
        testsupport::TempDirTest::SetUp();
#ifndef _WIN32
        env_.set("VELMAR_SHM_DIR", dir_);
#endif
    }
};

std::string Text(const void* p, size_t n)
{
    return std::string(static_cast<const char*>(p), n);
}

} // namespace

TEST_F(FileMappingTest, ViewsOfAFileShareItsBytesAndWritesReachTheFile)
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
    EXPECT_EQ(ERROR_INVALID_ADDRESS, LAST_ERROR_IF(FALSE, UnmapViewOfFile(a)));
    EXPECT_TRUE(CloseHandle(map));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ("HELLO, mapped world", ReadBytes("data.bin"));
}

TEST_F(FileMappingTest, ViewsOutliveTheirHandlesAndWritableSectionsExtendTheFile)
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

TEST_F(FileMappingTest, WindowsChecksOfSizeProtectionAndAlignment)
{
    WriteBytes("empty.bin", "");
    WriteBytes("small.bin", std::string(100, 'x'));
    HANDLE empty = Open("empty.bin", GENERIC_READ | GENERIC_WRITE);
    HANDLE readOnly = Open("small.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    HANDLE writeOnly = Open("small.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);

    const struct
    {
        HANDLE file;
        DWORD protect, size, error;
    } refusedSections[] = {
        {empty, PAGE_READONLY, 0, ERROR_FILE_INVALID},
        // Protection wider than the handle's access.
        {readOnly, PAGE_READWRITE, 0, ERROR_ACCESS_DENIED},
        {writeOnly, PAGE_READONLY, 0, ERROR_ACCESS_DENIED},
        // A read-only section cannot be larger than its file.
        {readOnly, PAGE_READONLY, 200, ERROR_NOT_ENOUGH_MEMORY},
        {reinterpret_cast<HANDLE>(0x7777), PAGE_READONLY, 0, ERROR_INVALID_HANDLE},
        {INVALID_HANDLE_VALUE, PAGE_READWRITE, 0, ERROR_INVALID_PARAMETER},
        {readOnly, 0x300, 0, ERROR_INVALID_PARAMETER},
    };
    for (const auto& r : refusedSections)
        EXPECT_EQ(r.error, LAST_ERROR_IF(nullptr, CreateFileMappingW(r.file, nullptr, r.protect, 0,
                                                                     r.size, nullptr)))
            << r.protect << " " << r.size;
    HANDLE exec = nullptr;
    const DWORD execError = LAST_ERROR_IF(
        nullptr, exec = CreateFileMappingW(readOnly, nullptr, PAGE_EXECUTE_READ, 0, 0, nullptr));
    if (exec)
        CloseHandle(exec);
    // Known Wine difference: it does not ask for execute access.
    EXPECT_EQ(testsupport::UnderWine() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED, execError);

    // A read-only section gives read views only, at offsets that are multiples
    // of the allocation granularity and inside the section.
    HANDLE map = CreateFileMappingW(readOnly, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(nullptr, map);
    const struct
    {
        HANDLE section;
        DWORD access, offset, size, error;
    } refusedViews[] = {
        {map, FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
        {map, FILE_MAP_READ, 4096, 0, ERROR_MAPPED_ALIGNMENT},
        // Known Wine difference: a view starting past its section is a parameter error there.
        {map, FILE_MAP_READ, 65536, 0,
         static_cast<DWORD>(testsupport::UnderWine() ? ERROR_INVALID_PARAMETER
                                                     : ERROR_ACCESS_DENIED)},
        {map, FILE_MAP_READ, 0, 101, ERROR_ACCESS_DENIED},
        {readOnly, FILE_MAP_READ, 0, 0, ERROR_INVALID_HANDLE}, // a file is not a section
    };
    for (const auto& r : refusedViews)
        EXPECT_EQ(r.error,
                  LAST_ERROR_IF(nullptr, MapViewOfFile(r.section, r.access, 0, r.offset, r.size)))
            << r.access << " " << r.offset << " " << r.size;
    // Write-copy views are private.
    void* copy = MapViewOfFile(map, FILE_MAP_COPY, 0, 0, 0);
    ASSERT_NE(nullptr, copy);
    static_cast<char*>(copy)[0] = 'y';
    UnmapViewOfFile(copy);
    CloseHandle(map);
    EXPECT_EQ(std::string(100, 'x'), ReadBytes("small.bin"));
    CloseHandle(empty);
    CloseHandle(readOnly);
    CloseHandle(writeOnly);
}

TEST_F(FileMappingTest, NamedSectionsAreSharedBetweenProcesses)
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
    EXPECT_EQ(
        ERROR_FILE_NOT_FOUND,
        LAST_ERROR_IF(nullptr, OpenFileMappingW(FILE_MAP_READ, FALSE, L"velmar_test_section")));
    // A folder of names other than Global and Local does not exist.
    EXPECT_EQ(ERROR_PATH_NOT_FOUND,
              LAST_ERROR_IF(nullptr, OpenFileMappingW(FILE_MAP_READ, FALSE, L"Bad\\Name")));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND,
              LAST_ERROR_IF(nullptr, CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr,
                                                        PAGE_READWRITE, 0, 16, L"Bad\\Name")));

    // Once the last view and handle are gone, the name is gone for everyone.
    UnmapViewOfFile(view);
    CloseHandle(map);
    EXPECT_EQ(0, testsupport::RunChild({"map-missing", "Velmar_Test_Section"}));
    EXPECT_EQ(
        ERROR_FILE_NOT_FOUND,
        LAST_ERROR_IF(nullptr, OpenFileMappingA(FILE_MAP_READ, FALSE, "Velmar_Test_Section")));
}

TEST_F(FileMappingTest, NamedFileSectionReachesTheFileFromAnotherProcess)
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

TEST_F(FileMappingTest, NamedFileSectionIsJoinedThroughTheFileNotItsName)
{
    // The backing file moves and another file takes its name: another
    // process still joins this section, and never the newcomer.
    WriteBytes("backing.bin", "section bytes");
    HANDLE file = Open("backing.bin", GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    HANDLE map = CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 0, L"Velmar_Test_Moved");
    ASSERT_NE(nullptr, map);
    const char* view = static_cast<const char*>(MapViewOfFile(map, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(nullptr, view);
    ASSERT_TRUE(MoveFileExW(WPath("backing.bin").c_str(), WPath("moved.bin").c_str(), 0));
    WriteBytes("backing.bin", "an impostor!!");
    EXPECT_EQ(0, testsupport::RunChild({"map-write", "Velmar_Test_Moved", "SECTION"}));
    EXPECT_EQ("SECTION bytes", Text(view, 13));
    EXPECT_EQ("an impostor!!", ReadBytes("backing.bin"));
#ifndef _WIN32
    // Windows refuses to delete a file a section maps; here the name goes,
    // and the section is still there to join.
    ASSERT_TRUE(DeleteFileW(WPath("moved.bin").c_str()));
    EXPECT_EQ(0, testsupport::RunChild({"map-read", "Velmar_Test_Moved", "SECTION bytes"}));
#endif
    UnmapViewOfFile(view);
    CloseHandle(map);
    CloseHandle(file);
}
