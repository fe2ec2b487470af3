#include "velmar/platform/nkPlatform.h"

#include "PlatformTestSupport.h"

#include <cstring>
#include <string>

using nkPlatform::CWinRegistry;
using nkPlatform::RootKeyFromName;

TEST(Registry, RootKeyNamesWholeAndPrefix)
{
    EXPECT_EQ(HKEY_USERS, RootKeyFromName("HKEY_USERS"));
    EXPECT_EQ(HKEY_CLASSES_ROOT, RootKeyFromName(L"HKEY_CLASSES_ROOT"));
    EXPECT_EQ(HKEY_DYN_DATA, RootKeyFromName("HKEY_DYN_DATA"));
    EXPECT_EQ(nullptr, RootKeyFromName("HKEY_NOWHERE"));
    EXPECT_EQ(nullptr, RootKeyFromName("HKEY_USERS\\Software"));
    EXPECT_EQ(nullptr, RootKeyFromName(static_cast<const char*>(nullptr)));
    EXPECT_EQ(nullptr, RootKeyFromName(static_cast<const wchar_t*>(nullptr), 5));

    // The first n characters of a path name its root; a short prefix takes
    // the first root of the table that it fits.
    EXPECT_EQ(HKEY_CURRENT_USER, RootKeyFromName("HKEY_CURRENT_USER\\Software\\Velmar", 17));
    EXPECT_EQ(HKEY_CURRENT_CONFIG, RootKeyFromName(L"HKEY_CURRENT_CONFIG\\x", 19));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, RootKeyFromName("HKEY_", 5));
    EXPECT_EQ(HKEY_CURRENT_USER, RootKeyFromName("HKEY_C", 6));
    // No characters compared must not mean "matches the first entry".
    EXPECT_EQ(nullptr, RootKeyFromName("anything", 0));
}

using RegistryStoreTest = testsupport::PlatformTest;

