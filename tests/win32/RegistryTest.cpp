#include "ChildProcess.h"
#include "Win32TestSupport.h"

#ifndef _WIN32
#include <sqlite3.h>
#include <sys/mount.h>
#endif

namespace
{

const BYTE* Bytes(const void* p)
{
    return static_cast<const BYTE*>(p);
}

// Every test works below a key of its own under HKEY_CURRENT_USER\Software;
// on Windows the key is removed with everything under it afterwards. Here
// each test has a store of its own in a scratch folder, which nothing opens
// before the test does.
const char kBaseA[] = "Software\\Velmar Conformance";
const wchar_t kBase[] = L"Software\\Velmar Conformance";

class RegistryStoreTest : public testing::Test
{
protected:
    void SetUp() override
    {
        env_.set("VELMAR_REGISTRY", store_);
        env_.unset("XDG_DATA_HOME");
    }
    // Creates or opens a key below the parent.
    static HKEY Create(const wchar_t* path, HKEY parent = HKEY_CURRENT_USER,
                       DWORD* disposition = nullptr)
    {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, disposition));
        return key;
    }

    testsupport::TempDir dir_;
    testsupport::EnvGuard env_;
    const std::string store_ = dir_.file("registry.db");
};

class RegistryTest : public RegistryStoreTest
{
protected:
    void SetUp() override
    {
#ifdef _WIN32
        RegDeleteTreeW(HKEY_CURRENT_USER, kBase); // left over by a run that crashed
#else
        RegistryStoreTest::SetUp();
#endif
        ASSERT_NE(nullptr, root_ = RegistryStoreTest::Create(kBase));
    }
    void TearDown() override
    {
        RegCloseKey(root_);
#ifdef _WIN32
        EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, kBase));
#endif
    }
    HKEY Create(const wchar_t* path, DWORD* disposition = nullptr)
    {
        return RegistryStoreTest::Create(path, root_, disposition);
    }

    HKEY root_ = nullptr;
};

// The text in the ANSI code page, as the narrow calls give it.
std::string Ansi(const wchar_t* text, size_t units)
{
    const int n =
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), s.data(), n, nullptr,
                            nullptr);
    return s;
}

std::wstring QueryStringW(HKEY key, const wchar_t* name, DWORD* type = nullptr)
{
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
        return L"<missing>";
    std::wstring s(size / sizeof(wchar_t), L'\0');
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExW(key, name, nullptr, type, reinterpret_cast<BYTE*>(s.data()), &size));
    return s;
}

std::string QueryStringA(HKEY key, const char* name, DWORD* type = nullptr)
{
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
        return "<missing>";
    std::string s(size, '\0');
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(s.data()), &size));
    return s;
}

// The bytes of a number as the narrow query gives them.
template <class Number> std::string BytesOf(Number n)
{
    return std::string(reinterpret_cast<const char*>(&n), sizeof n);
}

} // namespace

