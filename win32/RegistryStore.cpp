#include "RegistryStore.h"

#include "velmar/win32/CodePages.h"
#include "velmar/win32/WideText.h"
#include "velmar/win32/ErrorCodes.h"
#include "SysCalls.h"

#include <cerrno>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sqlite3.h>
#include <time.h>

namespace w32
{

namespace
{

constexpr int kBusyTimeoutMs = 10000;
// The write-ahead log is checkpointed after every write transaction and cut
// back to this size when it starts over, so it holds at most one transaction
// beyond it (a few pages for a value of ordinary size).
constexpr int kWalSizeLimit = 64 * 1024;
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

const wchar_t* const kRootNames[kRootKeyCount] = {
    L"HKEY_CLASSES_ROOT",     L"HKEY_CURRENT_USER",   L"HKEY_LOCAL_MACHINE", L"HKEY_USERS",
    L"HKEY_PERFORMANCE_DATA", L"HKEY_CURRENT_CONFIG", L"HKEY_DYN_DATA",
};

LONG Win32FromSqlite(int rc)
{
    switch (rc & 0xff)
    {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return ERROR_SUCCESS;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
        return ERROR_BADDB;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    case SQLITE_NOMEM:
        return ERROR_OUTOFMEMORY;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_BUSY;
    case SQLITE_TOOBIG:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

std::string Utf8(const std::wstring& s)
{
    std::string out;
    Utf8FromWide(s, out);
    return out;
}

std::wstring Wide(const unsigned char* s, int bytes)
{
    return s && bytes > 0 ? WideFromUtf8(std::string(reinterpret_cast<const char*>(s),
                                                     static_cast<size_t>(bytes)))
                          : std::wstring();
}

uint64_t NowAsFileTime()
{
    struct timespec ts
    {
    };
    if (sys::clock_gettime(CLOCK_REALTIME, &ts) != 0)
        return 0;
    return kUnixEpochAsFileTime + static_cast<uint64_t>(ts.tv_sec) * 10000000ull +
           static_cast<uint64_t>(ts.tv_nsec) / 100;
}

// One prepared statement, finalized on scope exit.
class Statement
{
public:
    Statement(sqlite3* db, const char* sql)
    {
        rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return rc_ == SQLITE_OK; }
    int PrepareCode() const { return rc_; }
    Statement& Bind(int i, int64_t v)
    {
        if (stmt_)
            sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    Statement& Bind(int i, const std::string& v)
    {
        if (stmt_)
            sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindBlob(int i, const std::string& v)
    {
        if (stmt_)
            sqlite3_bind_blob(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return stmt_ ? sqlite3_step(stmt_) : rc_; }
    int64_t Int(int col) { return sqlite3_column_int64(stmt_, col); }
    std::wstring Text(int col)
    {
        const unsigned char* p = sqlite3_column_text(stmt_, col);
        return Wide(p, sqlite3_column_bytes(stmt_, col));
    }
    std::string Blob(int col)
    {
        const void* p = sqlite3_column_blob(stmt_, col);
        const int n = sqlite3_column_bytes(stmt_, col);
        return p && n > 0 ? std::string(static_cast<const char*>(p), static_cast<size_t>(n))
                          : std::string();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int rc_;
};

int Exec(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// Makes the folders above the store file, as the first use must.
void MakeParentFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
    {
        const std::string folder = path.substr(0, slash);
        if (sys::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return;
    }
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return sys::stat(path.c_str(), &st) == 0;
}

// The store as a URI that reads it as it stands, without the log or the
// locks beside it: for a file on a read-only mount or a full disk.
std::string ImmutableUri(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : path)
        if (c == '%' || c == '?' || c == '#' || c < 0x20)
        {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
        else
            uri += static_cast<char>(c);
    return uri + "?immutable=1";
}

// Steps a query of name, type and data into *value; missing when it finds no row.
LONG ReadValue(Statement& s, LONG missing, RegistryValue* value)
{
    const int rc = s.Step();
    if (rc == SQLITE_DONE)
        return missing;
    if (rc != SQLITE_ROW)
        return Win32FromSqlite(rc);
    value->name = s.Text(0);
    value->type = static_cast<DWORD>(s.Int(1));
    value->data = s.Blob(2);
    return ERROR_SUCCESS;
}

} // namespace

// BEGIN on construction, ROLLBACK on destruction unless committed.
class RegistryStore::Transaction
{
public:
    Transaction(sqlite3* db, bool write) : db_(db), write_(write)
    {
        rc_ = Exec(db_, write ? "BEGIN IMMEDIATE" : "BEGIN");
        open_ = rc_ == SQLITE_OK;
    }
    ~Transaction()
    {
        if (open_)
            Exec(db_, "ROLLBACK");
    }
    LONG Begun() const { return Win32FromSqlite(rc_); }
    LONG Commit()
    {
        const int rc = Exec(db_, "COMMIT");
        if (rc == SQLITE_OK)
            open_ = false;
        // Bounds the log: it starts over at the next write once this copied
        // it all (a reader still on an older state may keep it a while).
        if (rc == SQLITE_OK && write_)
            sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        return Win32FromSqlite(rc);
    }

private:
    sqlite3* db_;
    bool write_;
    int rc_;
    bool open_;
};

std::wstring FoldRegistryName(const std::wstring& name)
{
    std::wstring out(name);
    for (wchar_t& c : out)
    {
        const uint32_t u = static_cast<uint32_t>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7) ||
            (u >= 0x3B1 && u <= 0x3CB && u != 0x3C2) || (u >= 0x430 && u <= 0x44F) ||
            (u >= 0xFF41 && u <= 0xFF5A))
            c = static_cast<wchar_t>(u - 0x20);
        else if (u == 0xFF)
            c = static_cast<wchar_t>(0x178);
        else if (u >= 0x450 && u <= 0x45F)
            c = static_cast<wchar_t>(u - 0x50);
        else if (((u >= 0x100 && u <= 0x137) || (u >= 0x14A && u <= 0x177)) && (u & 1))
            c = static_cast<wchar_t>(u - 1);
        else if (((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) && !(u & 1))
            c = static_cast<wchar_t>(u - 1);
    }
    return out;
}

std::shared_ptr<RegistryStore> RegistryStore::Open(const std::string& path, LONG* error)
{
    static std::mutex s_mutex;
    static std::map<std::string, std::shared_ptr<RegistryStore>> s_stores;

    std::lock_guard<std::mutex> lock(s_mutex);
    const auto it = s_stores.find(path);
    if (it != s_stores.end())
        return it->second;
    if (path.empty())
    {
        *error = ERROR_REGISTRY_IO_FAILED;
        return nullptr;
    }
    MakeParentFolders(path);
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    LONG init = ERROR_SUCCESS;
    if (rc == SQLITE_OK)
    {
        std::shared_ptr<RegistryStore> store(new RegistryStore(db));
        init = store->Initialise();
        if (init == ERROR_SUCCESS)
            return s_stores[path] = store;
    }
    else
    {
        sqlite3_close(db);
        init = rc == SQLITE_CANTOPEN ? ERROR_REGISTRY_IO_FAILED : Win32FromSqlite(rc);
    }
    // Damage is never read around; a store that exists but cannot be written
    // beside (a read-only file or mount, a full disk) is still read, as it is.
    const bool cannotWrite =
        init == ERROR_ACCESS_DENIED || init == ERROR_DISK_FULL || init == ERROR_REGISTRY_IO_FAILED;
    if (!cannotWrite || !FileExists(path))
    {
        *error = init;
        return nullptr;
    }
    db = nullptr;
    rc = sqlite3_open_v2(ImmutableUri(path).c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                         nullptr);
    if (rc != SQLITE_OK)
    {
        sqlite3_close(db);
        *error = init;
        return nullptr;
    }
    std::shared_ptr<RegistryStore> store(new RegistryStore(db));
    const LONG readOnly = store->Initialise();
    if (readOnly != ERROR_SUCCESS)
    {
        *error = readOnly == ERROR_BADDB ? readOnly : init;
        return nullptr;
    }
    return s_stores[path] = store;
}

RegistryStore::RegistryStore(sqlite3* db) : db_(db) {}

RegistryStore::~RegistryStore()
{
    sqlite3_close(db_);
}

LONG RegistryStore::Initialise()
{
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    // Per connection: nothing of this is written to the file.
    Exec(db_, "PRAGMA synchronous=NORMAL");
    Exec(db_, ("PRAGMA journal_size_limit=" + std::to_string(kWalSizeLimit)).c_str());
    if (LONG e = CheckIntact())
        return e;
    // A store made earlier is only read from here on: reading it changes
    // nothing, not even its journal mode.
    bool made = false;
    if (LONG e = HasSchema(&made))
        return e;
    if (made)
        return ERROR_SUCCESS;

    // Switching to WAL needs a moment alone with the file; another process
    // doing the same makes it report busy without waiting, so try again.
    int rc = SQLITE_BUSY;
    for (int attempt = 0; attempt < 200 && (rc & 0xff) == SQLITE_BUSY; ++attempt)
    {
        rc = Exec(db_, "PRAGMA journal_mode=WAL");
        if ((rc & 0xff) == SQLITE_BUSY)
        {
            const struct timespec pause
            {
                0, 10 * 1000 * 1000
            };
            sys::nanosleep(&pause, nullptr);
        }
    }
    if (rc != SQLITE_OK)
        return Win32FromSqlite(rc);

    Transaction t(db_, true);
    if (LONG e = t.Begun())
        return e;
    rc = Exec(db_, "CREATE TABLE IF NOT EXISTS keys("
                   " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                   " parent INTEGER NOT NULL,"
                   " name TEXT NOT NULL,"
                   " folded TEXT NOT NULL,"
                   " class TEXT NOT NULL DEFAULT '',"
                   " written INTEGER NOT NULL DEFAULT 0,"
                   " UNIQUE(parent, folded));"
                   "CREATE TABLE IF NOT EXISTS vals("
                   " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                   " key INTEGER NOT NULL,"
                   " name TEXT NOT NULL,"
                   " folded TEXT NOT NULL,"
                   " type INTEGER NOT NULL,"
                   " data BLOB NOT NULL,"
                   " UNIQUE(key, folded));");
    if (rc != SQLITE_OK)
        return Win32FromSqlite(rc);
    for (int64_t i = 0; i < kRootKeyCount; ++i)
    {
        Statement s(
            db_,
            "INSERT OR IGNORE INTO keys(id, parent, name, folded, written) VALUES(?, 0, ?, ?, ?)");
        const std::string name = Utf8(kRootNames[i]);
        s.Bind(1, i + 1).Bind(2, name).Bind(3, name).Bind(4, static_cast<int64_t>(NowAsFileTime()));
        rc = s.Step();
        if (rc != SQLITE_DONE)
            return Win32FromSqlite(rc);
    }
    return t.Commit();
}

LONG RegistryStore::CheckIntact()
{
    // The store is small: checking all of it once per process costs little,
    // and damage is then refused instead of read as wrong keys or values.
    Statement s(db_, "PRAGMA quick_check");
    int rc = s.Step();
    if (rc != SQLITE_ROW)
        return Win32FromSqlite(rc);
    if (s.Text(0) != L"ok")
        return ERROR_BADDB;
    rc = s.Step();
    return rc == SQLITE_DONE ? ERROR_SUCCESS : rc == SQLITE_ROW ? ERROR_BADDB : Win32FromSqlite(rc);
}

LONG RegistryStore::HasSchema(bool* made)
{
    Statement s(db_, "SELECT count(*) FROM sqlite_master WHERE type = 'table'"
                     " AND name IN ('keys', 'vals')");
    const int rc = s.Step();
    if (rc != SQLITE_ROW)
        return Win32FromSqlite(rc);
    *made = s.Int(0) == 2;
    if (*made || s.Int(0) == 0)
        return ERROR_SUCCESS;
    return ERROR_BADDB; // half a store is not ours to complete
}

LONG RegistryStore::KeyExists(int64_t key)
{
    Statement s(db_, "SELECT 1 FROM keys WHERE id = ?");
    const int rc = s.Bind(1, key).Step();
    if (rc == SQLITE_ROW)
        return ERROR_SUCCESS;
    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : Win32FromSqlite(rc);
}

LONG RegistryStore::FindChild(int64_t parent, const std::wstring& name, int64_t* child)
{
    Statement s(db_, "SELECT id FROM keys WHERE parent = ? AND folded = ?");
    const int rc = s.Bind(1, parent).Bind(2, Utf8(FoldRegistryName(name))).Step();
    if (rc == SQLITE_ROW)
    {
        *child = s.Int(0);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : Win32FromSqlite(rc);
}

LONG RegistryStore::Touch(int64_t key)
{
    Statement s(db_, "UPDATE keys SET written = ? WHERE id = ?");
    return Win32FromSqlite(s.Bind(1, static_cast<int64_t>(NowAsFileTime())).Bind(2, key).Step());
}

template <class Body> LONG RegistryStore::WithKey(int64_t key, Access access, Body&& body)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Transaction t(db_, access == Access::Write);
    if (LONG e = t.Begun())
        return e;
    if (LONG e = KeyExists(key))
        return e;
    if (LONG e = body())
        return e;
    return t.Commit();
}

LONG RegistryStore::FindPath(int64_t key, const std::vector<std::wstring>& path, int64_t* found,
                             int64_t* parent)
{
    int64_t above = 0;
    for (const std::wstring& name : path)
    {
        above = key;
        if (LONG e = FindChild(key, name, &key))
            return e;
    }
    *found = key;
    if (parent)
        *parent = above;
    return ERROR_SUCCESS;
}

LONG RegistryStore::OpenKey(int64_t key, const std::vector<std::wstring>& path, int64_t* result)
{
    return WithKey(key, Access::Read, [&] { return FindPath(key, path, result, nullptr); });
}

LONG RegistryStore::CreateKey(int64_t key, const std::vector<std::wstring>& path,
                              const std::wstring& className, int64_t* result, bool* created)
{
    return WithKey(
        key, Access::Write,
        [&]() -> LONG
        {
            *created = false;
            int64_t at = key;
            for (size_t i = 0; i < path.size(); ++i)
            {
                int64_t child = 0;
                LONG e = FindChild(at, path[i], &child);
                if (e == ERROR_FILE_NOT_FOUND)
                {
                    const uint64_t now = NowAsFileTime();
                    Statement s(db_, "INSERT INTO keys(parent, name, folded, class, written) "
                                     "VALUES(?, ?, ?, ?, ?)");
                    s.Bind(1, at).Bind(2, Utf8(path[i])).Bind(3, Utf8(FoldRegistryName(path[i])));
                    s.Bind(4, i + 1 == path.size() ? Utf8(className) : std::string())
                        .Bind(5, static_cast<int64_t>(now));
                    const int rc = s.Step();
                    if (rc != SQLITE_DONE)
                        return Win32FromSqlite(rc);
                    child = sqlite3_last_insert_rowid(db_);
                    if (LONG te = Touch(at))
                        return te;
                    *created = true;
                }
                else if (e)
                {
                    return e;
                }
                else
                {
                    *created = false;
                }
                at = child;
            }
            *result = at;
            return ERROR_SUCCESS;
        });
}

LONG RegistryStore::DeleteKey(int64_t key, const std::vector<std::wstring>& path)
{
    return WithKey(key, Access::Write,
                   [&]() -> LONG
                   {
                       int64_t target = 0;
                       int64_t parent = 0;
                       if (LONG e = FindPath(key, path, &target, &parent))
                           return e;
                       if (target <= kRootKeyCount)
                           return ERROR_ACCESS_DENIED;
                       {
                           Statement s(db_, "SELECT 1 FROM keys WHERE parent = ? LIMIT 1");
                           const int rc = s.Bind(1, target).Step();
                           if (rc == SQLITE_ROW)
                               return ERROR_ACCESS_DENIED;
                           if (rc != SQLITE_DONE)
                               return Win32FromSqlite(rc);
                       }
                       if (!parent)
                       {
                           Statement s(db_, "SELECT parent FROM keys WHERE id = ?");
                           if (s.Bind(1, target).Step() == SQLITE_ROW)
                               parent = s.Int(0);
                       }
                       Statement values(db_, "DELETE FROM vals WHERE key = ?");
                       int rc = values.Bind(1, target).Step();
                       if (rc != SQLITE_DONE)
                           return Win32FromSqlite(rc);
                       Statement keys(db_, "DELETE FROM keys WHERE id = ?");
                       rc = keys.Bind(1, target).Step();
                       if (rc != SQLITE_DONE)
                           return Win32FromSqlite(rc);
                       return Touch(parent);
                   });
}

LONG RegistryStore::SetValue(int64_t key, const std::wstring& name, DWORD type,
                             const std::string& data)
{
    return WithKey(
        key, Access::Write,
        [&]() -> LONG
        {
            // A value set again keeps the case of its name and its place in the enumeration.
            Statement s(db_, "INSERT INTO vals(key, name, folded, type, data) VALUES(?, ?, ?, ?, ?)"
                             " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type,"
                             " data = excluded.data");
            s.Bind(1, key)
                .Bind(2, Utf8(name))
                .Bind(3, Utf8(FoldRegistryName(name)))
                .Bind(4, static_cast<int64_t>(type));
            s.BindBlob(5, data);
            const int rc = s.Step();
            if (rc != SQLITE_DONE)
                return Win32FromSqlite(rc);
            return Touch(key);
        });
}

LONG RegistryStore::QueryValue(int64_t key, const std::wstring& name, RegistryValue* value)
{
    return WithKey(key, Access::Read,
                   [&]() -> LONG
                   {
                       Statement s(
                           db_, "SELECT name, type, data FROM vals WHERE key = ? AND folded = ?");
                       return ReadValue(s.Bind(1, key).Bind(2, Utf8(FoldRegistryName(name))),
                                        ERROR_FILE_NOT_FOUND, value);
                   });
}

LONG RegistryStore::DeleteValue(int64_t key, const std::wstring& name)
{
    return WithKey(key, Access::Write,
                   [&]() -> LONG
                   {
                       Statement s(db_, "DELETE FROM vals WHERE key = ? AND folded = ?");
                       const int rc = s.Bind(1, key).Bind(2, Utf8(FoldRegistryName(name))).Step();
                       if (rc != SQLITE_DONE)
                           return Win32FromSqlite(rc);
                       if (sqlite3_changes(db_) == 0)
                           return ERROR_FILE_NOT_FOUND;
                       return Touch(key);
                   });
}

LONG RegistryStore::EnumKey(int64_t key, DWORD index, RegistrySubKey* subKey)
{
    return WithKey(key, Access::Read,
                   [&]() -> LONG
                   {
                       Statement s(db_, "SELECT name, class, written FROM keys WHERE parent = ?"
                                        " ORDER BY folded LIMIT 1 OFFSET ?");
                       const int rc = s.Bind(1, key).Bind(2, static_cast<int64_t>(index)).Step();
                       if (rc == SQLITE_DONE)
                           return ERROR_NO_MORE_ITEMS;
                       if (rc != SQLITE_ROW)
                           return Win32FromSqlite(rc);
                       subKey->name = s.Text(0);
                       subKey->className = s.Text(1);
                       subKey->written = static_cast<uint64_t>(s.Int(2));
                       return ERROR_SUCCESS;
                   });
}

LONG RegistryStore::EnumValue(int64_t key, DWORD index, RegistryValue* value)
{
    return WithKey(
        key, Access::Read,
        [&]() -> LONG
        {
            Statement s(
                db_,
                "SELECT name, type, data FROM vals WHERE key = ? ORDER BY id LIMIT 1 OFFSET ?");
            return ReadValue(s.Bind(1, key).Bind(2, static_cast<int64_t>(index)),
                             ERROR_NO_MORE_ITEMS, value);
        });
}

LONG RegistryStore::QueryInfo(int64_t key, RegistryKeyInfo* info)
{
    return WithKey(
        key, Access::Read,
        [&]() -> LONG
        {
            {
                Statement s(db_, "SELECT class, written FROM keys WHERE id = ?");
                const int rc = s.Bind(1, key).Step();
                if (rc != SQLITE_ROW)
                    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : Win32FromSqlite(rc);
                info->className = s.Text(0);
                info->written = static_cast<uint64_t>(s.Int(1));
            }
            {
                Statement s(db_, "SELECT name, class FROM keys WHERE parent = ?");
                s.Bind(1, key);
                int rc;
                while ((rc = s.Step()) == SQLITE_ROW)
                    info->subKeys.push_back({s.Text(0), s.Text(1), 0});
                if (rc != SQLITE_DONE)
                    return Win32FromSqlite(rc);
            }
            Statement s(db_, "SELECT name, type, data FROM vals WHERE key = ?");
            s.Bind(1, key);
            int rc;
            while ((rc = s.Step()) == SQLITE_ROW)
                info->values.push_back({s.Text(0), static_cast<DWORD>(s.Int(1)), s.Blob(2)});
            return rc == SQLITE_DONE ? ERROR_SUCCESS : Win32FromSqlite(rc);
        });
}

} // namespace w32
