#include "Win32TestSupport.h"

#include <cwctype>

namespace
{

typedef double (*UnaryMath)(double);

// A library of the system with the C math functions, which the test program
// itself does not load.
#ifdef _WIN32
const wchar_t kMathLibrary[] = L"ucrtbase.dll";
const char kMathLibraryA[] = "ucrtbase.dll";
#else
const wchar_t kMathLibrary[] = L"libm.so.6";
const char kMathLibraryA[] = "libm.so.6";
#endif

bool EndsWithNoCase(std::wstring text, std::wstring end)
{
    auto lower = [](std::wstring& s)
    { std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return std::towlower(c); }); };
    lower(text);
    lower(end);
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

TEST(Modules, LoadBareNameFindProcAndFree)
{
    SetLastError(0xdead);
    HMODULE m = LoadLibraryExW(kMathLibrary, nullptr, 0);
    ASSERT_NE(nullptr, m) << GetLastError();
    auto cosine =
        reinterpret_cast<UnaryMath>(reinterpret_cast<void (*)()>(GetProcAddress(m, "cos")));
    ASSERT_NE(nullptr, cosine);
    EXPECT_DOUBLE_EQ(1.0, cosine(0.0));

    EXPECT_EQ(ERROR_PROC_NOT_FOUND,
              LAST_ERROR_IF(nullptr, GetProcAddress(m, "no_such_function_here")));

    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(m, path, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_TRUE(std::filesystem::path(path).is_absolute()) << path;
    EXPECT_TRUE(EndsWithNoCase(path, kMathLibrary)) << path;
    EXPECT_EQ(n, std::wcslen(path));

    // The same module found again by name, without a load of its own.
    EXPECT_EQ(m, GetModuleHandleW(kMathLibrary));
    EXPECT_TRUE(FreeLibrary(m));
}

#ifndef _WIN32
// Our loader's own answers: ELF has no ordinals, and handles it never gave
// out are refused rather than handed to dlclose.
TEST(Modules, OrdinalsAndForeignHandles)
{
    HMODULE m = LoadLibraryExW(kMathLibrary, nullptr, 0);
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(ERROR_PROC_NOT_FOUND,
              LAST_ERROR_IF(nullptr, GetProcAddress(m, nullptr))); // ordinal 0
    EXPECT_TRUE(FreeLibrary(m));
    EXPECT_EQ(ERROR_MOD_NOT_FOUND,
              LAST_ERROR_IF(FALSE, FreeLibrary(reinterpret_cast<HMODULE>(0x1234))));
    EXPECT_EQ(nullptr, GetProcAddress(reinterpret_cast<HMODULE>(0x1234), "cos"));
}

// The libraries of Windows itself do not exist here.
TEST(Modules, WindowsLibrariesAreNotFound)
{
    for (const wchar_t* name : {L"kernel32", L"uxtheme", L"kernel32.dll"})
    {
        EXPECT_EQ(ERROR_MOD_NOT_FOUND, LAST_ERROR_IF(nullptr, LoadLibraryExW(name, nullptr, 0)))
            << name;
        EXPECT_EQ(nullptr, GetModuleHandleW(name));
    }
}
#endif

TEST(Modules, MissingAndBrokenLibrariesFail)
{
    EXPECT_EQ(ERROR_MOD_NOT_FOUND,
              LAST_ERROR_IF(nullptr, LoadLibraryExW(L"no-such-library-anywhere", nullptr, 0)));
    EXPECT_EQ(nullptr, GetModuleHandleW(L"no-such-library-anywhere"));
    testsupport::TempDir dir;
    EXPECT_EQ(ERROR_MOD_NOT_FOUND,
              LAST_ERROR_IF(nullptr, LoadLibraryA(dir.file("no/such/folder/libx.so").c_str())));
    // A file that exists but is no library.
    const std::string text = dir.write("notalib.so", "plain text, not a library\n");
    EXPECT_EQ(ERROR_BAD_EXE_FORMAT,
              LAST_ERROR_IF(nullptr, LoadLibraryExA(text.c_str(), nullptr, 0)));
    // An empty name names no library.
    EXPECT_EQ(ERROR_MOD_NOT_FOUND, LAST_ERROR_IF(nullptr, LoadLibraryExW(L"", nullptr, 0)));
    EXPECT_EQ(ERROR_MOD_NOT_FOUND, LAST_ERROR_IF(nullptr, LoadLibraryA("")));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, LAST_ERROR_IF(nullptr, LoadLibraryExW(nullptr, nullptr, 0)));
}

TEST(Modules, LoadsAreCounted)
{
    // Two loads need two frees.
    HMODULE a = LoadLibraryA(kMathLibraryA);
    HMODULE b = LoadLibraryA(kMathLibraryA);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_NE(nullptr, GetProcAddress(b, "sin")); // still loaded for b
    EXPECT_EQ(b, GetModuleHandleA(kMathLibraryA));
    EXPECT_TRUE(FreeLibrary(b));
#ifdef _WIN32
    // No load left: the library is gone. Known Wine difference: Wine keeps
    // this library of its own loaded after the last FreeLibrary.
    if (!testsupport::UnderWine())
    {
        EXPECT_EQ(nullptr, GetModuleHandleA(kMathLibraryA));
    }
#else
    // No load left; the C library keeps libm in the process, so only our
    // count can tell.
    EXPECT_FALSE(FreeLibrary(b));
#endif
}

TEST(Modules, ProgramModuleNameAndTruncation)
{
    const std::string self = testsupport::SelfPath();
    ASSERT_FALSE(self.empty());
    char name[MAX_PATH];
    SetLastError(0xdead);
    ASSERT_EQ(self.size(), GetModuleFileNameA(nullptr, name, sizeof name));
    EXPECT_EQ(self, name);
#ifdef _WIN32
    EXPECT_TRUE(EndsWithNoCase(testsupport::Wide(self), L"\\test_win32.exe"));
#else
    EXPECT_TRUE(EndsWithNoCase(testsupport::Wide(self), L"/test_win32"));
#endif
    EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleW(nullptr));
    EXPECT_NE(nullptr, GetModuleHandleA(nullptr));
#ifndef _WIN32
    // The null module searches the program and what it was linked with; on
    // Windows it is the program's own export table only.
    EXPECT_NE(nullptr, GetProcAddress(nullptr, "malloc"));
#endif

    // Too small: cut, terminated, result = size, ERROR_INSUFFICIENT_BUFFER.
    wchar_t small[5];
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, LAST_ERROR_IF(5u, GetModuleFileNameW(nullptr, small, 5)));
    EXPECT_EQ(0, std::wcsncmp(small, testsupport::Wide(self).c_str(), 4));
    // Known Wine difference: Wine fills all five without a terminator, as
    // Windows XP did; later Windows cut to four and terminate.
    if (!testsupport::UnderWine())
    {
        EXPECT_EQ(4u, std::wcslen(small));
    }
}