TEST_F(RegistryTest, ValuesOfEveryTypeInBothWidths)
{
    HKEY key = Create(L"Brandvik Corp.\\Velmar\\Settings");
    ASSERT_NE(nullptr, key);

    // A wide string with a character outside the BMP, read back in both widths.
    const wchar_t text[] = L"caf\u00e9 \U0001F600";
    const size_t units = sizeof text / sizeof(wchar_t); // terminator included
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Text", 0, REG_SZ, Bytes(text), sizeof text));
    DWORD type = 0;
    EXPECT_EQ(std::wstring(text, units), QueryStringW(key, L"Text", &type));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(Ansi(text, units), QueryStringA(key, "Text"));

    // Narrow strings convert into the wide form, terminator included.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Path", 0, REG_EXPAND_SZ, Bytes("%HOME%\\x"), 9));
    EXPECT_EQ(std::wstring(L"%HOME%\\x", 9), QueryStringW(key, L"Path", &type));
    EXPECT_EQ(REG_EXPAND_SZ, type);

    // A list keeps its inner terminators across the widths.
    const wchar_t list[] = L"one\0two\0";
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key, L"List", 0, REG_MULTI_SZ, Bytes(list), sizeof list));
    EXPECT_EQ(std::string("one\0two\0\0", 9), QueryStringA(key, "List", &type));
    EXPECT_EQ(REG_MULTI_SZ, type);

    // Numbers and bytes are kept as given.
    const DWORD dw = 0xDEADBEEF;
    const ULONGLONG qw = 0x0123456789ABCDEFull;
    const BYTE bin[] = {0, 1, 2, 0xFF, 0};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "PreviewPages", 0, REG_DWORD, Bytes(&dw), 4));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Big", 0, REG_QWORD, Bytes(&qw), 8));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Blob", 0, REG_BINARY, bin, sizeof bin));
    DWORD dwOut = 0, size = 4;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"PreviewPages", nullptr, &type,
                                              reinterpret_cast<BYTE*>(&dwOut), &size));
    EXPECT_EQ(dw, dwOut);
    EXPECT_EQ(REG_DWORD, type);
    EXPECT_EQ(BytesOf(qw), QueryStringA(key, "Big", &type));
    EXPECT_EQ(REG_QWORD, type);
    EXPECT_EQ(std::string("\0\1\2\xff\0", 5), QueryStringA(key, "Blob", &type));
    EXPECT_EQ(REG_BINARY, type);

    // The default (unnamed) value answers to a null and an empty name.
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key, nullptr, 0, REG_SZ, Bytes(L"d"), 2 * sizeof(wchar_t)));
    EXPECT_EQ(std::wstring(L"d", 2), QueryStringW(key, L""));
    // An empty string is a value too.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Empty", 0, REG_SZ, nullptr, 0));
    size = 99;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Empty", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(0u, size);
    EXPECT_EQ(ERROR_NOACCESS, RegSetValueExW(key, L"Bad", 0, REG_BINARY, nullptr, 4));
    RegCloseKey(key);

#ifndef _WIN32
    // On disk, strings are UTF-16LE with their terminator, as Windows keeps them.
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(store_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr));
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, "SELECT data FROM vals WHERE name = 'Path'", -1,
                                            &st, nullptr));
    ASSERT_EQ(SQLITE_ROW, sqlite3_step(st));
    const std::string stored(static_cast<const char*>(sqlite3_column_blob(st, 0)),
                             static_cast<size_t>(sqlite3_column_bytes(st, 0)));
    EXPECT_EQ(std::string("%\0H\0O\0M\0E\0%\0\\\0x\0\0\0", 18), stored);
    sqlite3_finalize(st);
    sqlite3_close(db);
#endif
}

#ifndef _WIN32
// The ANSI page is chosen by the environment here; a test cannot change Windows'.
TEST_F(RegistryTest, NarrowFormsUseTheAnsiCodePage)
{
    {
        testsupport::EnvGuard env;
        env.set("VELMAR_ACP", "936");
        w32::ReloadAnsiCodePage();
        ASSERT_EQ(936u, GetACP());
        HKEY key = Create(L"Gbk");
        // "中文" in GBK, terminator included.
        const char gbk[] = "\xd6\xd0\xce\xc4";
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, gbk, 0, REG_SZ, Bytes(gbk), sizeof gbk));
        EXPECT_EQ(std::wstring(L"\u4e2d\u6587", 3), QueryStringW(key, L"\u4e2d\u6587"));
        // Sizes count the caller's own units: 5 bytes here, 3 wchar_t there.
        EXPECT_EQ(std::string(gbk, 5), QueryStringA(key, gbk));
        DWORD size = 0;
        EXPECT_EQ(ERROR_SUCCESS,
                  RegQueryValueExW(key, L"\u4e2d\u6587", nullptr, nullptr, nullptr, &size));
        EXPECT_EQ(3 * sizeof(wchar_t), size);
        RegCloseKey(key);
    }
    w32::ReloadAnsiCodePage();
}
#endif

