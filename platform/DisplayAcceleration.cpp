#include "velmar/platform/DisplayAcceleration.h"

#include "velmar/platform/WinRegistry.h"

#include <cwchar>
#include <cwctype>

namespace nkPlatform
{

namespace
{

// Device numbers beyond this are not believed, whatever MaxObjectNumber says.
constexpr DWORD kMaxDevices = 64;
const wchar_t kMachinePrefix[] = L"\\Registry\\Machine\\";

bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (*text == L'\0' || std::towlower(static_cast<wint_t>(*text)) !=
                                  std::towlower(static_cast<wint_t>(*prefix)))
            return false;
    return true;
}

// Calls visit(deviceKey) for each device with installed drivers until it
// returns false; the count of devices visited, or -1 when the map is missing.
template <class Visit> int ForEachDisplayDevice(Visit visit)
{
    CWinRegistry map;
    if (!map.OpenEx(HKEY_LOCAL_MACHINE, L"Hardware\\DEVICEMAP\\VIDEO", 0, KEY_READ))
    {
        SetLastError(static_cast<DWORD>(map.lastError));
        return -1;
    }
    const DWORD last = map.ReadDword(L"MaxObjectNumber", 0);
    int visited = 0;
    for (DWORD i = 0; i <= last && i < kMaxDevices; ++i)
    {
        wchar_t name[32];
        std::swprintf(name, 32, L"\\Device\\Video%u", static_cast<unsigned>(i));
        nkMem::CStringT<wchar_t> target = map.ReadString(name, 128);
        const std::size_t prefix = std::wcslen(kMachinePrefix);
        if (target.GetLength() <= prefix || !StartsWithNoCase(target.GetString(), kMachinePrefix))
            continue;
        CWinRegistry device;
        if (!device.OpenEx(HKEY_LOCAL_MACHINE, target.GetString() + prefix, 0,
                           KEY_READ | KEY_WRITE))
            continue;
        DWORD size = 0;
        if (!device.QueryValue(L"InstalledDisplayDrivers", nullptr, nullptr, &size))
            continue;
        ++visited;
        if (!visit(device))
            break;
    }
    return visited;
}

} // namespace

bool GetDisplayAcceleration(DWORD& level, nkMem::CStringT<wchar_t>* device)
{
    level = 0;
    const int n = ForEachDisplayDevice(
        [&](CWinRegistry& key)
        {
            level = key.ReadDword(L"Acceleration.Level", 0);
            if (device)
                *device = key.ReadString(L"Device Description", 64);
            return false;
        });
    if (n == 0)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return n > 0;
}

bool SetDisplayAcceleration(DWORD level)
{
    bool ok = true;
    LONG error = ERROR_SUCCESS;
    const int n = ForEachDisplayDevice(
        [&](CWinRegistry& key)
        {
            const bool done = level == 0 ? (key.DeleteValue(L"Acceleration.Level") ||
                                            key.lastError == ERROR_FILE_NOT_FOUND)
                                         : key.WriteDword(L"Acceleration.Level", level);
            if (!done)
            {
                ok = false;
                error = key.lastError;
            }
            return true;
        });
    if (n == 0)
        SetLastError(ERROR_FILE_NOT_FOUND);
    else if (!ok)
        SetLastError(static_cast<DWORD>(error));
    return n > 0 && ok;
}

} // namespace nkPlatform
