#include "Win32TestSupport.h"

#ifndef _WIN32
#include <sys/mman.h>
#endif

namespace
{

std::vector<unsigned char> LoadBlock(const std::wstring& file)
{
    DWORD handle = 7;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    EXPECT_EQ(0u, handle);
    std::vector<unsigned char> block(size);
    if (size)
    {
        EXPECT_TRUE(GetFileVersionInfoW(file.c_str(), 0, size, block.data()));
    }
    return block;
}

// A string of the block; its length, terminator included, must match.
std::wstring QueryText(std::vector<unsigned char>& block, const wchar_t* path)
{
    wchar_t* text = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block.data(), path, reinterpret_cast<LPVOID*>(&text), &len))
        return L"<missing>";
    EXPECT_EQ(std::wcslen(text) + 1, len) << text;
    return text;
}

} // namespace

// The test program carries the resource the build gives every program of ours.
TEST(VersionInfo, OwnBinaryAnswersFixedInfoTranslationAndStrings)
{
    const std::wstring self = testsupport::Wide(testsupport::SelfPath());
    std::vector<unsigned char> block = LoadBlock(self);
    ASSERT_FALSE(block.empty());

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<LPVOID*>(&fixed), &len));
    EXPECT_EQ(sizeof(VS_FIXEDFILEINFO), len);
    EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
    EXPECT_EQ(VS_FFI_STRUCVERSION, fixed->dwStrucVersion);
    EXPECT_EQ(VFT_APP, fixed->dwFileType);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<LPVOID*>(&translation), &len));
    ASSERT_EQ(4u, len);
    EXPECT_EQ(0x0409, translation[0]);
    EXPECT_EQ(1200, translation[1]);

    // The string table key as a reader forms it ("%04x%04x"): lower case
    // matches, and so does any case of the names.
    EXPECT_EQ(L"Brandvik Corp.", QueryText(block, L"\\StringFileInfo\\040904b0\\CompanyName"));
    EXPECT_EQ(L"Velmar", QueryText(block, L"\\StringFileInfo\\040904B0\\productname"));
    // The file version text agrees with the fixed numbers.
    wchar_t expected[64];
    std::swprintf(expected, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                  LOWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(expected, QueryText(block, L"\\StringFileInfo\\040904b0\\FileVersion"));

    // Narrow forms read the same block.
    char* description = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileDescription",
                               reinterpret_cast<LPVOID*>(&description), &len));
    EXPECT_STREQ("Velmar win32 layer tests", description);
    EXPECT_EQ(std::strlen(description) + 1, len);
    EXPECT_NE(0u, GetFileVersionInfoSizeA(testsupport::SelfPath().c_str(), nullptr));

    // Entries that are not there.
    LPVOID p = nullptr;
    EXPECT_FALSE(
        VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\PrivateBuild", &p, &len));
    EXPECT_FALSE(
        VerQueryValueW(block.data(), L"\\StringFileInfo\\00000000\\CompanyName", &p, &len));
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\NoSuchBlock", &p, &len));
}

TEST(VersionInfo, FilesWithoutResourceReportSizeZero)
{
    testsupport::TempDir dir;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              LAST_ERROR_IF(0u, GetFileVersionInfoSizeA(dir.file("missing").c_str(), nullptr)));
    const std::string text = dir.write("plain.txt", "no program here");
    const DWORD notAProgram = LAST_ERROR_IF(0u, GetFileVersionInfoSizeA(text.c_str(), nullptr));
#ifdef _WIN32
    EXPECT_NE(ERROR_SUCCESS, notAProgram);
    EXPECT_NE(0xFFFFFFFFu, notAProgram);