TEST_F(RegistryTest, MoreDataReportsTheSizeAndTheRetrySucceeds)
{
    HKEY key = Create(L"Velmar\\Recent File List");
    const wchar_t file[] = L"/home/user/documents/catalog.xml";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"File1", 0, REG_SZ, Bytes(file), sizeof file));

    wchar_t small[4];
    DWORD size = sizeof small;
    DWORD type = 0;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExW(key, L"File1", nullptr, &type,
                                                reinterpret_cast<BYTE*>(small), &size));
    EXPECT_EQ(sizeof file, size);
    std::wstring big(size / sizeof(wchar_t), L'\0');
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"File1", nullptr, &type,
                                              reinterpret_cast<BYTE*>(big.data()), &size));
    EXPECT_EQ(std::wstring(file), big.c_str());

    char narrow[8];
    size = sizeof narrow;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "File1", nullptr, nullptr,
                                                reinterpret_cast<BYTE*>(narrow), &size));
    EXPECT_EQ(std::strlen("/home/user/documents/catalog.xml") + 1, size);

    // Data without a size to hold it is a parameter error.
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExW(key, L"File1", nullptr, nullptr,
                                                        reinterpret_cast<BYTE*>(small), nullptr));

    // Enumeration: a name buffer too small is more data too; the data size is reported.
    wchar_t name[3];
    DWORD nameLen = 3;
    EXPECT_EQ(ERROR_MORE_DATA,
              RegEnumValueW(key, 0, name, &nameLen, nullptr, nullptr, nullptr, nullptr));
    wchar_t name2[16];
    nameLen = 16;
    size = 4;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueW(key, 0, name2, &nameLen, nullptr, &type,
                                             reinterpret_cast<BYTE*>(small), &size));
    EXPECT_EQ(sizeof file, size);
    nameLen = 16;
    size = sizeof file;
    EXPECT_EQ(ERROR_SUCCESS, RegEnumValueW(key, 0, name2, &nameLen, nullptr, &type,
                                           reinterpret_cast<BYTE*>(big.data()), &size));
    EXPECT_EQ(std::wstring(L"File1"), name2);
    EXPECT_EQ(5u, nameLen);
    nameLen = 16;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS,
              RegEnumValueW(key, 1, name2, &nameLen, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);

    HKEY parent = Create(L"Velmar");
    char keyName[8];
    DWORD keyLen = 8;
    EXPECT_EQ(ERROR_MORE_DATA,
              RegEnumKeyExA(parent, 0, keyName, &keyLen, nullptr, nullptr, nullptr, nullptr));
    char keyName2[32];
    keyLen = 32;
    EXPECT_EQ(ERROR_SUCCESS,
              RegEnumKeyExA(parent, 0, keyName2, &keyLen, nullptr, nullptr, nullptr, nullptr));
    EXPECT_STREQ("Recent File List", keyName2);
    EXPECT_EQ(16u, keyLen);
    RegCloseKey(parent);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepIt)
{
    HKEY key = Create(L"Brandvik Corp.\\Velmar");
    const DWORD one = 1, two = 2;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"PreviewPages", 0, REG_DWORD, Bytes(&one), 4));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"PREVIEWPAGES", 0, REG_DWORD, Bytes(&two), 4));
    EXPECT_EQ(BytesOf(two), QueryStringA(key, "previewpages"));
    wchar_t name[32];
    DWORD len = 32;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumValueW(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(std::wstring(L"PreviewPages"), name); // the first spelling stays
    len = 32;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS,
              RegEnumValueW(key, 1, name, &len, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);

    HKEY again = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER,
                                           "SOFTWARE\\velmar CONFORMANCE\\brandvik CORP.\\velmar",
                                           0, KEY_READ, &again));
    RegCloseKey(again);
    DWORD disposition = 0;
    HKEY same = Create(L"BRANDVIK corp.\\Velmar", &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
    RegCloseKey(same);
    len = 32;
    ASSERT_EQ(ERROR_SUCCESS,
              RegEnumKeyExW(root_, 0, name, &len, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(std::wstring(L"Brandvik Corp."), name);

    // Beyond ASCII: accented Latin and Cyrillic letters fold as well.
    HKEY latin = Create(L"\u00c4rger \u0416");
    HKEY lower = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(root_, L"\u00e4RGER \u0436", 0, KEY_READ, &lower));
    RegCloseKey(lower);
    RegCloseKey(latin);
    // Different keys under the root keys: HKLM is not HKCU.
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kBaseA) + "\\Brandvik Corp.").c_str(),
                            0, KEY_READ, &lower));
}

