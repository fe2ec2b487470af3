// Named mappings of CFileWin and the mapping object under them.
#include "StreamTestUtil.h"

#include <cstring>
#ifdef _WIN32
#include <process.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

using namespace Orvex;
using namespace testsupport;

namespace
{

constexpr uint32_t kRW = kMapRead | kMapWrite;
constexpr uint32_t kGranule = 65536; // view offsets are multiples of this

class FileMappingTest : public ::testing::Test
{
protected:
#ifndef _WIN32
    // The POSIX layer keeps named mappings as files in this folder; Windows
    // keeps them in the kernel.
    void SetUp() override
    {
        ::setenv("VELMAR_SHM_DIR", dir.path().c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("VELMAR_SHM_DIR");
    }
#endif

    // The views listed under `name`, or -1 without an entry.
    static int ViewCount(const CFileWin& f, const char* name)
    {
        nkMem::CStringT<char> key;
        key.Assign(name);
        const CFileMappingData* d = f.GetMappings().Find(key);
        return d ? static_cast<int>(d->views.GetCount()) : -1;
    }
    static bool NameVisible(const char* name)
    {
        CFileMappingWin m;
        return m.OpenExisting(kMapRead, name);
    }

    TempDir dir;
};

// Runs the second process with `args`; its exit code, or -1.
int RunChild(std::vector<std::string> args)
{
    args.insert(args.begin(), VELMAR_IO_MAPPING_CHILD);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
#ifdef _WIN32
    return static_cast<int>(_spawnv(_P_WAIT, argv[0], argv.data()));
#else
    pid_t pid = -1;
    int status = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
#endif
}

} // namespace

TEST_F(FileMappingTest, TwoViewsUnderOneNameShareAnEntryThatGoesWithTheLast)
{
    const std::vector<uint8_t> bytes = Pattern(2 * kGranule);
    const std::string path = WriteBytes(dir.file("two.bin"), bytes);
    CFileWin f;
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead | kModeWrite, false));
    auto* first = static_cast<uint8_t*>(f.MapView(kRW, 0, 100, 0, "two-views"));
    auto* second = static_cast<uint8_t*>(f.MapView(kRW, kGranule, 100, 0, "two-views"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(std::memcmp(first, bytes.data(), 100), 0);
    EXPECT_EQ(std::memcmp(second, bytes.data() + kGranule, 100), 0);
    EXPECT_EQ(f.GetMappings().GetCount(), 1u);
    EXPECT_EQ(ViewCount(f, "two-views"), 2);
    EXPECT_TRUE(NameVisible("two-views"));

    // Writes through a view reach the file.
    second[0] = 0xAB;
    EXPECT_TRUE(f.UnmapView(first, "two-views"));
    EXPECT_EQ(ViewCount(f, "two-views"), 1);
    EXPECT_TRUE(NameVisible("two-views"));
    EXPECT_FALSE(f.UnmapView(first, "two-views")); // already gone
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
    EXPECT_EQ(second[1], bytes[kGranule + 1]);

    EXPECT_TRUE(f.UnmapView(second, "two-views"));
    EXPECT_EQ(ViewCount(f, "two-views"), -1);
    EXPECT_EQ(f.GetMappings().GetCount(), 0u);
    EXPECT_FALSE(NameVisible("two-views")); // the mapping was closed
    f.Close();
    EXPECT_EQ(ReadBytes(path)[kGranule], 0xAB);
}

TEST_F(FileMappingTest, UnknownNamesAndOtherNamesViewsAreRefusedAndChangeNothing)
{
    const std::string path = WriteBytes(dir.file("names.bin"), Pattern(1000));
    CFileWin f;
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead | kModeWrite, false));
    auto* a = static_cast<uint8_t*>(f.MapView(kMapRead, 0, 10, 0, "name-a"));
    auto* b = static_cast<uint8_t*>(f.MapView(kMapRead, 0, 10, 0, "name-b"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);

    EXPECT_FALSE(f.UnmapView(a, "no-such-name"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // A view of another name is not this name's to release: it stays mapped
    // and listed where it belongs.
    EXPECT_FALSE(f.UnmapView(a, "name-b"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
    EXPECT_FALSE(f.UnmapView(nullptr, "name-a"));
    EXPECT_EQ(ViewCount(f, "name-a"), 1);
    EXPECT_EQ(ViewCount(f, "name-b"), 1);
    EXPECT_EQ(a[3], Pattern(1000)[3]);

    // The wide forms reach the same entries.
    EXPECT_TRUE(f.UnmapView(a, L"name-a"));
    void* w = f.MapView(kMapRead, 0, 0, 0, L"name-b");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ViewCount(f, "name-b"), 2);
    EXPECT_TRUE(f.UnmapView(w, "name-b"));
    EXPECT_TRUE(f.UnmapView(b, "name-b"));
    EXPECT_EQ(f.GetMappings().GetCount(), 0u);

    // A file that is not open has nothing to map.
    CFileWin closed;
    EXPECT_EQ(closed.MapView(kMapRead, 0, 0, 0, "closed"), nullptr);
    EXPECT_EQ(closed.GetMappings().GetCount(), 0u);
}

TEST_F(FileMappingTest, CloseWithViewsMappedReleasesEverything)
{
    const std::string path = WriteBytes(dir.file("close.bin"), Pattern(3 * kGranule));
    CFileWin f;
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead | kModeWrite, false));
    ASSERT_NE(f.MapView(kRW, 0, 10, 0, "close-a"), nullptr);
    ASSERT_NE(f.MapView(kRW, kGranule, 10, 0, "close-a"), nullptr);
    ASSERT_NE(f.MapView(kMapRead, 0, 0, 0, "close-b"), nullptr);
    void* region = f.MapRegion(kMapRead, 2 * kGranule, 16);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(f.GetMappings().GetCount(), 3u);

    SetLastError(1234);
    f.Close();
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_EQ(f.GetMappings().GetCount(), 0u);
    EXPECT_FALSE(NameVisible("close-a"));
    EXPECT_FALSE(NameVisible("close-b"));
    EXPECT_FALSE(f.UnmapRegion(region));

    // Open again, map again, and let the destructor release it.
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead, false));
    EXPECT_NE(f.MapView(kMapRead, 0, 10, 0, "close-a"), nullptr);
}

