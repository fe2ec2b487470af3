#pragma once
// One open registry key and the status of the last registry call made through
// it. Here the registry is the win32 layer's store ($VELMAR_REGISTRY, else
// $XDG_DATA_HOME/velmar/registry.db); all root keys live in that one file.
#include "velmar/foundation/String.h"
#include "velmar/win32/win32.h"

#include <cstdint>

namespace nkPlatform
{

class CWinRegistry
{
public:
    CWinRegistry() = default;
    CWinRegistry(const CWinRegistry&) = delete;
    CWinRegistry& operator=(const CWinRegistry&) = delete;
    virtual ~CWinRegistry();

    // Closes the key held, then opens subKey below root with all access.
    bool Open(HKEY root, const char* subKey);
    bool Open(HKEY root, const wchar_t* subKey);
    // The same with the extended open call (the services pass KEY_ALL_ACCESS).
    bool OpenEx(HKEY root, const char* subKey, DWORD options, REGSAM access);
    bool OpenEx(HKEY root, const wchar_t* subKey, DWORD options, REGSAM access);
    // Closes the key; false (and the registry's code) when none is open.
    bool Close();
    bool IsOpen() const { return key != nullptr; }

    // Creates or opens subKey below the key held. With out the new key goes to
    // out (which closes its own first); without, it is closed at once.
    bool CreateSubKey(const char* subKey, char* className, DWORD options, REGSAM access,
                      const SECURITY_ATTRIBUTES* security, DWORD* disposition, CWinRegistry* out);
    bool CreateSubKey(const wchar_t* subKey, wchar_t* className, DWORD options, REGSAM access,
                      const SECURITY_ATTRIBUTES* security, DWORD* disposition, CWinRegistry* out);

    // The key-information query; every out argument may be null.
    bool QueryInfo(char* className, DWORD* classChars, DWORD* subKeys, DWORD* maxSubKeyLen,
                   DWORD* maxClassLen, DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                   DWORD* securitySize, FILETIME* lastWrite);
    bool QueryInfo(wchar_t* className, DWORD* classChars, DWORD* subKeys, DWORD* maxSubKeyLen,
                   DWORD* maxClassLen, DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                   DWORD* securitySize, FILETIME* lastWrite);

    // One value of the key; size in bytes (in: the buffer's, out: the value's).
    bool QueryValue(const char* name, DWORD* type, void* data, DWORD* size);
    bool QueryValue(const wchar_t* name, DWORD* type, void* data, DWORD* size);
    bool SetValue(const char* name, DWORD type, const void* data, DWORD size);
    bool SetValue(const wchar_t* name, DWORD type, const void* data, DWORD size);
    // False for a null name (lastError ERROR_INVALID_PARAMETER): the default
    // value is deleted by naming it "".
    bool DeleteValue(const char* name);
    bool DeleteValue(const wchar_t* name);

    // A REG_DWORD value, or def when it cannot be read.
    DWORD ReadDword(const char* name, DWORD def);
    DWORD ReadDword(const wchar_t* name, DWORD def);
    bool WriteDword(const char* name, DWORD value);
    bool WriteDword(const wchar_t* name, DWORD value);

    // A string value, whatever its length: queried with room for initialSize
    // characters, then once more with the size the registry asks for. Empty
    // when the value is missing or is no string (lastError ERROR_INVALID_DATA) (REG_SZ,
    // REG_EXPAND_SZ, REG_MULTI_SZ).
    nkMem::CStringT<char> ReadString(const char* name, std::uint32_t initialSize = 64);
    nkMem::CStringT<wchar_t> ReadString(const wchar_t* name, std::uint32_t initialSize = 64);

    // A string value into the caller's buffer of size characters (terminator
    // included). With convert the value is read in the other width and
    // converted with the ANSI code page; without, it is read in the buffer's
    // own width. The result is always terminated; type (may be null) gets the
    // value's type.
    bool ReadStringConverted(const char* name, DWORD* type, char* buffer, DWORD size, bool convert);
    bool ReadStringConverted(const wchar_t* name, DWORD* type, wchar_t* buffer, DWORD size,
                             bool convert);

    // The open key handle, null when none is open.
    HKEY key = nullptr;
    // The status of the last registry call (ERROR_SUCCESS = 0).
    LONG lastError = ERROR_SUCCESS;

private:
    void ReleaseKey();
    bool Status(LONG status)
    {
        lastError = status;
        return status == ERROR_SUCCESS;
    }
};

// The predefined root key named by the first n characters of name
// ("HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS", "HKEY_CLASSES_ROOT",
// "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA", tried in that order); null for a
// null name, n of 0 or a name not in the table.
HKEY RootKeyFromName(const char* name, std::uint32_t n);
HKEY RootKeyFromName(const wchar_t* name, std::uint32_t n);
// The same comparing whole names.
HKEY RootKeyFromName(const char* name);
HKEY RootKeyFromName(const wchar_t* name);

} // namespace nkPlatform