TEST_F(RegistryTest, KeysOpenCreateDeleteAndHandles)
{
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(root_, L"Missing", 0, KEY_READ, &key));
    EXPECT_EQ(nullptr, key);
    DWORD disposition = 0;
    HKEY a = Create(L"A\\B\\C", &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    HKEY b = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(root_, L"A\\B", 0, KEY_READ, &b));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueExW(b, L"nothing", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueW(a, L"nothing"));

    // A read-only handle cannot write; one without enumerate rights cannot list.
    const DWORD v = 7;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExW(b, L"x", 0, REG_DWORD, Bytes(&v), 4));
    HKEY setOnly = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(root_, L"A", 0, KEY_SET_VALUE, &setOnly));
    wchar_t name[16];
    DWORD len = 16;
    EXPECT_EQ(ERROR_ACCESS_DENIED,
              RegEnumKeyExW(setOnly, 0, name, &len, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(setOnly);

    // A key with subkeys cannot be deleted, as on Windows; a leaf can.
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyW(root_, L"A\\B"));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(a, L"x", 0, REG_DWORD, Bytes(&v), 4));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(root_, "a\\b\\c"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyW(root_, L"A\\B\\C"));
    // The handle to the deleted key is still a handle, to a key that is gone.
    EXPECT_EQ(ERROR_KEY_DELETED, RegSetValueExW(a, L"x", 0, REG_DWORD, Bytes(&v), 4));
    // Recreating the name makes a new key, without the old values.
    HKEY again = Create(L"A\\B\\C");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueExW(again, L"x", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_KEY_DELETED, RegQueryValueExW(a, L"x", nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(again);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(a));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(a));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegSetValueExW(a, L"x", 0, REG_DWORD, Bytes(&v), 4));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              RegOpenKeyExW(reinterpret_cast<HKEY>(0x5678), L"x", 0, KEY_READ, &key));
    // Root keys stay; closing one is harmless.
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER));
#ifndef _WIN32
    // They cannot be deleted (not tried on a real registry: it is the user's own).
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyW(HKEY_CURRENT_USER, L""));
#endif
    // Paths: a leading backslash or an empty component is not a name.
    EXPECT_EQ(ERROR_BAD_PATHNAME,
              RegCreateKeyExW(root_, L"\\A", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr));
#ifndef _WIN32
    // An empty component: Windows documents no answer (Wine reads it as one
    // separator); ours refuses the name.
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegOpenKeyExW(root_, L"A\\\\B", 0, KEY_READ, &key));
#endif
    // An empty subkey gives the same key: the root itself, or a new handle.
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"", 0, KEY_READ, &key));
    EXPECT_EQ(HKEY_CURRENT_USER, key);
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyW(b, nullptr, &key));
    EXPECT_EQ(b, key);
    RegCloseKey(b);
}

TEST_F(RegistryTest, QueryInfoAndEnumerationOrder)
{
    HKEY root = nullptr;
    wchar_t className[] = L"VelmarClass";
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root_, L"Info", 0, className, 0, KEY_ALL_ACCESS,
                                             nullptr, &root, nullptr));
    for (const wchar_t* sub : {L"zeta", L"Alpha", L"mid"})
        RegCloseKey(Create((std::wstring(L"Info\\") + sub).c_str()));
    const DWORD v = 1;
    RegSetValueExW(root, L"second", 0, REG_DWORD, Bytes(&v), 4);
    RegSetValueExW(root, L"first-but-longer", 0, REG_SZ, Bytes(L"abc"), 4 * sizeof(wchar_t));

    DWORD subKeys = 0, maxSub = 0, values = 0, maxName = 0, maxData = 0, security = 99,
          classLen = 32;
    wchar_t cls[32];
    FILETIME written{};
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryInfoKeyW(root, cls, &classLen, nullptr, &subKeys, &maxSub, nullptr, &values,
                               &maxName, &maxData, &security, &written));
    EXPECT_EQ(std::wstring(L"VelmarClass"), cls);
    EXPECT_EQ(11u, classLen);
    EXPECT_EQ(3u, subKeys);
    EXPECT_EQ(5u, maxSub);
    EXPECT_EQ(2u, values);
    EXPECT_EQ(16u, maxName);
    EXPECT_EQ(4 * sizeof(wchar_t), maxData);