TEST_F(RegistryStoreTest, CreateWriteReadAndReopen)
{
    CWinRegistry root;
    // A fresh store: nothing below the root yet.
    EXPECT_FALSE(root.Open(HKEY_CURRENT_USER, "Software"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, root.lastError);
    ASSERT_TRUE(root.Open(HKEY_CURRENT_USER, ""));
    ASSERT_TRUE(root.CreateSubKey("Software", nullptr, 0, KEY_ALL_ACCESS, nullptr, nullptr, &root));
    EXPECT_EQ(ERROR_SUCCESS, root.lastError);

    CWinRegistry app;
    DWORD disposition = 0;
    ASSERT_TRUE(root.CreateSubKey("Velmar\\Test", nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &disposition, &app));
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    ASSERT_TRUE(app.IsOpen());

    EXPECT_TRUE(app.WriteDword("Count", 7));
    EXPECT_EQ(7u, app.ReadDword("count", 99)); // names compare without case
    EXPECT_EQ(99u, app.ReadDword(L"Missing", 99));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, app.lastError);

    const wchar_t text[] = L"caf\u00e9 \u6587";
    ASSERT_TRUE(app.SetValue(L"Name", REG_SZ, text, sizeof text));
    EXPECT_EQ(std::wstring(text), std::wstring(app.ReadString(L"Name").GetString()));
    EXPECT_TRUE(app.ReadString("Nothing").IsEmpty());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, app.lastError);
    // A number read as a string is refused rather than shown as garbage.
    EXPECT_TRUE(app.ReadString("Count").IsEmpty());
    EXPECT_EQ(ERROR_INVALID_DATA, app.lastError);

    // Opening again on the same object lets the first key go.
    ASSERT_TRUE(app.Open(HKEY_CURRENT_USER, L"Software\\Velmar\\Test"));
    EXPECT_EQ(7u, app.ReadDword(L"Count", 0));
    EXPECT_FALSE(app.Open(HKEY_CURRENT_USER, "Software\\Velmar\\Nowhere"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, app.lastError);
    EXPECT_FALSE(app.IsOpen());
    EXPECT_FALSE(app.Close()); // nothing open: the registry refuses
    EXPECT_NE(ERROR_SUCCESS, app.lastError);

    ASSERT_TRUE(app.OpenEx(HKEY_CURRENT_USER, "Software\\Velmar\\Test", 0, KEY_ALL_ACCESS));
    DWORD values = 0, subKeys = 9;
    ASSERT_TRUE(app.QueryInfo(static_cast<char*>(nullptr), nullptr, &subKeys, nullptr, nullptr,
                              &values, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(0u, subKeys);
    EXPECT_EQ(2u, values);
    EXPECT_TRUE(app.DeleteValue("Count"));
    EXPECT_FALSE(app.DeleteValue("Count"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, app.lastError);
    EXPECT_FALSE(app.DeleteValue(static_cast<const wchar_t*>(nullptr)));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, app.lastError);
    EXPECT_TRUE(app.Close());
    EXPECT_FALSE(app.IsOpen());

    // CreateSubKey without a receiver closes the new key at once; the key is there.
    ASSERT_TRUE(root.CreateSubKey(L"Velmar\\Other", nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &disposition, nullptr));
    EXPECT_TRUE(app.Open(HKEY_CURRENT_USER, "Software\\Velmar\\Other"));
}

TEST_F(RegistryStoreTest, LongStringsAreReadWholeInBothWidths)
{
    CWinRegistry key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, ""));
    ASSERT_TRUE(
        key.CreateSubKey("Software\\Velmar", nullptr, 0, KEY_ALL_ACCESS, nullptr, nullptr, &key));

    std::wstring longText;
    for (int i = 0; i < 500; ++i)
        longText += static_cast<wchar_t>(L'a' + i % 26);
    ASSERT_TRUE(key.SetValue(L"Long", REG_SZ, longText.c_str(),
                             static_cast<DWORD>((longText.size() + 1) * sizeof(wchar_t))));
    // Far more than the initial room: the size the registry reports is used.
    const nkMem::CStringT<wchar_t> wide = key.ReadString(L"Long", 8);
    EXPECT_EQ(ERROR_SUCCESS, key.lastError);
    EXPECT_EQ(500u, wide.GetLength());
    EXPECT_EQ(longText, std::wstring(wide.GetString()));
    const nkMem::CStringT<char> narrow = key.ReadString("Long", 1);
    EXPECT_EQ(500u, narrow.GetLength());
    EXPECT_EQ(std::string(longText.begin(), longText.end()), std::string(narrow.GetString()));

    // A stored string without its terminator still reads as exactly its characters.
    const char raw[] = {'a', 'b', 'c'};
    ASSERT_TRUE(key.SetValue("Raw", REG_SZ, raw, 3));
    EXPECT_STREQ("abc", key.ReadString("Raw", 15).GetString());

    // Converted reads, both directions, and a buffer one character too short.
#ifdef _WIN32
    // The system's ANSI code page, whichever it is.
    char ansi[8] = {};
    ASSERT_LT(0, WideCharToMultiByte(CP_ACP, 0, L"h\u00e9llo", -1, ansi, 8, nullptr, nullptr));
#else
    const char ansi[] = "h\xc3\xa9llo"; // the fixture makes UTF-8 the ANSI page
#endif
    const DWORD ansiChars = static_cast<DWORD>(std::strlen(ansi));
    char narrowBuffer[8];
    DWORD type = 0;
    ASSERT_TRUE(key.SetValue(L"Short", REG_SZ, L"h\u00e9llo", 6 * sizeof(wchar_t)));
    EXPECT_TRUE(key.ReadStringConverted("Short", &type, narrowBuffer, 8, true));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_STREQ(ansi, narrowBuffer);
    EXPECT_TRUE(key.ReadStringConverted("Short", &type, narrowBuffer, 8, false));
    EXPECT_STREQ(ansi, narrowBuffer);
    EXPECT_FALSE(key.ReadStringConverted("Short", &type, narrowBuffer, ansiChars, true));
    EXPECT_EQ(ERROR_MORE_DATA, key.lastError);
    EXPECT_TRUE(key.ReadStringConverted("Short", &type, narrowBuffer, ansiChars + 1, true));
    EXPECT_STREQ(ansi, narrowBuffer);
    wchar_t wideBuffer[8];
    EXPECT_TRUE(key.ReadStringConverted(L"Short", &type, wideBuffer, 8, true));
    EXPECT_STREQ(L"h\u00e9llo", wideBuffer);
    EXPECT_FALSE(key.ReadStringConverted(L"Missing", &type, wideBuffer, 8, true));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.lastError);
    EXPECT_STREQ(L"", wideBuffer);
}