TEST_F(FileMappingTest, RegionOfSizeZeroMapsTheRestAndRegionsOfTwoFilesStayApart)
{
    const std::vector<uint8_t> one = Pattern(kGranule + 4464);
    const std::string pathOne = WriteBytes(dir.file("one.bin"), one);
    const std::string pathTwo = WriteBytes(dir.file("two.bin"), std::vector<uint8_t>(5000, 'x'));
    CFileWin a, b;
    ASSERT_TRUE(a.Open(pathOne.c_str(), kModeRead, false));
    ASSERT_TRUE(b.Open(pathTwo.c_str(), kModeRead, false));

    auto* whole = static_cast<uint8_t*>(a.MapRegion(kMapRead, 0, 0));
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(std::memcmp(whole, one.data(), one.size()), 0);
    auto* tail = static_cast<uint8_t*>(a.MapRegion(kMapRead, kGranule, 0));
    ASSERT_NE(tail, nullptr);
    EXPECT_EQ(std::memcmp(tail, one.data() + kGranule, 4464), 0);
    EXPECT_EQ(ViewCount(a, "Zivirezide_Mapping_Object"), 2);

    // The other file's region shows the other file, not the first one's.
    auto* other = static_cast<uint8_t*>(b.MapRegion(kMapRead, 0, 0));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other[0], 'x');
    EXPECT_EQ(other[4999], 'x');

    // Regions cannot start inside the allocation granule or past the end.
    EXPECT_EQ(a.MapRegion(kMapRead, 100, 0), nullptr);
    EXPECT_EQ(a.MapRegion(kMapRead, 2 * kGranule, 0), nullptr);
    EXPECT_EQ(ViewCount(a, "Zivirezide_Mapping_Object"), 2);

    EXPECT_TRUE(a.UnmapRegion(whole));
    EXPECT_TRUE(a.UnmapRegion(tail));
    EXPECT_FALSE(a.UnmapRegion(other)); // b's
    EXPECT_TRUE(b.UnmapRegion(other));
}

TEST_F(FileMappingTest, ReadOnlyFilesGiveReadViewsAndRefuseWriteAccess)
{
    const std::string path = WriteBytes(dir.file("ro.bin"), Pattern(300));
    CFileWin f;
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead | kModeShareRead, false));
    auto* view = static_cast<uint8_t*>(f.MapView(kMapRead, 0, 0, 0, "ro"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[299], Pattern(300)[299]);

    EXPECT_EQ(f.MapView(kRW, 0, 0, 0, "ro-write"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ViewCount(f, "ro-write"), -1);
    // Under the existing read-only name a write view fails too and the
    // entry keeps its one view.
    EXPECT_EQ(f.MapView(kRW, 0, 0, 0, "ro"), nullptr);
    EXPECT_EQ(ViewCount(f, "ro"), 1);
    // A read-only mapping cannot be larger than its file.
    EXPECT_EQ(f.MapView(kMapRead, 0, 0, 400, "ro-large"), nullptr);
    EXPECT_EQ(ViewCount(f, "ro-large"), -1);
    EXPECT_TRUE(f.UnmapView(view, "ro"));
    EXPECT_EQ(ReadBytes(path), Pattern(300));
}

TEST_F(FileMappingTest, NamedMappingIsSeenAndWrittenByASecondProcess)
{
    // As unique as the scratch folder's name: the mapping's name is global.
    const std::string name = "velmar-" + std::filesystem::path(dir.path()).filename().string();
    const std::string path =
        WriteBytes(dir.file("shared.bin"), std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o', '!'});
    CFileWin f;
    ASSERT_TRUE(f.Open(path.c_str(), kModeRead | kModeWrite, false));
    auto* view = static_cast<char*>(f.MapView(kRW, 0, 0, 0, name.c_str()));
    ASSERT_NE(view, nullptr);

    EXPECT_EQ(RunChild({name, "hello", "HE"}), 0);
    EXPECT_EQ(std::string(view, 6), "HEllo!");
    EXPECT_EQ(RunChild({name, "nope", "x"}), 4);

    EXPECT_TRUE(f.UnmapView(view, name.c_str()));
    // Released with its last view: the name is gone for the other process too.
    EXPECT_EQ(RunChild({name, "HE", "x"}), 2);
    f.Close();
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'H', 'E', 'l', 'l', 'o', '!'}));
}