#ifndef _WIN32
    EXPECT_EQ(0u, security); // our store keeps no security descriptors
#endif
    EXPECT_NE(0u, written.dwHighDateTime);
    DWORD maxDataA = 0;
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryInfoKeyA(root, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, &maxDataA, nullptr, nullptr));
    EXPECT_EQ(maxData, maxDataA); // the size as stored, in both forms

    // Subkeys by name without case.
    std::vector<std::wstring> keys;
    wchar_t name[32];
    for (DWORD i = 0;; ++i)
    {
        DWORD len = 32;
        if (RegEnumKeyExW(root, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        keys.push_back(name);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"Alpha", L"mid", L"zeta"}), keys);
#ifndef _WIN32
    // Windows documents values as unordered (Wine lists them by name); ours
    // keeps the order they were set in.
    DWORD len = 32;
    ASSERT_EQ(ERROR_SUCCESS,
              RegEnumValueW(root, 0, name, &len, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(std::wstring(L"second"), name);
#endif
    RegCloseKey(root);
}

#ifndef _WIN32
TEST_F(RegistryStoreTest, LocationFollowsTheEnvironment)
{
    env_.unset("VELMAR_REGISTRY");
    env_.set("XDG_DATA_HOME", dir_.path());
    EXPECT_EQ(dir_.file("velmar/registry.db"), w32::RegistryStorePath());
    RegCloseKey(Create(L"Software\\Where"));
    EXPECT_TRUE(std::filesystem::exists(dir_.file("velmar/registry.db")));
}

TEST_F(RegistryStoreTest, ThatCannotBeUsedFailsWithoutHarm)
{
    // A file that is not a database: every call fails, the file stays as it was.
    const std::string junk(5000, 'x');
    std::ofstream(store_) << junk;
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_BADDB, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software", 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
    EXPECT_EQ(nullptr, key);
    EXPECT_EQ(ERROR_BADDB, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_BADDB,
              RegQueryValueExW(HKEY_LOCAL_MACHINE, L"x", nullptr, nullptr, nullptr, nullptr));
    std::ifstream in(store_);
    EXPECT_EQ(junk, std::string(std::istreambuf_iterator<char>(in), {}));

    // A store whose folder cannot be made.
    const std::string blocked = dir_.file("plainfile/registry.db");
    std::ofstream(dir_.file("plainfile")) << "x";
    env_.set("VELMAR_REGISTRY", blocked);
    EXPECT_EQ(ERROR_REGISTRY_IO_FAILED, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software", 0, nullptr,
                                                        0, KEY_ALL_ACCESS, nullptr, &key, nullptr));

    // Once the store is sound again, the calls work.
    env_.set("VELMAR_REGISTRY", store_);
    std::filesystem::remove(store_);
    key = Create(L"Software");
    EXPECT_NE(nullptr, key);
    RegCloseKey(key);
}

