#include "Win32TestSupport.h"

namespace
{

const DWORD kSystem = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

// FormatMessageA into a buffer of its own making: the text, empty when it
// fails (the last error is then the call's).
std::string Format(DWORD flags, const void* source, DWORD code, DWORD lang = 0x400,
                   const DWORD_PTR* args = nullptr)
{
    char* buf = nullptr;
    const DWORD n = FormatMessageA(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER, source, code, lang,
                                   reinterpret_cast<LPSTR>(&buf), 0,
                                   reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args)));
    if (n == 0)
        return std::string();
    const std::string s(buf, n);
    EXPECT_EQ(nullptr, LocalFree(buf));
    return s;
}

std::string SystemTextA(DWORD code, DWORD lang = 0x400)
{
    return Format(kSystem, nullptr, code, lang);
}

// Windows' English text of a code. Known Wine difference: Wine has texts of
// its own wording, so there only the form is checked.
void ExpectText(const std::string& windows, DWORD code)
{
    const std::string text = SystemTextA(code);
    if (testsupport::UnderWine())
    {
        EXPECT_GE(text.size(), 3u) << code;
        EXPECT_EQ("\r\n", text.substr(text.size() < 2 ? 0 : text.size() - 2)) << code;
    }
    else
    {
        EXPECT_EQ(windows, text) << code;
    }
}

} // namespace

TEST(SystemMessages, TextsOfTheCodesWeProduce)
{
    ExpectText("The operation completed successfully.\r\n", 0);
    ExpectText("The system cannot find the file specified.\r\n", ERROR_FILE_NOT_FOUND);
    ExpectText("The system cannot find the path specified.\r\n", ERROR_PATH_NOT_FOUND);
    ExpectText("Access is denied.\r\n", ERROR_ACCESS_DENIED);
    ExpectText("The handle is invalid.\r\n", ERROR_INVALID_HANDLE);
    ExpectText(
        "The process cannot access the file because it is being used by another process.\r\n",
        ERROR_SHARING_VIOLATION);
    ExpectText("There is not enough space on the disk.\r\n", ERROR_DISK_FULL);
    ExpectText("Cannot create a file when that file already exists.\r\n", ERROR_ALREADY_EXISTS);
    ExpectText("Overlapped I/O operation is in progress.\r\n", ERROR_IO_PENDING);
    ExpectText("The configuration registry database is corrupt.\r\n", ERROR_BADDB);

    // Every other code our layer produces has a text too.
    for (DWORD code : {8, 14, 31, 33, 38, 39, 80, 87, 122, 206, 995, 996, 1006, 1132})
    {
        const std::string s = SystemTextA(code);
        ASSERT_GE(s.size(), 3u) << code;
        EXPECT_EQ("\r\n", s.substr(s.size() - 2)) << code;
    }
    // English asked explicitly, and the neutral language, give the same text.
    EXPECT_EQ(SystemTextA(5), SystemTextA(5, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
    EXPECT_EQ(SystemTextA(5), SystemTextA(5, 0));
}

TEST(SystemMessages, CodeWithoutTextFailsAsOnWindows)
{
    EXPECT_EQ(ERROR_MR_MID_NOT_FOUND, LAST_ERROR_IF(std::string(), SystemTextA(0x12345)));
    // A language the system has no texts in. Known Wine difference: Wine
    // carries German texts where an English Windows has none.
    if (!testsupport::UnderWine())
    {
        EXPECT_EQ(ERROR_RESOURCE_LANG_NOT_FOUND,
                  LAST_ERROR_IF(std::string(), Format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5,
                                                      MAKELANGID(0x07, 0x01))));
    }
}

TEST(SystemMessages, WideFormAndCallerBuffer)
{
    wchar_t* wbuf = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | kSystem, nullptr, ERROR_ACCESS_DENIED,
                       0x400, reinterpret_cast<LPWSTR>(&wbuf), 0, nullptr);
    const std::string narrow = SystemTextA(ERROR_ACCESS_DENIED);
    ASSERT_EQ(narrow.size(), n);
    EXPECT_EQ(std::wstring(narrow.begin(), narrow.end()), std::wstring(wbuf));
    LocalFree(wbuf);

    char small[4];
    EXPECT_EQ(
        ERROR_INSUFFICIENT_BUFFER,
        LAST_ERROR_IF(0u, FormatMessageA(kSystem, nullptr, 5, 0, small, sizeof small, nullptr)));
    char big[64];
    EXPECT_EQ(narrow.size(), FormatMessageA(kSystem, nullptr, 5, 0, big, sizeof big, nullptr));
    EXPECT_EQ(narrow, big);
}

TEST(SystemMessages, InsertsAreKeptOrFilled)
{
    // With IGNORE_INSERTS the placeholders pass through unchanged.
    const std::string kept = SystemTextA(ERROR_MR_MID_NOT_FOUND, 0);
    EXPECT_NE(std::string::npos, kept.find("%1")) << kept;
    EXPECT_NE(std::string::npos, kept.find("%2")) << kept;
    if (!testsupport::UnderWine())
    {
        EXPECT_NE(std::string::npos, kept.find("0x%1 in the message file for %2.")) << kept;
    }

    const DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>("a.xml"), 42};
    EXPECT_EQ("File a.xml line 42%\r\n",
              Format(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                     "File %1 line %2!u!%%%n", 0, 0, args));
    // Inserts without arguments are refused rather than read from nowhere.
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              LAST_ERROR_IF(std::string(), Format(FORMAT_MESSAGE_FROM_STRING, "x %1", 0, 0)));
}
