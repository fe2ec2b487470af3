#pragma once
// The SQLite database behind the registry calls (win32/Registry.h). Keys are
// rows with a parent, values rows of a key; names are kept as given and
// looked up by a case-folded copy. Every operation takes the store's lock,
// runs in one transaction and returns a Win32 code.

#include "velmar/win32/Types.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

namespace w32
{

// Ids of the predefined root keys: 1 + (handle value - 0x80000000).
constexpr int64_t kRootKeyCount = 7;

struct RegistryValue
{
    std::wstring name;
    DWORD type = 0;
    std::string data; // bytes as stored (strings in UTF-16LE)
};

struct RegistrySubKey
{
    std::wstring name;
    std::wstring className;
    uint64_t written = 0; // FILETIME
};

struct RegistryKeyInfo
{
    std::wstring className;
    uint64_t written = 0;
    std::vector<RegistrySubKey> subKeys;
    std::vector<RegistryValue> values;
};

class RegistryStore
{
public:
    // The store of a file, opened (and created) now or shared with earlier
    // callers; null with *error set when it cannot be used.
    static std::shared_ptr<RegistryStore> Open(const std::string& path, LONG* error);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // Walks path (components) below key; ERROR_FILE_NOT_FOUND when a key is missing.
    LONG OpenKey(int64_t key, const std::vector<std::wstring>& path, int64_t* result);
    // Creates the missing keys of path below key; *created tells whether the last one is new.
    LONG CreateKey(int64_t key, const std::vector<std::wstring>& path,
                   const std::wstring& className, int64_t* result, bool* created);
    // Deletes the key at path below key (the key itself for an empty path).
    LONG DeleteKey(int64_t key, const std::vector<std::wstring>& path);
    LONG SetValue(int64_t key, const std::wstring& name, DWORD type, const std::string& data);
    LONG QueryValue(int64_t key, const std::wstring& name, RegistryValue* value);
    LONG DeleteValue(int64_t key, const std::wstring& name);
    LONG EnumKey(int64_t key, DWORD index, RegistrySubKey* subKey);
    LONG EnumValue(int64_t key, DWORD index, RegistryValue* value);
    LONG QueryInfo(int64_t key, RegistryKeyInfo* info);

private:
    class Transaction;
    enum class Access
    {
        Read,
        Write
    };
    explicit RegistryStore(sqlite3* db);
    // Sets the connection up and checks the file; creates the tables in a
    // new store, and writes nothing to one that has them.
    LONG Initialise();
    // ERROR_BADDB when the file is damaged.
    LONG CheckIntact();
    // *made when both tables exist; ERROR_BADDB for only one of them.
    LONG HasSchema(bool* made);
    // Runs body with the lock held, in one transaction (a writing one for Write),
    // once key is found to exist; commits when body returns ERROR_SUCCESS and
    // rolls back on any other code, which it returns.
    template <class Body> LONG WithKey(int64_t key, Access access, Body&& body);
    LONG KeyExists(int64_t key);
    // Walks path below key to *found; *parent (when asked) is the key above
    // it, 0 for an empty path.
    LONG FindPath(int64_t key, const std::vector<std::wstring>& path, int64_t* found,
                  int64_t* parent);
    LONG FindChild(int64_t parent, const std::wstring& name, int64_t* child);
    LONG Touch(int64_t key);

    std::mutex mutex_;
    sqlite3* db_;
};

// Windows' comparison of names: both sides upper-cased, code point by code point.
std::wstring FoldRegistryName(const std::wstring& name);

} // namespace w32
