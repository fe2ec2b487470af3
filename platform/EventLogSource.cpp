#include "velmar/platform/EventLogSource.h"

#include "velmar/platform/WinRegistry.h"

#include <cwchar>
#include <cwctype>
#include <vector>

namespace nkPlatform
{

namespace
{

const wchar_t kApplicationLog[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application";
constexpr REGSAM kReadWrite = 0x2001F;

bool Fail(LONG error)
{
    SetLastError(static_cast<DWORD>(error));
    return false;
}

bool SameNoCase(const wchar_t* a, const wchar_t* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b)))
            return false;
    return *a == *b;
}

// Appends source to the REG_MULTI_SZ "Sources" of the log key unless listed.
bool AddToSources(CWinRegistry& log, const wchar_t* source)
{
    DWORD type = REG_NONE;
    DWORD size = 0;
    std::vector<wchar_t> list;
    if (log.QueryValue(L"Sources", &type, nullptr, &size))
    {
        list.resize(size / sizeof(wchar_t) + 2, L'\0');
        if (!log.QueryValue(L"Sources", &type, list.data(), &size))
            return Fail(log.lastError);
        list.resize(size / sizeof(wchar_t));
    }
    else if (log.lastError != ERROR_FILE_NOT_FOUND)
    {
        return Fail(log.lastError);
    }
    // Strip the list's terminators, then walk its entries.
    while (!list.empty() && list.back() == L'\0')
        list.pop_back();
    list.push_back(L'\0');
    for (std::size_t at = 0; at < list.size();)
    {
        const wchar_t* entry = list.data() + at;
        const std::size_t len = std::wcslen(entry);
        if (len && SameNoCase(entry, source))
            return true;
        at += len + 1;
    }
    if (list.size() == 1)
        list.clear(); // an empty list holds no entry before the new one
    list.insert(list.end(), source, source + std::wcslen(source) + 1);
    list.push_back(L'\0');
    if (!log.SetValue(L"Sources", REG_MULTI_SZ, list.data(),
                      static_cast<DWORD>(list.size() * sizeof(wchar_t))))
        return Fail(log.lastError);
    return true;
}

} // namespace

bool RegisterEventLogSource(const wchar_t* source, const wchar_t* messageFile, DWORD types,
                            bool addToSources)
{
    if (nkMem::IsNullOrEmpty(source) || !messageFile)
        return Fail(ERROR_INVALID_PARAMETER);
    // The log must exist; only the source's own key is created.
    CWinRegistry log;
    if (!log.OpenEx(HKEY_LOCAL_MACHINE, kApplicationLog, 0, kReadWrite))
        return Fail(log.lastError);
    CWinRegistry key;
    if (!log.CreateSubKey(source, nullptr, REG_OPTION_NON_VOLATILE, kReadWrite, nullptr, nullptr,
                          &key))
        return Fail(log.lastError);
    if (!key.SetValue(L"EventMessageFile", REG_EXPAND_SZ, messageFile,
                      static_cast<DWORD>((std::wcslen(messageFile) + 1) * sizeof(wchar_t))))
        return Fail(key.lastError);
    if (!key.WriteDword(L"TypesSupported", types))
        return Fail(key.lastError);
    return !addToSources || AddToSources(log, source);
}

} // namespace nkPlatform