// Sets value "v" (42) of the test's key, or reads it back: 0 when it holds.
int WriteSetting()
{
    HKEY key = nullptr;
    const DWORD v = 42;
    CHILD_CHECK(RegCreateKeyExW(HKEY_CURRENT_USER, kBase, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &key, nullptr) == ERROR_SUCCESS);
    CHILD_CHECK(RegSetValueExW(key, L"v", 0, REG_DWORD, Bytes(&v), 4) == ERROR_SUCCESS);
    return 0;
}
int ReadSettingAndFailToWrite()
{
    HKEY key = nullptr;
    DWORD v = 0, size = 4;
    CHILD_CHECK(RegOpenKeyExW(HKEY_CURRENT_USER, kBase, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS);
    CHILD_CHECK(RegQueryValueExW(key, L"v", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size) ==
                ERROR_SUCCESS);
    CHILD_CHECK(v == 42);
    CHILD_CHECK(RegSetValueExW(key, L"w", 0, REG_DWORD, Bytes(&v), 4) != ERROR_SUCCESS);
    return 0;
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(RegistryTest, TheLogStaysSmall)
{
    // Each write is checkpointed: the log never holds much more than one
    // write beyond its size limit, however many writes there are.
    const std::string value(1000, 'v');
    uintmax_t largest = 0;
    for (int i = 0; i < 500; ++i)
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(root_, std::to_string(i).c_str(), 0, REG_BINARY,
                                                Bytes(value.data()), 1000));
        std::error_code ec;
        const uintmax_t size = std::filesystem::file_size(store_ + "-wal", ec);
        largest = std::max(largest, ec ? 0 : size);
    }
    std::printf("largest log: %ju bytes\n", largest);
    EXPECT_LE(largest, 96u * 1024);
}