#else
    // Our resources live in an ELF section: a file that is no ELF object, one of
    // the system's without our section, and damaged ones.
    EXPECT_EQ(ERROR_BAD_FORMAT, notAProgram);
    EXPECT_EQ(ERROR_RESOURCE_TYPE_NOT_FOUND,
              LAST_ERROR_IF(0u, GetFileVersionInfoSizeW(L"/bin/sh", nullptr)));
    // A short ELF header and a truncated section table are refused, not read past.
    std::string elf = "\x7f"
                      "ELF\x02\x01\x01";
    elf.resize(64, '\0');
    elf[0x3a] = 64;  // e_shentsize
    elf[0x3c] = 100; // e_shnum far beyond the file
    elf[0x28] = 64;  // e_shoff
    const std::string broken = dir.write("broken.so", elf);
    EXPECT_EQ(ERROR_BAD_FORMAT,
              LAST_ERROR_IF(0u, GetFileVersionInfoSizeA(broken.c_str(), nullptr)));
#endif
    EXPECT_EQ(0u, GetFileVersionInfoSizeW(L"", nullptr));
}

TEST(VersionInfo, ShortBufferGetsTheInformationCut)
{
    const std::string self = testsupport::SelfPath();
    const DWORD size = GetFileVersionInfoSizeA(self.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(self.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<LPVOID*>(&fixed), &len));
    const size_t fixedOffset = reinterpret_cast<unsigned char*>(fixed) - block.data();
    const size_t fixedEnd = fixedOffset + sizeof(VS_FIXEDFILEINFO);
    ASSERT_LT(fixedEnd + 12, size - 1);

    // Too small a buffer: the call succeeds and the buffer holds the leading
    // part of the information, the fixed part readable where the cut keeps it.
    // Cutting into the resource itself is tried here only: Windows keeps its
    // full length in the copy, so a query there may read past the buffer.
#ifdef _WIN32
    const DWORD cuts[] = {size - 1};
#else
    const DWORD cuts[] = {size - 1, size / 2, static_cast<DWORD>(fixedEnd + 12)};
#endif
    for (DWORD cut : cuts)
    {
        std::vector<unsigned char> small(cut, 0xCC);
        ASSERT_TRUE(GetFileVersionInfoA(self.c_str(), 0, cut, small.data())) << cut;
        // The length word may be the copy's own; what follows is the file's.
        EXPECT_EQ(0, std::memcmp(small.data() + 2, block.data() + 2, fixedEnd - 2)) << cut;
        VS_FIXEDFILEINFO* got = nullptr;
        ASSERT_TRUE(VerQueryValueW(small.data(), L"\\", reinterpret_cast<LPVOID*>(&got), &len))
            << cut;
        // The fixed part is where the full copy has it, and the same bytes.
        EXPECT_EQ(small.data() + fixedOffset, reinterpret_cast<unsigned char*>(got)) << cut;
        EXPECT_EQ(sizeof(VS_FIXEDFILEINFO), len);
        // Strings are either whole inside the copy or not returned.
        LPVOID p = nullptr;
        if (VerQueryValueW(small.data(), L"\\StringFileInfo\\040904b0\\CompanyName", &p, &len))
        {
            EXPECT_GE(static_cast<unsigned char*>(p), small.data());
            EXPECT_LE(static_cast<unsigned char*>(p) + len * sizeof(wchar_t), small.data() + cut);
            EXPECT_STREQ(L"Brandvik Corp.", static_cast<wchar_t*>(p));
        }
    }

#ifndef _WIN32
    // Cut before the strings, or inside the fixed part: what is gone is not returned.
    for (DWORD cut : {static_cast<DWORD>(fixedEnd + 12), static_cast<DWORD>(fixedOffset + 24)})
    {
        std::vector<unsigned char> small(cut, 0xCC);
        ASSERT_TRUE(GetFileVersionInfoA(self.c_str(), 0, cut, small.data())) << cut;
        LPVOID p = nullptr;
        EXPECT_FALSE(
            VerQueryValueW(small.data(), L"\\StringFileInfo\\040904b0\\CompanyName", &p, &len));
        EXPECT_FALSE(
            VerQueryValueA(small.data(), "\\StringFileInfo\\040904b0\\CompanyName", &p, &len));
        EXPECT_FALSE(VerQueryValueW(small.data(), L"\\VarFileInfo\\Translation", &p, &len));
        EXPECT_EQ(cut == fixedEnd + 12, VerQueryValueW(small.data(), L"\\", &p, &len) != FALSE)
            << cut;
    }

    // Buffers of a few bytes, each ending at a page nobody may read, so that a
    // query looking past them faults. Shorter than a block header: no copy.
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    void* pages =
        mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(MAP_FAILED, pages);
    ASSERT_EQ(0, mprotect(static_cast<char*>(pages) + page, page, PROT_NONE));
    for (DWORD cut : {0u, 1u, 5u, 6u, 8u, 9u, 12u, 13u})
    {
        unsigned char* tiny = static_cast<unsigned char*>(pages) + page - cut;
        std::memset(tiny, 0xCC, cut);
        const DWORD filled = LAST_ERROR_IF(FALSE, GetFileVersionInfoA(self.c_str(), 0, cut, tiny));
        if (cut < 6)
        {
            EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, filled) << cut;
            EXPECT_EQ(std::string(cut, '\xCC'), std::string(tiny, tiny + cut)) << cut;
            continue;
        }
        EXPECT_EQ(ERROR_SUCCESS, filled) << cut;
        LPVOID p = nullptr;
        EXPECT_FALSE(VerQueryValueW(tiny, L"\\", &p, &len)) << cut;
        EXPECT_FALSE(VerQueryValueW(tiny, L"\\StringFileInfo\\040904b0\\CompanyName", &p, &len))
            << cut;
    }
    munmap(pages, 2 * page);

    // An I/O error while reading the file is a failure with its code.
    w32::ClearInjectedFaults();
    w32::FailNthCall(w32::SysCall::Pread, 1, EIO);
    EXPECT_FALSE(GetFileVersionInfoA(self.c_str(), 0, size, block.data()));
    w32::ClearInjectedFaults();
    EXPECT_TRUE(GetFileVersionInfoA(self.c_str(), 0, size, block.data()));
