#include "win32/win32.h"

#include "SystemTestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

typedef double (*UnaryMath)(double);

}

TEST(Modules, LoadBareNameFindProcAndFree)
{
    SetLastError(0xdead);
    HMODULE m = LoadLibraryExW(L"libm.so.6", nullptr, 0);
    ASSERT_NE(nullptr, m) << GetLastError();
    auto cosine = reinterpret_cast<UnaryMath>(GetProcAddress(m, "cos"));
    ASSERT_NE(nullptr, cosine);
    EXPECT_DOUBLE_EQ(1.0, cosine(0.0));

    SetLastError(0);
    EXPECT_EQ(nullptr, GetProcAddress(m, "no_such_function_here"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, GetProcAddress(m, nullptr)); // ordinal 0: ELF has none
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());

    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(m, path, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(L'/', path[0]);
    EXPECT_NE(nullptr, std::wcsstr(path, L"libm.so.6"));
    EXPECT_EQ(n, std::wcslen(path));

    // The same object found again by name, without a load of its own.
    EXPECT_EQ(m, GetModuleHandleW(L"libm.so.6"));
    EXPECT_TRUE(FreeLibrary(m));
    // Released handles are refused instead of reaching the loader.
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(0x1234)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, GetProcAddress(reinterpret_cast<HMODULE>(0x1234), "cos"));
}

TEST(Modules, WindowsOnlyAndMissingLibrariesFail)
{
    for (const wchar_t* name : {L"kernel32", L"uxtheme", L"kernel32.dll", L"no-such-library-anywhere"}) {
        SetLastError(0);
        EXPECT_EQ(nullptr, LoadLibraryExW(name, nullptr, 0)) << name;
        EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError()) << name;
        EXPECT_EQ(nullptr, GetModuleHandleW(name));
    }
    SetLastError(0);
    EXPECT_EQ(nullptr, LoadLibraryA("/nonexistent/folder/libx.so"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());

    // A file that exists but is no shared object.
    testsupport::TempDir dir;
    const std::string text = dir.write("notalib.so", "plain text, not ELF\n");
    SetLastError(0);
    EXPECT_EQ(nullptr, LoadLibraryExA(text.c_str(), nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_EXE_FORMAT), GetLastError());

    SetLastError(0);
    EXPECT_EQ(nullptr, LoadLibraryExW(L"", nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(nullptr, LoadLibraryExW(nullptr, nullptr, 0));
}

TEST(Modules, ShortNamesAndLoadCounting)
{
    // "m" is found as a shared object name when the development link exists;
    // "libm.so.6" always is. Two loads need two frees.
    HMODULE a = LoadLibraryA("libm.so.6");
    HMODULE b = LoadLibraryA("libm.so.6");
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_NE(nullptr, GetProcAddress(b, "sin")); // still loaded for b
    EXPECT_TRUE(FreeLibrary(b));
    EXPECT_FALSE(FreeLibrary(b)); // no load left
}

TEST(Modules, ProgramModuleNameAndTruncation)
{
    const std::string self = testsupport::SelfPath();
    char name[MAX_PATH];
    SetLastError(0xdead);
    ASSERT_EQ(self.size(), GetModuleFileNameA(nullptr, name, sizeof name));
    EXPECT_EQ(self, name);
    EXPECT_EQ(0u, GetLastError());
    EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleW(nullptr));
    EXPECT_NE(nullptr, GetModuleHandleA(nullptr));
    // The null module searches the program and what it was linked with.
    EXPECT_NE(nullptr, GetProcAddress(nullptr, "malloc"));

    // Too small: cut, terminated, result = size, ERROR_INSUFFICIENT_BUFFER.
    wchar_t small[5];
    SetLastError(0);
    EXPECT_EQ(5u, GetModuleFileNameW(nullptr, small, 5));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(4u, std::wcslen(small));
    EXPECT_EQ(0, std::wcsncmp(small, w32::WideFromUtf8(self).c_str(), 4));
}