TEST_F(RegistryStoreTest, IsReadWhereItCannotBeWritten)
{
    // The writer is killed after its write, leaving its log behind; readers
    // that may not write beside the store still read it, and change no byte.
    enum class Where
    {
        ReadOnlyFile,
        ReadOnlyFolder,
        ReadOnlyMount,
        FullDisk
    };
    const struct
    {
        Where where;
        const char* name;
    } cases[] = {{Where::ReadOnlyFile, "read-only file"},
                 {Where::ReadOnlyFolder, "read-only folder"},
                 {Where::ReadOnlyMount, "read-only mount"},
                 {Where::FullDisk, "full disk"}};
    const bool root = ::geteuid() == 0;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        std::string folder = dir.file("store");
        std::filesystem::create_directory(folder);
        const bool mounts = c.where == Where::ReadOnlyMount || c.where == Where::FullDisk;
        if (mounts && (!root || (c.where == Where::FullDisk &&
                                 ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=256k") != 0)))
        {
            std::printf("skipped \"%s\": mounting needs root\n", c.name);
            continue;
        }
        env_.set("VELMAR_REGISTRY", folder + "/registry.db");
        ASSERT_EQ(0, testsupport::RunInChild(
                         []
                         {
                             const int r = WriteSetting();
                             std::fflush(nullptr);
                             ::_exit(r); // no clean close: the log stays
                             return r;
                         }));
        std::string readFrom = folder;
        if (c.where == Where::ReadOnlyMount)
        {
            readFrom = dir.file("ro");
            std::filesystem::create_directory(readFrom);
            ASSERT_EQ(0, ::mount(folder.c_str(), readFrom.c_str(), nullptr, MS_BIND, nullptr));
            ASSERT_EQ(0, ::mount(nullptr, readFrom.c_str(), nullptr,
                                 MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr));
        }
        if (c.where == Where::FullDisk)
        {
            std::ofstream fill(folder + "/fill", std::ios::binary);
            const std::string block(4096, 'x');
            for (int i = 0; i < 1000 && fill.write(block.data(), block.size()); ++i)
                fill.flush();
        }
        ::chmod((folder + "/registry.db").c_str(), c.where == Where::ReadOnlyFile ? 0444 : 0644);
        ::chmod(folder.c_str(), c.where == Where::ReadOnlyFile ? 0777 : 0755);
        ::chmod(dir.path().c_str(), 0755);
        const bool dropUser = c.where == Where::ReadOnlyFile || c.where == Where::ReadOnlyFolder;
        const std::string before = FileBytes(folder + "/registry.db");
        env_.set("VELMAR_REGISTRY", readFrom + "/registry.db");
        EXPECT_EQ(0, testsupport::RunInChild(
                         [&]
                         {
                             if (dropUser && root && !testsupport::SwitchToUnprivilegedUser())
                                 return 250;
                             return ReadSettingAndFailToWrite();
                         }));
        EXPECT_EQ(before, FileBytes(folder + "/registry.db"));
        if (c.where == Where::ReadOnlyMount)
            ::umount(readFrom.c_str());
        if (c.where == Where::FullDisk)
            ::umount(folder.c_str());
    }
}

TEST_F(RegistryStoreTest, DamageIsRefusedNeverMisread)
{
    // A store of 300 values, damaged in one place per case; each case is a
    // first open in this process. Every value reads back right or the store
    // is refused as a whole, and the editor's recovery then starts afresh.
    ASSERT_EQ(0, testsupport::RunInChild(
                     []
                     {
                         HKEY key = nullptr;
                         CHILD_CHECK(RegCreateKeyExW(HKEY_CURRENT_USER, kBase, 0, nullptr, 0,
                                                     KEY_ALL_ACCESS, nullptr, &key,
                                                     nullptr) == ERROR_SUCCESS);
                         for (DWORD i = 0; i < 300; ++i)
                             CHILD_CHECK(RegSetValueExW(key, std::to_wstring(i).c_str(), 0,
                                                        REG_DWORD, Bytes(&i), 4) == ERROR_SUCCESS);
                         return 0;
                     }));
    const std::string pristine = FileBytes(store_);
    ASSERT_GT(pristine.size(), 4u * 4096);
    const size_t cases[] = {0,
                            20,
                            100,
                            4096 + 8,
                            4096 + 200,
                            2 * 4096 + 3000,
                            3 * 4096 + 1000,
                            pristine.size() - 100,
                            pristine.size() / 2,
                            pristine.size() / 2 + 7};
    int refused = 0, right = 0;
    for (size_t at : cases)
    {
        SCOPED_TRACE(at);
        std::string damaged = pristine;
        for (size_t i = at; i < at + 4 && i < damaged.size(); ++i)
            damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
        const std::string path = dir_.file("damaged-" + std::to_string(at) + ".db");
        std::ofstream(path, std::ios::binary) << damaged;
        env_.set("VELMAR_REGISTRY", path);
        HKEY key = nullptr;
        const LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, kBase, 0, KEY_READ, &key);
        EXPECT_TRUE(opened == ERROR_SUCCESS || opened == ERROR_BADDB) << opened;
        for (DWORD i = 0; opened == ERROR_SUCCESS && i < 300; ++i)
        {
            DWORD v = ~0u, size = 4;
            const LONG r = RegQueryValueExW(key, std::to_wstring(i).c_str(), nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(&v), &size);
            EXPECT_TRUE(r == ERROR_BADDB || (r == ERROR_SUCCESS && v == i)) << i << ": " << r;
        }
        if (key)
            RegCloseKey(key);
        (opened == ERROR_BADDB ? refused : right) += 1;
        if (opened != ERROR_BADDB)
            continue;
        std::string aside;
        ASSERT_EQ(ERROR_SUCCESS, w32::SetRegistryStoreAside(&aside));
        EXPECT_EQ(damaged, FileBytes(aside));
        RegCloseKey(Create(L"Software\\Fresh"));
    }
    std::printf("damaged stores: %d refused, %d read right\n", refused, right);
}
#endif

TEST_F(RegistryTest, TwoProcessesWriteOneStore)
{
    // Both children start before either finishes, so their transactions meet.
    const std::string base = kBaseA;
    testsupport::ChildProcess first({"reg-write", base + "\\first", "150"});
    testsupport::ChildProcess second({"reg-write", base + "\\second", "150"});
    // This process writes too, in between.
    HKEY mine = Create(L"parent");
    for (DWORD i = 0; i < 50; ++i)
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(mine, std::to_wstring(i).c_str(), 0, REG_DWORD, Bytes(&i), 4));
    RegCloseKey(mine);
    EXPECT_EQ(0, first.Wait());
    EXPECT_EQ(0, second.Wait());

    for (const char* prefix : {"first", "second"})
    {
        HKEY parent = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(root_, prefix, 0, KEY_READ, &parent));
        DWORD count = 0;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegQueryInfoKeyW(parent, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(150u, count) << prefix;
        HKEY last = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(parent, "K149", 0, KEY_READ, &last));
        EXPECT_EQ(BytesOf(DWORD(149)), QueryStringA(last, "N"));
        RegCloseKey(last);
        RegCloseKey(parent);
    }
}