#endif
}

#ifndef _WIN32
// Our builder of the resource bytes, and the walk over damaged ones.
TEST(VersionInfo, BuiltResourceRoundTripsUnicodeAndHandlesDamage)
{
    w32::VersionResource r;
    ASSERT_TRUE(w32::ParseVersionNumber("2.5.1", r.fileVersion));
    EXPECT_EQ(2, r.fileVersion[0]);
    EXPECT_EQ(0, r.fileVersion[3]);
    EXPECT_FALSE(w32::ParseVersionNumber("1.x", r.productVersion));
    EXPECT_FALSE(w32::ParseVersionNumber("70000", r.productVersion));
    r.language = 0x0804;
    r.codePage = 936;
    r.strings = {{L"FileDescription", L"\x6587\x6863 \x1F600"}, {L"CompanyName", L""}};
    const std::vector<unsigned char> bytes = w32::BuildVersionResource(r);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(0u, bytes.size() % 4);
    EXPECT_EQ(bytes.size(), size_t(bytes[0] | (bytes[1] << 8)) + (4 - (bytes[0] & 3)) % 4);

    // Hand the bytes to the query calls as a block of the size they ask for.
    std::vector<unsigned char> block(bytes.size() * 6 + 64);
    std::memcpy(block.data(), bytes.data(), bytes.size());
    // Without GetFileVersionInfo's bookkeeping strings are refused, numbers not.
    LPVOID p = nullptr;
    UINT len = 0;
    EXPECT_TRUE(VerQueryValueW(block.data(), L"\\", &p, &len));
    EXPECT_FALSE(
        VerQueryValueW(block.data(), L"\\StringFileInfo\\080403a8\\FileDescription", &p, &len));

    // Damaged lengths end the walk instead of reading past the block.
    std::vector<unsigned char> big(0x20000, 0);
    std::memcpy(big.data(), bytes.data(), bytes.size());
    big[0] = big[1] = 0xff;
    EXPECT_FALSE(VerQueryValueW(big.data(), L"\\StringFileInfo\\080403a8\\Nothing", &p, &len));
}
#endif
